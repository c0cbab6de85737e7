#pragma once

#include "base/Component.h"
#include "base/SysUtils.h"
#include "db/Field.h"
#include "db/FieldDefs.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <memory>

class TDataSource;
class TParams;
class TStream;

enum TDataSetState {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsSetKey,
    dsCalcFields,
    dsFilter,
    dsNewValue
};

enum TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
    deFocusControl
};

enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag : uint8_t { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TResyncModeFlag { rmExact = 1, rmCenter = 2 };
using TResyncMode = int;
enum TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = int;
enum TDataAction { daFail, daAbort, daRetry };
enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// A record buffer: memory of GetRecordSize bytes laid out by the descendant.
using TRecordBuffer = uint8_t*;
// A bookmark: BookmarkSize bytes copied from a record buffer; empty for none.
using TBookmark = QByteArray;

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TFilterRecordEvent = std::function<void(TDataSet* DataSet, bool& Accept)>;
using TDataSetErrorEvent =
    std::function<void(TDataSet* DataSet, EDatabaseError& E, TDataAction& Action)>;

// A change that a provider could not apply: the error's message, where it happened, its code
// and the code of the error before it.
class EUpdateError : public EDatabaseError {
public:
    EUpdateError(const QString& message, const QString& context, int errorCode, int previousError)
        : EDatabaseError(message), FContext(context), FErrorCode(errorCode),
          FPreviousError(previousError) {}
    const QString& Context() const { return FContext; }
    int ErrorCode() const { return FErrorCode; }
    int PreviousError() const { return FPreviousError; }

private:
    QString FContext;
    int FErrorCode;
    int FPreviousError;
};

// Raised to end an operation silently (the class library's Abort).
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};
[[noreturn]] void Abort();

// A cursor over records with fields, states and events, kept in a ring of record buffers.
// Descendants supply the records through the record-buffer protocol (the protected virtual
// methods); everything else is built on that protocol here.
class TDataSet : public TComponent {
    friend class TDataSource;
    friend class TDataLink;
    friend class TField;

public:
    explicit TDataSet(TComponent* AOwner = nullptr);
    ~TDataSet() override;

    // Opening and closing.
    bool Active() const { return FState != dsInactive; }
    void SetActive(bool value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return FState; }
    // Raise unless the dataset is closed / open.
    void CheckInactive() const;
    void CheckActive() const;

    // Navigation.
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Answers the distance moved; stops at either end.
    int MoveBy(int distance);
    bool Bof() const { return FBOF; }
    bool Eof() const { return FEOF; }
    bool IsEmpty() const { return FActiveRecord >= FRecordCount; }
    int RecNo() { return GetRecNo(); }
    int RecordCount() { return GetRecordCount(); }
    virtual void SetRecNo(int value) {}
    virtual bool IsSequenced() { return true; }

    // Bookmarks.
    TBookmark GetBookmark();
    void GotoBookmark(const TBookmark& bookmark);
    virtual bool BookmarkValid(const TBookmark& bookmark) { return false; }
    // -1, 0 or 1; an empty bookmark comes first.
    virtual int CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2);
    bool BookmarkAvailable();

    // Editing.
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    bool Modified() const { return FModified; }
    bool CanModify() { return GetCanModify(); }
    void CheckBrowseMode();
    // Asks the data links to write what they hold into the fields.
    void UpdateRecord();
    void Refresh();
    void Resync(TResyncMode mode);

    // Data controls.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount != 0; }

    // Searching. Several fields are separated by ";", with one value each in a QVariantList.
    virtual bool Locate(const QString& keyFields, const QVariant& keyValues,
                        TLocateOptions options);
    // The value (a QVariantList for several fields) of the first matching record; null when
    // none. The cursor does not move.
    virtual QVariant Lookup(const QString& keyFields, const QVariant& keyValues,
                            const QString& resultFields);
    virtual bool FindRecord(bool restart, bool goForward) { return false; }
    bool FindFirst() { return FFound = FindRecord(true, true); }
    bool FindNext() { return FFound = FindRecord(false, true); }
    bool FindPrior() { return FFound = FindRecord(false, false); }
    bool FindLast() { return FFound = FindRecord(true, false); }
    bool Found() const { return FFound; }

    // Filtering: descendants apply Filter their own way, OnFilterRecord through FilterAccepts,
    // and re-read an open dataset when either setter changes it.
    const QString& Filter() const { return FFilterText; }
    void SetFilter(const QString& value) { SetFilterText(value); }
    bool Filtered() const { return FFiltered; }
    virtual void SetFiltered(bool value);
    virtual void SetFilterText(const QString& value);

    // Fields.
    TFieldDefs& FieldDefs() { return FFieldDefs; }
    TFields& Fields() { return FFields; }
    const TFields& Fields() const { return FFields; }
    int FieldCount() const { return FFields.Count(); }
    TField* FindField(const QString& fieldName) const { return FFields.FindField(fieldName); }
    TField* FieldByName(const QString& fieldName) const { return FFields.FieldByName(fieldName); }
    bool DefaultFields() const { return FDefaultFields; }
    bool AutoCalcFields = true;

    // The master data source of a detail dataset; nullptr when none.
    virtual TDataSource* DataSource() const { return nullptr; }
    // True when `dataSource` leads back to this dataset through its masters.
    bool IsLinkedTo(TDataSource* dataSource) const;

    // Field values of the active record, as TField reads and writes them. GetFieldData
    // answers false for NULL; SetFieldData stores (a null value is NULL) after TField has
    // checked the state and validated, and before it sends the field-change event.
    virtual bool GetFieldData(TField* field, QVariant& value);
    virtual void SetFieldData(TField* field, const QVariant& value);
    // The bytes of a blob column of the active record; answers their length, -1 without a
    // record.
    virtual int GetBlobFieldData(int fieldNo, QByteArray& buffer);
    // Read mode reads the value; write mode starts empty and stores the bytes when the stream
    // goes; read-write starts with the value.
    virtual std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode);
    virtual void CloseBlob(TField* field) {}

    // --- The provider interface: how a provider reads and writes through the dataset. ---
    // Datasets that cannot run statements refuse them with "SQL not supported" (or
    // "Execute not supported").
    virtual void PSExecute();
    // Runs `sql` with `params`; with `resultSet`, the open result goes there. Answers the
    // rows the statement changed.
    virtual int PSExecuteStatement(const QString& sql, const TParams& params,
                                   std::unique_ptr<TDataSet>* resultSet = nullptr);
    // The names of the fields flagged pfInKey, separated by ";".
    virtual QString PSGetKeyFields();
    // The statement's parameters; nullptr when it has none.
    virtual TParams* PSGetParams() { return nullptr; }
    virtual void PSSetParams(const TParams& params);
    virtual QString PSGetTableName() { return QString(); }
    // `e` as an update error: its message, no code, and the code of `previous`.
    virtual EUpdateError PSGetUpdateException(const Exception& e, const EUpdateError* previous);
    virtual bool PSInTransaction() { return false; }
    virtual void PSStartTransaction() {}
    virtual void PSEndTransaction(bool commit) {}
    virtual bool PSIsSQLBased() { return false; }
    virtual bool PSIsSQLSupported() { return false; }
    virtual void PSReset() {}
    virtual void PSSetCommandText(const QString& commandText);

    // Sends an event to the data sources (unless controls are disabled) and handles its own.
    virtual void DataEvent(TDataEvent event, const void* info = nullptr);

    // Events.
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord, OnCalcFields;
    TFilterRecordEvent OnFilterRecord;
    TDataSetErrorEvent OnEditError, OnPostError, OnDeleteError;

protected:
    // --- The record-buffer protocol. ---
    virtual TRecordBuffer AllocRecordBuffer();
    virtual void FreeRecordBuffer(TRecordBuffer& buffer);
    virtual int GetRecordSize() { return 0; }
    // Reads the next, prior or current record of the descendant's cursor into `buffer`.
    virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) = 0;
    virtual void GetBookmarkData(TRecordBuffer buffer, void* data) {}
    virtual void SetBookmarkData(TRecordBuffer buffer, const void* data) {}
    virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) { return bfCurrent; }
    virtual void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) {}
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual bool IsCursorOpen() = 0;
    virtual void InternalInitFieldDefs() = 0;
    virtual void InternalInitRecord(TRecordBuffer buffer) {}
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    virtual void InternalGotoBookmark(const void* bookmark) {}
    virtual void InternalSetToRecord(TRecordBuffer buffer) {}
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    // Checks the required fields; descendants call it before they store.
    virtual void InternalPost();
    virtual void InternalAddRecord(TRecordBuffer buffer, bool append) {}
    virtual void InternalDelete() {}
    virtual void InternalCancel() {}
    virtual void InternalRefresh() {}
    virtual void InternalHandleException();
    virtual void ClearCalcFields(TRecordBuffer buffer);
    virtual bool GetCanModify() { return true; }
    virtual int GetRecordCount() { return -1; }
    virtual int GetRecNo() { return -1; }
    virtual void CheckFieldCompatibility(TField* field, const TFieldDef& fieldDef);

    // --- Helpers for descendants. ---
    int BookmarkSize = 0;
    TRecordBuffer ActiveBuffer() const { return FBuffers.value(FActiveRecord); }
    // The record that field reads and writes refer to in the present state; nullptr when
    // there is none (browsing an empty dataset).
    virtual TRecordBuffer GetActiveRecordBuffer();
    // The spare buffer after the visible ones, for searches.
    TRecordBuffer TempBuffer() const { return FBuffers.value(FRecordCount); }
    void CreateFields();
    void DestroyFields();
    // Binds fields to the field definitions (field numbers, types); raises for a field that
    // has no column.
    void BindFields(bool binding);
    // Computes the calculated fields of `buffer` (descendants call it from GetRecord).
    void GetCalcFields(TRecordBuffer buffer);
    // OnFilterRecord's answer for `buffer` while Filtered is set.
    bool FilterAccepts(TRecordBuffer buffer);
    // Whether `field` of the record read into `buffer` equals `value` under the options.
    bool FieldMatches(TField* field, const QVariant& value, TLocateOptions options);
    TDataSetState SetTempState(TDataSetState value);
    void RestoreState(TDataSetState value);
    void SetState(TDataSetState value);
    void SetModified(bool value) { FModified = value; }
    void CursorPosChanged() { FCurrentRecord = -1; }
    void UpdateCursorPos();
    void ClearBuffers();
    void DoBeforeScroll();
    void DoAfterScroll();
    // Re-reads the buffers after the cursor was placed on a found record.
    void ShowFoundRecord();

private:
    // Puts the dataset into a temporary state that reads its fields from one buffer, while
    // it lives.
    class TBufferState {
    public:
        TBufferState(TDataSet& dataSet, TDataSetState state, TRecordBuffer buffer);
        ~TBufferState();

    private:
        TDataSet& FDataSet;
        TRecordBuffer& FSlot;
        TRecordBuffer FSavedBuffer;
        TDataSetState FSavedState;
    };
    void ScrollToEnd(bool last);
    void OpenCursor();
    void CloseCursor();
    void SetBufferCount(int value);
    void UpdateBufferCount();
    void AdjustFirstRecord(int delta);
    bool GetNextRecord();
    bool GetPriorRecord();
    int GetNextRecords();
    int GetPriorRecords();
    void SetCurrentRecord(int index);
    void ActivateBuffers();
    void MoveBuffer(int curIndex, int newIndex);
    void InitRecord(TRecordBuffer buffer);
    void BeginInsertAppend();
    void EndInsertAppend();
    void CheckCanModify();
    void CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& onError);
    void FreeFieldBuffers();
    void UpdateCalcFields();
    void CheckRequiredFields();
    bool SearchRecord(const QString& keyFields, const QVariant& keyValues, TLocateOptions options);
    void Fire(const TDataSetNotifyEvent& event) {
        if (event)
            event(this);
    }
    bool GetCalcFieldData(TField* field, QVariant& value);
    void SetCalcFieldData(TField* field, const QVariant& value);
    void AddDataSource(TDataSource* dataSource);
    void RemoveDataSource(TDataSource* dataSource);

    TDataSetState FState = dsInactive;
    TDataSetState FDisableState = dsInactive;
    TDataEvent FEnableEvent = deDataSetChange;
    int FDisableCount = 0;
    QList<TRecordBuffer> FBuffers;
    int FBufferCount = 0;
    int FRecordCount = 0;
    int FActiveRecord = 0;
    int FCurrentRecord = -1;
    bool FBOF = true;
    bool FEOF = true;
    bool FModified = false;
    bool FFound = false;
    bool FDefaultFields = false;
    bool FInternalOpenComplete = false;
    bool FFiltered = false;
    QString FFilterText;
    TRecordBuffer FCalcBuffer = nullptr;
    TRecordBuffer FFilterBuffer = nullptr;
    QHash<TRecordBuffer, QHash<TField*, QVariant>> FCalcValues;
    TFieldDefs FFieldDefs;
    TFields FFields;
    QList<TDataSource*> FDataSources;
};
