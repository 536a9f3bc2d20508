// The windowing platform asked for, when the error box adds a full stop, and where the window opens
// for a saved position.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "app/error_box.h"
#include "app/platform_choice.h"
#include "ui/layout.h"
#include "ui/screen_fit.h"

namespace palvoren {
namespace {

template <typename Row>
std::string RowName(const testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

struct PlatformRow {
    const char* name;
    const char* userPlatform;
    const char* display;
    const char* argument;  // after the program's name, or none
    const char* expected;
};
class PlatformRequestTable : public testing::TestWithParam<PlatformRow> {};

TEST_P(PlatformRequestTable, Chooses) {
    const PlatformRow& row = GetParam();
    char* argv[] = {const_cast<char*>("palvoren"), const_cast<char*>(row.argument), nullptr};
    const int argc = row.argument == nullptr ? 1 : 2;
    EXPECT_STREQ(PlatformRequest(row.userPlatform, row.display, argc, argv), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Platform, PlatformRequestTable,
    testing::Values(PlatformRow{"x_display_goes_first_when_none_is_chosen", "", ":0", "-style",
                                "xcb;wayland"},
                    PlatformRow{"no_x_display_leaves_it_to_qt", nullptr, "", nullptr, nullptr},
                    PlatformRow{"variable_chosen_stands", "wayland", ":0", nullptr, nullptr},
                    PlatformRow{"argument_chosen_stands", nullptr, ":0", "--platform", nullptr}),
    RowName<PlatformRow>);

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

struct PlaceRow {
    const char* name;
    QPoint saved;
    QList<QRect> areas;  // the first is the primary screen's
    QPoint expected;
};
class ReachablePositionTable : public testing::TestWithParam<PlaceRow> {};

TEST_P(ReachablePositionTable, Places) {
    const PlaceRow& row = GetParam();
    EXPECT_EQ(ReachablePosition(row.saved, layout::kClientSize, row.areas, row.areas.front()),
              row.expected);
}

// A 1920 x 1040 work area: the 538 x 448 window and its 30-pixel title bar fit up to 1382, 562.
const QList<QRect> kOne{{0, 0, 1920, 1040}};
const QList<QRect> kTwo{{0, 0, 1920, 1040}, {1920, 0, 1280, 984}};
INSTANTIATE_TEST_SUITE_P(
    WindowPosition, ReachablePositionTable,
    testing::Values(
        PlaceRow{"on_screen_is_kept", {191, 108}, kOne, {191, 108}},
        PlaceRow{"partly_off_but_reachable_is_kept", {1800, -15}, kOne, {1800, -15}},
        PlaceRow{"off_the_left_is_clamped", {-100000, 300}, kOne, {0, 300}},
        PlaceRow{"off_the_right_is_clamped", {1830, 300}, kOne, {1382, 300}},
        PlaceRow{"above_is_clamped", {300, -20}, kOne, {300, 0}},
        PlaceRow{"below_is_clamped", {300, 100000}, kOne, {300, 562}},
        PlaceRow{"largest_int_does_not_overflow", {INT_MAX, INT_MAX}, kOne, {1382, 562}},
        PlaceRow{"smallest_int_does_not_overflow", {INT_MIN, INT_MIN}, kOne, {0, 0}},
        PlaceRow{"on_the_second_monitor_is_kept", {2500, 300}, kTwo, {2500, 300}},
        PlaceRow{"below_the_second_goes_to_the_primary", {2500, 990}, kTwo, {1382, 562}},
        PlaceRow{"too_large_goes_to_the_corner", {5, 500}, {{10, 20, 400, 300}}, {10, 20}}),
    RowName<PlaceRow>);

}  // namespace
}  // namespace palvoren
