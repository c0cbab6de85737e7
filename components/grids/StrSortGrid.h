#pragma once

#include "ui/StringGrid.h"

#include <QByteArray>

enum TSortops { soBoth, soUponly, soDownOnly, soNon };
enum TSortTypes { soInteger, soString };

// One row of the sort's scratch list: the row's number before sorting and its key, the
// cell text upper-cased and in the bytes the keys are compared by.
struct TSortKey {
    int Row;
    QString Text;
    QByteArray Bytes;
};

// Sorts keys[lo..hi]: ranges shorter than five rows by BubbleSortRows, longer ones by
// partitioning around the middle key compared as text.
void QuickSortRows(QList<TSortKey>& keys, int lo, int hi, TSortTypes type);
// Neighbour swaps until a pass swaps nothing; soInteger compares the keys as integers
// (0 for one that is not), soString as text.
void BubbleSortRows(QList<TSortKey>& keys, int lo, int hi, TSortTypes type);

// A string grid that sorts rows 1 to SortRows by a column when its header cell is
// clicked, and marks the sorted column with an up or down arrow beside the header text.
class TStrSortGrid : public TStringGrid {
    Q_OBJECT
public:
    explicit TStrSortGrid(QWidget* parent = nullptr);

    TSortops SortOps() const { return FSortOps; }
    void SetSortOps(TSortops value) { FSortOps = value; }
    TSortTypes SortType() const { return FSortType; }
    void SetSortType(TSortTypes value) { FSortType = value; }
    int SortRows() const { return FSortRows; }
    void SetSortRows(int value) { FSortRows = value; }
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);
    bool Ascending() const { return FAscending; }

    // Orders rows first..last by the column's text in the current direction; the other
    // rows stay where they are.
    void SortByColumn(int col, int first, int last);

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;

private:
    TSortops FSortOps = soBoth;
    TSortTypes FSortType = soInteger;
    int FSortRows = 0;
    int FSpacing = 10;
    int FSortedCol = -1;
    QString FSortedText;
    bool FSorted = false;
    bool FAscending = true;
};
