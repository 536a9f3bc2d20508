#include "ui/grid_accessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>
#include <algorithm>
#include <array>
#include <mutex>

#include "ui/string_grid.h"

namespace palvoren {
namespace {

constexpr int kColumns = StringGrid::kColumnCount;
constexpr int kRows = StringGrid::kRowCount;
constexpr int kDataColumns = kColumns - 1;
constexpr int kDataRows = kRows - 1;

int ChildIndex(int column, int row) {
    return row * kColumns + column;
}

// One grid cell. Qt's registry owns it once registered; the table deletes it with itself.
class GridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    GridCellAccessible(StringGrid* grid, int column, int row)
        : grid_(grid), column_(column), row_(row) {}

    bool isValid() const override { return !grid_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(grid_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text kind) const override {
        return grid_ && kind == QAccessible::Name ? grid_->Cell(column_, row_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}  // read-only

    QRect rect() const override {
        if (!grid_) {
            return {};
        }
        const QRect local = grid_->CellRect(column_, row_);
        return {grid_->mapToGlobal(local.topLeft()), local.size()};
    }

    QAccessible::Role role() const override {
        return row_ == 0      ? QAccessible::ColumnHeader
               : column_ == 0 ? QAccessible::RowHeader
                              : QAccessible::Cell;
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        state.readOnly = true;
        if (!grid_ || !IsData()) {
            return state;
        }
        state.selectable = true;
        state.selected = isSelected();
        state.focusable = true;
        state.focused = grid_->hasFocus() && grid_->CurrentCell() == QPoint(column_, row_);
        return state;
    }

    // Headers are not table cells of their own, as in Qt's item views.
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface && IsData()
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override { return grid_ && grid_->Selection().contains(column_, row_); }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return Header(column_, 0); }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return Header(0, row_); }
    int columnIndex() const override { return column_ - 1; }
    int rowIndex() const override { return row_ - 1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    bool IsData() const { return column_ > 0 && row_ > 0; }

    QList<QAccessibleInterface*> Header(int column, int row) const {
        QAccessibleInterface* grid = parent();
        QAccessibleInterface* header = grid ? grid->child(ChildIndex(column, row)) : nullptr;
        return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
    }

    QPointer<StringGrid> grid_;
    int column_;
    int row_;
};

class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridAccessible(StringGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~GridAccessible() override {
        for (QAccessible::Id id : cellIds_) {
            if (id != 0) {
                QAccessible::deleteAccessibleInterface(id);
            }
        }
    }
    GridAccessible(const GridAccessible&) = delete;
    GridAccessible& operator=(const GridAccessible&) = delete;

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }

    int childCount() const override { return kColumns * kRows; }
    QAccessibleInterface* child(int index) const override {
        return index >= 0 && index < childCount() ? Cell(index % kColumns, index / kColumns)
                                                  : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
        const auto found = std::find(cellIds_.begin(), cellIds_.end(), id);
        return found == cellIds_.end() ? -1 : static_cast<int>(found - cellIds_.begin());
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint cell = Grid()->CellAt(Grid()->mapFromGlobal(QPoint(x, y)));
        return cell.x() < 0 ? nullptr : Cell(cell.x(), cell.y());
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        const bool inside = row >= 0 && row < kDataRows && column >= 0 && column < kDataColumns;
        return inside ? Cell(column + 1, row + 1) : nullptr;
    }
    int columnCount() const override { return kDataColumns; }
    int rowCount() const override { return kDataRows; }
    QString columnDescription(int column) const override { return Text(column + 1, 0); }
    QString rowDescription(int row) const override { return Text(0, row + 1); }

    int selectedCellCount() const override {
        const QRect selection = Grid()->Selection();
        return selection.width() * selection.height();
    }
    QList<QAccessibleInterface*> selectedCells() const override;
    QList<int> selectedColumns() const override;
    QList<int> selectedRows() const override;
    int selectedColumnCount() const override { return static_cast<int>(selectedColumns().size()); }
    int selectedRowCount() const override { return static_cast<int>(selectedRows().size()); }
    bool isColumnSelected(int column) const override { return selectedColumns().contains(column); }
    bool isRowSelected(int row) const override { return selectedRows().contains(row); }

    // The selection is the user's; tools only read it.
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    // The shape never changes and cells read their text live, so nothing is cached to refresh.
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    StringGrid* Grid() const { return static_cast<StringGrid*>(widget()); }

    QString Text(int column, int row) const {
        const bool inside = column >= 0 && column < kColumns && row >= 0 && row < kRows;
        return inside ? Grid()->Cell(column, row) : QString();
    }

    // Made on first use and kept, so a tool sees the same cell object every time it asks.
    QAccessibleInterface* Cell(int column, int row) const {
        QAccessible::Id& id = cellIds_[ChildIndex(column, row)];
        if (id == 0) {
            id = QAccessible::registerAccessibleInterface(
                new GridCellAccessible(Grid(), column, row));
        }
        return QAccessible::accessibleInterface(id);
    }

    mutable std::array<QAccessible::Id, kColumns * kRows> cellIds_{};
};

QList<QAccessibleInterface*> GridAccessible::selectedCells() const {
    const QRect selection = Grid()->Selection();
    QList<QAccessibleInterface*> cells;
    for (int row = selection.top(); row <= selection.bottom(); ++row) {
        for (int column = selection.left(); column <= selection.right(); ++column) {
            cells.append(Cell(column, row));
        }
    }
    return cells;
}

// A column counts as selected when all its data cells are, and likewise a row.
QList<int> GridAccessible::selectedColumns() const {
    const QRect selection = Grid()->Selection();
    QList<int> columns;
    if (selection.top() == 1 && selection.bottom() == kDataRows) {
        for (int column = selection.left(); column <= selection.right(); ++column) {
            columns.append(column - 1);
        }
    }
    return columns;
}

QList<int> GridAccessible::selectedRows() const {
    const QRect selection = Grid()->Selection();
    QList<int> rows;
    if (selection.left() == 1 && selection.right() == kDataColumns) {
        for (int row = selection.top(); row <= selection.bottom(); ++row) {
            rows.append(row - 1);
        }
    }
    return rows;
}

QAccessibleInterface* GridFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(StringGrid::staticMetaObject.className()) && object &&
        object->isWidgetType()) {
        return new GridAccessible(static_cast<StringGrid*>(object));
    }
    return nullptr;
}

}  // namespace

void InstallGridAccessibility(StringGrid& grid) {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(&GridFactory); });
    // Accessibility events sent while the base classes were being built may have cached a plain
    // widget interface for this object, which would hide the table for good. Without an active
    // assistive tool no events are sent and nothing is cached; asking anyway would start the
    // accessibility bridge and its bus connection on every start.
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface* cached = QAccessible::queryAccessibleInterface(&grid);
    if (cached && !cached->tableInterface()) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(cached));
    }
}

void NotifyCellChanged(StringGrid& grid, int column, int row) {
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessibleEvent nameChanged(&grid, QAccessible::NameChanged);
    nameChanged.setChild(ChildIndex(column, row));
    QAccessible::updateAccessibility(&nameChanged);
    if (column > 0 && row > 0) {
        QAccessibleTableModelChangeEvent changed(&grid,
                                                 QAccessibleTableModelChangeEvent::DataChanged);
        changed.setFirstRow(row - 1);
        changed.setLastRow(row - 1);
        changed.setFirstColumn(column - 1);
        changed.setLastColumn(column - 1);
        QAccessible::updateAccessibility(&changed);
    }
}

void NotifyCurrentChanged(StringGrid& grid) {
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessibleEvent selection(&grid, QAccessible::SelectionWithin);
    QAccessible::updateAccessibility(&selection);
    if (grid.hasFocus()) {
        const QPoint current = grid.CurrentCell();
        QAccessibleEvent focus(&grid, QAccessible::Focus);
        focus.setChild(ChildIndex(current.x(), current.y()));
        QAccessible::updateAccessibility(&focus);
    }
}

}  // namespace palvoren
