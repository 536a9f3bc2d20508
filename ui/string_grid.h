// A read-only table of 9 x 5 text cells showing one group's standings: row 0 and column 0 are fixed
// header cells, columns 1-8 of rows 1-4 are data cells.
//
// The grid paints itself: every column and row followed by a one-pixel line, inside a two-pixel
// sunken border, so with the standings widths the whole table fills the 465 x 129 frame exactly and
// nothing ever scrolls. Cells cannot be edited. The grid takes the focus only by a click, never by
// Tab; with the focus it moves its current cell among the data cells with the navigation keys and
// the wheel, and Shift or a drag extends the selection from the anchor cell. Keys it does not use
// (Tab, Ctrl+Tab, Enter, letters) pass on to the parent unchanged.
//
// A text of any length is stored whole and only clipped when drawn.
//
// The grid describes itself to assistive tools as a table of the 8 x 4 data cells whose column
// headers are row 0 and row headers column 0 (ui/grid_accessible.h).
#pragma once

#include <QFrame>
#include <QPoint>
#include <QRect>
#include <QString>
#include <array>
#include <string>
#include <string_view>

#include "standings/standings.h"

class QPainter;

namespace palvoren {

class StringGrid : public QFrame, public CellGrid {
    Q_OBJECT

public:
    static constexpr int kColumnCount = 9;
    static constexpr int kRowCount = 5;
    static constexpr int kRowHeight = 24;
    static constexpr int kGridLineWidth = 1;
    static constexpr int kBorderWidth = 2;

    explicit StringGrid(QWidget* parent = nullptr);

    // Cells by column 0-8 and row 0-4, as UTF-8. Out-of-range cells throw std::out_of_range.
    std::string CellText(int column, int row) const override;
    void SetCellText(int column, int row, std::string_view text) override;
    QString Cell(int column, int row) const;

    // Column widths in pixels, without the line that follows each column; 64 until set. A width
    // outside 0-4096 is clamped into it, so the table's extent always fits in an int.
    void SetColumnWidth(int column, int width);
    int ColumnWidth(int column) const;

    // The current cell as (column, row) and the selected range of data cells, in cell coordinates.
    QPoint CurrentCell() const;
    QRect Selection() const;

    // Where a cell is drawn, in the grid's own coordinates (border included), without its lines.
    QRect CellRect(int column, int row) const;

    // The cell under a point in the grid's coordinates, the line after a cell counting as part of
    // it; (-1, -1) outside the table.
    QPoint CellAt(const QPoint& position) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    struct CellContent {
        std::string utf8;  // exactly as written, so CellText gives back every byte
        QString shown;
    };

    static void CheckCell(int column, int row);
    int ColumnLeft(int column) const;
    int ColumnAtX(int x) const;
    int RowAtY(int y) const;
    QPoint ClampedDataCell(const QPoint& position) const;
    void MoveCurrent(QPoint cell, bool extend);
    void PaintCell(QPainter& painter, int column, int row) const;
    void PaintLines(QPainter& painter, int column, int row) const;

    std::array<CellContent, kColumnCount * kRowCount> cells_;
    std::array<int, kColumnCount> widths_;
    QPoint current_{1, 1};
    QPoint anchor_{1, 1};
    bool dragging_ = false;
    int wheelRemainder_ = 0;
};

}  // namespace palvoren
