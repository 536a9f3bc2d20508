// One group's page: six match captions, twelve score fields, the two round-of-16 captions, the
// 計算 button and the standings grid, placed from the fixture and layout tables.
//
// The controls are built once the event loop runs, or before when one of them is asked for; until
// then the page keeps its field texts, and its grid is set up when it is built, so the window shows
// with only the front page built. Whatever is asked, the answers are those of a fully built page.
//
// The page's focus order is its twelve fields by display line, home before away, then the button;
// the grid follows the button but is no tab stop.
#pragma once

#include <QString>
#include <QWidget>
#include <array>

#include "tournament/fixture_table.h"

namespace palvoren {

class CalcButton;
class ScoreField;
class StringGrid;

class GroupPage : public QWidget {
    Q_OBJECT

public:
    static constexpr int kFieldCount = 2 * kMatchesPerGroup;

    GroupPage(int groupIndex, QWidget* parent = nullptr);

    const GroupSpec& Group() const;

    // Texts of the page's score fields by field number; they do not build the page.
    QString FieldText(int fieldNumber) const;
    void SetFieldText(int fieldNumber, const QString& text);

    // The controls; each builds the page if it is not built yet.
    ScoreField* Field(int fieldNumber);
    ScoreField* FirstField();
    CalcButton* Button();
    StringGrid* Grid();
    void EnsureBuilt();

signals:
    // The page's 計算 button was pressed.
    void CalculatePressed();

private:
    void Build();
    void AddCaption(std::string_view name, std::string_view text, QPoint position);
    void AddMatch(const MatchSpec& match);
    ScoreField* AddField(const MatchSpec& match, Side side);
    void LinkFocusOrder();
    // Column widths, team names and the header row of the standings grid.
    void SetUpGrid();
    static std::size_t SlotOf(int fieldNumber);  // display line 1 home = 0, line 1 away = 1, ...

    int groupIndex_;
    bool built_ = false;
    std::array<QString, kFieldCount> pendingTexts_;
    std::array<ScoreField*, kFieldCount> fields_{};  // in tab order
    CalcButton* button_ = nullptr;
    StringGrid* grid_ = nullptr;
};

}  // namespace palvoren
