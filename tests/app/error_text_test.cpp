// The error box's text: when a full stop is added to the message.
#include <gtest/gtest.h>

#include <string>

#include "app/error_box.h"
#include "settings/ini_file.h"
#include "standings/int_text.h"

namespace palvoren {
namespace {

struct TextRow {
    const char* name;
    std::string message;
    std::string expected;
};

class ErrorBoxTextTable : public testing::TestWithParam<TextRow> {};

TEST_P(ErrorBoxTextTable, Formats) {
    EXPECT_EQ(ErrorBoxText(GetParam().message), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    ErrorBox, ErrorBoxTextTable,
    testing::Values(TextRow{"empty_message_stays_empty", "", ""},
                    TextRow{"letter_ending_gets_full_stop", "Disk full", "Disk full."},
                    TextRow{"full_stop_is_not_doubled", "Disk full.", "Disk full."},
                    TextRow{"japanese_ending_gets_full_stop", "整数ではありません",
                            "整数ではありません."},
                    TextRow{"ideographic_full_stop_still_gets_one", "終わり。", "終わり。."},
                    TextRow{"slash_just_above_full_stop_gets_one", "C:/", "C:/."},
                    TextRow{"digit_ending_gets_full_stop", "code 5", "code 5."},
                    TextRow{"hyphen_just_below_full_stop_is_kept", "a-", "a-"},
                    TextRow{"comma_ending_is_kept", "a,", "a,"},
                    TextRow{"closing_bracket_is_kept", "(a)", "(a)"},
                    TextRow{"exclamation_is_kept", "No!", "No!"},
                    TextRow{"trailing_blank_is_kept", "a ", "a "},
                    TextRow{"trailing_newline_is_kept", "a\n", "a\n"},
                    TextRow{"single_full_stop_is_kept", ".", "."},
                    TextRow{"stray_high_byte_gets_full_stop", "a\xff", "a\xff."},
                    TextRow{"embedded_nul_is_kept_and_last_byte_decides", std::string("a\0b", 3),
                            std::string("a\0b.", 4)}),
    [](const testing::TestParamInfo<TextRow>& info) { return std::string(info.param.name); });

// The errors the program really raises all end in Japanese, so each box shows one full stop.
TEST(ErrorBoxText, ProgramErrorsEndWithOneFullStop) {
    const EConvertError convert("abc");
    const EIniFileException ini("/home/user/palvoren.ini");
    EXPECT_EQ(ErrorBoxText(convert.what()), std::string(convert.what()) + ".");
    EXPECT_EQ(ErrorBoxText(ini.what()), std::string(ini.what()) + ".");
    EXPECT_EQ(ErrorBoxText(kUnknownErrorMessage), std::string(kUnknownErrorMessage) + ".");
}

}  // namespace
}  // namespace palvoren
