#pragma once

#include "ui/Alignment.h"
#include "ui/Rect.h"

#include <QList>
#include <QString>

class TMOStringGrid;

namespace entrance {

// One column of a list grid: its header, width and alignment.
struct TListColumn {
    QString Caption;
    int Width;
    TAlignment Alignment = taLeftJustify;
};

// Makes `grid` a read-only list: a header row, one empty row, whole-row selection, the
// columns as given, and the selected row drawn in the selection colours.
void SetUpListGrid(TMOStringGrid* grid, const QList<TListColumn>& columns);
// Draws a cell of the selected row in white on the selection colour (the highlight colour
// while the grid has the focus), aligned as its column says; false for any other cell.
bool DrawSelectedRowCell(TMOStringGrid* grid, int col, int row, const TRect& rect);

} // namespace entrance
