// The first show of the main window for each start-up request.
#include <gtest/gtest.h>

#include <cstdint>

#include "app/show_state.h"

namespace palvoren {
namespace {

struct ShowRow {
    const char* name;
    std::uint32_t flags;
    int showState;
    InitialShow expected;
};

class InitialShowTable : public testing::TestWithParam<ShowRow> {};

TEST_P(InitialShowTable, Maps) {
    const ShowRow& row = GetParam();
    EXPECT_EQ(InitialShowFor(row.flags, row.showState), row.expected);
}

constexpr std::uint32_t kUse = kStartfUseShowWindow;
constexpr std::uint32_t kOtherFlags = 0x00000100;  // STARTF_USESTDHANDLES alone

INSTANTIATE_TEST_SUITE_P(
    StartupShow, InitialShowTable,
    testing::Values(
        ShowRow{"state_3_maximises", kUse, 3, InitialShow::kMaximized},
        ShowRow{"state_7_minimises_without_activation", kUse, 7, InitialShow::kMinimizedNoActivate},
        ShowRow{"state_3_among_other_flags_still_maximises", kUse | kOtherFlags, 3,
                InitialShow::kMaximized},
        ShowRow{"state_without_its_flag_is_ignored", kOtherFlags, 3, InitialShow::kNormal},
        ShowRow{"no_flags_no_state_is_normal", 0, 0, InitialShow::kNormal},
        ShowRow{"plain_minimise_2_is_normal", kUse, 2, InitialShow::kNormal},
        ShowRow{"minimise_6_is_normal", kUse, 6, InitialShow::kNormal},
        ShowRow{"hide_0_still_shows_normal", kUse, 0, InitialShow::kNormal},
        ShowRow{"default_10_is_normal", kUse, 10, InitialShow::kNormal},
        ShowRow{"out_of_range_state_is_normal", kUse, -1, InitialShow::kNormal}),
    [](const testing::TestParamInfo<ShowRow>& info) { return std::string(info.param.name); });

TEST(StartupShow, NothingHereAsksForAnythingButNormal) {
    EXPECT_EQ(StartupShow(), InitialShow::kNormal);
}

}  // namespace
}  // namespace palvoren
