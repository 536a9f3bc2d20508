#include "ui/string_grid.h"

#include <stdexcept>

// Placeholder storage until the painted grid lands; cells and widths only.
namespace palvoren {
namespace {
std::array<std::array<QString, StringGrid::kRowCount>, StringGrid::kColumnCount> gCells;
std::array<int, StringGrid::kColumnCount> gWidths{};
}  // namespace

StringGrid::StringGrid(QWidget* parent) : QFrame(parent) {}
std::string StringGrid::CellText(int column, int row) const { return Cell(column, row).toStdString(); }
void StringGrid::SetCellText(int column, int row, std::string_view text) {
    gCells.at(column).at(row) = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
QString StringGrid::Cell(int column, int row) const { return gCells.at(column).at(row); }
void StringGrid::SetColumnWidth(int column, int width) { gWidths.at(column) = width; }
int StringGrid::ColumnWidth(int column) const { return gWidths.at(column); }
QPoint StringGrid::CurrentCell() const { return {1, 1}; }
QRect StringGrid::Selection() const { return {1, 1, 1, 1}; }
QRect StringGrid::CellRect(int, int) const { return {}; }
QSize StringGrid::sizeHint() const { return {465, 129}; }
QSize StringGrid::minimumSizeHint() const { return sizeHint(); }
}  // namespace palvoren
