#pragma once

#include "base/DateTime.h"
#include "components/grids/MOGridColumns.h"
#include "ui/StringGrid.h"

enum TMOGridStyle { mgsNormal, mgsStriped };

// A string grid whose columns carry their own settings (GridColumns) and that draws every
// cell from them: header captions, alignments, fonts, colours or stripes, numbered fixed
// rows, and check-box cells that hold "1" or "0" and toggle on a click.
class TMOStringGrid : public TStringGrid {
    Q_OBJECT
public:
    explicit TMOStringGrid(QWidget* parent = nullptr);
    ~TMOStringGrid() override;

    TMOGridColumns& GridColumns() { return FColumns; }
    const TMOGridColumns& GridColumns() const { return FColumns; }
    TMOGridStyle GridStyle() const { return FGridStyle; }
    void SetGridStyle(TMOGridStyle value);
    TColor StripeColor() const { return FStripeColor; }
    void SetStripeColor(TColor value);
    bool FixAutoNum() const { return FFixAutoNum; }
    void SetFixAutoNum(bool value);

    std::function<void(QObject* Sender, int ACol, int ARow, bool Check)> OnCheckCellClick;
    std::function<void(QObject* Sender, int ACol, int ARow, QString& str)> OnEditButtonClick;
    std::function<void(QObject* Sender, int ACol, int ARow, const QString& str)> OnListBoxClick;

    // The cell's background: stripes when striped, else the column's colour.
    TColor CellColor(int col, int row) const;
    void DrawColumnCell(int col, int row, const TRect& rect, TGridDrawState state);
    void CheckCellClick(int col, int row, bool check);
    // The ellipsis button of the current cell's editor was clicked; `str` is the cell text
    // and comes back as the new one.
    void EditButtonClick(QString& str);
    void ListBoxClick(const QString& str);

    QString GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const QString& value) override;
    bool CanEditShow() override;

protected:
    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void SizeChanged(int oldColCount, int oldRowCount) override;
    TInplaceEdit* CreateEditor() override;

private:
    TMOGridColumns FColumns{this};
    TMOGridStyle FGridStyle = mgsNormal;
    TColor FStripeColor = 0x00FFFF;
    bool FFixAutoNum = false;
};

// The text a cell of an integer column keeps for what was typed: a lone "-" becomes "-0",
// any other integer its plain decimal form; empty and non-integer text stay as they are.
QString NormalizeIntegerText(const QString& text);
// The edit mask of a calendar column and the text the mask shows when empty.
QString CalendarEditMask(TMODateFormat format);
QString CalendarEmptyText(TMODateFormat format);
// The date a calendar cell's text stands for; `fallback` when it is no date.
TDateTime CalendarCellDate(const QString& text, TDateTime fallback);
