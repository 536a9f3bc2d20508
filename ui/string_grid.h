// A read-only table of 9 x 5 text cells showing one group's standings: row 0 and column 0 are fixed
// header cells, columns 1-8 of rows 1-4 are data cells. A text of any length is stored whole and
// only clipped when drawn.
//
// It is Qt's table view: row 0 its column headers, the team names of column 0 its first column, so
// that a screen reader reading a row reads the team with it, and the corner is that column's
// header. The current cell and the selection stay among the data cells. With the standings widths
// the cells, each with a one-pixel line after it, fill the frame inside its 2-pixel sunken border
// exactly, and nothing scrolls. Cells cannot be edited. The grid takes the focus only by a click,
// never by Tab; keys it does not use (Tab, Ctrl+Tab, Enter, typing) pass on to the parent
// unchanged. On getting the focus it tells assistive tools which cell is current.
//
// Held here, where the view does otherwise:
// - Ctrl+arrows and Ctrl+Page Up/Down go to the table's edges (moveCursor), not one cell or page.
// - The selection is one rectangle, whoever asks for it (keys, mouse, assistive tools); Shift
//   stretches it from the anchor, and Ctrl+click is a plain click rather than a toggle.
// - A drag off the cells reaches the nearest data cell, the right button moves nothing, and the
//   wheel moves the current cell one row, over the headers too.
// - The look: raised header cells ruled in black, data cells in silver, every line a whole number
//   of device pixels at any display scale, text 2 pixels in.
#pragma once

#include <QTableWidget>
#include <string_view>

#include "standings/standings.h"

namespace palvoren {

class StringGrid : public QTableWidget, public CellGrid {
    Q_OBJECT

public:
    static constexpr int kColumnCount = 9;
    static constexpr int kRowCount = 5;
    static constexpr int kRowHeight = 24;
    static constexpr int kGridLineWidth = 1;

    explicit StringGrid(QWidget* parent = nullptr);

    // Cells by column 0-8 and row 0-4, written as UTF-8; out of range, std::out_of_range.
    void SetCellText(int column, int row, std::string_view text) override;

    // Column widths in pixels without the line after each; 64 until set, clamped into 0-4096.
    void SetColumnWidth(int column, int width);

    // Typing never moves the current cell to a matching text.
    void keyboardSearch(const QString& search) override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int wheelRemainder_ = 0;
    // The current cell while the grid has no focus, when the view has none: assistive tools take
    // the view's current cell for the focused one.
    QPersistentModelIndex kept_;
};

}  // namespace palvoren
