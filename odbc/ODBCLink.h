#pragma once

#include "base/Stream.h"
#include "base/Strings.h"
#include "db/DataSet.h"
#include "odbc/ConnectionODBC.h"
#include "odbc/ODBCCore.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

class TDBLinkThread;
class TParams;

using TqoReviewSQLEvent = std::function<void(TComponent* Sender, QString& SQL, bool& DoIt)>;
using TqoDataSetNotifyEvent = std::function<void(TComponent* Sender)>;
using TqoThreadNotifyEvent = std::function<void(TDBLinkThread* Sender)>;

// Date and time values to and from the driver's structures.
SQL_DATE_STRUCT DateToODBC(TDateTime value);
SQL_TIME_STRUCT TimeToODBC(TDateTime value);
SQL_TIMESTAMP_STRUCT TimeStampToODBC(TDateTime value);
// Raises "DateTimeFromODBC had a bad SQLType." for a type that is no date or time.
TDateTime DateTimeFromODBC(const void* data, SQLSMALLINT sqlType);

// The library's dataset: the rows of an internal ODBC query, cached and navigable, and
// written back through generated INSERT, UPDATE and DELETE statements.
class TCustomDBLinkODBC : public TDataSet {
    friend class TDBLinkThread;
    friend class TqoLongVarStream;

public:
    explicit TCustomDBLinkODBC(TComponent* AOwner = nullptr);
    ~TCustomDBLinkODBC() override;
    void Loaded() override;

    int BackGroundTrigger() const { return FBackGroundTrigger; }
    void SetBackGroundTrigger(int value);
    int CashCount() const { return FCashCount; }
    void SetCashCount(int value);
    int CheckBufSize() const { return FCheckBufSize; }
    void SetCheckBufSize(int value);
    // The query's shared connection; nil while it is the dataset's own internal one.
    TConnectionODBC* Clone() const;
    void SetClone(TConnectionODBC* value);
    TqoCursorType CursorType() const { return FQuery->CursorType(); }
    void SetCursorType(TqoCursorType value);
    const QString& DSName() const { return FQuery->DSName(); }
    void SetDSName(const QString& value);
    bool EnableBCD = false;
    int LongVarCharLen() const;
    void SetLongVarCharLen(int value);
    int LongVarMaxLen() const { return FQuery->LongDataLimit; }
    void SetLongVarMaxLen(int value);
    TqoODBCVersion ODBCVersion() const { return FQuery->ODBCVersion(); }
    void SetODBCVersion(TqoODBCVersion value);
    const QString& Password() const { return FQuery->Password(); }
    void SetPassword(const QString& value);
    bool ReadOnly() const { return FReadOnly || FQuery->ReadOnly(); }
    void SetReadOnly(bool value);
    bool Transaction() const { return FQuery->Transaction(); }
    void SetTransaction(bool value) { FQuery->SetTransaction(value); }
    bool UniDirectional() const { return FUniDirectional; }
    void SetUniDirectional(bool value);
    const QString& UserID() const { return FQuery->UserID(); }
    void SetUserID(const QString& value);
    bool WCharMapString() const { return FQuery->WCharMapsChar(); }
    void SetWCharMapString(bool value) { FQuery->SetWCharMapsChar(value); }
    // Told in the main thread when a background fetch has ended.
    TqoThreadNotifyEvent BeforeBGTerminate;
    TqoDataSetNotifyEvent OnCreateDefaultQO;

    // The internal query when the dataset made it, else nil; the internal query.
    TCustomQueryODBC* DefaultQuery() const { return FOwnQuery ? FQuery : nullptr; }
    TCustomQueryODBC* Query() const { return FQuery; }
    void SetQuery(TCustomQueryODBC* value);
    // Rows of the last statement without result columns; -1 before any.
    SQLLEN RowsAffected() const { return FRowsAffected; }

    virtual void Prepare();
    virtual void UnPrepare();
    virtual void ExecSQL();
    virtual void SetParam(int n, SQLSMALLINT cType, SQLSMALLINT sqlType, void* value,
                          SQLLEN* indicator);
    virtual void Commit() { FQuery->Commit(); }
    virtual void Rollback() { FQuery->Rollback(); }
    virtual void RefreshQuery() { InternalRefresh(); }

    bool GetFieldData(TField* field, QVariant& value) override;
    void SetFieldData(TField* field, const QVariant& value) override;
    int GetBlobFieldData(int fieldNo, QByteArray& buffer) override;
    std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override;
    bool BookmarkValid(const TBookmark&) override { return false; }
    int CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2) override;
    void SetRecNo(int value) override;
    bool IsSequenced() override { return CountKnown(); }
    bool FindRecord(bool restart, bool goForward) override;
    void SetFiltered(bool value) override;
    void SetFilterText(const QString& value) override;

    // The background fetch: ask it to stop; wait until it has ended.
    void StopBackgroundFetch();
    void WaitBackgroundFetch();

protected:
    virtual std::unique_ptr<TCustomQueryODBC> CreateDefaultQuery();
    virtual void SetWaitCursor(bool on) {}
    virtual void BuildSQLText();
    [[noreturn]] void RaiseDatabaseError(const QString& text) const;
    // Runs a provider's statement on the update query, its connection opened when needed, and
    // answers the rows it changed; raises when the dataset has no update query.
    SQLLEN ExecProviderStatement(const QString& sql, const TParams& params);

    // The statement lines, the update settings and the review events (published by
    // TDBQueryODBC).
    TStringList FSQL;
    QString FUpdateTableName;
    QString FUpdateKeyColumn;
    void SetUpdateKeyColumnText(const QString& value);
    bool FExecAfterUpdate = false;
    TqoReviewSQLEvent FReviewInsertSQL, FReviewUpdateSQL, FReviewDeleteSQL;
    // The next refresh starts from the first row (a filter or master change).
    bool FRefreshFirst = false;

    TRecordBuffer AllocRecordBuffer() override;
    int GetRecordSize() override { return FRowSize + 1; }
    TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) override;
    void GetBookmarkData(TRecordBuffer buffer, void* data) override;
    void SetBookmarkData(TRecordBuffer buffer, const void* data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
    void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) override;
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() override { return FQuery && FQuery->Executed() && !FCache.isEmpty(); }
    void InternalInitFieldDefs() override;
    void InternalInitRecord(TRecordBuffer buffer) override;
    void InternalFirst() override;
    void InternalLast() override;
    void InternalGotoBookmark(const void* bookmark) override;
    void InternalSetToRecord(TRecordBuffer buffer) override;
    void InternalPost() override;
    void InternalAddRecord(TRecordBuffer buffer, bool append) override;
    void InternalDelete() override;
    void InternalCancel() override { FreeOldValues(); }
    void InternalRefresh() override;
    bool GetCanModify() override;
    int GetRecordCount() override;
    int GetRecNo() override;
    void CheckFieldCompatibility(TField* field, const TFieldDef& fieldDef) override;

private:
    // One key column of the generated statements, with the value it had before the edit.
    struct TKeyColumn {
        QString Name;
        bool Saved = false;
        SQLLEN Indicator = SQL_NULL_DATA;
        QByteArray Value;
    };
    enum TEndMark { emStart = 1, emEnd = 2 };

    // Opening.
    void AttachQuery(TCustomQueryODBC* query);
    void QueryStateChanged(int state);
    void PrepareSteps();
    void MakeUpdateQuery();
    void ReadBookmarkPersistence();
    void AdjustFields();
    void AllocateCache();
    bool IsNonOriginClone() const { return FQuery->Clone() && !FQuery->CloneOrigin(); }

    // Rows.
    uint8_t* RowAt(int index) {
        return reinterpret_cast<uint8_t*>(FCache.data()) + index * FRowSize;
    }
    uint8_t* ScratchRow() { return RowAt(FCached ? FCashCount : 0); }
    const TResultCol& Column(int number) const { return FQuery->ResultCols().Items(number); }
    // Read for every field value, so kept inline.
    static SQLLEN Indicator(const uint8_t* row, const TResultCol& col) {
        SQLLEN value = 0;
        std::memcpy(&value, row + col.Offset + col.Size, sizeof(value));
        return value;
    }
    static void SetIndicator(uint8_t* row, const TResultCol& col, SQLLEN value);
    // The bytes the column's value really holds in the row, whatever its indicator says.
    SQLLEN HeldLength(const uint8_t* row, const TResultCol& col) const;
    // Zeroes a row and marks every column NULL.
    void InitRow(uint8_t* row);
    void ClearCache();
    // Zeroes the cache's first `count` rows and marks every column NULL.
    void InitRows(int count);
    qint64 BookmarkValue(const uint8_t* row) const;
    void SetCurrent(int index);
    [[noreturn]] void InvalidOperation() const;
    void RequireCapability(bool capable) const;

    // Navigation.
    TGetResult GetCachedRecord(TGetMode mode);
    TGetResult GetUncachedRecord(TGetMode mode);
    TGetResult CachedNext();
    TGetResult CachedPrior();
    TGetResult CachedCurrent();
    TGetResult BlockNext();
    TGetResult BlockPrior();
    bool FetchBlock(SQLSMALLINT orientation, SQLLEN offset = 0);
    bool FetchSingle(SQLSMALLINT orientation, SQLLEN offset = 0);
    bool LastFetchForward() const;
    // Reads the next rows of an unscrollable result into the cache; the first may wait
    // already, read after the last cache-full.
    void ReadIntoCache(bool nextRowWaits);
    bool FetchNextRow();
    TGetResult ReadNextWindow();
    void ReadAgainFromStart();
    void Requery();
    bool Windowed() const { return FWindowBase > 0 || FMoreRows; }
    bool CountKnown();
    bool ThreadRunning() const { return FThreadRunning.load(); }
    void StartBackgroundFetch(int rows, bool waitCursor);
    void WaitForRows(int milliseconds);
    void FinishBackgroundFetch();

    // Editing.
    void SaveOldValue(const TField* field, const uint8_t* row, const TResultCol& col);
    void FreeOldValues();
    TKeyColumn* KeyColumn(const QString& name);
    QString TableName() const;
    uint8_t* BoundRow();
    void BindColumn(int n, const TResultCol& col, uint8_t* value, SQLLEN* indicator);
    void BindRowColumn(int n, const TResultCol& col, uint8_t* row);
    // The result column shown under `name`; nullptr when none.
    const TResultCol* FindColumn(const QString& name) const;
    void CheckUpdateSettings(bool needKeys) const;
    QString KeyCondition(uint8_t* row, int& n);
    void RunUpdate(QString sql, int paramCount, const TqoReviewSQLEvent& review);
    void ExecInsert();
    void ExecUpdate();
    void ExecDelete();
    void RemoveCurrentFromCache();
    void AppendActiveToCache();
    void FindAgain(const QByteArray& saved, bool backward);
    bool RefreshSavedRow(QByteArray& saved);
    void WriteValue(TField* field, uint8_t* row, const TResultCol& col, const QVariant& value);
    // Makes the column's value in `value`; false where the row's bytes make none.
    bool ReadValue(TField* field, const uint8_t* row, const TResultCol& col, QVariant& value) const;

    TCustomQueryODBC* FQuery = nullptr;
    std::unique_ptr<TCustomQueryODBC> FOwnQuery;
    std::unique_ptr<TCustomQueryODBC> FUpdateQuery;
    std::unique_ptr<TConnectionODBC> FInternalConnection;
    QList<TKeyColumn> FKeys;
    SQLLEN FRowsAffected = -1;
    bool FReadOnly = false;
    bool FUniDirectional = false;
    int FBackGroundTrigger = 0;
    int FCashCount = 20;
    int FCheckBufSize = 0;
    // 0 until read, 1 read, -1 when the driver could not tell.
    int FBookmarkPersistence = 0;
    bool FBookmarksSurviveDrop = false;

    // Cache.
    bool FCached = false;
    bool FBlockMode = false;
    int FRowSize = 0;
    QByteArray FCache;
    std::vector<SQLUSMALLINT> FRowStatus;
    std::atomic<int> FRowsInCache = 0;
    int FCurIndex = 0;
    uint8_t* FCurRow = nullptr;
    bool FWholeResult = false;
    // Unscrollable results larger than the cache are read a cache-full at a time: the number
    // of rows before the cache's first, and whether a further row, read after its last,
    // waits in FNextRow.
    qint64 FWindowBase = 0;
    bool FMoreRows = false;
    QByteArray FNextRow;
    bool FLastFetchFound = false;
    int FEndMark = emStart;
    bool FSkipRequery = false;
    bool FRefreshLast = false;
    // The next refresh finds the active row again even where the dataset last reached its end.
    bool FRefreshFound = false;
    std::atomic<bool> FThreadRunning = false;
    std::unique_ptr<TDBLinkThread> FThread;
    // Lives in the main thread, which the end of a background fetch is queued to.
    QObject FMainThread;
};

// A stream over the long column of a field in the dataset's active record.
class TqoLongVarStream : public TStream {
public:
    TqoLongVarStream(TField* field, TBlobStreamMode mode);
    ~TqoLongVarStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override;

private:
    uint8_t* Record() const;

    TField* FField;
    QString FFieldName;
    TCustomDBLinkODBC* FDataSet;
    int FColumn;
    int64_t FPosition = 0;
    bool FModified = false;
};
