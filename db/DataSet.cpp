#include "DataSet.h"

#include "db/BlobStream.h"
#include "db/DataSource.h"
#include "db/Params.h"

#include <algorithm>
#include <cstring>

namespace {
const QString SDataSetOpen = "Cannot perform this operation on an open dataset";
const QString SDataSetClosed = "Cannot perform this operation on a closed dataset";
const QString SDataSetEmpty = "Cannot perform this operation on an empty dataset";
const QString SDataSetReadOnly = "Cannot modify a read-only dataset";
const QString SNotEditing = "Dataset not in edit or insert mode";
const QString SRecordNotFound = "Record not found";
const QString SBookmarkNotFound = "Bookmark not found";
constexpr int MaxBufferCount = 1024;

bool InEditModes(TDataSetState state) {
    return state == dsEdit || state == dsInsert || state == dsSetKey;
}
} // namespace

void Abort() {
    throw EAbort();
}

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner), FFields(this) {}

// Descendants close in their own destructor (Destroying(); Close();), while their part of
// the protocol still exists.
TDataSet::~TDataSet() {
    // Only bookkeeping here: the descendant's part of the protocol is gone already.
    const QList<TDataSource*> sources = FDataSources;
    for (TDataSource* source : sources)
        source->DataSetGone();
}

// ---------------------------------------------------------------- opening and closing

void TDataSet::SetActive(bool value) {
    if (Active() == value)
        return;
    if (value) {
        Fire(BeforeOpen);
        try {
            OpenCursor();
        } catch (...) {
            CloseCursor();
            throw;
        }
        SetState(dsBrowse);
        Fire(AfterOpen);
        if (!IsEmpty())
            DoAfterScroll();
    } else {
        // A dataset going away closes quietly: no events into a half-gone owner.
        if (!IsDestroying())
            Fire(BeforeClose);
        SetState(dsInactive);
        CloseCursor();
        if (!IsDestroying())
            Fire(AfterClose);
    }
}

void TDataSet::OpenCursor() {
    FDefaultFields = FieldCount() == 0;
    InternalOpen();
    FInternalOpenComplete = true;
    UpdateBufferCount();
    FBOF = true;
}

void TDataSet::CloseCursor() {
    FInternalOpenComplete = false;
    ClearBuffers();
    SetBufferCount(0);
    InternalClose();
    FCalcValues.clear();
}

void TDataSet::CheckInactive() const {
    if (Active())
        DatabaseError(SDataSetOpen, this);
}

void TDataSet::CheckActive() const {
    if (!Active())
        DatabaseError(SDataSetClosed, this);
}

void TDataSet::InternalHandleException() {}

// ---------------------------------------------------------------- fields

void TDataSet::CreateFields() {
    for (int i = 0; i < FFieldDefs.Count(); ++i)
        FFieldDefs[i].CreateField(this);
}

void TDataSet::DestroyFields() {
    FFields.Clear();
}

void TDataSet::BindFields(bool binding) {
    for (int i = 0; i < FFields.Count(); ++i) {
        TField* field = FFields[i];
        if (field->FieldKind() != fkData) {
            field->SetFieldNo(0);
            continue;
        }
        if (!binding) {
            field->SetFieldNo(0);
            continue;
        }
        const TFieldDef* def = FFieldDefs.Find(field->FieldName());
        if (!def)
            DatabaseError(QString("Field '%1' not found").arg(field->FieldName()), this);
        CheckFieldCompatibility(field, *def);
        field->SetFieldNo(def->FieldNo);
    }
}

void TDataSet::CheckFieldCompatibility(TField* field, const TFieldDef& fieldDef) {
    if (field->DataType() != fieldDef.DataType)
        DatabaseError(QString("Type mismatch for field '%1', expecting: %2 actual: %3")
                          .arg(field->FieldName(), FieldTypeName(field->DataType()),
                               FieldTypeName(fieldDef.DataType)),
                      this);
}

bool TDataSet::GetFieldData(TField* field, QVariant& value) {
    value.clear();
    return false;
}

void TDataSet::SetFieldData(TField* field, const QVariant& value) {}

int TDataSet::GetBlobFieldData(int fieldNo, QByteArray& buffer) {
    TField* field = FFields.FieldByNumber(fieldNo);
    if (!field || !GetActiveRecordBuffer())
        return -1;
    QVariant value;
    buffer = field->GetData(value) ? value.toByteArray() : QByteArray();
    return int(buffer.size());
}

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
    return std::make_unique<TBlobStream>(field, mode);
}

TRecordBuffer TDataSet::GetActiveRecordBuffer() {
    switch (FState) {
    case dsBrowse:
        return IsEmpty() ? nullptr : ActiveBuffer();
    case dsEdit:
    case dsInsert:
        return ActiveBuffer();
    case dsCalcFields:
        return FCalcBuffer;
    case dsFilter:
        return FFilterBuffer;
    default:
        return nullptr;
    }
}

// Calculated values live beside the record buffers, so descendants keep only their columns.
bool TDataSet::GetCalcFieldData(TField* field, QVariant& value) {
    const TRecordBuffer buffer = GetActiveRecordBuffer();
    value = buffer ? FCalcValues.value(buffer).value(field) : QVariant();
    return !value.isNull();
}

void TDataSet::SetCalcFieldData(TField* field, const QVariant& value) {
    if (const TRecordBuffer buffer = GetActiveRecordBuffer())
        FCalcValues[buffer][field] = value;
}

void TDataSet::ClearCalcFields(TRecordBuffer buffer) {
    FCalcValues.remove(buffer);
}

void TDataSet::GetCalcFields(TRecordBuffer buffer) {
    // Asked for every row read: without a handler the fields need not be looked at.
    if (!OnCalcFields)
        return;
    bool hasCalcFields = false;
    for (int i = 0; i < FFields.Count(); ++i)
        hasCalcFields = hasCalcFields || FFields[i]->Calculated();
    if (!hasCalcFields)
        return;
    TBufferState calculating(*this, dsCalcFields, buffer);
    ClearCalcFields(buffer);
    OnCalcFields(this);
}

void TDataSet::UpdateCalcFields() {
    if (FState != dsSetKey && AutoCalcFields && InEditModes(FState))
        GetCalcFields(ActiveBuffer());
}

// ---------------------------------------------------------------- states and events

TDataSetState TDataSet::SetTempState(TDataSetState value) {
    const TDataSetState old = FState;
    FState = value;
    ++FDisableCount;
    return old;
}

void TDataSet::RestoreState(TDataSetState value) {
    FState = value;
    --FDisableCount;
}

TDataSet::TBufferState::TBufferState(TDataSet& dataSet, TDataSetState state, TRecordBuffer buffer)
    : FDataSet(dataSet), FSlot(state == dsCalcFields ? dataSet.FCalcBuffer : dataSet.FFilterBuffer),
      FSavedBuffer(FSlot), FSavedState(dataSet.SetTempState(state)) {
    FSlot = buffer;
}

TDataSet::TBufferState::~TBufferState() {
    FSlot = FSavedBuffer;
    FDataSet.RestoreState(FSavedState);
}

void TDataSet::SetState(TDataSetState value) {
    if (FState == value)
        return;
    FState = value;
    FModified = false;
    DataEvent(deUpdateState);
}

void TDataSet::DataEvent(TDataEvent event, const void* info) {
    switch (event) {
    case deFieldChange: {
        auto* field = static_cast<const TField*>(info);
        if (field && field->FieldKind() == fkData)
            FModified = true;
        UpdateCalcFields();
        break;
    }
    default:
        break;
    }
    if (ControlsDisabled()) {
        if (event == deLayoutChange)
            FEnableEvent = deLayoutChange;
        return;
    }
    // A copy, as a source may leave the list; const, so that walking it allocates nothing.
    const QList<TDataSource*> sources = FDataSources;
    for (TDataSource* source : sources)
        source->DataEvent(event, info);
}

void TDataSet::DisableControls() {
    if (FDisableCount == 0) {
        FDisableState = FState;
        FEnableEvent = deDataSetChange;
    }
    ++FDisableCount;
}

void TDataSet::EnableControls() {
    if (FDisableCount == 0)
        return;
    if (--FDisableCount != 0)
        return;
    if (FDisableState != FState)
        DataEvent(deUpdateState);
    if (FDisableState != dsInactive && FState != dsInactive)
        DataEvent(FEnableEvent);
}

void TDataSet::DoBeforeScroll() {
    Fire(BeforeScroll);
}
void TDataSet::DoAfterScroll() {
    Fire(AfterScroll);
}

// ---------------------------------------------------------------- the buffer ring

void TDataSet::UpdateBufferCount() {
    if (!IsCursorOpen())
        return;
    int count = 1;
    for (TDataSource* source : FDataSources)
        for (TDataLink* link : source->FDataLinks)
            count = std::max(count, link->FBufferCount);
    SetBufferCount(count);
}

void TDataSet::AdjustFirstRecord(int delta) {
    if (delta == 0)
        return;
    for (TDataSource* source : FDataSources)
        for (TDataLink* link : source->FDataLinks)
            if (link->FActive)
                link->FFirstRecord += delta;
}

void TDataSet::SetBufferCount(int value) {
    value = std::min(value, MaxBufferCount);
    if (value == FBufferCount)
        return;
    if (value < FRecordCount) {
        // Keep the active record in the window: drop records before it first.
        const int dropFront = std::max(0, FActiveRecord - value + 1);
        for (int i = 0; i < dropFront; ++i)
            MoveBuffer(0, int(FBuffers.size()) - 1);
        FActiveRecord -= dropFront;
        FCurrentRecord = FCurrentRecord >= dropFront ? FCurrentRecord - dropFront : -1;
        AdjustFirstRecord(-dropFront);
        FRecordCount = value;
        if (FCurrentRecord >= FRecordCount)
            FCurrentRecord = -1;
    }
    const int wanted = value > 0 ? value + 1 : 0;
    while (FBuffers.size() > wanted) {
        TRecordBuffer buffer = FBuffers.takeLast();
        FCalcValues.remove(buffer);
        FreeRecordBuffer(buffer);
    }
    while (FBuffers.size() < wanted)
        FBuffers.append(AllocRecordBuffer());
    FBufferCount = value;
    if (FBufferCount > 0 && FInternalOpenComplete) {
        GetNextRecords();
        AdjustFirstRecord(GetPriorRecords());
    }
}

TRecordBuffer TDataSet::AllocRecordBuffer() {
    const int size = GetRecordSize();
    auto* buffer = new uint8_t[size_t(std::max(size, 1))];
    std::memset(buffer, 0, size_t(std::max(size, 1)));
    return buffer;
}

void TDataSet::FreeRecordBuffer(TRecordBuffer& buffer) {
    delete[] buffer;
    buffer = nullptr;
}

void TDataSet::ClearBuffers() {
    FRecordCount = 0;
    FActiveRecord = 0;
    FCurrentRecord = -1;
    FBOF = true;
    FEOF = true;
}

void TDataSet::ActivateBuffers() {
    FRecordCount = 1;
    FActiveRecord = 0;
    FCurrentRecord = 0;
    FBOF = false;
    FEOF = false;
}

void TDataSet::MoveBuffer(int curIndex, int newIndex) {
    if (curIndex != newIndex)
        FBuffers.move(curIndex, newIndex);
}

void TDataSet::SetCurrentRecord(int index) {
    if (FCurrentRecord == index)
        return;
    TRecordBuffer buffer = FBuffers[index];
    switch (GetBookmarkFlag(buffer)) {
    case bfCurrent:
    case bfInserted:
        InternalSetToRecord(buffer);
        break;
    case bfBOF:
        InternalFirst();
        break;
    case bfEOF:
        InternalLast();
        break;
    }
    FCurrentRecord = index;
}

void TDataSet::UpdateCursorPos() {
    if (FRecordCount > 0)
        SetCurrentRecord(FActiveRecord);
}

bool TDataSet::GetNextRecord() {
    TGetMode mode = gmNext;
    if (FRecordCount > 0) {
        SetCurrentRecord(FRecordCount - 1);
        // An inserted record that is not yet posted sits before the cursor's record.
        if (FState == dsInsert && FCurrentRecord == FActiveRecord &&
            GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
            mode = gmCurrent;
    }
    if (GetRecord(FBuffers[FRecordCount], mode, true) != grOK) {
        CursorPosChanged();
        return false;
    }
    if (FRecordCount == 0)
        ActivateBuffers();
    else if (FRecordCount < FBufferCount)
        ++FRecordCount;
    else
        MoveBuffer(0, FRecordCount);
    FCurrentRecord = FRecordCount - 1;
    return true;
}

bool TDataSet::GetPriorRecord() {
    if (FRecordCount > 0)
        SetCurrentRecord(0);
    if (GetRecord(FBuffers[FRecordCount], gmPrior, true) != grOK) {
        CursorPosChanged();
        return false;
    }
    if (FRecordCount == 0) {
        ActivateBuffers();
    } else {
        MoveBuffer(FRecordCount, 0);
        if (FRecordCount < FBufferCount) {
            ++FRecordCount;
            ++FActiveRecord;
        }
    }
    FCurrentRecord = 0;
    return true;
}

int TDataSet::GetNextRecords() {
    int count = 0;
    while (FRecordCount < FBufferCount && GetNextRecord())
        ++count;
    return count;
}

int TDataSet::GetPriorRecords() {
    int count = 0;
    while (FRecordCount < FBufferCount && GetPriorRecord())
        ++count;
    return count;
}

void TDataSet::Resync(TResyncMode mode) {
    if (mode & rmExact) {
        CursorPosChanged();
        if (GetRecord(FBuffers[FRecordCount], gmCurrent, true) != grOK)
            DatabaseError(SRecordNotFound, this);
    } else if (GetRecord(FBuffers[FRecordCount], gmCurrent, false) != grOK &&
               GetRecord(FBuffers[FRecordCount], gmNext, false) != grOK &&
               GetRecord(FBuffers[FRecordCount], gmPrior, false) != grOK) {
        ClearBuffers();
        DataEvent(deDataSetChange);
        return;
    }
    int count = (mode & rmCenter) ? (FBufferCount - 1) / 2 : FActiveRecord;
    MoveBuffer(FRecordCount, 0);
    ActivateBuffers();
    try {
        while (count > 0 && GetPriorRecord())
            --count;
        GetNextRecords();
        GetPriorRecords();
    } catch (...) {
        DataEvent(deDataSetChange);
        throw;
    }
    DataEvent(deDataSetChange);
}

// ---------------------------------------------------------------- navigation

void TDataSet::First() {
    ScrollToEnd(false);
}

void TDataSet::Last() {
    ScrollToEnd(true);
}

// Fills the buffers from the first or the last record; the cursor then stands at that end.
void TDataSet::ScrollToEnd(bool last) {
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    auto done = [this, last] {
        (last ? FEOF : FBOF) = true;
        DataEvent(deDataSetChange);
    };
    try {
        if (last) {
            InternalLast();
            GetPriorRecord();
            GetPriorRecords();
        } else {
            InternalFirst();
            GetNextRecord();
            GetNextRecords();
        }
    } catch (...) {
        done();
        throw;
    }
    done();
    DoAfterScroll();
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    int result = 0;
    DoBeforeScroll();
    if ((distance > 0 && FEOF) || (distance < 0 && FBOF) || distance == 0)
        return 0;
    FBOF = false;
    FEOF = false;
    int scrollCount = 0;
    auto finish = [&] {
        if (scrollCount == 0)
            DataEvent(deDataSetChange);
        else
            DataEvent(deDataSetScroll, &scrollCount);
    };
    try {
        while (distance > 0) {
            if (FActiveRecord < FRecordCount - 1) {
                ++FActiveRecord;
            } else {
                const int shift = FRecordCount < FBufferCount ? 0 : 1;
                if (!GetNextRecord()) {
                    FEOF = true;
                    break;
                }
                scrollCount -= shift;
                if (FActiveRecord < FRecordCount - 1)
                    ++FActiveRecord;
            }
            --distance;
            ++result;
        }
        while (distance < 0) {
            if (FActiveRecord > 0) {
                --FActiveRecord;
            } else {
                const int shift = FRecordCount < FBufferCount ? 0 : 1;
                if (!GetPriorRecord()) {
                    FBOF = true;
                    break;
                }
                scrollCount += shift;
                if (FActiveRecord > 0)
                    --FActiveRecord;
            }
            ++distance;
            --result;
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    DoAfterScroll();
    return result;
}

// ---------------------------------------------------------------- bookmarks

bool TDataSet::BookmarkAvailable() {
    return (FState == dsBrowse || FState == dsEdit || FState == dsInsert) && !IsEmpty() &&
           GetBookmarkFlag(ActiveBuffer()) == bfCurrent;
}

TBookmark TDataSet::GetBookmark() {
    if (!BookmarkAvailable() || BookmarkSize <= 0)
        return {};
    TBookmark bookmark(BookmarkSize, '\0');
    GetBookmarkData(ActiveBuffer(), bookmark.data());
    return bookmark;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
    if (bookmark.isEmpty())
        return;
    CheckBrowseMode();
    DoBeforeScroll();
    InternalGotoBookmark(bookmark.constData());
    Resync(rmExact | rmCenter);
    DoAfterScroll();
}

int TDataSet::CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2) {
    if (bookmark1.isEmpty() || bookmark2.isEmpty())
        return bookmark1.isEmpty() == bookmark2.isEmpty() ? 0 : (bookmark1.isEmpty() ? -1 : 1);
    const int c = std::memcmp(bookmark1.constData(), bookmark2.constData(),
                              size_t(std::min(bookmark1.size(), bookmark2.size())));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// ---------------------------------------------------------------- editing

void TDataSet::CheckCanModify() {
    if (!GetCanModify())
        DatabaseError(SDataSetReadOnly, this);
}

void TDataSet::CheckOperation(const std::function<void()>& operation,
                              const TDataSetErrorEvent& onError) {
    for (;;) {
        try {
            UpdateCursorPos();
            operation();
            return;
        } catch (EDatabaseError& e) {
            TDataAction action = daFail;
            if (onError)
                onError(this, e, action);
            if (action == daFail)
                throw;
            if (action == daAbort)
                Abort();
        }
    }
}

void TDataSet::Edit() {
    if (FState == dsEdit || FState == dsInsert)
        return;
    if (FRecordCount == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeEdit);
    CheckOperation([this] { InternalEdit(); }, OnEditError);
    GetCalcFields(ActiveBuffer());
    SetState(dsEdit);
    DataEvent(deRecordChange);
    Fire(AfterEdit);
}

void TDataSet::InitRecord(TRecordBuffer buffer) {
    InternalInitRecord(buffer);
    ClearCalcFields(buffer);
    SetBookmarkFlag(buffer, bfInserted);
}

void TDataSet::BeginInsertAppend() {
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeInsert);
}

void TDataSet::EndInsertAppend() {
    SetState(dsInsert);
    try {
        Fire(OnNewRecord);
    } catch (...) {
        UpdateCursorPos();
        FreeFieldBuffers();
        SetState(dsBrowse);
        Resync(0);
        throw;
    }
    FModified = false;
    DataEvent(deDataSetChange);
    Fire(AfterInsert);
}

void TDataSet::Insert() {
    BeginInsertAppend();
    const TBookmark current = GetBookmark();
    MoveBuffer(FRecordCount, FActiveRecord);
    TRecordBuffer buffer = ActiveBuffer();
    InitRecord(buffer);
    // The new record takes the place of the current one, which keeps its bookmark for the post.
    if (FRecordCount == 0)
        SetBookmarkFlag(buffer, bfBOF);
    else if (!current.isEmpty())
        SetBookmarkData(buffer, current.constData());
    if (FRecordCount < FBufferCount)
        ++FRecordCount;
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::Append() {
    BeginInsertAppend();
    ClearBuffers();
    TRecordBuffer buffer = FBuffers[0];
    InitRecord(buffer);
    SetBookmarkFlag(buffer, bfEOF);
    FRecordCount = 1;
    FBOF = false;
    GetPriorRecords();
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::InternalPost() {
    CheckRequiredFields();
}

void TDataSet::CheckRequiredFields() {
    for (int i = 0; i < FFields.Count(); ++i) {
        TField* field = FFields[i];
        if (field->Required && !field->ReadOnly && field->FieldKind() == fkData &&
            field->IsNull()) {
            field->FocusControl();
            DatabaseError(QString("Field '%1' must have a value").arg(field->DisplayLabel()), this);
        }
    }
}

void TDataSet::FreeFieldBuffers() {
    for (int i = 0; i < FFields.Count(); ++i)
        FFields[i]->Modified = false;
}

void TDataSet::Post() {
    UpdateRecord();
    if (FState != dsEdit && FState != dsInsert)
        return;
    DataEvent(deCheckBrowseMode);
    Fire(BeforePost);
    CheckOperation([this] { InternalPost(); }, OnPostError);
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync(0);
    Fire(AfterPost);
}

void TDataSet::Cancel() {
    if (FState != dsEdit && FState != dsInsert)
        return;
    DataEvent(deCheckBrowseMode);
    Fire(BeforeCancel);
    const bool scrolls = FState == dsInsert;
    if (scrolls)
        DoBeforeScroll();
    UpdateCursorPos();
    InternalCancel();
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync(0);
    Fire(AfterCancel);
    if (scrolls)
        DoAfterScroll();
}

void TDataSet::Delete() {
    CheckActive();
    if (FState == dsInsert || FState == dsSetKey) {
        Cancel();
        return;
    }
    if (FRecordCount == 0)
        DatabaseError(SDataSetEmpty, this);
    DataEvent(deCheckBrowseMode);
    Fire(BeforeDelete);
    DoBeforeScroll();
    CheckOperation([this] { InternalDelete(); }, OnDeleteError);
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync(0);
    Fire(AfterDelete);
    DoAfterScroll();
}

void TDataSet::UpdateRecord() {
    if (!InEditModes(FState))
        DatabaseError(SNotEditing, this);
    DataEvent(deUpdateRecord);
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode);
    switch (FState) {
    case dsEdit:
    case dsInsert:
        UpdateRecord();
        if (FModified)
            Post();
        else
            Cancel();
        break;
    case dsSetKey:
        Post();
        break;
    default:
        break;
    }
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    UpdateCursorPos();
    InternalRefresh();
    Resync(0);
}

// ---------------------------------------------------------------- filtering and searching

void TDataSet::SetFiltered(bool value) {
    FFiltered = value;
}

void TDataSet::SetFilterText(const QString& value) {
    FFilterText = value;
}

bool TDataSet::FilterAccepts(TRecordBuffer buffer) {
    if (!FFiltered || !OnFilterRecord)
        return true;
    TBufferState filtering(*this, dsFilter, buffer);
    bool accept = true;
    OnFilterRecord(this, accept);
    return accept;
}

bool TDataSet::FieldMatches(TField* field, const QVariant& value, TLocateOptions options) {
    if (options & (loPartialKey | loCaseInsensitive)) {
        if (field->IsNull() || value.isNull())
            return field->IsNull() && value.isNull();
        const QString text = field->AsString();
        const QString wanted = value.toString();
        const Qt::CaseSensitivity cs =
            (options & loCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
        if (options & loPartialKey)
            return text.startsWith(wanted, cs);
        return text.compare(wanted, cs) == 0;
    }
    if (value.isNull() || field->IsNull())
        return value.isNull() && field->IsNull();
    try {
        return field->ConvertValue(value) == field->Value();
    } catch (const EConvertError&) {
        return false;
    }
}

// Walks the records in the spare buffer, so the visible buffers and the events stay put;
// the descendant's cursor is left on the found record.
bool TDataSet::SearchRecord(const QString& keyFields, const QVariant& keyValues,
                            TLocateOptions options) {
    CheckBrowseMode();
    QList<TField*> fields;
    for (const QString& name : keyFields.split(';', Qt::SkipEmptyParts))
        fields.append(FieldByName(name.trimmed()));
    QVariantList values;
    if (fields.size() == 1)
        values.append(keyValues.typeId() == QMetaType::QVariantList && !keyValues.isNull()
                          ? keyValues.toList().value(0)
                          : keyValues);
    else
        values = keyValues.toList();
    CursorPosChanged();
    TRecordBuffer buffer = TempBuffer();
    TBufferState searching(*this, dsFilter, buffer);
    InternalFirst();
    while (GetRecord(buffer, gmNext, true) == grOK) {
        bool found = true;
        for (int i = 0; found && i < fields.size(); ++i)
            found = FieldMatches(fields[i], values.value(i), options);
        if (found)
            return true;
    }
    return false;
}

bool TDataSet::Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options) {
    DoBeforeScroll();
    if (!SearchRecord(keyFields, keyValues, options))
        return false;
    ShowFoundRecord();
    return true;
}

void TDataSet::ShowFoundRecord() {
    Resync(rmExact | rmCenter);
    DoAfterScroll();
}

QVariant TDataSet::Lookup(const QString& keyFields, const QVariant& keyValues,
                          const QString& resultFields) {
    if (!SearchRecord(keyFields, keyValues, 0))
        return {};
    TRecordBuffer buffer = TempBuffer();
    GetCalcFields(buffer);
    TBufferState reading(*this, dsFilter, buffer);
    QVariantList results;
    for (const QString& name : resultFields.split(';', Qt::SkipEmptyParts))
        results.append(FieldByName(name.trimmed())->Value());
    return results.size() == 1 ? results.first() : QVariant(results);
}

// ---------------------------------------------------------------- master and detail

bool TDataSet::IsLinkedTo(TDataSource* dataSource) const {
    while (dataSource) {
        TDataSet* dataSet = dataSource->DataSet();
        if (!dataSet)
            return false;
        if (dataSet == this)
            return true;
        dataSource = dataSet->DataSource();
    }
    return false;
}

void TDataSet::AddDataSource(TDataSource* dataSource) {
    FDataSources.append(dataSource);
    UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* dataSource) {
    FDataSources.removeAll(dataSource);
    UpdateBufferCount();
}

// ---------------------------------------------------------------- provider interface

void TDataSet::PSExecute() {
    DatabaseError("Execute not supported", this);
}

int TDataSet::PSExecuteStatement(const QString&, const TParams&, std::unique_ptr<TDataSet>*) {
    DatabaseError("SQL not supported", this);
}

QString TDataSet::PSGetKeyFields() {
    QStringList names;
    for (int i = 0; i < FieldCount(); ++i)
        if (Fields()[i]->ProviderFlags & pfInKey)
            names << Fields()[i]->FieldName();
    return names.join(';');
}

void TDataSet::PSSetParams(const TParams& params) {
    if (params.Count() != 0)
        DatabaseError("SQL not supported", this);
}

EUpdateError TDataSet::PSGetUpdateException(const Exception& e, const EUpdateError* previous) {
    return EUpdateError(e.Message(), QString(), 0, previous ? previous->ErrorCode() : 0);
}

void TDataSet::PSSetCommandText(const QString& commandText) {
    if (!commandText.isEmpty())
        DatabaseError("SQL not supported", this);
}
