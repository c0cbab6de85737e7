#pragma once

#include "base/Strings.h"
#include "ui/Alignment.h"
#include "ui/Color.h"
#include "ui/Font.h"
#include "ui/ImeMode.h"

#include <memory>
#include <vector>

class TMOStringGrid;
class TMOGridColumns;

enum TAlignmentV { tavTop, tavCenter, tavBottom };
enum TInputDataType { dtString, dtInteger };
enum TMOColumnButtonStyle {
    cbsList,
    cbsDropList,
    cbsEllipsis,
    cbsCheckBox,
    cbsSimple,
    cbsSpin,
    cbsCalendar
};
enum TMODateFormat { dtLong, dtShort };

// Steps and limits of a spin column; equal limits mean no limit.
struct TSpinButtonOption {
    int Increment = 1;
    int MaxValue = 0;
    int MinValue = 0;
};

// Colours of a calendar column's drop-down calendar.
struct TCalColors {
    TColor MonthFixedColor = 0xFFFFFF;
    TColor MonthBackColor = 0xFFFFFF;
    TColor SaturDayColor = 0xFF0000;
    TColor TitleBackColor = clActiveCaption;
    TColor TitleTextColor = 0xFFFFFF;
    TColor WeekEndColor = 0x0000FF;
    TColor DayTextColor = clWindowText;
};

// The settings of one grid column: header caption, fonts, alignments, colour, data type,
// input-method mode and the kind of cell and editor.
class TMOGridColumn {
public:
    explicit TMOGridColumn(TMOGridColumns* collection);
    TMOGridColumn(const TMOGridColumn&) = delete;
    TMOGridColumn& operator=(const TMOGridColumn&) = delete;

    int Index() const;

    const QString& Caption() const { return FCaption; }
    // An empty caption is kept as one blank.
    void SetCaption(const QString& value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    TAlignmentV AlignmentV() const { return FAlignmentV; }
    void SetAlignmentV(TAlignmentV value);
    TAlignment FixAlignment() const { return FFixAlignment; }
    void SetFixAlignment(TAlignment value);
    TAlignmentV FixAlignmentV() const { return FFixAlignmentV; }
    void SetFixAlignmentV(TAlignmentV value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& value);
    const TFont& FixCellFont() const { return FFixCellFont; }
    void SetFixCellFont(const TFont& value);
    bool CanEdit() const { return FCanEdit; }
    void SetCanEdit(bool value) { FCanEdit = value; }
    TInputDataType DataType() const { return FDataType; }
    void SetDataType(TInputDataType value) { FDataType = value; }
    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode value) { FImeMode = value; }
    TMOColumnButtonStyle ButtonStyle() const { return FButtonStyle; }
    // A spin column holds integers; every other style holds text.
    void SetButtonStyle(TMOColumnButtonStyle value);
    TStringList& ListStrings() { return FListStrings; }
    const TStringList& ListStrings() const { return FListStrings; }
    TSpinButtonOption SpinButtonOption;
    TCalColors CalColors;
    TMODateFormat DateFormat = dtShort;

private:
    void Changed();

    TMOGridColumns* FCollection;
    QString FCaption = " ";
    TAlignment FAlignment = taLeftJustify;
    TAlignmentV FAlignmentV = tavCenter;
    TAlignment FFixAlignment = taCenter;
    TAlignmentV FFixAlignmentV = tavCenter;
    TColor FColor;
    TFont FFont;
    TFont FFixCellFont;
    bool FCanEdit = true;
    TInputDataType FDataType = dtString;
    TImeMode FImeMode = imClose;
    TMOColumnButtonStyle FButtonStyle = cbsSimple;
    TStringList FListStrings;
};

// The grid's column objects, one per grid column: adding or deleting one changes the
// grid's column count.
class TMOGridColumns {
public:
    explicit TMOGridColumns(TMOStringGrid* grid) : FGrid(grid) {}
    TMOGridColumns(const TMOGridColumns&) = delete;
    TMOGridColumns& operator=(const TMOGridColumns&) = delete;

    TMOStringGrid* Owner() const { return FGrid; }
    int Count() const { return int(FItems.size()); }
    // The column object, or null for an index without one.
    TMOGridColumn* GetItem(int index) const;
    TMOGridColumn* operator[](int index) const { return GetItem(index); }
    TMOGridColumn* Add();
    void Delete(int index);
    int IndexOf(const TMOGridColumn* column) const;

    // Adds or removes columns at the end until there are `count`, leaving the grid alone.
    void Resize(int count);
    // A column's look changed.
    void Update();

private:
    TMOStringGrid* FGrid;
    std::vector<std::unique_ptr<TMOGridColumn>> FItems;
};
