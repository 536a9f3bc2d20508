#include "standings/standings.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "standings/int_text.h"

namespace palvoren {
namespace {

struct FakeFields : ScoreFields {
    std::array<std::string, kScoreFieldCount + 1> texts;
    std::string FieldText(int n) const override { return texts.at(static_cast<std::size_t>(n)); }
};

struct FakeGrid : CellGrid {
    std::array<std::array<std::string, 5>, 9> cells;  // [column][row]
    std::string CellText(int c, int r) const {
        return cells.at(static_cast<std::size_t>(c)).at(static_cast<std::size_t>(r));
    }
    void SetCellText(int c, int r, std::string_view text) override {
        cells.at(static_cast<std::size_t>(c)).at(static_cast<std::size_t>(r)) = text;
    }
    std::vector<std::vector<std::string>> Data() const {
        std::vector<std::vector<std::string>> rows;
        for (int r = 1; r <= 4; ++r) {
            std::vector<std::string> row;
            for (int c = 1; c <= 8; ++c)
                row.push_back(CellText(c, r));
            rows.push_back(row);
        }
        return rows;
    }
};

// Scores per match in processing order, home then away; "" leaves a field empty.
using Scores = std::array<std::array<const char*, 2>, kMatchesPerGroup>;
using Expected = std::array<std::array<std::int64_t, 8>, kTeamsPerGroup>;

FakeFields FieldsFor(const GroupSpec& group, const Scores& scores) {
    FakeFields fields;
    for (std::size_t m = 0; m < group.matches.size(); ++m) {
        fields.texts[static_cast<std::size_t>(group.matches[m].homeField)] = scores[m][0];
        fields.texts[static_cast<std::size_t>(group.matches[m].awayField)] = scores[m][1];
    }
    return fields;
}

std::vector<std::vector<std::string>> AsTexts(const Expected& expected) {
    std::vector<std::vector<std::string>> rows;
    for (const auto& row : expected) {
        std::vector<std::string> texts;
        for (std::int64_t v : row)
            texts.push_back(IntToText(static_cast<std::int32_t>(v)));
        rows.push_back(texts);
    }
    return rows;
}

struct TableCase {
    const char* rule;
    int group;
    Scores scores;
    Expected expected;  // wins, losses, draws, points, for, against, difference, rank
};

const std::vector<TableCase> kTables{
    {"worked example: equal goal difference, points decide",
     1,
     {{{"2", "0"}, {"1", "1"}, {"0", "1"}, {"3", "0"}, {"", ""}, {"1", "1"}}},
     {{{1, 1, 0, 3, 2, 1, 1, 3},
       {1, 1, 1, 4, 4, 3, 1, 2},
       {1, 0, 2, 5, 3, 2, 1, 1},
       {0, 1, 1, 1, 1, 4, -3, 4}}}},
    {"no scores: every key is 50 and every team shares rank 1",
     2,
     {{{"", ""}, {"", ""}, {"", ""}, {"", ""}, {"", ""}, {"", ""}}},
     {{{0, 0, 0, 0, 0, 0, 0, 1},
       {0, 0, 0, 0, 0, 0, 0, 1},
       {0, 0, 0, 0, 0, 0, 0, 1},
       {0, 0, 0, 0, 0, 0, 0, 1}}}},
    {"two pairs of equal keys rank 1, 1, 3, 3",
     3,
     {{{"", ""}, {"", ""}, {"1", "0"}, {"1", "0"}, {"", ""}, {"", ""}}},
     {{{1, 0, 0, 3, 1, 0, 1, 1},
       {1, 0, 0, 3, 1, 0, 1, 1},
       {0, 1, 0, 0, 0, 1, -1, 3},
       {0, 1, 0, 0, 0, 1, -1, 3}}}},
    {"a tie at the top only ranks 1, 1, 3, 4",
     4,
     {{{"", ""}, {"1", "0"}, {"1", "0"}, {"1", "0"}, {"", ""}, {"", ""}}},
     {{{1, 0, 0, 3, 1, 0, 1, 1},
       {1, 0, 0, 3, 1, 0, 1, 1},
       {1, 1, 0, 3, 1, 1, 0, 3},
       {0, 2, 0, 0, 0, 2, -2, 4}}}},
    {"three equal keys at the top rank 1, 1, 1, 4",
     5,
     {{{"", ""}, {"1", "0"}, {"", ""}, {"1", "0"}, {"1", "0"}, {"", ""}}},
     {{{1, 0, 0, 3, 1, 0, 1, 1},
       {1, 0, 0, 3, 1, 0, 1, 1},
       {1, 0, 0, 3, 1, 0, 1, 1},
       {0, 3, 0, 0, 0, 3, -3, 4}}}},
    {"three equal keys at the bottom rank 1, 2, 2, 2",
     6,
     {{{"1", "0"}, {"", ""}, {"1", "0"}, {"", ""}, {"1", "0"}, {"", ""}}},
     {{{3, 0, 0, 9, 3, 0, 3, 1},
       {0, 1, 0, 0, 0, 1, -1, 2},
       {0, 1, 0, 0, 0, 1, -1, 2},
       {0, 1, 0, 0, 0, 1, -1, 2}}}},
    {"the leader in the last row moves to the top; ties keep fixture order",
     7,
     {{{"", ""}, {"", ""}, {"", ""}, {"", ""}, {"0", "2"}, {"", ""}}},
     {{{0, 1, 0, 0, 0, 2, -2, 4},
       {0, 0, 0, 0, 0, 0, 0, 2},
       {0, 0, 0, 0, 0, 0, 0, 2},
       {1, 0, 0, 3, 2, 0, 2, 1}}}},
    {"goals scored are no tie-breaker",
     8,
     {{{"5", "5"}, {"0", "0"}, {"", ""}, {"", ""}, {"", ""}, {"", ""}}},
     {{{0, 0, 1, 1, 5, 5, 0, 1},
       {0, 0, 1, 1, 5, 5, 0, 1},
       {0, 0, 1, 1, 0, 0, 0, 1},
       {0, 0, 1, 1, 0, 0, 0, 1}}}},
    {"3 points and +1000 share the key of 4 points and 0",
     1,
     {{{"1001", "0"}, {"0", "0"}, {"0", "1"}, {"", ""}, {"", ""}, {"1", "0"}}},
     {{{1, 1, 0, 3, 1001, 1, 1000, 1},
       {1, 1, 0, 3, 1, 1001, -1000, 3},
       {1, 1, 1, 4, 1, 1, 0, 1},
       {0, 0, 1, 1, 0, 0, 0, 4}}}},
    {"a match with one side empty counts for neither team",
     2,
     {{{"3", ""}, {"", "3"}, {"2", "1"}, {"abc", ""}, {"", "abc"}, {"", ""}}},
     {{{1, 0, 0, 3, 2, 1, 1, 1},
       {0, 0, 0, 0, 0, 0, 0, 2},
       {0, 1, 0, 0, 1, 2, -1, 4},
       {0, 0, 0, 0, 0, 0, 0, 2}}}},
    {"a negative home score loses to zero",
     3,
     {{{"-1", "0"}, {"", ""}, {"", ""}, {"", ""}, {"", ""}, {"", ""}}},
     {{{0, 1, 0, 0, -1, 0, -1, 4},
       {1, 0, 0, 3, 0, -1, 1, 1},
       {0, 0, 0, 0, 0, 0, 0, 2},
       {0, 0, 0, 0, 0, 0, 0, 2}}}},
    {"goal sums wrap around at 32 bits",
     5,
     {{{"2147483647", "0"}, {"", ""}, {"1", "0"}, {"", ""}, {"", ""}, {"", ""}}},
     {{{2, 0, 0, 6, -2147483648LL, 0, -2147483648LL, 3},
       {0, 1, 0, 0, 0, 2147483647, -2147483647, 4},
       {0, 1, 0, 0, 0, 1, -1, 2},
       {0, 0, 0, 0, 0, 0, 0, 1}}}},
    {"goal difference wraps around at 32 bits",
     6,
     {{{"2147483647", "-1"}, {"", ""}, {"", ""}, {"", ""}, {"", ""}, {"", ""}}},
     {{{1, 0, 0, 3, 2147483647, -1, -2147483648LL, 3},
       {0, 1, 0, 0, -1, 2147483647, -2147483648LL, 4},
       {0, 0, 0, 0, 0, 0, 0, 1},
       {0, 0, 0, 0, 0, 0, 0, 1}}}},
};

TEST(Standings, TablesFromScores) {
    for (const TableCase& c : kTables) {
        SCOPED_TRACE(c.rule);
        const GroupSpec& group = GroupByIndex(c.group);
        FakeGrid grid;
        CalculateGroup(group, FieldsFor(group, c.scores), grid);
        EXPECT_EQ(grid.Data(), AsTexts(c.expected));
    }
}

TEST(Standings, WorkedExampleKeys) {
    const GroupSpec& group = GroupByIndex(1);
    const Scores scores{{{"2", "0"}, {"1", "1"}, {"0", "1"}, {"3", "0"}, {"", ""}, {"1", "1"}}};
    const StandingsTable table =
        ComputeStandings(group, ReadGroupScores(group, FieldsFor(group, scores)));
    std::vector<std::int32_t> keys;
    for (const StandingsRow& row : table.rows)
        keys.push_back(RankingKey(row.points, row.goalDifference));
    EXPECT_EQ(keys, (std::vector<std::int32_t>{3051, 4051, 5051, 1047}));
}

TEST(Standings, EarlierContentsHaveNoInfluence) {
    const GroupSpec& group = GroupByIndex(2);
    const FakeFields fields =
        FieldsFor(group, {{{"2", "0"}, {"1", "1"}, {"", ""}, {"", ""}, {"", ""}, {"", ""}}});
    FakeGrid fresh;
    CalculateGroup(group, fields, fresh);
    FakeGrid stale;
    for (int c = 0; c <= 8; ++c) {
        for (int r = 0; r <= 4; ++r)
            stale.SetCellText(c, r, "stale");
    }
    CalculateGroup(group, fields, stale);
    CalculateGroup(group, fields, stale);
    EXPECT_EQ(stale.Data(), fresh.Data());
    // The header row and the name column are not the calculation's to touch.
    EXPECT_EQ(stale.CellText(0, 0), "stale");
    EXPECT_EQ(stale.CellText(0, 3), "stale");
    EXPECT_EQ(stale.CellText(5, 0), "stale");
}

struct FailureCase {
    const char* rule;
    Scores scores;
    std::string reported;
};

const std::vector<FailureCase> kFailures{
    {"blanks only are not empty and must convert",
     {{{"1", "0"}, {"   ", "2"}, {"", ""}, {"", ""}, {"", ""}, {"", ""}}},
     "   "},
    {"with two bad texts the home one is reported",
     {{{"1", "0"}, {"", ""}, {"x", "y"}, {"", ""}, {"", ""}, {"", ""}}},
     "x"},
    {"the first bad text in processing order is reported",
     {{{"1", "0"}, {"2", "b"}, {"", ""}, {"", ""}, {"", ""}, {"a", "1"}}},
     "b"},
    {"a bad text behind an empty side is never read",
     {{{"q", ""}, {"", ""}, {"", ""}, {"", ""}, {"", ""}, {"2a", "1"}}},
     "2a"},
    {"full-width digits are not a score",
     {{{"３", "1"}, {"", ""}, {"", ""}, {"", ""}, {"", ""}, {"", ""}}},
     "３"},
};

TEST(Standings, BadScoreLeavesTheGridAsItWas) {
    const GroupSpec& group = GroupByIndex(6);
    for (const FailureCase& c : kFailures) {
        SCOPED_TRACE(c.rule);
        FakeGrid grid;
        const FakeFields good = FieldsFor(
            group, {{{"2", "0"}, {"1", "1"}, {"0", "1"}, {"3", "0"}, {"", ""}, {"1", "1"}}});
        CalculateGroup(group, good, grid);
        const auto before = grid.Data();
        try {
            CalculateGroup(group, FieldsFor(group, c.scores), grid);
            ADD_FAILURE() << "no error raised";
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.what(), "'" + c.reported + "' は整数ではありません");
        }
        EXPECT_EQ(grid.Data(), before);
    }
}

TEST(Standings, BadScoreOnTheFirstPressLeavesEmptyCellsEmpty) {
    const GroupSpec& group = GroupByIndex(1);
    FakeGrid grid;
    const FakeFields fields =
        FieldsFor(group, {{{"2a", "1"}, {"", ""}, {"", ""}, {"", ""}, {"", ""}, {"", ""}}});
    EXPECT_THROW(CalculateGroup(group, fields, grid), EConvertError);
    EXPECT_EQ(grid.Data(), FakeGrid{}.Data());
}

}  // namespace
}  // namespace palvoren
