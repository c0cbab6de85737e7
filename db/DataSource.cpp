#include "DataSource.h"

#include <algorithm>

// ---------------------------------------------------------------- TDataSource

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    Destroying();
    while (!FDataLinks.isEmpty())
        FDataLinks.last()->SetDataSource(nullptr);
    SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* value) {
    if (value == FDataSet)
        return;
    if (value && IsLinkedTo(value))
        DatabaseError("Circular datalinks are not allowed", this);
    if (FDataSet)
        FDataSet->RemoveDataSource(this);
    FDataSet = value;
    if (FDataSet)
        FDataSet->AddDataSource(this);
    UpdateState();
}

void TDataSource::DataSetGone() {
    FDataSet->FDataSources.removeAll(this);
    FDataSet = nullptr;
    UpdateState();
}

void TDataSource::SetEnabled(bool value) {
    FEnabled = value;
    UpdateState();
}

void TDataSource::Edit() {
    if (AutoEdit && FState == dsBrowse)
        FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* dataSet) const {
    for (TDataSet* d = dataSet; d;) {
        TDataSource* source = d->DataSource();
        if (!source)
            return false;
        if (source == this)
            return true;
        d = source->DataSet();
    }
    return false;
}

void TDataSource::UpdateState() {
    const TDataSetState state = FEnabled && FDataSet ? FDataSet->State() : dsInactive;
    if (state == FState)
        return;
    FState = state;
    for (TDataLink* link : QList<TDataLink*>(FDataLinks))
        link->UpdateState();
    if (OnStateChange)
        OnStateChange(this);
}

void TDataSource::DataEvent(TDataEvent event, const void* info) {
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (FState == dsInactive)
        return;
    for (TDataLink* link : QList<TDataLink*>(FDataLinks))
        link->DataEvent(event, info);
    switch (event) {
    case deFieldChange:
    case deRecordChange:
        if (OnDataChange)
            OnDataChange(this, static_cast<TField*>(const_cast<void*>(info)));
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange)
            OnDataChange(this, nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData)
            OnUpdateData(this);
        break;
    default:
        break;
    }
}

void TDataSource::AddDataLink(TDataLink* link) {
    FDataLinks.append(link);
    link->FDataSource = this;
    if (FDataSet)
        FDataSet->UpdateBufferCount();
    link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* link) {
    link->FDataSource = nullptr;
    FDataLinks.removeAll(link);
    link->UpdateState();
    if (FDataSet)
        FDataSet->UpdateBufferCount();
}

// ---------------------------------------------------------------- TDataLink

TDataLink::~TDataLink() {
    // Only the bookkeeping: the descendant part of the link is gone already.
    if (FDataSource) {
        FDataSource->FDataLinks.removeAll(this);
        if (TDataSet* dataSet = FDataSource->DataSet())
            dataSet->UpdateBufferCount();
    }
}

void TDataLink::SetDataSource(TDataSource* value) {
    if (value == FDataSource)
        return;
    if (FDataSource)
        FDataSource->RemoveDataLink(this);
    if (value)
        value->AddDataLink(this);
}

void TDataLink::SetReadOnly(bool value) {
    if (FReadOnly == value)
        return;
    FReadOnly = value;
    UpdateState();
}

void TDataLink::SetBufferCount(int value) {
    if (FBufferCount == value)
        return;
    FBufferCount = std::max(1, value);
    if (FActive) {
        DataSet()->UpdateBufferCount();
        UpdateRange();
    }
}

int TDataLink::ActiveRecord() const {
    if (!FActive || DataSet()->State() == dsSetKey)
        return 0;
    return DataSet()->FActiveRecord - FFirstRecord;
}

void TDataLink::SetActiveRecord(int value) {
    if (FActive && DataSet()->State() != dsSetKey)
        DataSet()->FActiveRecord = value + FFirstRecord;
}

int TDataLink::RecordCount() const {
    if (!FActive)
        return 0;
    if (DataSet()->State() == dsSetKey)
        return 1;
    return std::min(FBufferCount, DataSet()->FRecordCount - FFirstRecord);
}

bool TDataLink::Edit() {
    if (!FReadOnly && FDataSource)
        FDataSource->Edit();
    return FEditing;
}

void TDataLink::UpdateRecord() {
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

void TDataLink::UpdateState() {
    SetActive(FDataSource && FDataSource->State() != dsInactive);
    const TDataSetState state = FDataSource ? FDataSource->State() : dsInactive;
    SetEditing((state == dsEdit || state == dsInsert || state == dsSetKey) && !FReadOnly);
}

void TDataLink::SetActive(bool value) {
    if (FActive == value)
        return;
    FActive = value;
    if (value)
        UpdateRange();
    else
        FFirstRecord = 0;
    ActiveChanged();
}

void TDataLink::SetEditing(bool value) {
    if (FEditing == value)
        return;
    FEditing = value;
    EditingChanged();
}

// Keeps the dataset's active record inside the link's window.
void TDataLink::UpdateRange() {
    const TDataSet* dataSet = DataSet();
    const int low = std::max(0, dataSet->FActiveRecord - FBufferCount + 1);
    const int high =
        std::min(std::max(0, dataSet->FBufferCount - FBufferCount), dataSet->FActiveRecord);
    FFirstRecord = std::clamp(FFirstRecord, low, std::max(low, high));
}

void TDataLink::DataEvent(TDataEvent event, const void* info) {
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!FActive)
        return;
    switch (event) {
    case deFieldChange:
    case deRecordChange:
        if (!FUpdating)
            RecordChanged(static_cast<TField*>(const_cast<void*>(info)));
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
        int count = 0;
        if (FDataSource->State() != dsSetKey) {
            const int active = DataSet()->FActiveRecord;
            const int shift = event == deDataSetScroll && info ? *static_cast<const int*>(info) : 0;
            const int first = FFirstRecord + shift;
            if (active > first + FBufferCount - 1)
                count = active - (first + FBufferCount - 1);
            else if (active < first)
                count = active - first;
            FFirstRecord = first + count;
        }
        if (event == deDataSetChange)
            DataSetChanged();
        else if (event == deDataSetScroll)
            DataSetScrolled(count);
        else
            LayoutChanged();
        break;
    }
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case deFocusControl:
        FocusControl(static_cast<TField*>(const_cast<void*>(info)));
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- TFieldDataLink

void TFieldDataLink::SetFieldName(const QString& value) {
    if (FFieldName == value)
        return;
    FFieldName = value;
    UpdateField();
}

void TFieldDataLink::UpdateField() {
    TField* field = Active() && !FFieldName.isEmpty() ? DataSet()->FindField(FFieldName) : nullptr;
    if (field != FField) {
        FField = field;
        EditingChanged();
        Reset();
    }
}

bool TFieldDataLink::CanModify() const {
    return !ReadOnly() && FField && FField->CanModify();
}

void TFieldDataLink::Reset() {
    FModified = false;
    if (OnDataChange)
        OnDataChange();
}

void TFieldDataLink::ActiveChanged() {
    UpdateField();
    if (OnActiveChange)
        OnActiveChange();
}

void TFieldDataLink::EditingChanged() {
    if (OnEditingChange)
        OnEditingChange();
}

void TFieldDataLink::LayoutChanged() {
    UpdateField();
}

void TFieldDataLink::RecordChanged(TField* field) {
    if (!field || field == FField)
        Reset();
}

void TFieldDataLink::UpdateData() {
    if (FModified && FField && OnUpdateData)
        OnUpdateData();
    FModified = false;
}
