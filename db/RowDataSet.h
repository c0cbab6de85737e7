#pragma once

#include "db/DataSet.h"

#include <QHash>
#include <QList>
#include <QVariant>
#include <memory>
#include <vector>

// A dataset that holds its whole result in memory as rows of values. Descendants describe
// the columns (InternalInitFieldDefs), read the rows at open (LoadRows) and write each posted
// change through (InsertRow, UpdateRow, DeleteRow) before it lands in memory; a failing
// write leaves the record in its edit or insert state.
class TRowDataSet : public TDataSet {
public:
    using TRow = QVariantList;

    explicit TRowDataSet(TComponent* AOwner = nullptr);
    ~TRowDataSet() override;

    bool BookmarkValid(const TBookmark& bookmark) override;
    int CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2) override;
    void SetRecNo(int value) override;
    bool IsSequenced() override { return !Filtered(); }
    void SetFiltered(bool value) override;
    void SetFilterText(const QString& value) override;

    // An empty text stored into a text field becomes NULL, as the databases keep it.
    bool GetFieldData(TField* field, QVariant& value) override;
    void SetFieldData(TField* field, const QVariant& value) override;

protected:
    // Fills FieldDefs() and `rows` (one value per field definition, in order).
    virtual void LoadRows(QList<TRow>& rows) = 0;
    // Store a new row (and may fill generated values into it), change one, remove one.
    virtual void InsertRow(TRow& row) {}
    virtual void UpdateRow(const TRow& oldRow, TRow& newRow) {}
    virtual void DeleteRow(const TRow& row) {}
    int RowCount() const { return int(FRows.size()); }

    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& buffer) override;
    TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) override;
    void GetBookmarkData(TRecordBuffer buffer, void* data) override;
    void SetBookmarkData(TRecordBuffer buffer, const void* data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
    void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) override;
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() override { return FCursorOpen; }
    void InternalInitRecord(TRecordBuffer buffer) override;
    void InternalFirst() override { FCursor = -1; }
    void InternalLast() override { FCursor = RowCount(); }
    void InternalGotoBookmark(const void* bookmark) override;
    void InternalSetToRecord(TRecordBuffer buffer) override;
    void InternalPost() override;
    void InternalDelete() override;
    void InternalRefresh() override;
    int GetRecordCount() override;
    int GetRecNo() override;

private:
    struct TRowItem {
        qint64 Id;
        TRow Values;
    };
    struct TRowBuffer;
    static TRowBuffer* Buf(TRecordBuffer buffer) { return reinterpret_cast<TRowBuffer*>(buffer); }
    int IndexOfId(qint64 id) const { return FIndex.value(id, -1); }
    void ReadRows();
    void Reindex();

    QList<TRowItem> FRows;
    QHash<qint64, int> FIndex;
    qint64 FNextId = 1;
    int FCursor = -1;
    bool FCursorOpen = false;
    std::vector<std::unique_ptr<TRowBuffer>> FBufferPool;
};
