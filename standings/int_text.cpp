#include "standings/int_text.h"

#include <array>
#include <charconv>

namespace palvoren {
namespace {

// Any number of digits, leading zeros included, is read without overflow: std::from_chars reports
// a value beyond 64 bits as out of range.
std::optional<std::uint64_t> ParseDigits(std::string_view digits, int base, std::uint64_t limit) {
    std::uint64_t value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, base);
    if (digits.empty() || error != std::errc() || stop != end || value > limit)
        return std::nullopt;
    return value;
}

// Two's complement negation of a 32-bit pattern, done on unsigned values so that negating
// 0x80000000 is defined and yields itself.
std::int32_t AsSigned(std::uint64_t pattern, bool negate) {
    std::uint32_t bits = static_cast<std::uint32_t>(pattern);
    if (negate)
        bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

}  // namespace

EConvertError::EConvertError(std::string_view text)
    : std::runtime_error("'" + std::string(text) + "' は整数ではありません") {}

std::optional<std::int32_t> ParseInt(std::string_view text) {
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos)
        return std::nullopt;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    std::string_view rest = text.substr(i);
    std::size_t prefix = 0;
    if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
        prefix = 1;
    } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
        prefix = 2;
    }
    if (prefix > 0) {
        const auto bits = ParseDigits(rest.substr(prefix), 16, 0xFFFFFFFFu);
        if (!bits)
            return std::nullopt;
        return AsSigned(*bits, negative);
    }
    const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
    const auto magnitude = ParseDigits(rest, 10, limit);
    if (!magnitude)
        return std::nullopt;
    return AsSigned(*magnitude, negative);
}

std::int32_t TextToInt(std::string_view text) {
    if (const auto value = ParseInt(text))
        return *value;
    throw EConvertError(text);
}

std::int32_t TextToIntDefault(std::string_view text, std::int32_t fallback) {
    return ParseInt(text).value_or(fallback);
}

std::string IntToText(std::int32_t value) {
    std::array<char, 16> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

}  // namespace palvoren
