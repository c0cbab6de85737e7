#include "components/grids/MOStringGrid.h"

#include "components/grids/InplaceEdit3D.h"

namespace {

unsigned HorizontalFlag(TAlignment alignment) {
    return alignment == taRightJustify ? DT_RIGHT : alignment == taCenter ? DT_CENTER : DT_LEFT;
}

unsigned VerticalFlag(TAlignmentV alignment) {
    return alignment == tavBottom ? DT_BOTTOM : alignment == tavCenter ? DT_VCENTER : DT_TOP;
}

// A calendar text with nothing typed into it: only blanks and the mask's literals.
bool IsEmptyCalendarText(const QString& text) {
    for (QChar c : text)
        if (c != ' ' && c != '_' && c != '/' && c != u'年' && c != u'月' && c != u'日')
            return false;
    return true;
}

} // namespace

QString NormalizeIntegerText(const QString& text) {
    if (text == "-")
        return "-0";
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    return ok ? QString::number(value) : text;
}

QString CalendarEditMask(TMODateFormat format) {
    return format == dtShort ? "!99/99/00;1;_" : "!9999年99月00日;1;_";
}

QString CalendarEmptyText(TMODateFormat format) {
    return format == dtShort ? "  /  /  " : "    年  月  日";
}

TDateTime CalendarCellDate(const QString& text, TDateTime fallback) {
    QString date = text;
    date.replace(u'年', '/').replace(u'月', '/').remove(u'日');
    TDateTime result;
    return TryStrToDate(date, result) ? result : fallback;
}

TMOStringGrid::TMOStringGrid(QWidget* parent) : TStringGrid(parent) {
    SetDefaultRowHeight(20);
    SetColCount(6);
    FColumns.Resize(ColCount());
    SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goEditing);
}

TMOStringGrid::~TMOStringGrid() = default;

void TMOStringGrid::SetGridStyle(TMOGridStyle value) {
    FGridStyle = value;
    Invalidate();
}

void TMOStringGrid::SetStripeColor(TColor value) {
    FStripeColor = value;
    Invalidate();
}

void TMOStringGrid::SetFixAutoNum(bool value) {
    FFixAutoNum = value;
    Invalidate();
}

void TMOStringGrid::SizeChanged(int oldColCount, int oldRowCount) {
    TStringGrid::SizeChanged(oldColCount, oldRowCount);
    FColumns.Resize(ColCount());
}

TColor TMOStringGrid::CellColor(int col, int row) const {
    if (FGridStyle == mgsStriped)
        return row % 2 == 0 ? FStripeColor : Color();
    const TMOGridColumn* column = FColumns[col];
    return column ? column->Color() : Color();
}

void TMOStringGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
    if (DefaultDrawing())
        DrawColumnCell(col, row, rect, state);
    DoDrawCell(col, row, rect, state);
}

void TMOStringGrid::DrawColumnCell(int col, int row, const TRect& rect, TGridDrawState state) {
    const TMOGridColumn* column = FColumns[col];
    if (!column)
        return;
    TCanvas& canvas = *Canvas();
    QString text = Cells(col, row);
    TAlignment horizontal;
    TAlignmentV vertical;
    if (state & gdFixed) {
        canvas.Font = column->FixCellFont();
        horizontal = column->FixAlignment();
        vertical = column->FixAlignmentV();
        if (text.isEmpty() && row == 0)
            text = column->Caption();
        else if (text.isEmpty() && FFixAutoNum && row >= FixedRows())
            text = QString::number(row - FixedRows() + 1);
    } else {
        canvas.Brush = TBrush{CellColor(col, row), bsSolid};
        canvas.FillRect(rect);
        if (column->ButtonStyle() == cbsCheckBox) {
            const int left = rect.Left + rect.Width() / 2 - 7;
            canvas.DrawCheckBox(Rect(left, rect.Top, left + 14, rect.Bottom), text == "1");
            return;
        }
        canvas.Font = column->Font();
        horizontal = column->Alignment();
        vertical = column->AlignmentV();
    }
    // The brush is the cell's background, so the text needs no clear brush; a screen's
    // OnDrawCell then finds a solid one.
    TRect inner = rect.Inflated(-5, -3);
    canvas.DrawText(text, inner,
                    DT_SINGLELINE | HorizontalFlag(horizontal) | VerticalFlag(vertical));
}

void TMOStringGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    const TGridCoord cell = MouseCoord(x, y);
    const TMOGridColumn* column = FColumns[cell.X];
    if (button == mbLeft && cell.X >= FixedCols() && cell.Y >= FixedRows() && column &&
        column->ButtonStyle() == cbsCheckBox) {
        HideEditor();
        const bool check = Cells(cell.X, cell.Y) != "1";
        SetCells(cell.X, cell.Y, check ? "1" : "0");
        CheckCellClick(cell.X, cell.Y, check);
        return;
    }
    TStringGrid::MouseDown(button, shift, x, y);
}

void TMOStringGrid::CheckCellClick(int col, int row, bool check) {
    if (OnCheckCellClick)
        OnCheckCellClick(this, col, row, check);
}

void TMOStringGrid::EditButtonClick(QString& str) {
    if (OnEditButtonClick)
        OnEditButtonClick(this, Col(), Row(), str);
}

void TMOStringGrid::ListBoxClick(const QString& str) {
    if (OnListBoxClick)
        OnListBoxClick(this, Col(), Row(), str);
}

bool TMOStringGrid::CanEditShow() {
    const TMOGridColumn* column = FColumns[Col()];
    return TStringGrid::CanEditShow() && (!column || column->CanEdit());
}

QString TMOStringGrid::GetEditText(int col, int row) {
    const TMOGridColumn* column = FColumns[col];
    const QString text = Cells(col, row);
    if (!column)
        return text;
    if (column->ButtonStyle() == cbsCheckBox)
        return QString();
    if (column->ButtonStyle() == cbsCalendar && text.isEmpty())
        return CalendarEmptyText(column->DateFormat);
    return text;
}

void TMOStringGrid::SetEditText(int col, int row, const QString& value) {
    const TMOGridColumn* column = FColumns[col];
    QString text = value;
    if (column && column->ButtonStyle() == cbsCalendar && IsEmptyCalendarText(value))
        text.clear();
    else if (column && column->DataType() == dtInteger)
        text = NormalizeIntegerText(value);
    TStringGrid::SetEditText(col, row, text);
}

TInplaceEdit* TMOStringGrid::CreateEditor() {
    return new TInplaceEdit3D(this);
}
