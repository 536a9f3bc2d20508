#include "tournament/fixture_table.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace palvoren {
namespace {

const std::string kVs = "ｘ";  // U+FF58, the separator between the two team names

std::vector<GroupSpec> AllGroups() {
    std::vector<GroupSpec> groups;
    for (int g = 1; g <= kGroupCount; ++g)
        groups.push_back(GroupByIndex(g));
    return groups;
}

TEST(FixtureTable, EveryScoreFieldIsOneSideOfExactlyOneMatch) {
    std::multiset<int> fields;
    for (const GroupSpec& group : AllGroups()) {
        for (const MatchSpec& match : group.matches) {
            fields.insert(match.homeField);
            fields.insert(match.awayField);
        }
    }
    ASSERT_EQ(fields.size(), 96u);
    for (int n = 1; n <= 96; ++n)
        EXPECT_EQ(fields.count(n), 1u) << "field " << n;
}

TEST(FixtureTable, CaptionNamesTheHomeThenTheAwayTeam) {
    for (const GroupSpec& group : AllGroups()) {
        for (const MatchSpec& match : group.matches) {
            const std::string caption(match.captionText);
            const std::string home(group.teams[static_cast<std::size_t>(match.homeRow - 1)]);
            const std::string away(group.teams[static_cast<std::size_t>(match.awayRow - 1)]);
            const std::size_t vs = caption.find(kVs);
            ASSERT_NE(vs, std::string::npos) << caption;
            const std::size_t nameStart = caption.rfind(' ', vs) + 1;
            EXPECT_EQ(caption.substr(nameStart, vs - nameStart), home) << caption;
            EXPECT_EQ(caption.substr(vs + kVs.size()), away) << caption;
            EXPECT_EQ(std::string(MatchKickOff(match)) + " " + home, caption.substr(0, vs));
        }
    }
}

TEST(FixtureTable, EveryGroupProcessesTheSameRowPairs) {
    const std::vector<std::pair<int, int>> expected{{1, 2}, {3, 4}, {1, 3}, {2, 4}, {1, 4}, {2, 3}};
    for (const GroupSpec& group : AllGroups()) {
        std::vector<std::pair<int, int>> pairs;
        for (const MatchSpec& match : group.matches)
            pairs.emplace_back(match.homeRow, match.awayRow);
        EXPECT_EQ(pairs, expected) << "group " << group.letter;
    }
}

TEST(FixtureTable, DisplayLinesFollowTheMatchdays) {
    for (const GroupSpec& group : AllGroups()) {
        std::set<int> lines;
        for (const MatchSpec& match : group.matches) {
            lines.insert(match.line);
            const int matchday = (match.line + 1) / 2;  // lines 1-2, 3-4, 5-6
            const int first = 1 + 32 * (matchday - 1);
            for (int field : {match.homeField, match.awayField}) {
                EXPECT_GE(field, first) << "group " << group.letter << " line " << match.line;
                EXPECT_LT(field, first + 32) << "group " << group.letter << " line " << match.line;
            }
        }
        EXPECT_EQ(lines, (std::set<int>{1, 2, 3, 4, 5, 6})) << "group " << group.letter;
    }
}

TEST(FixtureTable, ProcessingOrderDiffersFromDisplayOrderOnlyWhereTheDatesSaySo) {
    const std::vector<std::pair<char, std::vector<int>>> expected{
        {'A', {1, 2, 3, 4, 5, 6}}, {'B', {2, 1, 3, 4, 5, 6}}, {'C', {1, 2, 3, 4, 5, 6}},
        {'D', {1, 2, 3, 4, 5, 6}}, {'E', {2, 1, 3, 4, 5, 6}}, {'F', {2, 1, 4, 3, 5, 6}},
        {'G', {2, 1, 3, 4, 5, 6}}, {'H', {1, 2, 3, 4, 5, 6}},
    };
    for (const auto& [letter, lines] : expected) {
        const GroupSpec& group = GroupByIndex(letter - 'A' + 1);
        ASSERT_EQ(group.letter, letter);
        std::vector<int> actual;
        for (const MatchSpec& match : group.matches)
            actual.push_back(match.line);
        EXPECT_EQ(actual, lines) << "group " << letter;
    }
}

TEST(FixtureTable, GroupFReadsItsFieldsInProcessingOrder) {
    std::vector<std::pair<int, int>> fields;
    for (const MatchSpec& match : GroupByIndex(6).matches) {
        fields.emplace_back(match.homeField, match.awayField);
    }
    EXPECT_EQ(fields, (std::vector<std::pair<int, int>>{
                          {15, 16}, {13, 14}, {43, 44}, {41, 42}, {73, 74}, {75, 76}}));
}

TEST(FixtureTable, TextsKeepTheirExactBytes) {
    // Two captions lack the padding after a three-character date; the rest pad to five characters.
    EXPECT_EQ(GroupByIndex(6).matches[0].captionText, "6/2 18:30 アルゼンチンｘナイジェリア");
    EXPECT_EQ(GroupByIndex(8).matches[0].captionText, "6/4 18:00 日本ｘベルギー");
    EXPECT_EQ(GroupByIndex(1).matches[1].captionText, "6/1  18:00 ウルグアイｘデンマーク");
    // Ideographic space and full-width digits in the round-of-16 captions.
    EXPECT_EQ(GroupByIndex(1).upper.text,
              "\xE3\x82\xB0\xE3\x83\xAB\xE3\x83\xBC\xE3\x83\x97"
              "A\xE3\x80\x80\xEF\xBC\x91\xE4\xBD\x8D\xEF\xBD\x98"
              "\xE3\x82\xB0\xE3\x83\xAB\xE3\x83\xBC\xE3\x83\x97"
              "F\xE3\x80\x80\xEF\xBC\x92\xE4\xBD\x8D");
    EXPECT_EQ(GroupByIndex(2).lower.label, "Label58");
    EXPECT_EQ(GroupByIndex(3).page, "TabSheet3");
    EXPECT_EQ(GroupByIndex(8).grid, "StringGrid8");
    EXPECT_EQ(GroupByIndex(5).teams[1], "サウジアラビア");
}

TEST(FixtureTable, RoundOf16CaptionsPairPartnerGroups) {
    const std::string partners = "FEHGBADC";  // partner of A, B, ... H
    for (const GroupSpec& group : AllGroups()) {
        const char partner = partners[static_cast<std::size_t>(group.letter - 'A')];
        const std::string own = "グループ" + std::string(1, group.letter) + "　";
        const std::string other = "グループ" + std::string(1, partner) + "　";
        EXPECT_EQ(group.upper.text, own + "１位" + kVs + other + "２位");
        EXPECT_EQ(group.lower.text, own + "２位" + kVs + other + "１位");
    }
}

TEST(FixtureTable, LocateFieldAgreesWithTheTable) {
    for (int n = 1; n <= 96; ++n) {
        const FieldLocation where = LocateField(n);
        const MatchSpec& match =
            GroupByIndex(where.groupIndex).matches[static_cast<std::size_t>(where.matchIndex)];
        EXPECT_EQ(where.side == Side::Home ? match.homeField : match.awayField, n);
    }
    EXPECT_EQ(LocateField(44).groupIndex, 6);
    EXPECT_EQ(LocateField(44).matchIndex, 2);
    EXPECT_EQ(LocateField(44).side, Side::Away);
}

TEST(FixtureTable, LookupsRejectNumbersOutsideTheTable) {
    for (int bad : {0, 9, -1})
        EXPECT_THROW(GroupByIndex(bad), std::out_of_range) << bad;
    for (int bad : {0, 97, -5})
        EXPECT_THROW(LocateField(bad), std::out_of_range) << bad;
}

}  // namespace
}  // namespace palvoren
