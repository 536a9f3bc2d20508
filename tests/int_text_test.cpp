#include "standings/int_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace palvoren {
namespace {

struct ConversionCase {
    const char* rule;
    std::string text;
    std::optional<std::int32_t> value;  // nothing: not an integer
};

const std::vector<ConversionCase> kConversions{
    {"plain digits", "3", 3},
    {"leading spaces are skipped", "   3", 3},
    {"a trailing space is not", "3 ", std::nullopt},
    {"a tab is no blank", "\t3", std::nullopt},
    {"a full-width blank is no blank (CP932)",
     "\x81\x40"
     "3",
     std::nullopt},
    {"a full-width blank is no blank (UTF-8)",
     "\xE3\x80\x80"
     "3",
     std::nullopt},
    {"a full-width digit is no digit", "３", std::nullopt},
    {"a half-width katakana byte is no digit",
     "\xB1"
     "3",
     std::nullopt},
    {"plus sign", "+3", 3},
    {"minus sign", "-3", -3},
    {"minus zero", "-0", 0},
    {"blanks before the sign", "  -7", -7},
    {"blank between sign and digits", "- 5", std::nullopt},
    {"two signs", "--5", std::nullopt},
    {"mixed signs", "+-5", std::nullopt},
    {"sign alone", "-", std::nullopt},
    {"plus alone", "+", std::nullopt},
    {"empty text", "", std::nullopt},
    {"blanks only", "   ", std::nullopt},
    {"leading zeros", "03", 3},
    {"many leading zeros", "0000000000000012", 12},
    {"largest decimal", "2147483647", 2147483647},
    {"one past the largest decimal", "2147483648", std::nullopt},
    {"smallest decimal", "-2147483648", std::numeric_limits<std::int32_t>::min()},
    {"one below the smallest decimal", "-2147483649", std::nullopt},
    {"leading zeros do not hide an overflow", "00000000002147483648", std::nullopt},
    {"far beyond the range", "99999999999999999999999", std::nullopt},
    {"dollar hex", "$1F", 31},
    {"lower-case hex digits", "$1f", 31},
    {"x prefix", "x1F", 31},
    {"capital X prefix", "X1F", 31},
    {"0x prefix", "0x1F", 31},
    {"0X prefix", "0X1F", 31},
    {"plus before a hex prefix changes nothing", "+$1F", 31},
    {"minus before a hex prefix negates", "-$10", -16},
    {"minus before 0x negates", "-0x10", -16},
    {"minus before x negates", "-x10", -16},
    {"negated smallest pattern stays itself", "-$80000000",
     std::numeric_limits<std::int32_t>::min()},
    {"negated all-ones pattern", "-$FFFFFFFF", 1},
    {"hex up to the sign bit", "$7FFFFFFF", 2147483647},
    {"hex sign bit", "$80000000", std::numeric_limits<std::int32_t>::min()},
    {"hex all ones is minus one", "$FFFFFFFF", -1},
    {"hex beyond 32 bits", "$100000000", std::nullopt},
    {"hex leading zeros do not count", "$0000000000FF", 255},
    {"hex leading zeros before a full pattern", "$000000001F", 31},
    {"dollar without digits", "$", std::nullopt},
    {"x without digits", "x", std::nullopt},
    {"0x without digits", "0x", std::nullopt},
    {"minus dollar without digits", "-$", std::nullopt},
    {"hex letters in a decimal number", "1F", std::nullopt},
    {"x inside a number", "10x5", std::nullopt},
    {"prefix after leading zeros", "00x5", std::nullopt},
    {"blank after a prefix", "$ 5", std::nullopt},
    {"letter after the digits", "2a", std::nullopt},
    {"kanji after the digits", "5点", std::nullopt},
    {"decimal point", "5.0", std::nullopt},
    {"exponent", "1e3", std::nullopt},
    {"digit grouping", "1,000", std::nullopt},
    {"embedded NUL",
     std::string("1\0"
                 "2",
                 3),
     std::nullopt},
};

TEST(IntText, AcceptanceRule) {
    for (const ConversionCase& c : kConversions) {
        SCOPED_TRACE(c.rule);
        EXPECT_EQ(ParseInt(c.text), c.value);
        EXPECT_EQ(TextToIntDefault(c.text, 108), c.value.value_or(108));
        if (c.value) {
            EXPECT_EQ(TextToInt(c.text), *c.value);
        } else {
            EXPECT_THROW(TextToInt(c.text), EConvertError);
        }
    }
}

TEST(IntText, MessageQuotesTheTextExactlyAsGiven) {
    const std::vector<std::string> texts{"abc",
                                         " abc",
                                         "2a",
                                         "%s",
                                         "%n%n%n",
                                         "{}",
                                         "\x81\x40"
                                         "3",
                                         std::string("a\0b", 3),
                                         ""};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        try {
            TextToInt(text);
            ADD_FAILURE() << "no error raised";
        } catch (const EConvertError& error) {
            // what() is a C string: compared up to any NUL.
            const std::string expected = "'" + text + "' は整数ではありません";
            EXPECT_EQ(std::string(error.what()), expected.substr(0, expected.find('\0')));
        }
    }
    try {
        TextToInt(" abc");
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "' abc' は整数ではありません");
    }
}

TEST(IntText, IntToTextIsTheShortestDecimalAndRoundTrips) {
    const std::vector<std::pair<std::int32_t, std::string>> cases{
        {0, "0"},
        {-5, "-5"},
        {7, "7"},
        {2147483647, "2147483647"},
        {std::numeric_limits<std::int32_t>::min(), "-2147483648"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(IntToText(value), text);
        EXPECT_EQ(TextToInt(IntToText(value)), value);
    }
}

}  // namespace
}  // namespace palvoren
