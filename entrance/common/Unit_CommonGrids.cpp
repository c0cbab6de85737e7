#include "Unit_CommonGrids.h"

#include "ui/StringGrid.h"

#include <QSet>

namespace entrance {

namespace {

void ClearRows(TStringGrid* grid, int from) {
    for (int row = from; row < grid->RowCount(); ++row)
        grid->SetRows(row, QStringList());
}

} // namespace

void ClearGridRows(TStringGrid* grid) {
    ClearRows(grid, 0);
}

void ClearGridRowsFrom(TStringGrid* grid, int row) {
    ClearRows(grid, row);
    grid->SetRowCount(row + 1);
}

int NextFreeGridNumber(TStringGrid* grid, int col) {
    QSet<QString> used;
    for (int row = grid->FixedRows(); row < grid->RowCount(); ++row)
        used.insert(grid->Cells(col, row));
    int n = 1;
    while (used.contains(QString::number(n)))
        ++n;
    return n;
}

int GridRowOf(TStringGrid* grid, int col, const QString& text) {
    for (int row = grid->FixedRows(); row < grid->RowCount(); ++row)
        if (grid->Cells(col, row) == text)
            return row;
    return -1;
}

bool SelectGridRowOf(TStringGrid* grid, int col, const QString& text) {
    const int row = GridRowOf(grid, col, text);
    if (row < 0)
        return false;
    grid->SetRow(row);
    return true;
}

} // namespace entrance
