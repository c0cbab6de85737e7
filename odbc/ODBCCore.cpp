#include "ODBCCore.h"

#include "odbc/ConnectionODBC.h"
#include "odbc/ODBCScreen.h"

#include <pwd.h>
#include <unistd.h>

namespace {

// The login name, as the Windows user name served before; at most 64 characters.
QString LoginName() {
    const passwd* entry = getpwuid(geteuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name).left(64) : QString();
}

// A connect-string value that holds a ";" or starts with a brace is braced, so that it
// cannot end the value early or add attributes of its own.
QString ConnectValue(const QString& value) {
    if (!value.contains(';') && !value.startsWith('{'))
        return value;
    return '{' + QString(value).replace("}", "}}") + '}';
}

} // namespace

TCustomQueryODBC::TCustomQueryODBC(TComponent* AOwner) : TComponent(AOwner) {}

TCustomQueryODBC::~TCustomQueryODBC() {
    Destroying();
    try {
        if (!IsNonOriginClone()) {
            // A plain query's rollback notice ends the first Disconnect; the second closes.
            try {
                Disconnect();
            } catch (const Exception&) {
                Disconnect();
            }
        } else {
            CloseCursor(false);
            FClone->RemoveClone(this);
        }
    } catch (const Exception&) {
    }
    NotifyState(qoDestroying);
    FListeners.clear();
    if (FClone && FCloneOrigin) {
        TConnectionODBC* clone = FClone;
        FClone = nullptr;
        FCloneOrigin = false;
        clone->SetOrigin(nullptr);
    }
}

// ---- errors and the screen ----

void TCustomQueryODBC::ReportDiagnostics(SQLHSTMT handle) {
    if (!FCLI)
        return;
    if (!ODBC3()) {
        FPendingError.ReadDiagnosticsODBC2(*FCLI, FHEnv, FHDbc, handle);
    } else if (handle) {
        FPendingError.ReadDiagnosticsODBC3(*FCLI, SQL_HANDLE_STMT, handle);
    } else if (FHDbc) {
        FPendingError.ReadDiagnosticsODBC3(*FCLI, SQL_HANDLE_DBC, FHDbc);
    } else {
        FPendingError.ReadDiagnosticsODBC3(*FCLI, SQL_HANDLE_ENV, FHEnv);
    }
}

void TCustomQueryODBC::RaiseInternalError(const QString& text) const {
    RaiseComponentError(Name(), text);
}

void TCustomQueryODBC::SetWaitCursor(bool on) {
    if (FClone)
        FClone->SetWaitCursor(on);
}

void TCustomQueryODBC::Notice(const QString& text) {
    RaiseInternalError(text);
}

void TCustomQueryODBC::CheckError(SQLHSTMT handle) {
    Call("(User call)");
    ReportDiagnostics(handle);
    RaisePendingError();
}

void TQryIntODBC::SetWaitCursor(bool on) {
    ShowSQLWaitCursor(on);
}

void TQryIntODBC::Notice(const QString& text) {
    ShowODBCNotice(text);
}

// ---- listeners ----

void TCustomQueryODBC::SetStateListener(const void* key, TqoStateHandler handler) {
    for (TBindColumn& node : FListeners)
        if (node.Key == key) {
            node.StateHandler = std::move(handler);
            return;
        }
    FListeners.push_back({key, std::move(handler), {}});
}

void TCustomQueryODBC::SetRowListener(const void* key, TqoRowHandler handler) {
    for (TBindColumn& node : FListeners)
        if (node.Key == key) {
            node.RowHandler = std::move(handler);
            return;
        }
    FListeners.push_back({key, {}, std::move(handler)});
}

void TCustomQueryODBC::RemoveListener(const void* key) {
    std::erase_if(FListeners, [key](const TBindColumn& node) { return node.Key == key; });
}

// Handlers may add or remove listeners, so each call runs over a copy of the list.
void TCustomQueryODBC::NotifyRowListeners() {
    const std::vector<TBindColumn> listeners = FListeners;
    for (const TBindColumn& node : listeners)
        if (node.RowHandler)
            node.RowHandler(this);
}

void TCustomQueryODBC::NotifyState(int state) {
    const std::vector<TBindColumn> listeners = FListeners;
    for (const TBindColumn& node : listeners)
        if (node.StateHandler)
            node.StateHandler(this, state);
}

// ---- properties ----

void TCustomQueryODBC::CheckNotConnected() {
    if (!FConnected)
        return;
    if (!(ComponentState() & csDesigning))
        RaiseInternalError("The property can't change during Connected");
    if (FClone)
        FClone->Disconnect();
    else
        Disconnect();
}

void TCustomQueryODBC::CheckNotExecuted() {
    if (FExecuted)
        RaiseInternalError("Can't Change during Executed");
}

// Assigns a connection property: a change needs the query disconnected.
template <typename T>
static void ChangeConnectProperty(TCustomQueryODBC& query, T& field, const T& value,
                                  void (TCustomQueryODBC::*check)()) {
    if (field == value)
        return;
    (query.*check)();
    field = value;
}

void TCustomQueryODBC::SetConnectInfo(const QString& value) {
    ChangeConnectProperty(*this, FConnectInfo, value, &TCustomQueryODBC::CheckNotConnected);
}

void TCustomQueryODBC::SetDriverConnect(bool value) {
    ChangeConnectProperty(*this, FDriverConnect, value, &TCustomQueryODBC::CheckNotConnected);
}

void TCustomQueryODBC::SetDSName(const QString& value) {
    ChangeConnectProperty(*this, FDSName, value, &TCustomQueryODBC::CheckNotConnected);
}

void TCustomQueryODBC::SetODBCVersion(TqoODBCVersion value) {
    ChangeConnectProperty(*this, FODBCVersion, value, &TCustomQueryODBC::CheckNotConnected);
}

void TCustomQueryODBC::SetPassword(const QString& value) {
    ChangeConnectProperty(*this, FPassword, value, &TCustomQueryODBC::CheckNotConnected);
}

void TCustomQueryODBC::SetReadOnly(bool value) {
    ChangeConnectProperty(*this, FReadOnly, value, &TCustomQueryODBC::CheckNotConnected);
}

void TCustomQueryODBC::SetUserID(const QString& value) {
    ChangeConnectProperty(*this, FUserID, value, &TCustomQueryODBC::CheckNotConnected);
}

void TCustomQueryODBC::SetUseUserName(bool value) {
    ChangeConnectProperty(*this, FUseUserName, value, &TCustomQueryODBC::CheckNotConnected);
}

void TCustomQueryODBC::SetFetchScroll(bool value) {
    ChangeConnectProperty(*this, FFetchScroll, value, &TCustomQueryODBC::CheckNotConnected);
    if (!FFetchScroll)
        FCursorType = qoForwardOnly;
}

void TCustomQueryODBC::SetCursorType(TqoCursorType value) {
    ChangeConnectProperty(*this, FCursorType, value, &TCustomQueryODBC::CheckNotExecuted);
    if (FCursorType != qoForwardOnly)
        SetFetchScroll(true);
}

void TCustomQueryODBC::SetWCharMapsChar(bool value) {
    ChangeConnectProperty(*this, FWCharMapsChar, value, &TCustomQueryODBC::CheckNotExecuted);
}

void TCustomQueryODBC::SetUseBookmarks(bool value) {
    ChangeConnectProperty(*this, FUseBookmarks, value, &TCustomQueryODBC::CheckNotExecuted);
}

void TCustomQueryODBC::SetFetchBufSize(int value) {
    constexpr int MaxFetchBufSize = 1048576;
    if (value < 1 || value > MaxFetchBufSize)
        RaiseInternalError("Valid value is 1 thru " + QString::number(MaxFetchBufSize));
    FFetchBufSize = value;
}

void TCustomQueryODBC::SetNullConvert(bool value) {
    if (value && FNullStrings.toUtf8().size() < 4)
        RaiseInternalError("NullStrings needs at least 4 bytes.");
    FNullConvert = value;
}

void TCustomQueryODBC::SetNullStrings(const QString& value) {
    FNullStrings = value;
    if (value.toUtf8().size() < 4)
        FNullConvert = false;
}

// ---- connecting ----

TCustomQueryODBC& TCustomQueryODBC::ConnectionOwner() {
    return IsNonOriginClone() ? FClone->OriginQuery() : *this;
}

bool TCustomQueryODBC::WorkPending() const {
    return IsNonOriginClone() ? FClone->OriginQuery().FWorkPending : FWorkPending;
}

void TCustomQueryODBC::Connect() {
    if (IsNonOriginClone())
        RaiseInternalError("Unable to do this action in the Clone mode.");
    if (FConnected)
        return;
    RunWithWaitCursor([this] {
        DoConnect();
        // A connection whose set-up failed is closed again: a failed connect keeps nothing.
        if (FConnected && FPendingError.Pending())
            DoDisconnect();
        if (!FConnected && !FPendingError.Pending())
            FPendingError.SetText("QueryODBC: Connect failed.");
        if (FConnected && FClone && FCloneOrigin)
            CloneConnect(nullptr);
    });
    RaisePendingError();
    if (AfterConnect)
        AfterConnect(this);
    NotifyState(qoConnected);
}

void TCustomQueryODBC::DoConnect() {
    if (!FCLI) {
        FOwnCLI = std::make_unique<TODBCCLI>(LibraryName);
        FCLI = FOwnCLI.get();
    }
    if (BeforeConnect) {
        if (SQLWaitCursor)
            SetWaitCursor(false);
        BeforeConnect(this);
        if (SQLWaitCursor)
            SetWaitCursor(true);
    }
    if (!AllocEnvironment() || !AllocConnection())
        return;
    if (FUseUserName && FUserID.isEmpty())
        FUserID = LoginName();
    const SQLRETURN rc = ConnectToSource();
    if (SQL_SUCCEEDED(rc)) {
        FConnected = true;
        SetUpConnection();
        return;
    }
    if (rc == SQL_NO_DATA)
        FPendingError.SetText("接続処理が中止されました。");
    else
        ReportDiagnostics(nullptr);
    FreeConnectionHandles();
}

bool TCustomQueryODBC::AllocEnvironment() {
    SQLRETURN rc;
    if (ODBC3()) {
        Call("AllocHandle(Env)");
        rc = FCLI->SQLAllocHandle(SQLSMALLINT(SQL_HANDLE_ENV), SQLHANDLE(SQL_NULL_HANDLE), &FHEnv);
        if (rc == SQL_SUCCESS) {
            Call("SetEnvAttr(ODBC_VERSION)");
            rc = FCLI->SQLSetEnvAttr(FHEnv, SQLINTEGER(SQL_ATTR_ODBC_VERSION),
                                     SQLPOINTER(SQL_OV_ODBC3), SQLINTEGER(0));
        }
    } else {
        Call("AllocEnv");
        rc = FCLI->SQLAllocEnv(&FHEnv);
    }
    if (rc == SQL_SUCCESS)
        return true;
    ReportDiagnostics(nullptr);
    FreeConnectionHandles();
    return false;
}

bool TCustomQueryODBC::AllocConnection() {
    SQLRETURN rc;
    if (ODBC3()) {
        Call("AllocHandle(Connect)");
        rc = FCLI->SQLAllocHandle(SQLSMALLINT(SQL_HANDLE_DBC), SQLHANDLE(FHEnv), &FHDbc);
    } else {
        Call("AllocConnect");
        rc = FCLI->SQLAllocConnect(FHEnv, &FHDbc);
    }
    if (rc == SQL_SUCCESS)
        return true;
    FHDbc = nullptr;
    ReportDiagnostics(nullptr);
    FreeConnectionHandles();
    return false;
}

QString TCustomQueryODBC::ConnectString() const {
    QString text = "DSN=" + ConnectValue(FDSName);
    if (!FUserID.isEmpty())
        text += ";UID=" + ConnectValue(FUserID);
    if (!FPassword.isEmpty())
        text += ";PWD=" + (FPassword == FNullStrings ? QString() : ConnectValue(FPassword));
    if (!FConnectInfo.isEmpty())
        text += ";" + FConnectInfo;
    return text;
}

SQLRETURN TCustomQueryODBC::ConnectToSource() {
    if (FDriverConnect) {
        const QByteArray in = ConnectString().toUtf8();
        SQLCHAR out[512] = {};
        SQLSMALLINT outLength = 0;
        Call("DriverConnect");
        const SQLRETURN rc = FCLI->SQLDriverConnect(
            FHDbc, ConnectWindow, (SQLCHAR*)in.constData(), SQLSMALLINT(SQL_NTS), out,
            SQLSMALLINT(sizeof(out)), &outLength, SQLUSMALLINT(SQL_DRIVER_COMPLETE));
        FCompletedConnectString = QString::fromUtf8(reinterpret_cast<char*>(out));
        return rc;
    }
    const QByteArray dsn = FDSName.toUtf8(), uid = FUserID.toUtf8(), pwd = FPassword.toUtf8();
    Call("Connect");
    return FCLI->SQLConnect(FHDbc, (SQLCHAR*)dsn.constData(), SQLSMALLINT(dsn.size()),
                            (SQLCHAR*)uid.constData(), SQLSMALLINT(uid.size()),
                            (SQLCHAR*)pwd.constData(), SQLSMALLINT(pwd.size()));
}

void TCustomQueryODBC::SetConnectOption(const char* label3, const char* label2, SQLINTEGER attr,
                                        SQLULEN value) {
    Call(Label3(label3, label2));
    const SQLRETURN rc =
        ODBC3() ? FCLI->SQLSetConnectAttr(FHDbc, attr, SQLPOINTER(value), SQLINTEGER(0))
                : FCLI->SQLSetConnectOption(FHDbc, SQLUSMALLINT(attr), value);
    if (rc == SQL_ERROR)
        ReportDiagnostics(nullptr);
}

void TCustomQueryODBC::SetUpConnection() {
    if (FReadOnly)
        SetConnectOption("SetConnectAttr (AccessMode)", "SetConnectOption (AccessMode)",
                         SQL_ATTR_ACCESS_MODE, SQL_MODE_READ_ONLY);
    if (FFetchScroll) {
        FFetchScroll =
            GetFunctionSupported(ODBC3() ? SQL_API_SQLFETCHSCROLL : SQL_API_SQLEXTENDEDFETCH);
        if (FFetchScroll)
            CursorSetUpAtConnect();
        else
            FCursorType = qoForwardOnly;
    }
    if (FTransaction)
        SetConnectOption("SetConnectAttr(AutoCommit)", "SetConnectOption (AutoCommit)",
                         SQL_ATTR_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF);
    if (FTransIsolation != qoDefaultTxn)
        ApplyTransIsolation();
}

bool TCustomQueryODBC::GetFunctionSupported(SQLUSMALLINT functionId) {
    SQLUSMALLINT supported = SQL_FALSE;
    Call("GetFunction");
    const SQLRETURN rc = FCLI->SQLGetFunctions(FHDbc, functionId, &supported);
    if (rc == SQL_ERROR)
        ReportDiagnostics(nullptr);
    return SQL_SUCCEEDED(rc) && supported == SQL_TRUE;
}

void TCustomQueryODBC::Disconnect() {
    if (IsNonOriginClone())
        RaiseInternalError("Unable to do this action in the Clone mode.");
    if (!FConnected)
        return;
    if (BeforeDisconnect)
        BeforeDisconnect(this);
    NotifyState(qoDisconnecting);
    RunWithWaitCursor([this] {
        if (FClone && FCloneOrigin)
            CloneDisconnect(nullptr);
        CloseCursor(false);
        if (FTransaction && FWorkPending) {
            Rollback();
            Notice("QueryODBC: Automatic rollback issued.");
        }
        FWorkPending = false;
        DoDisconnect();
        NotifyState(qoDisconnected);
    });
    RaisePendingError();
    if (AfterDisconnect)
        AfterDisconnect(this);
}

void TCustomQueryODBC::DoDisconnect() {
    if (FHDbc) {
        Call("Disconnect");
        if (FCLI->SQLDisconnect(FHDbc) != SQL_SUCCESS)
            ReportDiagnostics(nullptr);
    }
    FreeConnectionHandles();
}

void TCustomQueryODBC::FreeConnectionHandles() {
    if (FHDbc) {
        Call(Label3("FreeHandle(Connect)", "FreeConnect"));
        if (ODBC3())
            FCLI->SQLFreeHandle(SQLSMALLINT(SQL_HANDLE_DBC), SQLHANDLE(FHDbc));
        else
            FCLI->SQLFreeConnect(FHDbc);
        FHDbc = nullptr;
    }
    if (FHEnv) {
        Call(Label3("FreeHandle(Env)", "FreeEnv"));
        if (ODBC3())
            FCLI->SQLFreeHandle(SQLSMALLINT(SQL_HANDLE_ENV), SQLHANDLE(FHEnv));
        else
            FCLI->SQLFreeEnv(FHEnv);
        FHEnv = nullptr;
    }
    FConnected = false;
}

// ---- transactions ----

void TCustomQueryODBC::SetTransaction(bool value) {
    FTransaction = value;
    if (!FConnected)
        return;
    RunWithWaitCursor([&] {
        SetConnectOption("SetConnectAttr(AutoCommit)", "SetConnectOption (AutoCommit)",
                         SQL_ATTR_AUTOCOMMIT, value ? SQL_AUTOCOMMIT_OFF : SQL_AUTOCOMMIT_ON);
    });
    RaisePendingError();
}

void TCustomQueryODBC::EndTransaction(SQLSMALLINT completion) {
    const bool commit = completion == SQL_COMMIT;
    if (!FTransaction)
        RaiseInternalError(commit ? "Commit will need only Transaction=True."
                                  : "Rollback will need only Transaction=True.");
    const TqoNotifyEvent& before = commit ? BeforeCommit : BeforeRollback;
    if (before)
        before(this);
    RunWithWaitCursor([&] {
        if (FConnected) {
            SQLRETURN rc;
            if (ODBC3()) {
                Call("EndTran");
                rc = FCLI->SQLEndTran(SQLSMALLINT(SQL_HANDLE_DBC), SQLHANDLE(FHDbc), completion);
            } else {
                Call("Transact");
                rc = FCLI->SQLTransact(FHEnv, FHDbc, SQLUSMALLINT(completion));
            }
            if (rc != SQL_SUCCESS)
                ReportDiagnostics(nullptr);
        }
        ConnectionOwner().FWorkPending = false;
    });
    RaisePendingError();
    const TqoNotifyEvent& after = commit ? AfterCommit : AfterRollback;
    if (after)
        after(this);
}

void TCustomQueryODBC::Commit() {
    EndTransaction(SQL_COMMIT);
}

void TCustomQueryODBC::Rollback() {
    EndTransaction(SQL_ROLLBACK);
}

void TCustomQueryODBC::SetTransIsolation(TqoTxnIsolation value) {
    FTransIsolation = value;
    if (!FConnected || value == qoDefaultTxn)
        return;
    if (IsNonOriginClone())
        RaiseInternalError("You must use CloneODBC's TransIsolation.");
    RunWithWaitCursor([this] { ApplyTransIsolation(); });
    RaisePendingError();
}

void TCustomQueryODBC::ApplyTransIsolation() {
    static const SQLULEN levels[] = {SQL_TXN_READ_UNCOMMITTED, SQL_TXN_READ_COMMITTED,
                                     SQL_TXN_REPEATABLE_READ, SQL_TXN_SERIALIZABLE};
    SetConnectOption("SetConnectAttr(TxnIsolation)", "SetConnectOption (TxnIsolation)",
                     SQL_ATTR_TXN_ISOLATION, levels[FTransIsolation]);
}

TqoTxnIsolation TCustomQueryODBC::TransIsolation() {
    if (!FConnected || (ComponentState() & csDesigning))
        return FTransIsolation;
    SQLULEN level = 0;
    Call(Label3("GetConnectAttr(TxnIsolation)", "GetConnectOption (TxnIsolation)"));
    const SQLRETURN rc =
        ODBC3() ? FCLI->SQLGetConnectAttr(FHDbc, SQLINTEGER(SQL_ATTR_TXN_ISOLATION), &level,
                                          SQLINTEGER(sizeof(level)), (SQLINTEGER*)nullptr)
                : FCLI->SQLGetConnectOption(FHDbc, SQLUSMALLINT(SQL_TXN_ISOLATION), &level);
    if (rc == SQL_ERROR) {
        ReportDiagnostics(nullptr);
        RaisePendingError();
    }
    switch (level) {
    case SQL_TXN_READ_UNCOMMITTED:
        return qoDirtyRead;
    case SQL_TXN_READ_COMMITTED:
        return qoReadCommitted;
    case SQL_TXN_REPEATABLE_READ:
        return qoRepeatableRead;
    default:
        return qoSerializable;
    }
}
