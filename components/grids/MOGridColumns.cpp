#include "components/grids/MOGridColumns.h"

#include "components/grids/MOStringGrid.h"

TMOGridColumn::TMOGridColumn(TMOGridColumns* collection)
    : FCollection(collection), FColor(collection->Owner()->Color()),
      FFont(collection->Owner()->Font()), FFixCellFont(FFont) {
    FListStrings.OnChange = [this] { Changed(); };
}

int TMOGridColumn::Index() const {
    return FCollection->IndexOf(this);
}

void TMOGridColumn::Changed() {
    FCollection->Update();
}

void TMOGridColumn::SetCaption(const QString& value) {
    FCaption = value.isEmpty() ? QString(" ") : value;
    Changed();
}

void TMOGridColumn::SetAlignment(TAlignment value) {
    FAlignment = value;
    Changed();
}

void TMOGridColumn::SetAlignmentV(TAlignmentV value) {
    FAlignmentV = value;
    Changed();
}

void TMOGridColumn::SetFixAlignment(TAlignment value) {
    FFixAlignment = value;
    Changed();
}

void TMOGridColumn::SetFixAlignmentV(TAlignmentV value) {
    FFixAlignmentV = value;
    Changed();
}

void TMOGridColumn::SetColor(TColor value) {
    FColor = value;
    Changed();
}

void TMOGridColumn::SetFont(const TFont& value) {
    FFont = value;
    Changed();
}

void TMOGridColumn::SetFixCellFont(const TFont& value) {
    FFixCellFont = value;
    Changed();
}

void TMOGridColumn::SetButtonStyle(TMOColumnButtonStyle value) {
    FButtonStyle = value;
    FDataType = value == cbsSpin ? dtInteger : dtString;
    Changed();
}

TMOGridColumn* TMOGridColumns::GetItem(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return FItems[index].get();
}

TMOGridColumn* TMOGridColumns::Add() {
    FItems.push_back(std::make_unique<TMOGridColumn>(this));
    FGrid->SetColCount(Count());
    return FItems.back().get();
}

void TMOGridColumns::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    FItems.erase(FItems.begin() + index);
    FGrid->SetColCount(std::max(1, Count()));
}

int TMOGridColumns::IndexOf(const TMOGridColumn* column) const {
    for (int i = 0; i < Count(); ++i)
        if (FItems[i].get() == column)
            return i;
    return -1;
}

void TMOGridColumns::Resize(int count) {
    while (Count() < count)
        FItems.push_back(std::make_unique<TMOGridColumn>(this));
    while (Count() > count)
        FItems.pop_back();
}

void TMOGridColumns::Update() {
    FGrid->Invalidate();
}
