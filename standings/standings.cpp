#include "standings/standings.h"

#include <algorithm>

#include "standings/int_text.h"

namespace palvoren {
namespace {

// Signed overflow is undefined in C++; the sums must wrap like 32-bit machine arithmetic, so they
// are formed in 64 bits, where none can overflow, and cut back to 32 (well defined since C++20).
std::int32_t Wrap(std::int64_t value) {
    return static_cast<std::int32_t>(value);
}

// A team plays three matches, so the counts of results cannot overflow; the goals can.
void CountMatch(StandingsRow& home, StandingsRow& away, MatchScore score) {
    if (score.home > score.away) {
        ++home.wins;
        ++away.losses;
    } else if (score.home < score.away) {
        ++home.losses;
        ++away.wins;
    } else {
        ++home.draws;
        ++away.draws;
    }
    home.goalsFor = Wrap(std::int64_t{home.goalsFor} + score.home);
    home.goalsAgainst = Wrap(std::int64_t{home.goalsAgainst} + score.away);
    away.goalsFor = Wrap(std::int64_t{away.goalsFor} + score.away);
    away.goalsAgainst = Wrap(std::int64_t{away.goalsAgainst} + score.home);
}

// One entry of the ranking step: a grid row 1-4, its ranking key and the rank it ends with.
struct RankEntry {
    int row;
    std::int32_t key;
    std::int32_t rank;
};

// Stable, so tied teams keep their fixture order; a tie then takes the rank of the first of them.
void Rank(std::array<RankEntry, kTeamsPerGroup>& entries) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const RankEntry& a, const RankEntry& b) { return a.key > b.key; });
    for (std::size_t p = 0; p < entries.size(); ++p) {
        const bool tied = p > 0 && entries[p].key == entries[p - 1].key;
        entries[p].rank = tied ? entries[p - 1].rank : static_cast<std::int32_t>(p) + 1;
    }
}

// Columns 1-8 of rows 1-4.
void WriteStandings(const StandingsTable& table, CellGrid& grid) {
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const auto columns = table.rows[r].Columns();
        for (std::size_t c = 0; c < columns.size(); ++c) {
            grid.SetCellText(static_cast<int>(c) + 1, static_cast<int>(r) + 1,
                             IntToText(columns[c]));
        }
    }
}

}  // namespace

std::array<std::int32_t, 8> StandingsRow::Columns() const {
    return {wins, losses, draws, points, goalsFor, goalsAgainst, goalDifference, rank};
}

std::int32_t RankingKey(std::int32_t points, std::int32_t goalDifference) {
    return Wrap(std::int64_t{1000} * points + goalDifference + 50);
}

GroupScores ReadGroupScores(const GroupSpec& group, const ScoreFields& fields) {
    GroupScores scores{};
    for (std::size_t m = 0; m < group.matches.size(); ++m) {
        const MatchSpec& match = group.matches[m];
        const std::string home = fields.FieldText(match.homeField);
        if (home.empty())
            continue;
        const std::string away = fields.FieldText(match.awayField);
        if (away.empty())
            continue;
        const std::int32_t x = TextToInt(home);
        scores[m] = MatchScore{x, TextToInt(away)};
    }
    return scores;
}

StandingsTable ComputeStandings(const GroupSpec& group, const GroupScores& scores) {
    StandingsTable table{};
    for (std::size_t m = 0; m < group.matches.size(); ++m) {
        if (!scores[m])
            continue;
        const MatchSpec& match = group.matches[m];
        CountMatch(table.rows[static_cast<std::size_t>(match.homeRow - 1)],
                   table.rows[static_cast<std::size_t>(match.awayRow - 1)], *scores[m]);
    }
    std::array<RankEntry, kTeamsPerGroup> entries{};
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        StandingsRow& row = table.rows[r];
        row.points = 3 * row.wins + row.draws;
        row.goalDifference = Wrap(std::int64_t{row.goalsFor} - row.goalsAgainst);
        const auto position = static_cast<std::int32_t>(r) + 1;
        entries[r] = {position, RankingKey(row.points, row.goalDifference), position};
    }
    Rank(entries);
    for (const RankEntry& entry : entries) {
        table.rows[static_cast<std::size_t>(entry.row - 1)].rank = entry.rank;
    }
    return table;
}

void CalculateGroup(const GroupSpec& group, const ScoreFields& fields, CellGrid& grid) {
    // Converting every text first means a bad score can no longer leave a half-written table.
    const GroupScores scores = ReadGroupScores(group, fields);
    WriteStandings(ComputeStandings(group, scores), grid);
}

}  // namespace palvoren
