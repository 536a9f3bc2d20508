// The first show for each start-up request, and when the error box adds a full stop.
#include <gtest/gtest.h>

#include <string>

#include "app/error_box.h"
#include "app/show_state.h"

namespace palvoren {
namespace {

template <typename Row>
std::string RowName(const testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

struct ShowRow {
    const char* name;
    std::uint32_t flags;
    int showState;
    InitialShow expected;
};
class InitialShowTable : public testing::TestWithParam<ShowRow> {};

TEST_P(InitialShowTable, Maps) {
    EXPECT_EQ(InitialShowFor(GetParam().flags, GetParam().showState), GetParam().expected);
}

constexpr std::uint32_t kUse = kStartfUseShowWindow;
INSTANTIATE_TEST_SUITE_P(
    StartupShow, InitialShowTable,
    testing::Values(ShowRow{"state_3_maximises", kUse | 0x100, 3, InitialShow::kMaximized},
                    ShowRow{"state_7_minimises_quietly", kUse, 7,
                            InitialShow::kMinimizedNoActivate},
                    ShowRow{"state_without_its_flag_is_ignored", 0x100, 3, InitialShow::kNormal},
                    ShowRow{"plain_minimise_2_is_normal", kUse, 2, InitialShow::kNormal},
                    ShowRow{"hide_0_still_shows_normal", kUse, 0, InitialShow::kNormal}),
    RowName<ShowRow>);

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
                    TextRow{"letter_gets_full_stop", "Disk full", "Disk full."},
                    TextRow{"full_stop_is_not_doubled", "Disk full.", "Disk full."},
                    TextRow{"japanese_ending_gets_full_stop", "ません", "ません."},
                    TextRow{"slash_just_above_full_stop_gets_one", "C:/", "C:/."},
                    TextRow{"hyphen_just_below_full_stop_is_kept", "a-", "a-"},
                    TextRow{"closing_bracket_is_kept", "(a)", "(a)"},
                    TextRow{"trailing_newline_is_kept", "a\n", "a\n"}),
    RowName<TextRow>);

}  // namespace
}  // namespace palvoren
