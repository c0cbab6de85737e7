#pragma once

#include "base/Component.h"
#include "base/DateTime.h"
#include "base/Strings.h"
#include "odbc/BindParams.h"
#include "odbc/ODBCAPI.h"
#include "odbc/ODBCCall.h"
#include "odbc/ResultCols.h"

#include <functional>
#include <memory>
#include <vector>

enum TqoCursorType { qoForwardOnly, qoKeyset, qoDynamic, qoStatic };
enum TqoTxnIsolation {
    qoDirtyRead,
    qoReadCommitted,
    qoRepeatableRead,
    qoSerializable,
    qoDefaultTxn
};
// What happens to the statement when a result ends.
enum TqoCursorState { qoDrop, qoClose, qoKeep };
// Which fetch delivered data to OnFetchData.
enum TqoFetchMethod { qoFetchRow = 0, qoFetchToRec = 2, qoGetData = 3 };

// States a query tells its listeners.
enum TqoListenerState {
    qoConnected = 0,
    qoExecuted = 1,
    qoDisconnecting = 2,
    qoDisconnected = 3,
    qoDestroying = 4
};

class TCustomQueryODBC;
class TConnectionODBC;

using TqoNotifyEvent = std::function<void(TComponent* Sender)>;
using TqoFetchEvent = std::function<void(TComponent* Sender, TqoFetchMethod FetchMethod)>;
using TqoStateHandler = std::function<void(TCustomQueryODBC* Sender, int State)>;
using TqoRowHandler = std::function<void(TCustomQueryODBC* Sender)>;

// One listener of a query, registered under the object that made it.
struct TBindColumn {
    const void* Key = nullptr;
    TqoStateHandler StateHandler;
    TqoRowHandler RowHandler;
};

// What the connection's driver can do with a scrollable cursor.
struct TqoFetchCapabilities {
    bool First = false;
    bool Last = false;
    bool Prior = false;
    bool Absolute = false;
    bool Relative = false;
    bool Resume = false;
    bool Bookmark = false;
};

// Bytes of a length/indicator and of a fixed bookmark in a row buffer.
constexpr int qoIndicatorSize = int(sizeof(SQLLEN));
constexpr int qoBookmarkSize = int(sizeof(BOOKMARK));

// An ODBC statement component: one connection (its own or a shared one), one statement at a
// time with parameters, and the fetching of its result.
class TCustomQueryODBC : public TComponent {
public:
    explicit TCustomQueryODBC(TComponent* AOwner = nullptr);
    ~TCustomQueryODBC() override;

    // Connection properties.
    TConnectionODBC* Clone() const { return FClone; }
    void SetClone(TConnectionODBC* value);
    bool CloneOrigin() const { return FCloneOrigin; }
    void SetCloneOrigin(bool value);
    QString Comment;
    const QString& ConnectInfo() const { return FConnectInfo; }
    void SetConnectInfo(const QString& value);
    QString CursorName;
    TqoCursorType CursorType() const { return FCursorType; }
    void SetCursorType(TqoCursorType value);
    TqoCursorState CursorState = qoDrop;
    bool DriverConnect() const { return FDriverConnect; }
    void SetDriverConnect(bool value);
    const QString& DSName() const { return FDSName; }
    void SetDSName(const QString& value);
    int FetchBufSize() const { return FFetchBufSize; }
    void SetFetchBufSize(int value);
    bool FetchScroll() const { return FFetchScroll; }
    void SetFetchScroll(bool value);
    bool NullConvert() const { return FNullConvert; }
    void SetNullConvert(bool value);
    const QString& NullStrings() const { return FNullStrings; }
    void SetNullStrings(const QString& value);
    TqoODBCVersion ODBCVersion() const { return FODBCVersion; }
    void SetODBCVersion(TqoODBCVersion value);
    const QString& Password() const { return FPassword; }
    void SetPassword(const QString& value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    const QString& SQLText() const { return FSQLText; }
    void SetSQLText(const QString& value);
    bool SQLWaitCursor = true;
    bool Transaction() const { return FTransaction; }
    void SetTransaction(bool value);
    const QString& UserID() const { return FUserID; }
    void SetUserID(const QString& value);
    bool UseUserName() const { return FUseUserName; }
    void SetUseUserName(bool value);
    bool WCharMapsChar() const { return FWCharMapsChar; }
    void SetWCharMapsChar(bool value);
    TqoTxnIsolation TransIsolation();
    void SetTransIsolation(TqoTxnIsolation value);
    QString LibraryName = "libodbc.so.2";
    // The window the driver's dialogs belong to; none by default.
    SQLHWND ConnectWindow = nullptr;

    TqoNotifyEvent AfterCommit, AfterConnect, AfterDisconnect, AfterExec, AfterPrepare,
        AfterRollback, BeforeCommit, BeforeConnect, BeforeDisconnect, BeforeExec, BeforePrepare,
        BeforeRollback;
    TqoFetchEvent OnFetchData;

    // Connection state, for the datasets and shared connections that inspect it.
    bool Connected() const { return FConnected; }
    bool Prepared() const { return FPrepared; }
    void SetPrepared(bool value);
    // A statement has run and its result may still be read.
    bool Executed() const { return FExecuted; }
    TODBCCLI* CLI() const { return FCLI; }
    SQLHENV EnvHandle() const { return FHEnv; }
    SQLHDBC ConnectionHandle() const { return FHDbc; }
    SQLHSTMT StmtHandle() const { return FHStmt; }
    const QString& CompletedConnectString() const { return FCompletedConnectString; }
    bool WorkPending() const;

    // Errors.
    const QString& CallLabel() const { return FPendingError.CallLabel; }
    void ReportDiagnostics(SQLHSTMT handle);
    void RaisePendingError() { FPendingError.Raise(); }
    [[noreturn]] void RaiseInternalError(const QString& text) const;

    // Operations, in the order of their slots.
    virtual void SetWaitCursor(bool on);
    virtual void Notice(const QString& text);
    virtual void SetStateListener(const void* key, TqoStateHandler handler);
    virtual void SetRowListener(const void* key, TqoRowHandler handler);
    virtual void BindParam(int n, SQLSMALLINT cType, SQLSMALLINT sqlType, void* value,
                           SQLLEN* indicator);
    virtual void BindParamEx(int n, quint8 direction, SQLSMALLINT cType, SQLSMALLINT sqlType,
                             SQLULEN columnSize, SQLSMALLINT decimalDigits, void* value,
                             SQLLEN* indicator);
    virtual void BindOutputParam(int n, SQLSMALLINT cType, SQLSMALLINT sqlType, void* value,
                                 SQLLEN* indicator);
    virtual bool GetFunctionSupported(SQLUSMALLINT functionId);
    virtual void CheckError(SQLHSTMT handle);
    virtual void Commit();
    virtual void Connect();
    virtual void CopyConnection(const TCustomQueryODBC& source, bool withProperties);
    virtual void Disconnect();
    virtual void NotifyRowListeners();
    virtual void Execute();
    virtual void ExecDirect(const QString& text);
    virtual bool FetchRow();
    virtual bool FetchToRec(void* buffer);
    virtual void CloseCursor(bool keepStatement);
    virtual void GetBookmark(void* buffer);
    virtual bool GetData(int column, void* buffer, SQLLEN& length);
    virtual void GetParamNames(TStrings& list);
    virtual QString FormatDateTimeLiteral(SQLSMALLINT sqlType, TDateTime value) const;
    virtual void Prepare();
    virtual void ClearTypeMap();
    virtual void Rollback();
    virtual void AddTypeMap(SQLSMALLINT sqlType, SQLSMALLINT cType);
    virtual void RemoveListener(const void* key);

    // Shared connections.
    void CloneConnect(TCustomQueryODBC* query);
    void CloneDisconnect(TCustomQueryODBC* query);
    // Takes a shared connection away without closing it.
    void DropConnection();

    // Parameters, numbered from 1.
    int ParamCount() const { return int(FParams.size()); }
    void SetParamCount(int n);
    TBindParams& EnsureParam(int n);
    void SetParamValue(int n, const QString& value);
    QString GetParamValue(int n) const;
    QString GetParamValueByName(const QString& name);
    int ParamIndexByName(const QString& name);
    void SetParamType(int n, SQLSMALLINT sqlType);
    void SetParamDate(int n, TDateTime value);
    void SetParamTime(int n, TDateTime value);
    void SetParamTimeStamp(int n, TDateTime value);
    // Update queries keep their parameters when their statement is freed.
    bool KeepParams = false;
    int DefaultCharParamSize = 255;
    int LongDataChunk = 16384;

    // Statements.
    void FreeStatement(SQLUSMALLINT option);
    SQLLEN RowsAffected() const { return FRowsAffected; }

    // Results.
    // Asked for every field value read, so kept inline.
    TResultCols& ResultCols() const {
        if (!FResultCols) [[unlikely]]
            RaiseInternalError("ResultCols is null.");
        return *FResultCols;
    }
    int ColumnCount() const { return FColumnCount; }
    int RowBufSize() const;
    SQLULEN RowsFetched() const { return FRowsFetched; }
    void SetRowArraySize(int rows);
    SQLUSMALLINT* RowStatus = nullptr;
    SQLSMALLINT FetchOrientation = SQL_FETCH_NEXT;
    SQLLEN FetchOffset = 0;
    bool UseBookmarks() const { return FUseBookmarks; }
    void SetUseBookmarks(bool value);
    int BookmarkLength = qoBookmarkSize;
    const TStringList& RowValues() const { return FRowValues; }
    const TqoFetchCapabilities& Capabilities() const { return FCaps; }
    bool AtStart() const { return FAtStart; }
    bool AtEnd() const { return FAtEnd; }
    bool FetchedWithInfo() const { return FFetchedWithInfo; }
    int LongDataLimit = 262144;
    // 0: the long-data limit applies.
    int LongCharLimit = 0;

protected:
    void NotifyState(int state);
    bool IsNonOriginClone() const { return FClone && !FCloneOrigin; }
    // The query whose connection this one uses.
    TCustomQueryODBC& ConnectionOwner();
    // Raises while connected at run time, closes the connection at design time.
    void CheckNotConnected();
    void CheckNotExecuted();
    // Runs the body of a public operation with the wait cursor on; a passing exception drops
    // what the operation had gathered, so the caller sees one error.
    template <typename F> void RunWithWaitCursor(F&& body);

private:
    friend class TConnectionODBC;
    bool ODBC3() const { return FODBCVersion != ODBC20; }
    const char* Label3(const char* odbc3, const char* odbc2) const {
        return ODBC3() ? odbc3 : odbc2;
    }
    void Call(const QString& label) { FPendingError.CallLabel = label; }

    // Connecting.
    void DoConnect();
    bool AllocEnvironment();
    bool AllocConnection();
    SQLRETURN ConnectToSource();
    QString ConnectString() const;
    void SetUpConnection();
    void DoDisconnect();
    void FreeConnectionHandles();
    void SetConnectOption(const char* label3, const char* label2, SQLINTEGER attr, SQLULEN value);
    void ApplyTransIsolation();
    void EndTransaction(SQLSMALLINT completion);

    // Statements.
    bool CheckText();
    void ConnectWhenNeeded();
    SQLRETURN AllocMainStatement();
    SQLRETURN AllocStatement(SQLHSTMT& stmt);
    void FreeStatementHandle(SQLHSTMT& stmt);
    void SetCursorNameOnStatement();
    void ReleaseStatements(bool keepStatement);
    void ParseText();
    SQLULEN DefaultColumnSize(SQLSMALLINT sqlType) const;
    bool BindParams();
    void RunStatement();
    SQLRETURN RunCatalog();
    SQLRETURN SendLongData();
    void AfterExecution(SQLRETURN rc);
    void EndOfResult();
    void ReadColumnCount();

    // Results.
    void CursorSetUpAtConnect();
    void CursorSetUpForStatement();
    TqoCursorType StatementCursorType();
    void SetStatementBookmarks();
    void ReadCapabilities();
    void DescribeColumns();
    void FinishRowLayout(qint64 total);
    QString FetchedText(SQLLEN length) const;
    SQLLEN ColAttrNumber(int column, SQLUSMALLINT field, bool odbc2Call);
    QString ColAttrText(int column, SQLUSMALLINT field, bool odbc2Call);
    void ApplyRowArraySize();
    bool BindColumns(char* buffer);
    SQLRETURN FetchStep();
    void FreeResult();

    TqoPendingError FPendingError;
    std::unique_ptr<TODBCCLI> FOwnCLI;
    TODBCCLI* FCLI = nullptr;
    SQLHENV FHEnv = nullptr;
    SQLHDBC FHDbc = nullptr;
    SQLHSTMT FHStmt = nullptr;
    SQLHSTMT FHStmt2 = nullptr;
    QString FCompletedConnectString;
    bool FConnected = false;
    bool FPrepared = false;
    bool FExecuted = false;
    bool FWorkPending = false;
    std::vector<TBindColumn> FListeners;

    TConnectionODBC* FClone = nullptr;
    bool FCloneOrigin = false;
    QString FConnectInfo;
    TqoCursorType FCursorType = qoKeyset;
    bool FDriverConnect = true;
    QString FDSName;
    int FFetchBufSize = 512;
    bool FFetchScroll = true;
    bool FNullConvert = false;
    QString FNullStrings = "<Null>";
    TqoODBCVersion FODBCVersion = ODBC20;
    QString FPassword;
    bool FReadOnly = false;
    QString FSQLText;
    bool FTransaction = false;
    QString FUserID;
    bool FUseUserName = false;
    bool FWCharMapsChar = true;
    TqoTxnIsolation FTransIsolation = qoDefaultTxn;

    // Statement state.
    bool FParsed = false;
    QByteArray FDriverText;
    int FCatalogRequest = 0;
    SQLLEN FRowsAffected = 0;
    std::vector<std::unique_ptr<TBindParams>> FParams;
    struct TTypeMap {
        SQLSMALLINT SQLType = 0;
        SQLSMALLINT CType = 0;
    } FTypeMap[16];

    // Result state.
    int FColumnCount = 0;
    std::unique_ptr<TResultCols> FResultCols;
    int FRowBufSize = 0;
    bool FRowBufValid = false;
    QByteArray FGetDataBuf;
    SQLULEN FRowsFetched = 0;
    int FRowArraySize = 0;
    int FAppliedRowArraySize = 0;
    SQLUSMALLINT FStatusWord = 0;
    bool FAtStart = false;
    bool FAtEnd = false;
    bool FFetchedWithInfo = false;
    bool FUseBookmarks = false;
    char* FLastBoundBuffer = nullptr;
    TStringList FRowValues;
    TqoCursorType FConnCursorType = qoForwardOnly;
    bool FStatementSetsBookmarks = false;
    TqoFetchCapabilities FCaps;
};

template <typename F> void TCustomQueryODBC::RunWithWaitCursor(F&& body) {
    const bool cursor = SQLWaitCursor;
    if (cursor)
        SetWaitCursor(true);
    try {
        body();
    } catch (...) {
        if (cursor)
            SetWaitCursor(false);
        FPendingError.Clear();
        throw;
    }
    if (cursor)
        SetWaitCursor(false);
}

// The query the datasets use inside: the wait cursor on the screen, notices in a message box.
class TQryIntODBC : public TCustomQueryODBC {
public:
    using TCustomQueryODBC::TCustomQueryODBC;
    void SetWaitCursor(bool on) override;
    void Notice(const QString& text) override;
};
