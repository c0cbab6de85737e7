#pragma once

#include "ui/CustomGrid.h"

#include <QStringList>

// A grid that keeps a text per cell and draws it at the cell's top left corner (two pixels
// in); the in-place editor edits the cell texts.
class TStringGrid : public TCustomGrid {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);

    // Any cell may be read; one outside the grid reads empty.
    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& value);
    // The texts of a whole row or column.
    QStringList Rows(int row) const;
    void SetRows(int row, const QStringList& texts);
    QStringList Cols(int col) const;

    QString GetEditText(int col, int row) override { return Cells(col, row); }
    void SetEditText(int col, int row, const QString& value) override;

    std::function<void(QObject* Sender, int ACol, int ARow, const QString& Value)> OnSetEditText;

protected:
    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
    void SizeChanged(int oldColCount, int oldRowCount) override;
    // Calls OnDrawCell when a screen bound it.
    void DoDrawCell(int col, int row, const TRect& rect, TGridDrawState state);

private:
    QList<QStringList> FCells; // per row
};
