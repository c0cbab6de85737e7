#include "ui/StringGrid.h"

TStringGrid::TStringGrid(QWidget* parent) : TCustomGrid(parent) {
    FCells.resize(RowCount());
}

QString TStringGrid::Cells(int col, int row) const {
    if (row < 0 || row >= FCells.size())
        return QString();
    return FCells[row].value(col);
}

void TStringGrid::SetCells(int col, int row, const QString& value) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return;
    QStringList& line = FCells[row];
    if (line.size() <= col)
        line.resize(ColCount());
    if (line[col] == value)
        return;
    line[col] = value;
    InvalidateCell(col, row);
}

QStringList TStringGrid::Rows(int row) const {
    QStringList texts;
    for (int c = 0; c < ColCount(); ++c)
        texts.append(Cells(c, row));
    return texts;
}

void TStringGrid::SetRows(int row, const QStringList& texts) {
    for (int c = 0; c < ColCount(); ++c)
        SetCells(c, row, texts.value(c));
}

QStringList TStringGrid::Cols(int col) const {
    QStringList texts;
    for (int r = 0; r < RowCount(); ++r)
        texts.append(Cells(col, r));
    return texts;
}

void TStringGrid::SetEditText(int col, int row, const QString& value) {
    SetCells(col, row, value);
    if (OnSetEditText)
        OnSetEditText(this, col, row, value);
}

void TStringGrid::SizeChanged(int oldColCount, int oldRowCount) {
    FCells.resize(RowCount());
    for (QStringList& line : FCells)
        if (line.size() > ColCount())
            line.resize(ColCount());
}

void TStringGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
    if (DefaultDrawing())
        Canvas()->TextRect(rect, rect.Left + 2, rect.Top + 2, Cells(col, row));
    DoDrawCell(col, row, rect, state);
}

void TStringGrid::DoDrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
    if (OnDrawCell)
        OnDrawCell(this, col, row, rect, state);
}
