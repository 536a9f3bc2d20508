// The group stage of the 2002 World Cup as constant data: eight groups, their teams in
// standings-grid row order, the six matches of each group in the order the calculation processes
// them, the score fields that hold each match's goals, and the captions shown on the group pages.
//
// All texts are UTF-8 and are shown exactly as they stand. The table is fixed at build time and
// only read; nothing in it is composed at run time.
#pragma once

#include <array>
#include <string_view>

namespace palvoren {

inline constexpr int kGroupCount = 8;
inline constexpr int kTeamsPerGroup = 4;
inline constexpr int kMatchesPerGroup = 6;
inline constexpr int kScoreFieldCount = 96;

// One match. Rows are standings-grid rows 1-4; the home row is always the lower one. Fields are
// score field numbers 1-96 (the edit box EditN and the settings key "editN"). The display line 1-6
// is the match's line on its page, counted from the top.
struct MatchSpec {
    int homeRow;
    int awayRow;
    int homeField;
    int awayField;
    int line;
    std::string_view captionLabel;
    std::string_view captionText;
};

// A caption naming the round-of-16 pairing that one of the group's two qualifiers plays.
struct RoundOf16Caption {
    std::string_view label;
    std::string_view text;
};

struct GroupSpec {
    char letter;
    std::string_view page;
    std::string_view pageCaption;
    std::string_view button;
    std::string_view grid;
    std::array<std::string_view, kTeamsPerGroup> teams;  // grid rows 1-4
    std::array<MatchSpec, kMatchesPerGroup> matches;     // processing order
    RoundOf16Caption upper;                              // the group winner's pairing
    RoundOf16Caption lower;                              // the runner-up's pairing
};

enum class Side { Home, Away };

// Where a score field belongs: its group (index 1-8), the match's position 0-5 in processing order,
// and which team's goals it holds.
struct FieldLocation {
    int groupIndex;
    int matchIndex;
    Side side;
};

// The group with index 1-8 (A = 1). Throws std::out_of_range for any other index.
const GroupSpec& GroupByIndex(int groupIndex);

// The match and side of score field 1-96. Throws std::out_of_range for any other number.
FieldLocation LocateField(int fieldNumber);

// The date and kick-off time at the head of a match caption ("5/31 20:30"), for spoken names.
std::string_view MatchKickOff(const MatchSpec& match);

}  // namespace palvoren
