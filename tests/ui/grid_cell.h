// A grid cell's text as the view holds it, by grid column 0-8 and row 0-4: row 0 is the header row,
// column 0 the team names.
#pragma once

#include <QAbstractItemModel>
#include <QString>

#include "ui/string_grid.h"

namespace palvoren {

inline QString Cell(const StringGrid& grid, int column, int row) {
    const QAbstractItemModel& cells = *grid.model();
    return row == 0 ? cells.headerData(column, Qt::Horizontal).toString()
                    : cells.index(row - 1, column).data().toString();
}

}  // namespace palvoren
