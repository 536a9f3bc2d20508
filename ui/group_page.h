// One group's page: six match captions, twelve score fields, the two round-of-16 captions, the
// 計算 button and the standings grid, placed from the fixture and layout tables.
//
// The page's focus order is its twelve fields by display line, home before away, then the button;
// the grid follows the button but is no tab stop.
#pragma once

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
    GroupPage(int groupIndex, QWidget* parent = nullptr);

    int GroupIndex() const { return groupIndex_; }
    const GroupSpec& Group() const;

    // The fields in tab order: display line 1 home, line 1 away, line 2 home, ...
    const std::array<ScoreField*, 2 * kMatchesPerGroup>& FieldsInTabOrder() const {
        return fields_;
    }
    ScoreField* FirstField() const { return fields_.front(); }
    CalcButton* Button() const { return button_; }
    StringGrid* Grid() const { return grid_; }

    // The page's controls in focus order, grid last.
    QWidgetList FocusOrder() const;

    // Column widths, team names and the header row of the standings grid.
    void SetUpGrid();

private:
    void AddCaption(std::string_view name, std::string_view text, QPoint position);
    void AddMatch(const MatchSpec& match);
    ScoreField* AddField(const MatchSpec& match, Side side);

    int groupIndex_;
    std::array<ScoreField*, 2 * kMatchesPerGroup> fields_{};
    CalcButton* button_ = nullptr;
    StringGrid* grid_ = nullptr;
};

}  // namespace palvoren
