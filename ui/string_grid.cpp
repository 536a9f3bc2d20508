#include "ui/string_grid.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <optional>
#include <stdexcept>

#include "ui/grid_accessible.h"
#include "ui/utf8.h"

namespace palvoren {
namespace {

constexpr int kFirstData = 1;
constexpr int kLastColumn = StringGrid::kColumnCount - 1;
constexpr int kLastRow = StringGrid::kRowCount - 1;
constexpr int kDefaultWidth = 64;
constexpr int kMaxWidth = 4096;
constexpr int kWheelNotch = 120;

int CellIndex(int column, int row) {
    return row * StringGrid::kColumnCount + column;
}

// Where a navigation key sends the current cell; the whole table is one page.
std::optional<QPoint> KeyTarget(int key, bool ctrl, QPoint cell) {
    switch (key) {
        case Qt::Key_Left:
            return QPoint(ctrl ? kFirstData : cell.x() - 1, cell.y());
        case Qt::Key_Right:
            return QPoint(ctrl ? kLastColumn : cell.x() + 1, cell.y());
        case Qt::Key_Up:
            return QPoint(cell.x(), ctrl ? kFirstData : cell.y() - 1);
        case Qt::Key_Down:
            return QPoint(cell.x(), ctrl ? kLastRow : cell.y() + 1);
        case Qt::Key_Home:
            return ctrl ? QPoint(kFirstData, kFirstData) : QPoint(kFirstData, cell.y());
        case Qt::Key_End:
            return ctrl ? QPoint(kLastColumn, kLastRow) : QPoint(kLastColumn, cell.y());
        case Qt::Key_PageUp:
            return ctrl ? QPoint(kFirstData, cell.y()) : QPoint(cell.x(), kFirstData);
        case Qt::Key_PageDown:
            return ctrl ? QPoint(kLastColumn, cell.y()) : QPoint(cell.x(), kLastRow);
        default:
            return std::nullopt;
    }
}

}  // namespace

StringGrid::StringGrid(QWidget* parent) : QFrame(parent) {
    widths_.fill(kDefaultWidth);
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    resize(sizeHint());
    InstallGridAccessibility(*this);
}

void StringGrid::CheckCell(int column, int row) {
    if (column < 0 || column >= kColumnCount || row < 0 || row >= kRowCount) {
        throw std::out_of_range("grid cell out of range");
    }
}

std::string StringGrid::CellText(int column, int row) const {
    CheckCell(column, row);
    return cells_[CellIndex(column, row)].utf8;
}

void StringGrid::SetCellText(int column, int row, std::string_view text) {
    CheckCell(column, row);
    CellContent& cell = cells_[CellIndex(column, row)];
    if (cell.utf8 == text) {
        return;
    }
    cell.utf8.assign(text);
    cell.shown = Utf8(text);
    update(CellRect(column, row));
    NotifyCellChanged(*this, column, row);
}

QString StringGrid::Cell(int column, int row) const {
    CheckCell(column, row);
    return cells_[CellIndex(column, row)].shown;
}

void StringGrid::SetColumnWidth(int column, int width) {
    CheckCell(column, 0);
    widths_[column] = std::clamp(width, 0, kMaxWidth);
    update();
}

int StringGrid::ColumnWidth(int column) const {
    CheckCell(column, 0);
    return widths_[column];
}

QPoint StringGrid::CurrentCell() const {
    return current_;
}

// Not QRect(anchor_, current_).normalized(): that is off by one cell when the current cell lies
// above or left of the anchor.
QRect StringGrid::Selection() const {
    return QRect(QPoint(std::min(anchor_.x(), current_.x()), std::min(anchor_.y(), current_.y())),
                 QPoint(std::max(anchor_.x(), current_.x()), std::max(anchor_.y(), current_.y())));
}

int StringGrid::ColumnLeft(int column) const {
    int left = frameWidth();
    for (int c = 0; c < column; ++c) {
        left += widths_[c] + kGridLineWidth;
    }
    return left;
}

QRect StringGrid::CellRect(int column, int row) const {
    CheckCell(column, row);
    const int top = frameWidth() + row * (kRowHeight + kGridLineWidth);
    return QRect(ColumnLeft(column), top, widths_[column], kRowHeight);
}

// -1 left of the table, kColumnCount right of it.
int StringGrid::ColumnAtX(int x) const {
    if (x < frameWidth()) {
        return -1;
    }
    for (int c = 0; c < kColumnCount; ++c) {
        if (x < ColumnLeft(c) + widths_[c] + kGridLineWidth) {
            return c;
        }
    }
    return kColumnCount;
}

int StringGrid::RowAtY(int y) const {
    const int offset = y - frameWidth();
    if (offset < 0) {
        return -1;
    }
    return std::min(offset / (kRowHeight + kGridLineWidth), kRowCount);
}

QPoint StringGrid::CellAt(const QPoint& position) const {
    const int column = ColumnAtX(position.x());
    const int row = RowAtY(position.y());
    if (!contentsRect().contains(position) || column < 0 || column >= kColumnCount || row < 0 ||
        row >= kRowCount) {
        return {-1, -1};
    }
    return {column, row};
}

QPoint StringGrid::ClampedDataCell(const QPoint& position) const {
    return {std::clamp(ColumnAtX(position.x()), kFirstData, kLastColumn),
            std::clamp(RowAtY(position.y()), kFirstData, kLastRow)};
}

void StringGrid::MoveCurrent(QPoint cell, bool extend) {
    cell = {std::clamp(cell.x(), kFirstData, kLastColumn),
            std::clamp(cell.y(), kFirstData, kLastRow)};
    const QPoint anchor = extend ? anchor_ : cell;
    if (cell == current_ && anchor == anchor_) {
        return;
    }
    current_ = cell;
    anchor_ = anchor;
    update();
    NotifyCurrentChanged(*this);
}

QSize StringGrid::sizeHint() const {
    return {465, 129};
}

QSize StringGrid::minimumSizeHint() const {
    return sizeHint();
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const std::optional<QPoint> target =
        (modifiers & ~(Qt::ShiftModifier | Qt::ControlModifier))
            ? std::nullopt
            : KeyTarget(event->key(), modifiers & Qt::ControlModifier, current_);
    if (!target) {
        // Tab, Ctrl+Tab, Enter and typing belong to the window around the grid.
        event->ignore();
        return;
    }
    MoveCurrent(*target, modifiers & Qt::ShiftModifier);
    event->accept();
}

void StringGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint cell = CellAt(event->position().toPoint());
    if (cell.x() < kFirstData || cell.y() < kFirstData) {
        return;
    }
    dragging_ = true;
    MoveCurrent(cell, event->modifiers() & Qt::ShiftModifier);
}

void StringGrid::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        MoveCurrent(ClampedDataCell(event->position().toPoint()), true);
    }
}

void StringGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
    }
}

void StringGrid::wheelEvent(QWheelEvent* event) {
    // Fine-grained wheels send fractions of a notch; only whole notches move.
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / kWheelNotch;
    wheelRemainder_ -= notches * kWheelNotch;
    if (notches != 0) {
        MoveCurrent({current_.x(), current_.y() - notches}, false);
    }
    event->accept();
}

// The current cell is drawn differently with the focus.
void StringGrid::focusInEvent(QFocusEvent* event) {
    QFrame::focusInEvent(event);
    update(CellRect(current_.x(), current_.y()));
}

void StringGrid::focusOutEvent(QFocusEvent* event) {
    QFrame::focusOutEvent(event);
    dragging_ = false;
    update(CellRect(current_.x(), current_.y()));
}

}  // namespace palvoren
