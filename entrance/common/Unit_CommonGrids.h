#pragma once

class QString;
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
// The first row below the fixed rows whose cell in `col` is `text`; -1 when there is none.
int GridRowOf(TStringGrid* grid, int col, const QString& text);
// Selects the first row below the fixed rows whose cell in `col` is `text`; false, with the
// selection left as it is, when there is none.
bool SelectGridRowOf(TStringGrid* grid, int col, const QString& text);

} // namespace entrance
