#include "RowDataSet.h"

#include <algorithm>
#include <cstring>

struct TRowDataSet::TRowBuffer {
    qint64 Id = 0;
    TBookmarkFlag Flag = bfCurrent;
    TRow Values;
};

TRowDataSet::TRowDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TRowDataSet::~TRowDataSet() {
    Destroying();
    Close();
}

TRecordBuffer TRowDataSet::AllocRecordBuffer() {
    FBufferPool.push_back(std::make_unique<TRowBuffer>());
    return reinterpret_cast<TRecordBuffer>(FBufferPool.back().get());
}

void TRowDataSet::FreeRecordBuffer(TRecordBuffer& buffer) {
    std::erase_if(FBufferPool, [&](const auto& b) { return b.get() == Buf(buffer); });
    buffer = nullptr;
}

// ---------------------------------------------------------------- opening

void TRowDataSet::ReadRows() {
    QList<TRow> rows;
    LoadRows(rows);
    FRows.clear();
    for (TRow& row : rows) {
        row.resize(FieldDefs().Count());
        FRows.append({FNextId++, std::move(row)});
    }
    Reindex();
}

void TRowDataSet::Reindex() {
    FIndex.clear();
    for (int i = 0; i < FRows.size(); ++i)
        FIndex.insert(FRows[i].Id, i);
}

void TRowDataSet::InternalOpen() {
    FieldDefs().Clear();
    ReadRows();
    FieldDefs().Updated = true;
    if (DefaultFields())
        CreateFields();
    BindFields(true);
    BookmarkSize = sizeof(qint64);
    FCursor = -1;
    FCursorOpen = true;
}

void TRowDataSet::InternalClose() {
    BindFields(false);
    if (DefaultFields())
        DestroyFields();
    FRows.clear();
    FIndex.clear();
    FCursorOpen = false;
}

// The cursor stays on the same row when it is still there, else at the same place.
void TRowDataSet::InternalRefresh() {
    const int cursor = FCursor;
    const TRow current = cursor >= 0 && cursor < RowCount() ? FRows[cursor].Values : TRow();
    FieldDefs().Clear();
    ReadRows();
    BindFields(true);
    FCursor = std::clamp(cursor, -1, RowCount());
    if (current.isEmpty())
        return;
    for (int i = 0; i < RowCount(); ++i)
        if (FRows[i].Values == current) {
            FCursor = i;
            return;
        }
}

// ---------------------------------------------------------------- records

TGetResult TRowDataSet::GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) {
    for (;;) {
        if (getMode == gmNext && FCursor < RowCount())
            ++FCursor;
        else if (getMode == gmPrior && FCursor >= 0)
            --FCursor;
        if (FCursor < 0)
            return grBOF;
        if (FCursor >= RowCount())
            return grEOF;
        TRowBuffer* b = Buf(buffer);
        b->Id = FRows[FCursor].Id;
        b->Flag = bfCurrent;
        b->Values = FRows[FCursor].Values;
        if (FilterAccepts(buffer)) {
            GetCalcFields(buffer);
            return grOK;
        }
        if (getMode == gmCurrent)
            return grError;
    }
}

void TRowDataSet::InternalInitRecord(TRecordBuffer buffer) {
    TRowBuffer* b = Buf(buffer);
    b->Id = 0;
    b->Values = TRow(FieldDefs().Count());
}

bool TRowDataSet::GetFieldData(TField* field, QVariant& value) {
    const TRecordBuffer buffer = GetActiveRecordBuffer();
    value = buffer ? Buf(buffer)->Values.value(field->FieldNo() - 1) : QVariant();
    return !value.isNull();
}

void TRowDataSet::SetFieldData(TField* field, const QVariant& value) {
    const TRecordBuffer buffer = GetActiveRecordBuffer();
    const int index = field->FieldNo() - 1;
    if (!buffer || index < 0 || index >= Buf(buffer)->Values.size())
        return;
    const bool emptyText = value.typeId() == QMetaType::QString && value.toString().isEmpty();
    Buf(buffer)->Values[index] = emptyText ? QVariant() : value;
}

// ---------------------------------------------------------------- bookmarks

void TRowDataSet::GetBookmarkData(TRecordBuffer buffer, void* data) {
    std::memcpy(data, &Buf(buffer)->Id, sizeof(qint64));
}

void TRowDataSet::SetBookmarkData(TRecordBuffer buffer, const void* data) {
    std::memcpy(&Buf(buffer)->Id, data, sizeof(qint64));
}

TBookmarkFlag TRowDataSet::GetBookmarkFlag(TRecordBuffer buffer) {
    return Buf(buffer)->Flag;
}

void TRowDataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) {
    Buf(buffer)->Flag = value;
}

void TRowDataSet::InternalGotoBookmark(const void* bookmark) {
    qint64 id = 0;
    std::memcpy(&id, bookmark, sizeof(qint64));
    FCursor = IndexOfId(id);
}

void TRowDataSet::InternalSetToRecord(TRecordBuffer buffer) {
    const int index = IndexOfId(Buf(buffer)->Id);
    if (index >= 0)
        FCursor = index;
}

bool TRowDataSet::BookmarkValid(const TBookmark& bookmark) {
    if (bookmark.size() != sizeof(qint64))
        return false;
    qint64 id = 0;
    std::memcpy(&id, bookmark.constData(), sizeof(qint64));
    return IndexOfId(id) >= 0;
}

int TRowDataSet::CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2) {
    auto indexOf = [this](const TBookmark& b) {
        qint64 id = 0;
        if (b.size() == sizeof(qint64))
            std::memcpy(&id, b.constData(), sizeof(qint64));
        return b.isEmpty() ? -1 : IndexOfId(id);
    };
    const int a = indexOf(bookmark1), b = indexOf(bookmark2);
    return a < b ? -1 : (a > b ? 1 : 0);
}

// ---------------------------------------------------------------- changes

void TRowDataSet::InternalPost() {
    TDataSet::InternalPost();
    TRowBuffer* b = Buf(ActiveBuffer());
    if (State() == dsEdit) {
        const int index = IndexOfId(b->Id);
        TRow row = b->Values;
        UpdateRow(FRows[index].Values, row);
        FRows[index].Values = row;
        return;
    }
    // The cursor stands where the new record goes: on the record it was inserted before, or
    // past the end after an append.
    TRow row = b->Values;
    InsertRow(row);
    const int at = std::clamp(FCursor, 0, RowCount());
    FRows.insert(at, {FNextId++, row});
    Reindex();
    FCursor = at;
}

void TRowDataSet::InternalDelete() {
    DeleteRow(FRows[FCursor].Values);
    FRows.removeAt(FCursor);
    Reindex();
}

// ---------------------------------------------------------------- counting and filtering

int TRowDataSet::GetRecordCount() {
    if (!Filtered() || !OnFilterRecord)
        return RowCount();
    // Counting the accepted rows walks them in the spare buffer and leaves the cursor.
    const int cursor = FCursor;
    int count = 0;
    FCursor = -1;
    while (GetRecord(TempBuffer(), gmNext, false) == grOK)
        ++count;
    FCursor = cursor;
    return count;
}

int TRowDataSet::GetRecNo() {
    const TRecordBuffer buffer = GetActiveRecordBuffer();
    if (!buffer || Buf(buffer)->Flag != bfCurrent || Filtered())
        return -1;
    return IndexOfId(Buf(buffer)->Id) + 1;
}

void TRowDataSet::SetRecNo(int value) {
    CheckBrowseMode();
    if (value < 1 || value > RowCount() || value == GetRecNo())
        return;
    DoBeforeScroll();
    FCursor = value - 1;
    Resync(rmExact | rmCenter);
    DoAfterScroll();
}

void TRowDataSet::SetFiltered(bool value) {
    if (value == Filtered())
        return;
    if (Active())
        CheckBrowseMode();
    TDataSet::SetFiltered(value);
    if (Active())
        First();
}

void TRowDataSet::SetFilterText(const QString& value) {
    if (value == Filter())
        return;
    if (Active())
        CheckBrowseMode();
    TDataSet::SetFilterText(value);
    if (Active() && Filtered())
        First();
}
