#include "ui/string_grid.h"

#include <qdrawutil.h>
#include <QAbstractButton>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <stdexcept>

#include "ui/layout.h"

namespace palvoren {
namespace {

// Rows and columns of the view's items, the data cells: grid cell (c, r) is item (r - 1, c - 1).
constexpr int kLastItemRow = StringGrid::kRowCount - 2;
constexpr int kLastItemColumn = StringGrid::kColumnCount - 2;
constexpr int kDefaultWidth = 64;
constexpr int kMaxWidth = 4096;

constexpr std::array kMoveKeys{Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down,
                               Qt::Key_Home, Qt::Key_End,   Qt::Key_PageUp, Qt::Key_PageDown};

void CheckCell(int column, int row) {
    if (column < 0 || column >= StringGrid::kColumnCount || row < 0 || row >= StringGrid::kRowCount)
        throw std::out_of_range("grid cell out of range");
}

// Qt's styles draw header sections and items each in their own way; these draw the grid's cells
// alike on every platform. Each cell's rectangle ends with the lines to its right and below it,
// corner included: what is left of it in the lines' colour once the cell is painted inside.
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

void PaintHeaderCell(QPainter& painter, const QPalette& colours, const QRect& withLines,
                     const QString& text) {
    painter.fillRect(withLines, kHeaderLine);
    qDrawShadePanel(&painter, withLines - kLines, colours, false, 1, &colours.button());
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

// Selected cells are highlighted, except the current cell while the grid has the focus: that one
// keeps the normal colours and gets a dotted frame instead.
class DataCells : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        // The grid's colours, which follow the window's activity as the header views' do.
        const QPalette& colours = option.widget->palette();
        const bool focused = option.state & QStyle::State_HasFocus;
        const bool highlighted = (option.state & QStyle::State_Selected) && !focused;
        const QRect cell = option.rect - kLines;
        const bool silverBase = colours.color(QPalette::Base) == kDataLine;
        painter->fillRect(option.rect, silverBase ? kDataLineOnSilver : kDataLine);
        painter->fillRect(cell, colours.color(highlighted ? QPalette::Highlight : QPalette::Base));
        painter->setPen(colours.color(highlighted ? QPalette::HighlightedText : QPalette::Text));
        DrawText(*painter, cell, index.data().toString());
        if (focused) {
            QPen dots(colours.color(QPalette::Text), 0);
            dots.setDashPattern({1.0, 1.0});
            painter->setPen(dots);
            painter->drawRect(cell.adjusted(0, 0, -1, -1));
        }
    }
};

}  // namespace

StringGrid::StringGrid(QWidget* parent)
    : QTableWidget(kRowCount - 1, kColumnCount - 1, parent),
      corner_(std::make_unique<QTableWidgetItem>()) {
    setHorizontalHeader(new HeaderCells(Qt::Horizontal, this));
    setVerticalHeader(new HeaderCells(Qt::Vertical, this));
    setItemDelegate(new DataCells(this));
    // The view's corner button draws an empty header; cell (0, 0) is painted over it instead.
    cornerButton_ = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (cornerButton_ != nullptr)
        cornerButton_->installEventFilter(this);
    setHorizontalHeaderLabels(QStringList(columnCount()));
    setVerticalHeaderLabels(QStringList(rowCount()));
    for (int row = 0; row < rowCount(); ++row) {
        for (int column = 0; column < columnCount(); ++column) {
            auto* cell = new QTableWidgetItem;
            cell->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            setItem(row, column, cell);
        }
    }
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFixedSize(layout::kGrid.size());
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(NoEditTriggers);
    setFocusPolicy(Qt::ClickFocus);
    setCornerButtonEnabled(false);
    // Each cell draws the lines after it itself, in the colour of its kind.
    setShowGrid(false);
    horizontalHeader()->setFixedHeight(kRowHeight + kGridLineWidth);
    verticalHeader()->setDefaultSectionSize(kRowHeight + kGridLineWidth);
    for (int column = 0; column < kColumnCount; ++column)
        SetColumnWidth(column, kDefaultWidth);
    setCurrentCell(0, 0);
}

QTableWidgetItem* StringGrid::ItemAt(int column, int row) const {
    CheckCell(column, row);
    if (row == 0)
        return column == 0 ? corner_.get() : horizontalHeaderItem(column - 1);
    return column == 0 ? verticalHeaderItem(row - 1) : item(row - 1, column - 1);
}

void StringGrid::SetCellText(int column, int row, std::string_view text) {
    QTableWidgetItem* cell = ItemAt(column, row);
    cell->setText(QString::fromUtf8(text));
    if (cell == corner_.get() && cornerButton_ != nullptr)
        cornerButton_->update();
}

QString StringGrid::Cell(int column, int row) const {
    return ItemAt(column, row)->text();
}

void StringGrid::SetColumnWidth(int column, int width) {
    CheckCell(column, 0);
    const int withLine = std::clamp(width, 0, kMaxWidth) + kGridLineWidth;
    if (column == 0)
        verticalHeader()->setFixedWidth(withLine);
    else
        setColumnWidth(column - 1, withLine);
}

void StringGrid::keyboardSearch(const QString&) {}

QModelIndex StringGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = currentIndex();
    if (!(modifiers & Qt::ControlModifier))
        return QTableWidget::moveCursor(action, modifiers);
    switch (action) {
        case MoveLeft:
        case MovePageUp:
            return model()->index(current.row(), 0);
        case MoveRight:
        case MovePageDown:
            return model()->index(current.row(), kLastItemColumn);
        case MoveUp:
            return model()->index(0, current.column());
        case MoveDown:
            return model()->index(kLastItemRow, current.column());
        default:  // Ctrl+Home and Ctrl+End go to the first and the last data cell
            return QTableWidget::moveCursor(action, modifiers);
    }
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

void StringGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        QTableWidget::mousePressEvent(event);
}

// A drag stretches the selection to the nearest data cell, from the anchor rather than, as in the
// view, from the last plain click: the selection is one rectangle with the current cell at a
// corner, the anchor at the corner across.
void StringGrid::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QRect cells = viewport()->rect();
    const QPoint at = event->position().toPoint();
    const QModelIndex target = indexAt({std::clamp(at.x(), cells.left(), cells.right()),
                                        std::clamp(at.y(), cells.top(), cells.bottom())});
    const QModelIndex current = currentIndex();
    const QItemSelectionRange range = selectionModel()->selection().value(0);
    const QModelIndex anchor = model()->index(range.top() + range.bottom() - current.row(),
                                              range.left() + range.right() - current.column());
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(anchor, target), QItemSelectionModel::ClearAndSelect);
}

void StringGrid::wheelEvent(QWheelEvent* event) {
    // Fine-grained wheels send fractions of a notch; only whole notches move.
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRemainder_ -= notches * QWheelEvent::DefaultDeltasPerStep;
    const int row = std::clamp(currentIndex().row() - notches, 0, kLastItemRow);
    if (notches != 0)
        setCurrentIndex(model()->index(row, currentIndex().column()));
    event->accept();
}

// The view takes the wheel only over its cells; over the headers it comes here.
bool StringGrid::event(QEvent* event) {
    if (event->type() != QEvent::Wheel)
        return QTableWidget::event(event);
    wheelEvent(static_cast<QWheelEvent*>(event));
    return true;
}

bool StringGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched != cornerButton_ || event->type() != QEvent::Paint)
        return QTableWidget::eventFilter(watched, event);
    QPainter painter(cornerButton_);
    PaintHeaderCell(painter, palette(), cornerButton_->rect(), Cell(0, 0));
    return true;
}

}  // namespace palvoren
