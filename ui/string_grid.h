// A read-only table of 9 x 5 text cells showing one group's standings: row 0 and column 0 are fixed
// header cells, columns 1-8 of rows 1-4 are data cells. A text of any length is stored whole and
// only clipped when drawn.
//
// It is Qt's table view, the data cells its items and the headers its header views, so the current
// cell and the selection stay among the data cells, and assistive tools see a table with its column
// and row headers. With the standings widths the cells, each with a one-pixel line after it, fill
// the frame inside its 2-pixel sunken border exactly, and nothing scrolls. Cells cannot be edited.
// The grid takes the focus only by a click, never by Tab; keys it does not use (Tab, Ctrl+Tab,
// Enter, typing) pass on to the parent unchanged.
//
// Held here, where the view does otherwise:
// - Ctrl+arrows and Ctrl+Page Up/Down go to the table's edges (moveCursor), not one cell or page.
// - The selection is one rectangle from the anchor, which Shift stretches (selectionCommand); the
//   view would keep it on Ctrl+arrows and toggle cells on Ctrl+click.
// - A drag off the cells reaches the nearest data cell, the right button moves nothing, and the
//   wheel moves the current cell one row, over the headers too.
// - The look: raised header cells ruled in black, data cells in silver, text 2 pixels in, and the
//   "-" in the corner, whose button in the view draws no text.
#pragma once

#include <QTableWidget>
#include <memory>
#include <string>
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

    // Cells by column 0-8 and row 0-4, written as UTF-8. Out-of-range cells throw
    // std::out_of_range.
    void SetCellText(int column, int row, std::string_view text) override;
    QString Cell(int column, int row) const;

    // Column widths in pixels without the line after each; 64 until set, clamped into 0-4096.
    void SetColumnWidth(int column, int width);

    // Typing never moves the current cell to a matching text.
    void keyboardSearch(const QString& search) override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QTableWidgetItem* ItemAt(int column, int row) const;

    std::unique_ptr<QTableWidgetItem> corner_;  // cell (0, 0), which no header view holds
    QWidget* cornerButton_ = nullptr;
    int wheelRemainder_ = 0;
};

}  // namespace palvoren
