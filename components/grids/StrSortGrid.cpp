#include "components/grids/StrSortGrid.h"

#include "base/Text.h"
#include "components/grids/GridGlyphs.h"

namespace {

// Upper case for the ASCII letters only, as the keys are made.
QString AsciiUpper(QString text) {
    for (QChar& c : text)
        if (c >= 'a' && c <= 'z')
            c = QChar(c.unicode() - 'a' + 'A');
    return text;
}

int IntegerKey(const TSortKey& key) {
    bool ok = false;
    const int value = key.Text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

} // namespace

void BubbleSortRows(QList<TSortKey>& keys, int lo, int hi, TSortTypes type) {
    auto outOfOrder = [type](const TSortKey& a, const TSortKey& b) {
        return type == soInteger ? IntegerKey(a) > IntegerKey(b) : a.Bytes > b.Bytes;
    };
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (int k = lo; k < hi; ++k)
            if (outOfOrder(keys[k], keys[k + 1])) {
                std::swap(keys[k], keys[k + 1]);
                swapped = true;
            }
    }
}

void QuickSortRows(QList<TSortKey>& keys, int lo, int hi, TSortTypes type) {
    if (hi - lo < 5) {
        BubbleSortRows(keys, lo, hi, type);
        return;
    }
    const QByteArray middle = keys[(lo + hi) / 2].Bytes;
    int i = lo, j = hi;
    while (i <= j) {
        while (keys[i].Bytes < middle)
            ++i;
        while (keys[j].Bytes > middle)
            --j;
        if (i <= j)
            std::swap(keys[i++], keys[j--]);
    }
    if (lo < j)
        QuickSortRows(keys, lo, j, type);
    if (i < hi)
        QuickSortRows(keys, i, hi, type);
}

TStrSortGrid::TStrSortGrid(QWidget* parent) : TStringGrid(parent) {}

void TStrSortGrid::SetSpacing(int value) {
    FSpacing = value;
    Invalidate();
}

void TStrSortGrid::SortByColumn(int col, int first, int last) {
    last = std::min(last, RowCount() - 1);
    if (first < 0 || last < first)
        return;
    QList<TSortKey> keys;
    for (int r = first; r <= last; ++r) {
        const QString text = AsciiUpper(Cells(col, r));
        // Texts compare by their code page 932 bytes, so kana and kanji sort in that order.
        keys.append({r, text, ToCP932(text)});
    }
    QuickSortRows(keys, 0, int(keys.size()) - 1, FSortType);
    QList<QStringList> rows;
    for (const TSortKey& key : keys)
        rows.append(Rows(key.Row));
    if (!FAscending)
        std::reverse(rows.begin(), rows.end());
    for (int k = 0; k < rows.size(); ++k)
        SetRows(first + k, rows[k]);
}

void TStrSortGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (FSortOps == soNon)
        return;
    const TGridCoord cell = MouseCoord(x, y);
    if (cell.Y == 0) {
        FSortedCol = cell.X;
        FSortedText = Cells(cell.X, 0);
        FSorted = true;
        FAscending = FSortOps == soUponly ? true : FSortOps == soDownOnly ? false : !FAscending;
        SortByColumn(cell.X, 1, FSortRows);
        Invalidate();
    }
    TStringGrid::MouseDown(button, shift, x, y);
}

void TStrSortGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
    TStringGrid::DrawCell(col, row, rect, state);
    if (row != 0 || col != FSortedCol || !FSorted || FSortedText.isEmpty())
        return;
    TCanvas& canvas = *Canvas();
    canvas.Brush = TBrush{FixedColor(), bsSolid};
    canvas.FillRect(rect);
    const int textWidth = canvas.TextWidth(FSortedText);
    canvas.Draw(rect.Left + 1 + textWidth + FSpacing, rect.Top + 2,
                GridGlyph(FAscending ? "BBUP" : "BBDOWN"));
    canvas.TextOut(rect.Left + 1, rect.Top + 2, FSortedText);
}
