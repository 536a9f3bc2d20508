// The standings grid as seen by assistive tools and by anything else that reads the program
// through the accessibility interfaces: a Table whose name is the grid's accessible name.
//
// The table interface reports the 8 x 4 data cells, table row r and column c being grid cell
// (c + 1, r + 1). Each data cell gives row 0 of its column as its column header and column 0 of
// its row as its row header. The table's 45 children are every grid cell in reading order, child
// i being grid cell (i % 9, i / 9): row 0 has the ColumnHeader role, column 0 below it RowHeader,
// the rest Cell. Every child's Name is its cell's text; the selection and the current cell are
// reported as the Selected and Focused states.
#pragma once

namespace palvoren {

class StringGrid;

// Makes Qt build the grid's accessible table for this grid; the grid's constructor calls it.
void InstallGridAccessibility(StringGrid& grid);

// Tell assistive tools a cell's text changed, or that the current cell or selection moved.
void NotifyCellChanged(StringGrid& grid, int column, int row);
void NotifyCurrentChanged(StringGrid& grid);

}  // namespace palvoren
