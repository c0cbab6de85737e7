#pragma once

class TStringGrid;

namespace entrance {

// Grid routines the screens share.

// Empties every cell of every row, fixed rows included.
void ClearGridRows(TStringGrid* grid);
// Empties the rows from `row` to the last and leaves row + 1 rows.
void ClearGridRowsFrom(TStringGrid* grid, int row);
// The smallest number 1, 2, ... whose decimal text stands in no cell of the column below
// the fixed rows.
int NextFreeGridNumber(TStringGrid* grid, int col);

} // namespace entrance
