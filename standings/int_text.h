// Conversions between signed 32-bit integers and their texts, used for every score the user types,
// every cell of a standings grid and every number in the settings file.
//
// A text is an integer when it consists of, and nothing else:
//   - any number of spaces (0x20 only: a tab or a full-width blank does not count);
//   - at most one "+" or "-", directly followed by the number;
//   - either a hexadecimal number: "$", "x", "X", "0x" or "0X" and one or more hex digits whose
//   value
//     is at most FFFFFFFF, read as a 32-bit two's complement pattern ("$FFFFFFFF" is -1); a "-"
//     negates it ("-$10" is -16);
//   - or a decimal number: one or more digits 0-9 whose signed value fits in 32 bits.
// Leading zeros are allowed in both forms. Texts are byte strings in the system's multibyte
// encoding; a byte of a multibyte character is never one of the characters above, so such a text is
// never an integer.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace palvoren {

// Raised by TextToInt for a text that is not an integer. The message is
// "'<text>' は整数ではありません" with the text exactly as it was given.
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(std::string_view text);
};

// The value of the text, or nothing when it is not an integer.
std::optional<std::int32_t> ParseInt(std::string_view text);

// The value of the text; throws EConvertError when it is not an integer.
std::int32_t TextToInt(std::string_view text);

// The value of the text, or fallback when it is not an integer. Never throws.
std::int32_t TextToIntDefault(std::string_view text, std::int32_t fallback);

// The shortest decimal text of the value: "-" for negatives, no leading zeros, no "+" or blanks.
std::string IntToText(std::int32_t value);

}  // namespace palvoren
