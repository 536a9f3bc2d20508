#include "tournament/fixture_table.h"

#include <stdexcept>
#include <string>

namespace palvoren {
namespace {

// Captions are typed out rather than composed from the team names: two of them (F line 2, H line 1)
// lack the padding after a three-character date, and the page must show them as they are.
constexpr std::array<GroupSpec, kGroupCount> kGroups{{
    {
        'A',
        "TabSheet1",
        "グループA",
        "Button1",
        "StringGrid1",
        {"フランス", "セネガル", "ウルグアイ", "デンマーク"},
        {{
            {1, 2, 1, 2, 1, "Label1", "5/31 20:30 フランスｘセネガル"},
            {3, 4, 3, 4, 2, "Label2", "6/1  18:00 ウルグアイｘデンマーク"},
            {1, 3, 35, 36, 3, "Label18", "6/6  15:30 フランスｘウルグアイ"},
            {2, 4, 37, 38, 4, "Label19", "6/6  20:30 セネガルｘデンマーク"},
            {1, 4, 65, 66, 5, "Label33", "6/11 15:30 フランスｘデンマーク"},
            {2, 3, 67, 68, 6, "Label34", "6/11 15:30 セネガルｘウルグアイ"},
        }},
        {"Label49", "グループA　１位ｘグループF　２位"},
        {"Label50", "グループA　２位ｘグループF　１位"},
    },
    {
        'B',
        "TabSheet2",
        "グループB",
        "Button2",
        "StringGrid2",
        {"スペイン", "スロベニア", "パラグアイ", "南アフリカ"},
        {{
            {1, 2, 11, 12, 2, "Label6", "6/2  20:30 スペインｘスロベニア"},
            {3, 4, 9, 10, 1, "Label5", "6/2  16:30 パラグアイｘ南アフリカ"},
            {1, 3, 45, 46, 3, "Label23", "6/7  18:00 スペインｘパラグアイ"},
            {2, 4, 47, 48, 4, "Label24", "6/8  15:30 スロベニアｘ南アフリカ"},
            {1, 4, 77, 78, 5, "Label39", "6/12 20:30 スペインｘ南アフリカ"},
            {2, 3, 79, 80, 6, "Label40", "6/12 20:30 スロベニアｘパラグアイ"},
        }},
        {"Label51", "グループB　１位ｘグループE　２位"},
        {"Label58", "グループB　２位ｘグループE　１位"},
    },
    {
        'C',
        "TabSheet3",
        "グループC",
        "Button3",
        "StringGrid3",
        {"ブラジル", "トルコ", "中国", "コスタリカ"},
        {{
            {1, 2, 21, 22, 1, "Label11", "6/3  18:00 ブラジルｘトルコ"},
            {3, 4, 23, 24, 2, "Label12", "6/4  15:30 中国ｘコスタリカ"},
            {1, 3, 51, 52, 3, "Label26", "6/8  20:30 ブラジルｘ中国"},
            {2, 4, 55, 56, 4, "Label28", "6/9  18:00 トルコｘコスタリカ"},
            {1, 4, 81, 82, 5, "Label41", "6/13 15:30 ブラジルｘコスタリカ"},
            {2, 3, 83, 84, 6, "Label42", "6/13 15:30 トルコｘ中国"},
        }},
        {"Label52", "グループC　１位ｘグループH　２位"},
        {"Label62", "グループC　２位ｘグループH　１位"},
    },
    {
        'D',
        "TabSheet4",
        "グループD",
        "Button4",
        "StringGrid4",
        {"韓国", "ポーランド", "アメリカ", "ポルトガル"},
        {{
            {1, 2, 25, 26, 1, "Label13", "6/4  20:30 韓国ｘポーランド"},
            {3, 4, 31, 32, 2, "Label16", "6/5  18:00 アメリカｘポルトガル"},
            {1, 3, 59, 60, 3, "Label30", "6/10 15:30 韓国ｘアメリカ"},
            {2, 4, 61, 62, 4, "Label31", "6/10 20:30 ポーランドｘポルトガル"},
            {1, 4, 93, 94, 5, "Label47", "6/14 20:30 韓国ｘポルトガル"},
            {2, 3, 95, 96, 6, "Label48", "6/14 20:30 ポーランドｘアメリカ"},
        }},
        {"Label53", "グループD　１位ｘグループG　２位"},
        {"Label59", "グループD　２位ｘグループG　１位"},
    },
    {
        'E',
        "TabSheet5",
        "グループE",
        "Button5",
        "StringGrid5",
        {"ドイツ", "サウジアラビア", "アイルランド", "カメルーン"},
        {{
            {1, 2, 7, 8, 2, "Label4", "6/1  20:30 ドイツｘサウジアラビア"},
            {3, 4, 5, 6, 1, "Label3", "6/1  15:30 アイルランドｘカメルーン"},
            {1, 3, 33, 34, 3, "Label17", "6/5  20:30 ドイツｘアイルランド"},
            {2, 4, 39, 40, 4, "Label20", "6/6  18:00 サウジアラビアｘカメルーン"},
            {1, 4, 69, 70, 5, "Label35", "6/11 20:30 ドイツｘカメルーン"},
            {2, 3, 71, 72, 6, "Label36", "6/11 20:30 サウジアラビアｘアイルランド"},
        }},
        {"Label54", "グループE　１位ｘグループB　２位"},
        {"Label63", "グループE　２位ｘグループB　１位"},
    },
    {
        'F',
        "TabSheet6",
        "グループF",
        "Button6",
        "StringGrid6",
        {"アルゼンチン", "ナイジェリア", "イングランド", "スウェーデン"},
        {{
            {1, 2, 15, 16, 2, "Label8", "6/2 18:30 アルゼンチンｘナイジェリア"},
            {3, 4, 13, 14, 1, "Label7", "6/2  14:30 イングランドｘスウェーデン"},
            {1, 3, 43, 44, 4, "Label22", "6/7  20:30 アルゼンチンｘイングランド"},
            {2, 4, 41, 42, 3, "Label21", "6/7  15:30 ナイジェリアｘスウェーデン"},
            {1, 4, 73, 74, 5, "Label37", "6/12 15:30 アルゼンチンｘスウェーデン"},
            {2, 3, 75, 76, 6, "Label38", "6/12 15:30 ナイジェリアｘイングランド"},
        }},
        {"Label55", "グループF　１位ｘグループA　２位"},
        {"Label60", "グループF　２位ｘグループA　１位"},
    },
    {
        'G',
        "TabSheet7",
        "グループG",
        "Button7",
        "StringGrid7",
        {"イタリア", "エクアドル", "クロアチア", "メキシコ"},
        {{
            {1, 2, 19, 20, 2, "Label10", "6/3  20:30 イタリアｘエクアドル"},
            {3, 4, 17, 18, 1, "Label9", "6/3  15:30 クロアチアｘメキシコ"},
            {1, 3, 49, 50, 3, "Label25", "6/8  18:00 イタリアｘクロアチア"},
            {2, 4, 53, 54, 4, "Label27", "6/9  15:30 エクアドルｘメキシコ"},
            {1, 4, 85, 86, 5, "Label43", "6/13 20:30 イタリアｘメキシコ"},
            {2, 3, 87, 88, 6, "Label44", "6/13 20:30 エクアドルｘクロアチア"},
        }},
        {"Label56", "グループG　１位ｘグループD　２位"},
        {"Label64", "グループG　２位ｘグループD　１位"},
    },
    {
        'H',
        "TabSheet8",
        "グループH",
        "Button8",
        "StringGrid8",
        {"日本", "ベルギー", "ロシア", "チュニジア"},
        {{
            {1, 2, 27, 28, 1, "Label14", "6/4 18:00 日本ｘベルギー"},
            {3, 4, 29, 30, 2, "Label15", "6/5  15:30 ロシアｘチュニジア"},
            {1, 3, 57, 58, 3, "Label29", "6/9  20:30 日本ｘロシア"},
            {2, 4, 63, 64, 4, "Label32", "6/10 18:00 ベルギーｘチュニジア"},
            {1, 4, 89, 90, 5, "Label45", "6/14 15:30 日本ｘチュニジア"},
            {2, 3, 91, 92, 6, "Label46", "6/14 15:30 ベルギーｘロシア"},
        }},
        {"Label57", "グループH　１位ｘグループC　２位"},
        {"Label61", "グループH　２位ｘグループC　１位"},
    },
}};

// Field number -> location, built once at compile time from the table above so that the two can
// never disagree.
constexpr std::array<FieldLocation, kScoreFieldCount + 1> BuildFieldIndex() {
    std::array<FieldLocation, kScoreFieldCount + 1> index{};
    for (int g = 0; g < kGroupCount; ++g) {
        for (int m = 0; m < kMatchesPerGroup; ++m) {
            const MatchSpec& match = kGroups[g].matches[m];
            index[match.homeField] = {g + 1, m, Side::Home};
            index[match.awayField] = {g + 1, m, Side::Away};
        }
    }
    return index;
}

constexpr std::array<FieldLocation, kScoreFieldCount + 1> kFieldIndex = BuildFieldIndex();

}  // namespace

const GroupSpec& GroupByIndex(int groupIndex) {
    if (groupIndex < 1 || groupIndex > kGroupCount) {
        throw std::out_of_range("group index out of range: " + std::to_string(groupIndex));
    }
    return kGroups[static_cast<std::size_t>(groupIndex - 1)];
}

FieldLocation LocateField(int fieldNumber) {
    if (fieldNumber < 1 || fieldNumber > kScoreFieldCount) {
        throw std::out_of_range("score field number out of range: " + std::to_string(fieldNumber));
    }
    return kFieldIndex[static_cast<std::size_t>(fieldNumber)];
}

std::string_view MatchKickOff(const MatchSpec& match) {
    // The team names never contain an ASCII blank, so the last one ends the time.
    std::string_view caption = match.captionText;
    return caption.substr(0, caption.rfind(' '));
}

}  // namespace palvoren
