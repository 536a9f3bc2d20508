#include "ui/string_grid.h"

#include <QAccessible>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <functional>
#include <stdexcept>

#include "ui/layout.h"

namespace palvoren {
namespace {

constexpr int kDefaultWidth = 64;
constexpr int kMaxWidth = 4096;

constexpr std::array kMoveKeys{Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down,
                               Qt::Key_Home, Qt::Key_End,   Qt::Key_PageUp, Qt::Key_PageDown};

// Qt's styles draw header sections and items each in their own way; these draw the grid's cells
// alike on every platform. Each cell's rectangle ends with the lines to its right and below it:
// what is left of it in the lines' colour once the cell is painted inside.
constexpr QMargins kLines(0, 0, StringGrid::kGridLineWidth, StringGrid::kGridLineWidth);
constexpr int kTextInset = 2;
// No cell is wide enough to show more; laying out a megabyte-long text on every paint would not.
constexpr qsizetype kMaxDrawnChars = 4096;

const QColor kHeaderLine(Qt::black);
const QColor kDataLine(0xc0, 0xc0, 0xc0);
const QColor kDataLineOnSilver(0x80, 0x80, 0x80);

// The text is cut short enough to lay out quickly, never between the halves of a surrogate pair.
void DrawText(QPainter& painter, const QRect& cell, const QString& text) {
    QString shown = text.left(kMaxDrawnChars);
    if (shown.size() < text.size() && shown.back().isHighSurrogate())
        shown.chop(1);
    painter.drawText(cell.adjusted(kTextInset, kTextInset, 0, 0),
                     Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignTop | Qt::TextSingleLine, shown);
}

// Switches the painter to device pixels and gives `logical` there in whole pixels.
// At a fractional scale a logical line lands on one device pixel or two by where it falls; drawn
// in device pixels it is as wide wherever it falls.
QRect ToDevicePixels(QPainter& painter, const QRect& logical) {
    const QTransform toDevice = painter.deviceTransform();
    painter.setWorldTransform(toDevice.inverted() * painter.worldTransform());
    const QPointF end = logical.topLeft() + QPointF(logical.width(), logical.height());
    return {toDevice.map(QPointF(logical.topLeft())).toPoint(),
            toDevice.map(end).toPoint() - QPoint(1, 1)};
}

// Fills `withLines` in `line`, then has `face` paint the cell inside the lines, in device pixels:
// a line is as wide as one logical pixel rounds to.
void PaintCell(QPainter& painter, const QRect& withLines, const QColor& line,
               const std::function<void(const QRect&)>& face) {
    const int width = std::max(1, qRound(painter.deviceTransform().m11()));
    painter.save();
    const QRect all = ToDevicePixels(painter, withLines);
    painter.fillRect(all, line);
    face(all.adjusted(0, 0, -width, -width));
    painter.restore();
}

// A raised button face with a light edge at the top and left, dark at the bottom and right.
void PaintHeaderCell(QPainter& painter, const QPalette& colours, const QRect& withLines,
                     const QString& text) {
    PaintCell(painter, withLines, kHeaderLine, [&](const QRect& cell) {
        painter.fillRect(cell, colours.color(QPalette::Dark));
        painter.fillRect(cell.adjusted(0, 0, -1, -1), colours.color(QPalette::Light));
        painter.fillRect(cell.adjusted(1, 1, -1, -1), colours.color(QPalette::Button));
    });
    painter.setPen(colours.color(QPalette::ButtonText));
    DrawText(painter, withLines - kLines, text);
}

// Its sections keep their sizes, also where a tall or wide font would want them larger.
class HeaderCells : public QHeaderView {
public:
    HeaderCells(Qt::Orientation orientation, QWidget* parent) : QHeaderView(orientation, parent) {
        setSectionResizeMode(Fixed);
        setMinimumSectionSize(0);
    }
    void paintSection(QPainter* painter, const QRect& rect, int section) const override {
        PaintHeaderCell(*painter, palette(), rect,
                        model()->headerData(section, orientation()).toString());
    }
};

// Team names are header cells. Selected data cells are highlighted, except the current cell while
// the grid has the focus: that one keeps the normal colours and gets a dotted frame instead.
class DataCells : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        // The grid's colours, which follow the window's activity as the header view's do.
        const QPalette& colours = option.widget->palette();
        if (index.column() == 0) {
            PaintHeaderCell(*painter, colours, option.rect, index.data().toString());
            return;
        }
        const bool focused = option.state & QStyle::State_HasFocus;
        const bool highlighted = (option.state & QStyle::State_Selected) && !focused;
        const QColor line =
            colours.color(QPalette::Base) == kDataLine ? kDataLineOnSilver : kDataLine;
        PaintCell(*painter, option.rect, line, [&](const QRect& cell) {
            painter->fillRect(cell,
                              colours.color(highlighted ? QPalette::Highlight : QPalette::Base));
            if (!focused)
                return;
            QPen dots(colours.color(QPalette::Text), 0);
            dots.setDashPattern({1.0, 1.0});
            painter->setPen(dots);
            painter->drawRect(cell.adjusted(0, 0, -1, -1));
        });
        painter->setPen(colours.color(highlighted ? QPalette::HighlightedText : QPalette::Text));
        DrawText(*painter, option.rect - kLines, index.data().toString());
    }
};

}  // namespace

StringGrid::StringGrid(QWidget* parent) : QTableWidget(kRowCount - 1, kColumnCount, parent) {
    setHorizontalHeader(new HeaderCells(Qt::Horizontal, this));
    setItemDelegate(new DataCells(this));
    // Hidden, as the team names are the first column, and nameless: assistive tools still see it.
    verticalHeader()->hide();
    setVerticalHeaderLabels(QStringList(rowCount()));
    setHorizontalHeaderLabels(QStringList(columnCount()));
    for (int row = 0; row < rowCount(); ++row) {
        for (int column = 0; column < columnCount(); ++column) {
            auto* cell = new QTableWidgetItem;
            cell->setFlags(column ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::ItemIsEnabled);
            setItem(row, column, cell);
        }
    }
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFixedSize(layout::kGrid.size());
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(NoEditTriggers);
    // Qt's own rule for one rectangle, which also holds what assistive tools select.
    setSelectionMode(ContiguousSelection);
    setFocusPolicy(Qt::ClickFocus);
    // Each cell draws the lines after it itself, in the colour of its kind.
    setShowGrid(false);
    horizontalHeader()->setFixedHeight(kRowHeight + kGridLineWidth);
    verticalHeader()->setDefaultSectionSize(kRowHeight + kGridLineWidth);
    for (int column = 0; column < kColumnCount; ++column)
        SetColumnWidth(column, kDefaultWidth);
    kept_ = model()->index(0, 1);
    selectionModel()->select(kept_, QItemSelectionModel::ClearAndSelect);
}

// Grid cell (c, r) is the header item of column c, or item (r - 1, c); none out of range.
void StringGrid::SetCellText(int column, int row, std::string_view text) {
    QTableWidgetItem* cell = row == 0 ? horizontalHeaderItem(column) : item(row - 1, column);
    if (cell == nullptr)
        throw std::out_of_range("grid cell out of range");
    cell->setText(QString::fromUtf8(text));
}

void StringGrid::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= kColumnCount)
        throw std::out_of_range("grid column out of range");
    setColumnWidth(column, std::clamp(width, 0, kMaxWidth) + kGridLineWidth);
}

void StringGrid::keyboardSearch(const QString&) {}

QModelIndex StringGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // With Ctrl the arrows and Page Up/Down go to the edges, as Home, End, Page Up and Page Down
    // do without it: every row is on the one page.
    if ((modifiers & Qt::ControlModifier) && action != MoveHome && action != MoveEnd) {
        modifiers &= ~Qt::ControlModifier;
        action = action == MoveLeft || action == MovePageUp      ? MoveHome
                 : action == MoveRight || action == MovePageDown ? MoveEnd
                 : action == MoveUp                              ? MovePageUp
                 : action == MoveDown                            ? MovePageDown
                                                                 : action;
    }
    const QModelIndex to = QTableWidget::moveCursor(action, modifiers);
    // The team names are no place for the cursor.
    return to.isValid() ? model()->index(to.row(), std::max(to.column(), 1)) : to;
}

QItemSelectionModel::SelectionFlags StringGrid::selectionCommand(const QModelIndex&,
                                                                 const QEvent* event) const {
    const auto* input = dynamic_cast<const QInputEvent*>(event);
    const bool extend = input != nullptr && (input->modifiers() & Qt::ShiftModifier);
    return extend ? QItemSelectionModel::SelectCurrent : QItemSelectionModel::ClearAndSelect;
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers others =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::ControlModifier | Qt::KeypadModifier);
    if (others || std::find(kMoveKeys.begin(), kMoveKeys.end(), event->key()) == kMoveKeys.end()) {
        // Tab, Ctrl+Tab, Enter, Ctrl+A and typing belong to the window around the grid.
        event->ignore();
        return;
    }
    const QModelIndex before = currentIndex();
    QTableWidget::keyPressEvent(event);
    // The view does nothing when the current cell cannot move; a plain move still collapses the
    // selection onto it.
    if (currentIndex() == before && !(event->modifiers() & Qt::ShiftModifier))
        setCurrentIndex(before);
    event->accept();
}

void StringGrid::focusInEvent(QFocusEvent* event) {
    QTableWidget::focusInEvent(event);
    // Assistive tools hear of the table getting the focus; then, queued to come after that, of the
    // current cell, which is what they announce.
    QTimer::singleShot(0, this, [this] {
        if (!hasFocus())
            return;
        if (!currentIndex().isValid())
            selectionModel()->setCurrentIndex(kept_, QItemSelectionModel::NoUpdate);
        // The cell's place among the table's children: after the header row, each row starts
        // with its (hidden) row header.
        QAccessibleEvent cell(this, QAccessible::Focus);
        cell.setChild((currentIndex().row() + 1) * (kColumnCount + 1) + currentIndex().column() +
                      1);
        QAccessible::updateAccessibility(&cell);
    });
}

void StringGrid::focusOutEvent(QFocusEvent* event) {
    if (currentIndex().isValid())
        kept_ = currentIndex();
    selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
    QTableWidget::focusOutEvent(event);
}

void StringGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && columnAt(event->position().toPoint().x()) != 0)
        QTableWidget::mousePressEvent(event);
}

// A drag stretches the selection to the nearest data cell, from the anchor rather than, as in the
// view, from the last plain click: the selection is one rectangle with the current cell at a
// corner, the anchor at the corner across.
void StringGrid::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QRect cells = viewport()->rect().adjusted(columnViewportPosition(1), 0, 0, 0);
    const QPoint at = event->position().toPoint();
    const QModelIndex target = indexAt({std::clamp(at.x(), cells.left(), cells.right()),
                                        std::clamp(at.y(), cells.top(), cells.bottom())});
    const QItemSelectionRange range = selectionModel()->selection().value(0);
    const QModelIndex anchor =
        model()->index(range.top() + range.bottom() - currentIndex().row(),
                       range.left() + range.right() - currentIndex().column());
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(anchor, target), QItemSelectionModel::ClearAndSelect);
}

void StringGrid::wheelEvent(QWheelEvent* event) {
    // Fine-grained wheels send fractions of a notch; only whole notches move.
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRemainder_ -= notches * QWheelEvent::DefaultDeltasPerStep;
    const int row = std::clamp(currentIndex().row() - notches, 0, rowCount() - 1);
    if (notches != 0)
        setCurrentIndex(model()->index(row, currentIndex().column()));
    event->accept();
}

// The view takes the wheel only over its cells; over the headers it comes here. The sunken border
// is drawn here in device pixels, each line one wide: in logical pixels they land on one device
// pixel or two by where the grid falls. Dark and black at the top and left, white and light grey
// at the bottom and right; inside, where the cells may leave a pixel free, the window's colour.
bool StringGrid::event(QEvent* event) {
    if (event->type() == QEvent::Paint) {
        QPainter painter(this);
        const QRect outer = ToDevicePixels(painter, rect());
        painter.fillRect(outer, palette().color(QPalette::Light));
        painter.fillRect(outer.adjusted(0, 0, -1, -1), palette().color(QPalette::Dark));
        painter.fillRect(outer.adjusted(1, 1, -1, -1), palette().color(QPalette::Midlight));
        painter.fillRect(outer.adjusted(1, 1, -2, -2), palette().color(QPalette::Shadow));
        painter.fillRect(outer.adjusted(2, 2, -2, -2), palette().color(QPalette::Window));
        return true;
    }
    if (event->type() != QEvent::Wheel)
        return QTableWidget::event(event);
    wheelEvent(static_cast<QWheelEvent*>(event));
    return true;
}

}  // namespace palvoren
