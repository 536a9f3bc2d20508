// The standings of one group, worked out from the twelve score texts of its six matches.
//
// A match counts only when both of its texts are non-empty (a text of blanks is not empty and must
// convert). Every text is converted before anything is written: a text that is not an integer
// raises EConvertError for the first such text in processing order (home before away) and leaves
// the grid exactly as it was. A successful calculation rewrites all 32 data cells. All arithmetic
// is signed 32-bit and wraps around on overflow.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tournament/fixture_table.h"

namespace palvoren {

// Read access to the score fields, by field number 1-96.
class ScoreFields {
public:
    virtual ~ScoreFields() = default;
    virtual std::string FieldText(int fieldNumber) const = 0;
};

// Text cells of a standings grid by column 0-8 and row 0-4. The calculation writes only columns 1-8
// of rows 1-4.
class CellGrid {
public:
    virtual ~CellGrid() = default;
    virtual void SetCellText(int column, int row, std::string_view text) = 0;
};

// One team's statistics; Columns() gives them in grid column order 1-8.
struct StandingsRow {
    std::int32_t wins = 0;
    std::int32_t losses = 0;
    std::int32_t draws = 0;
    std::int32_t points = 0;
    std::int32_t goalsFor = 0;
    std::int32_t goalsAgainst = 0;
    std::int32_t goalDifference = 0;
    std::int32_t rank = 0;

    std::array<std::int32_t, 8> Columns() const;
};

// Rows in fixture order: rows[0] is grid row 1.
struct StandingsTable {
    std::array<StandingsRow, kTeamsPerGroup> rows;
};

// A counted match's goals, home then away.
struct MatchScore {
    std::int32_t home;
    std::int32_t away;
};

using GroupScores = std::array<std::optional<MatchScore>, kMatchesPerGroup>;

// 1000 x points + goal difference + 50, wrapping around like every other sum.
std::int32_t RankingKey(std::int32_t points, std::int32_t goalDifference);

// The converted scores of the group's matches in processing order; a match with an empty side is
// left out. Throws EConvertError for the first text that is not an integer.
GroupScores ReadGroupScores(const GroupSpec& group, const ScoreFields& fields);

// The table for the given scores. Pure; cannot fail.
StandingsTable ComputeStandings(const GroupSpec& group, const GroupScores& scores);

// Reads the group's score fields, computes its table and writes it into the grid.
void CalculateGroup(const GroupSpec& group, const ScoreFields& fields, CellGrid& grid);

}  // namespace palvoren
