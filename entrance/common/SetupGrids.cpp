#include "SetupGrids.h"

#include "components/grids/MOStringGrid.h"
#include "ui/SelectionColor.h"

namespace entrance {

void SetUpListGrid(TMOStringGrid* grid, const QList<TListColumn>& columns) {
    grid->SetColCount(int(columns.size()));
    grid->SetRowCount(2);
    grid->SetFixedCols(0);
    grid->SetOptions(grid->Options() | goRowSelect);
    for (int col = 0; col < columns.size(); ++col) {
        TMOGridColumn* column = grid->GridColumns()[col];
        column->SetCaption(columns[col].Caption);
        column->SetAlignment(columns[col].Alignment);
        column->SetCanEdit(false);
        grid->SetColWidths(col, columns[col].Width);
    }
    grid->OnDrawCell = [grid](QObject*, int col, int row, const TRect& rect, TGridDrawState) {
        DrawSelectedRowCell(grid, col, row, rect);
    };
    grid->OnEnter = [grid](QObject*) { grid->Invalidate(); };
    grid->OnExit = [grid](QObject*) { grid->Invalidate(); };
}

bool DrawSelectedRowCell(TMOStringGrid* grid, int col, int row, const TRect& rect) {
    if (row < grid->FixedRows() || row != grid->Row())
        return false;
    TCanvas& canvas = *grid->Canvas();
    SetSelectedRowColors(canvas, grid->IsActiveControl());
    canvas.FillRect(rect);
    TRect r = rect;
    r.Left += 2;
    const bool centred = grid->GridColumns()[col]->Alignment() == taCenter;
    canvas.DrawText(grid->Cells(col, row), r,
                    DT_SINGLELINE | DT_VCENTER | (centred ? DT_CENTER : DT_LEFT));
    return true;
}

} // namespace entrance
