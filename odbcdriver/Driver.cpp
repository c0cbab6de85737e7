// The ODBC 3 entry points unixODBC's driver manager calls; the manager maps the ODBC 2 calls
// of an application onto them.
#include "Calls.h"
#include "Catalog.h"
#include "Convert.h"
#include "Statement.h"
#include "Text.h"

#include <QDir>
#include <odbcinst.h>

// odbcinst.h defines an empty EXPORT; here it marks the entry points the driver manager finds.
#undef EXPORT
#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

template <typename T> T* As(SQLHANDLE h, SQLSMALLINT type) {
    auto* handle = static_cast<OdbcHandle*>(h);
    return handle && handle->Type == type ? static_cast<T*>(handle) : nullptr;
}

// The connection a handle belongs to, held for the call: its lock taken, so the calls on one
// connection and its statements never run at once.
std::unique_lock<std::recursive_mutex> Hold(OdbcHandle* h) {
    if (h && h->Type == SQL_HANDLE_STMT)
        return std::unique_lock(static_cast<OdbcStatement*>(h)->Dbc->Lock);
    if (h && h->Type == SQL_HANDLE_DBC)
        return std::unique_lock(static_cast<OdbcConnection*>(h)->Lock);
    return {};
}

// A statement or connection handle for one call, its connection held while the call runs and
// the diagnostics of its last call cleared; a statement's pending cancel is carried out first.
template <typename T> class Held {
public:
    explicit Held(T* handle) : FHandle(handle), FLock(Hold(handle)) {
        if (!FHandle)
            return;
        FHandle->Diags.clear();
        if constexpr (std::is_same_v<T, OdbcStatement>)
            DriverStatement::TakeCancel(FHandle);
    }
    operator T*() const { return FHandle; }
    T* operator->() const { return FHandle; }

private:
    T* FHandle;
    std::unique_lock<std::recursive_mutex> FLock;
};

Held<OdbcStatement> Stmt(SQLHSTMT h) {
    return Held(As<OdbcStatement>(h, SQL_HANDLE_STMT));
}

Held<OdbcConnection> Dbc(SQLHDBC h) {
    return Held(As<OdbcConnection>(h, SQL_HANDLE_DBC));
}

// "key=value;key={value};..." as a map with upper-cased keys. A value in braces is read whole,
// ";" and "=" included, a doubled "}" standing for one; a part without "=" is skipped.
QMap<QString, QString> ParseAttributes(const QString& text) {
    QMap<QString, QString> map;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        qsizetype end = text.indexOf(';', i);
        const qsizetype eq = text.indexOf('=', i);
        if (eq < 0 || (end >= 0 && end < eq)) {
            i = end < 0 ? n : end + 1;
            continue;
        }
        const QString key = text.mid(i, eq - i).trimmed().toUpper();
        qsizetype at = eq + 1;
        while (at < n && text[at].isSpace())
            ++at;
        QString value;
        if (at < n && text[at] == '{') {
            for (++at; at < n && (text[at] != '}' || text.mid(at, 2) == "}}"); ++at) {
                value += text[at];
                at += text[at] == '}';
            }
            end = text.indexOf(';', at);
        } else {
            end = text.indexOf(';', eq);
            value = text.mid(eq + 1, (end < 0 ? n : end) - eq - 1).trimmed();
        }
        if (!key.isEmpty())
            map.insert(key, value);
        i = end < 0 ? n : end + 1;
    }
    return map;
}

QString DsnValue(const QString& dsn, const char* key) {
    char buffer[1024] = {0};
    SQLGetPrivateProfileString(dsn.toUtf8().constData(), key, "", buffer, sizeof buffer,
                               "odbc.ini");
    return QString::fromUtf8(buffer);
}

// Opens the database file (DBQ) or the folder of table files (DefaultDir); attributes missing
// from the connect string come from the data source.
SQLRETURN Open(OdbcConnection* dbc, QMap<QString, QString> attributes) {
    const QString dsn = attributes.value("DSN");
    for (const char* key : {"DBQ", "DEFAULTDIR"})
        if (!attributes.contains(key) && !dsn.isEmpty())
            attributes.insert(key, DsnValue(dsn, key == QString("DBQ") ? "DBQ" : "DefaultDir"));
    const QString dbq = QDir::fromNativeSeparators(attributes.value("DBQ"));
    const QString folder = QDir::fromNativeSeparators(attributes.value("DEFAULTDIR"));
    if (dbq.isEmpty() && folder.isEmpty())
        return dbc->Post("IM002",
                         "Data source name not found and no DBQ or DefaultDir given: " + dsn);
    try {
        dbc->Db =
            dbq.isEmpty() ? SqlConnection::OpenFolder(folder) : SqlConnection::OpenDatabase(dbq);
    } catch (const EDatabaseError& e) {
        return dbc->Post("08001", e.Message());
    }
    dbc->DataSource = dsn;
    return SQL_SUCCESS;
}

SQLRETURN RunCatalog(OdbcStatement* st, const std::function<std::unique_ptr<OdbcResult>()>& make) {
    DriverStatement::CloseCursor(st);
    st->Prepared.reset();
    try {
        DriverStatement::SetResult(st, make());
    } catch (const EDatabaseError& e) {
        return DriverStatement::Failed(st, e);
    }
    return SQL_SUCCESS;
}

// A statement attribute that the connection also keeps as the default of new statements.
SQLRETURN SetCursorType(OdbcHandle* h, SQLULEN value, SQLULEN& target) {
    if (value == SQL_CURSOR_KEYSET_DRIVEN || value == SQL_CURSOR_DYNAMIC) {
        target = SQL_CURSOR_STATIC;
        return h->Post("01S02", "Option value changed: the cursor is static");
    }
    target = value;
    return SQL_SUCCESS;
}

} // namespace

// ---- handles ----

EXPORT SQLRETURN SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
    if (!output)
        return SQL_ERROR;
    switch (type) {
    case SQL_HANDLE_ENV:
        *output = new OdbcEnvironment;
        return SQL_SUCCESS;
    case SQL_HANDLE_DBC: {
        auto* env = As<OdbcEnvironment>(input, SQL_HANDLE_ENV);
        if (!env)
            return SQL_INVALID_HANDLE;
        *output = new OdbcConnection(env);
        return SQL_SUCCESS;
    }
    case SQL_HANDLE_STMT: {
        auto dbc = Dbc(input);
        if (!dbc)
            return SQL_INVALID_HANDLE;
        if (!dbc->Db)
            return dbc->Post("08003", "Connection not open");
        auto* st = new OdbcStatement(dbc);
        dbc->Statements.insert(st);
        *output = st;
        return SQL_SUCCESS;
    }
    default:
        return SQL_ERROR;
    }
}

EXPORT SQLRETURN SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    auto* h = static_cast<OdbcHandle*>(handle);
    if (!h || h->Type != type)
        return SQL_INVALID_HANDLE;
    if (type == SQL_HANDLE_STMT) {
        auto* st = static_cast<OdbcStatement*>(h);
        const auto held = Hold(st);
        st->Dbc->Statements.erase(st);
        delete st;
        return SQL_SUCCESS;
    }
    if (type == SQL_HANDLE_DBC && static_cast<OdbcConnection*>(h)->Db)
        return h->Post("HY010", "Function sequence error: still connected");
    delete h;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQLFreeStmt(SQLHSTMT handle, SQLUSMALLINT option) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    switch (option) {
    case SQL_CLOSE:
        DriverStatement::CloseCursor(st);
        return SQL_SUCCESS;
    case SQL_UNBIND:
        st->Bindings.clear();
        return SQL_SUCCESS;
    case SQL_RESET_PARAMS:
        st->Parameters.clear();
        return SQL_SUCCESS;
    case SQL_DROP:
        return SQLFreeHandle(SQL_HANDLE_STMT, handle);
    default:
        return st->Post("HY092", "Option type out of range");
    }
}

EXPORT SQLRETURN SQLCloseCursor(SQLHSTMT handle) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    if (!st->Result)
        return st->Post("24000", "Invalid cursor state");
    DriverStatement::CloseCursor(st);
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQLCancel(SQLHSTMT handle) {
    // Not held: the statement may be running on another thread, holding its connection.
    auto* st = As<OdbcStatement>(handle, SQL_HANDLE_STMT);
    return st ? DriverStatement::Cancel(st) : SQL_INVALID_HANDLE;
}

// ---- attributes ----

EXPORT SQLRETURN SQLSetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
    auto* env = As<OdbcEnvironment>(handle, SQL_HANDLE_ENV);
    if (!env)
        return SQL_INVALID_HANDLE;
    if (attribute == SQL_ATTR_ODBC_VERSION)
        env->Version = SQLINTEGER(reinterpret_cast<SQLLEN>(value));
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQLGetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                               SQLINTEGER*) {
    auto* env = As<OdbcEnvironment>(handle, SQL_HANDLE_ENV);
    if (!env)
        return SQL_INVALID_HANDLE;
    if (value)
        *static_cast<SQLINTEGER*>(value) = attribute == SQL_ATTR_ODBC_VERSION ? env->Version : 0;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQLSetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                   SQLINTEGER) {
    auto dbc = Dbc(handle);
    if (!dbc)
        return SQL_INVALID_HANDLE;
    const SQLULEN v = SQLULEN(reinterpret_cast<SQLLEN>(value));
    try {
        switch (attribute) {
        case SQL_ATTR_AUTOCOMMIT:
            dbc->AutoCommit = v == SQL_AUTOCOMMIT_ON;
            if (dbc->AutoCommit && dbc->Db && dbc->Db->InTransaction())
                dbc->Db->Commit();
            return SQL_SUCCESS;
        case SQL_ATTR_ACCESS_MODE:
            // A hint, as with the Access driver: the programs still write through connections
            // they open read-only (the removal of a registration row).
            dbc->ReadOnly = v == SQL_MODE_READ_ONLY;
            return SQL_SUCCESS;
        case SQL_ATTR_CURSOR_TYPE: {
            const SQLRETURN rc = SetCursorType(dbc, v, dbc->CursorType);
            // As SQLSetConnectOption always did: statements already made take it too.
            for (OdbcStatement* st : dbc->Statements)
                st->CursorType = dbc->CursorType;
            return rc;
        }
        case SQL_ATTR_USE_BOOKMARKS:
            dbc->UseBookmarks = v;
            return SQL_SUCCESS;
        case SQL_ATTR_QUERY_TIMEOUT:
            dbc->QueryTimeout = v;
            return SQL_SUCCESS;
        default:
            return SQL_SUCCESS; // login timeout, isolation, ...: nothing to do here
        }
    } catch (const EDatabaseError& e) {
        return DriverStatement::Failed(dbc, e);
    }
}

SQLRETURN Calls::GetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                TextOut text, SQLINTEGER* length) {
    auto dbc = Dbc(handle);
    if (!dbc)
        return SQL_INVALID_HANDLE;
    SQLULEN v = 0;
    switch (attribute) {
    case SQL_ATTR_AUTOCOMMIT:
        v = dbc->AutoCommit ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
        break;
    case SQL_ATTR_ACCESS_MODE:
        v = dbc->ReadOnly ? SQL_MODE_READ_ONLY : SQL_MODE_READ_WRITE;
        break;
    case SQL_ATTR_TXN_ISOLATION:
        v = SQL_TXN_SERIALIZABLE;
        break;
    case SQL_ATTR_CURSOR_TYPE:
        v = dbc->CursorType;
        break;
    case SQL_ATTR_USE_BOOKMARKS:
        v = dbc->UseBookmarks;
        break;
    case SQL_ATTR_QUERY_TIMEOUT:
        v = dbc->QueryTimeout;
        break;
    case SQL_ATTR_CONNECTION_DEAD:
        v = dbc->Db ? SQL_CD_FALSE : SQL_CD_TRUE;
        break;
    case SQL_ATTR_CURRENT_CATALOG:
        return OutText(dbc, dbc->Db ? dbc->Db->Path() : QString(), text, nullptr, length);
    default:
        break;
    }
    if (value)
        *static_cast<SQLUINTEGER*>(value) = SQLUINTEGER(v);
    if (length)
        *length = sizeof(SQLUINTEGER);
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQLGetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                   SQLINTEGER bufferLength, SQLINTEGER* length) {
    return Calls::GetConnectAttr(handle, attribute, value, Narrow(value, bufferLength), length);
}

EXPORT SQLRETURN SQLSetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value,
                                SQLINTEGER) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    const SQLULEN v = SQLULEN(reinterpret_cast<SQLLEN>(value));
    switch (attribute) {
    case SQL_ATTR_CURSOR_TYPE:
        if (st->Result)
            return st->Post("24000", "Invalid cursor state: a result is open");
        return SetCursorType(st, v, st->CursorType);
    case SQL_ATTR_CURSOR_SCROLLABLE:
        if (v == SQL_SCROLLABLE && st->CursorType == SQL_CURSOR_FORWARD_ONLY)
            st->CursorType = SQL_CURSOR_STATIC;
        return SQL_SUCCESS;
    case SQL_ATTR_USE_BOOKMARKS:
        st->UseBookmarks = v;
        return SQL_SUCCESS;
    case SQL_ATTR_QUERY_TIMEOUT:
        st->QueryTimeout = v;
        return SQL_SUCCESS;
    case SQL_ATTR_ROW_ARRAY_SIZE:
        st->RowArraySize = qMax<SQLULEN>(v, 1);
        return SQL_SUCCESS;
    case SQL_ROWSET_SIZE:
        st->RowsetSize = qMax<SQLULEN>(v, 1);
        return SQL_SUCCESS;
    case SQL_ATTR_ROW_BIND_TYPE:
        st->BindType = v;
        return SQL_SUCCESS;
    case SQL_ATTR_ROW_BIND_OFFSET_PTR:
        st->BindOffset = static_cast<SQLULEN*>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_ROWS_FETCHED_PTR:
        st->RowsFetched = static_cast<SQLULEN*>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_ROW_STATUS_PTR:
        st->RowStatus = static_cast<SQLUSMALLINT*>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_FETCH_BOOKMARK_PTR:
        st->FetchBookmark = value;
        return SQL_SUCCESS;
    case SQL_ATTR_MAX_LENGTH:
        st->MaxLength = v;
        return SQL_SUCCESS;
    case SQL_ATTR_CONCURRENCY:
        st->Concurrency = v;
        return SQL_SUCCESS;
    case SQL_ATTR_PARAMSET_SIZE:
        st->ParamsetSize = qMax<SQLULEN>(v, 1);
        return SQL_SUCCESS;
    case SQL_ATTR_PARAM_BIND_TYPE:
        st->ParamBindType = v;
        return SQL_SUCCESS;
    case SQL_ATTR_PARAM_BIND_OFFSET_PTR:
        st->ParamBindOffset = static_cast<SQLULEN*>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_PARAMS_PROCESSED_PTR:
        st->ParamsProcessed = static_cast<SQLULEN*>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_PARAM_STATUS_PTR:
        st->ParamStatus = static_cast<SQLUSMALLINT*>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_PARAM_OPERATION_PTR:
        st->ParamOperation = static_cast<SQLUSMALLINT*>(value);
        return SQL_SUCCESS;
    default:
        return SQL_SUCCESS; // no-scan, ...: nothing to do here
    }
}

EXPORT SQLRETURN SQLGetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                SQLINTEGER* length) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    SQLULEN v = 0;
    switch (attribute) {
    case SQL_ATTR_CURSOR_TYPE:
        v = st->CursorType;
        break;
    case SQL_ATTR_CURSOR_SCROLLABLE:
        v = st->CursorType == SQL_CURSOR_FORWARD_ONLY ? SQL_NONSCROLLABLE : SQL_SCROLLABLE;
        break;
    case SQL_ATTR_USE_BOOKMARKS:
        v = st->UseBookmarks;
        break;
    case SQL_ATTR_QUERY_TIMEOUT:
        v = st->QueryTimeout;
        break;
    case SQL_ATTR_ROW_ARRAY_SIZE:
        v = st->RowArraySize;
        break;
    case SQL_ROWSET_SIZE:
        v = st->RowsetSize;
        break;
    case SQL_ATTR_ROW_BIND_TYPE:
        v = st->BindType;
        break;
    case SQL_ATTR_CONCURRENCY:
        v = st->Concurrency;
        break;
    case SQL_ATTR_ROW_NUMBER:
        v = st->RowsetRows > 0 ? SQLULEN(st->RowsetStart) : 0;
        break;
    case SQL_ATTR_PARAMSET_SIZE:
        v = st->ParamsetSize;
        break;
    case SQL_ATTR_PARAM_BIND_TYPE:
        v = st->ParamBindType;
        break;
    case SQL_ATTR_PARAM_BIND_OFFSET_PTR:
        v = SQLULEN(reinterpret_cast<quintptr>(st->ParamBindOffset));
        break;
    case SQL_ATTR_PARAMS_PROCESSED_PTR:
        v = SQLULEN(reinterpret_cast<quintptr>(st->ParamsProcessed));
        break;
    case SQL_ATTR_PARAM_STATUS_PTR:
        v = SQLULEN(reinterpret_cast<quintptr>(st->ParamStatus));
        break;
    case SQL_ATTR_PARAM_OPERATION_PTR:
        v = SQLULEN(reinterpret_cast<quintptr>(st->ParamOperation));
        break;
    case SQL_ATTR_APP_ROW_DESC:
    case SQL_ATTR_APP_PARAM_DESC:
    case SQL_ATTR_IMP_ROW_DESC:
    case SQL_ATTR_IMP_PARAM_DESC:
        return st->Post("HYC00", "Descriptors are not supported");
    default:
        break;
    }
    if (value)
        *static_cast<SQLULEN*>(value) = v;
    if (length)
        *length = sizeof(SQLULEN);
    return SQL_SUCCESS;
}

// ---- connecting ----

SQLRETURN Calls::Connect(SQLHDBC handle, const QString& dsn) {
    auto dbc = Dbc(handle);
    if (!dbc)
        return SQL_INVALID_HANDLE;
    return Open(dbc, {{"DSN", dsn}});
}

EXPORT SQLRETURN SQLConnect(SQLHDBC handle, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR*,
                            SQLSMALLINT, SQLCHAR*, SQLSMALLINT) {
    return Calls::Connect(handle, InText(dsn, dsnLength));
}

SQLRETURN Calls::DriverConnect(SQLHDBC handle, const QString& in, TextOut out,
                               SQLSMALLINT* outWritten) {
    auto dbc = Dbc(handle);
    if (!dbc)
        return SQL_INVALID_HANDLE;
    const SQLRETURN rc = Open(dbc, ParseAttributes(in));
    if (!SQL_SUCCEEDED(rc))
        return rc;
    const SQLRETURN copied = OutText(dbc, in, out, outWritten);
    return copied == SQL_SUCCESS ? rc : copied;
}

EXPORT SQLRETURN SQLDriverConnect(SQLHDBC handle, SQLHWND, SQLCHAR* in, SQLSMALLINT inLength,
                                  SQLCHAR* out, SQLSMALLINT outLength, SQLSMALLINT* outWritten,
                                  SQLUSMALLINT) {
    return Calls::DriverConnect(handle, InText(in, inLength), Narrow(out, outLength), outWritten);
}

EXPORT SQLRETURN SQLDisconnect(SQLHDBC handle) {
    auto dbc = Dbc(handle);
    if (!dbc)
        return SQL_INVALID_HANDLE;
    for (OdbcStatement* st : std::set<OdbcStatement*>(dbc->Statements))
        SQLFreeHandle(SQL_HANDLE_STMT, st);
    try {
        if (dbc->Db && dbc->Db->InTransaction())
            dbc->Db->Rollback();
    } catch (const EDatabaseError&) {
    }
    dbc->Db.reset();
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion) {
    if (type != SQL_HANDLE_DBC)
        return SQL_SUCCESS;
    auto dbc = Dbc(handle);
    if (!dbc)
        return SQL_INVALID_HANDLE;
    try {
        if (dbc->Db && dbc->Db->InTransaction()) {
            if (completion == SQL_COMMIT)
                dbc->Db->Commit();
            else
                dbc->Db->Rollback();
        }
    } catch (const EDatabaseError& e) {
        return DriverStatement::Failed(dbc, e);
    }
    return SQL_SUCCESS;
}

// ---- statements ----

SQLRETURN Calls::Prepare(SQLHSTMT handle, const QString& text) {
    auto st = Stmt(handle);
    return st ? DriverStatement::Prepare(st, text) : SQL_INVALID_HANDLE;
}

EXPORT SQLRETURN SQLPrepare(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length) {
    return Calls::Prepare(handle, InText(text, length));
}

EXPORT SQLRETURN SQLExecute(SQLHSTMT handle) {
    auto st = Stmt(handle);
    return st ? DriverStatement::Execute(st) : SQL_INVALID_HANDLE;
}

SQLRETURN Calls::ExecDirect(SQLHSTMT handle, const QString& text) {
    auto st = Stmt(handle);
    return st ? DriverStatement::ExecDirect(st, text) : SQL_INVALID_HANDLE;
}

EXPORT SQLRETURN SQLExecDirect(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length) {
    return Calls::ExecDirect(handle, InText(text, length));
}

EXPORT SQLRETURN SQLNumParams(SQLHSTMT handle, SQLSMALLINT* count) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    if (count)
        *count = st->Prepared ? SQLSMALLINT(st->Prepared->ParamCount()) : 0;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQLDescribeParam(SQLHSTMT handle, SQLUSMALLINT, SQLSMALLINT* type, SQLULEN* size,
                                  SQLSMALLINT* digits, SQLSMALLINT* nullable) {
    if (!Stmt(handle))
        return SQL_INVALID_HANDLE;
    if (type)
        *type = SQL_VARCHAR;
    if (size)
        *size = 255;
    if (digits)
        *digits = 0;
    if (nullable)
        *nullable = SQL_NULLABLE;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQLBindParameter(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT ioType,
                                  SQLSMALLINT cType, SQLSMALLINT sqlType, SQLULEN, SQLSMALLINT,
                                  SQLPOINTER value, SQLLEN bufferLength, SQLLEN* indicator) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    if (number < 1)
        return st->Post("07009", "Invalid descriptor index");
    if (ioType != SQL_PARAM_INPUT)
        return st->Post("HYC00", "Only input parameters are supported");
    st->Parameters[number] = ParameterBinding{cType, sqlType, value, bufferLength, indicator};
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQLParamData(SQLHSTMT handle, SQLPOINTER* token) {
    auto st = Stmt(handle);
    return st ? DriverStatement::ParamData(st, token) : SQL_INVALID_HANDLE;
}

EXPORT SQLRETURN SQLPutData(SQLHSTMT handle, SQLPOINTER data, SQLLEN length) {
    auto st = Stmt(handle);
    return st ? DriverStatement::PutData(st, data, length) : SQL_INVALID_HANDLE;
}

EXPORT SQLRETURN SQLRowCount(SQLHSTMT handle, SQLLEN* count) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    if (count)
        *count = st->RowCount;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQLMoreResults(SQLHSTMT handle) {
    return Stmt(handle) ? SQL_NO_DATA : SQL_INVALID_HANDLE;
}

SQLRETURN Calls::SetCursorName(SQLHSTMT handle, const QString& name) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    st->CursorName = name;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQLSetCursorName(SQLHSTMT handle, SQLCHAR* name, SQLSMALLINT length) {
    return Calls::SetCursorName(handle, InText(name, length));
}

SQLRETURN Calls::GetCursorName(SQLHSTMT handle, TextOut name, SQLSMALLINT* length) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    const QString cursor =
        st->CursorName.isEmpty()
            ? "SQL_CUR" + QString::number(quintptr(static_cast<OdbcStatement*>(st)), 16)
            : st->CursorName;
    return OutText(st, cursor, name, length);
}

EXPORT SQLRETURN SQLGetCursorName(SQLHSTMT handle, SQLCHAR* name, SQLSMALLINT bufferLength,
                                  SQLSMALLINT* length) {
    return Calls::GetCursorName(handle, Narrow(name, bufferLength), length);
}

// ---- results ----

EXPORT SQLRETURN SQLNumResultCols(SQLHSTMT handle, SQLSMALLINT* count) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    const QList<OdbcColumn>* columns = DriverStatement::Columns(st);
    if (count)
        *count = columns ? SQLSMALLINT(columns->size()) : 0;
    return SQL_SUCCESS;
}

SQLRETURN Calls::DescribeCol(SQLHSTMT handle, SQLUSMALLINT column, TextOut name,
                             SQLSMALLINT* nameLength, SQLSMALLINT* type, SQLULEN* size,
                             SQLSMALLINT* digits, SQLSMALLINT* nullable) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    const QList<OdbcColumn>* columns = DriverStatement::Columns(st);
    if (!columns || column < 1 || column > columns->size())
        return st->Post("07009", "Invalid descriptor index");
    const OdbcColumn& c = (*columns)[column - 1];
    if (type)
        *type = c.SqlType;
    if (size)
        *size = c.Size;
    if (digits)
        *digits = c.Scale;
    if (nullable)
        *nullable = c.Nullable ? SQL_NULLABLE : SQL_NO_NULLS;
    return OutText(st, c.Name, name, nameLength);
}

EXPORT SQLRETURN SQLDescribeCol(SQLHSTMT handle, SQLUSMALLINT column, SQLCHAR* name,
                                SQLSMALLINT bufferLength, SQLSMALLINT* nameLength,
                                SQLSMALLINT* type, SQLULEN* size, SQLSMALLINT* digits,
                                SQLSMALLINT* nullable) {
    return Calls::DescribeCol(handle, column, Narrow(name, bufferLength), nameLength, type, size,
                              digits, nullable);
}

SQLRETURN Calls::ColAttribute(SQLHSTMT handle, SQLUSMALLINT column, SQLUSMALLINT field,
                              TextOut text, SQLSMALLINT* textLength, SQLLEN* number) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    const QList<OdbcColumn>* columns = DriverStatement::Columns(st);
    const int count = columns ? int(columns->size()) : 0;
    if (field == SQL_DESC_COUNT || field == SQL_COLUMN_COUNT) {
        if (number)
            *number = count;
        return SQL_SUCCESS;
    }
    OdbcColumn c;
    if (column == 0 && st->UseBookmarks != SQL_UB_OFF) {
        c.Name = "Bookmark";
        c.SqlType = st->UseBookmarks == SQL_UB_VARIABLE ? SQL_BINARY : SQL_INTEGER;
        c.Size = c.Octets = 4;
        c.Nullable = c.Updatable = false;
    } else if (column >= 1 && column <= count) {
        c = (*columns)[column - 1];
    } else {
        return st->Post("07009", "Invalid descriptor index");
    }
    const bool dateType =
        c.SqlType == SQL_TYPE_DATE || c.SqlType == SQL_TYPE_TIME || c.SqlType == SQL_TYPE_TIMESTAMP;
    SQLLEN n = 0;
    switch (field) {
    case SQL_DESC_NAME:
    case SQL_COLUMN_NAME:
    case SQL_DESC_LABEL:
    case SQL_DESC_BASE_COLUMN_NAME:
        return OutText(
            st, field == SQL_DESC_BASE_COLUMN_NAME && !c.BaseName.isEmpty() ? c.BaseName : c.Name,
            text, textLength);
    case SQL_DESC_TABLE_NAME:
    case SQL_DESC_BASE_TABLE_NAME:
        return OutText(st, c.Table, text, textLength);
    case SQL_DESC_SCHEMA_NAME:
    case SQL_DESC_CATALOG_NAME:
    case SQL_DESC_LITERAL_PREFIX:
    case SQL_DESC_LITERAL_SUFFIX:
    case SQL_DESC_LOCAL_TYPE_NAME:
    case SQL_DESC_TYPE_NAME:
        return OutText(st, QString(), text, textLength);
    case SQL_DESC_CONCISE_TYPE:
        n = c.SqlType;
        break;
    case SQL_DESC_TYPE:
        n = dateType ? SQL_DATETIME : c.SqlType;
        break;
    case SQL_COLUMN_LENGTH:
    case SQL_DESC_OCTET_LENGTH:
        n = c.Octets;
        break;
    case SQL_DESC_LENGTH:
    case SQL_COLUMN_PRECISION:
    case SQL_DESC_PRECISION:
    case SQL_DESC_DISPLAY_SIZE:
        n = SQLLEN(c.Size);
        break;
    case SQL_COLUMN_SCALE:
    case SQL_DESC_SCALE:
        n = c.Scale;
        break;
    case SQL_COLUMN_NULLABLE:
    case SQL_DESC_NULLABLE:
        n = c.Nullable ? SQL_NULLABLE : SQL_NO_NULLS;
        break;
    case SQL_DESC_UNSIGNED:
        n = (c.SqlType == SQL_SMALLINT || c.SqlType == SQL_INTEGER || c.SqlType == SQL_DOUBLE)
                ? SQL_FALSE
                : SQL_TRUE;
        break;
    case SQL_DESC_UPDATABLE:
        n = c.Updatable ? SQL_ATTR_WRITE : SQL_ATTR_READONLY;
        break;
    case SQL_DESC_AUTO_UNIQUE_VALUE:
        n = c.AutoIncrement ? SQL_TRUE : SQL_FALSE;
        break;
    case SQL_DESC_CASE_SENSITIVE:
    case SQL_DESC_FIXED_PREC_SCALE:
        n = SQL_FALSE;
        break;
    case SQL_DESC_SEARCHABLE:
        n = c.SqlType == SQL_LONGVARBINARY ? SQL_PRED_NONE : SQL_SEARCHABLE;
        break;
    case SQL_DESC_NUM_PREC_RADIX:
        n = (c.SqlType == SQL_SMALLINT || c.SqlType == SQL_INTEGER) ? 10
            : c.SqlType == SQL_DOUBLE                               ? 2
                                                                    : 0;
        break;
    case SQL_DESC_UNNAMED:
        n = c.Name.isEmpty() ? SQL_UNNAMED : SQL_NAMED;
        break;
    default:
        return st->Post("HY091", "Invalid descriptor field identifier");
    }
    if (number)
        *number = n;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQLColAttribute(SQLHSTMT handle, SQLUSMALLINT column, SQLUSMALLINT field,
                                 SQLPOINTER text, SQLSMALLINT bufferLength, SQLSMALLINT* textLength,
                                 SQLLEN* number) {
    return Calls::ColAttribute(handle, column, field, Narrow(text, bufferLength), textLength,
                               number);
}

EXPORT SQLRETURN SQLBindCol(SQLHSTMT handle, SQLUSMALLINT column, SQLSMALLINT cType,
                            SQLPOINTER target, SQLLEN bufferLength, SQLLEN* indicator) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    if (column == 0 && st->UseBookmarks == SQL_UB_OFF)
        return st->Post("07009", "Invalid descriptor index: bookmarks are off");
    if (!target && !indicator)
        st->Bindings.erase(column);
    else
        st->Bindings[column] = ColumnBinding{cType, target, bufferLength, indicator};
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQLFetch(SQLHSTMT handle) {
    auto st = Stmt(handle);
    return st ? DriverStatement::Fetch(st, SQL_FETCH_NEXT, 0, st->RowArraySize, st->RowsFetched,
                                       st->RowStatus)
              : SQL_INVALID_HANDLE;
}

EXPORT SQLRETURN SQLFetchScroll(SQLHSTMT handle, SQLSMALLINT orientation, SQLLEN offset) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    if (orientation == SQL_FETCH_BOOKMARK) {
        if (!st->FetchBookmark)
            return st->Post("HY111", "Invalid bookmark value");
        offset += SQLLEN(*static_cast<const SQLUINTEGER*>(st->FetchBookmark));
    }
    return DriverStatement::Fetch(st, orientation, offset, st->RowArraySize, st->RowsFetched,
                                  st->RowStatus);
}

EXPORT SQLRETURN SQLExtendedFetch(SQLHSTMT handle, SQLUSMALLINT orientation, SQLLEN offset,
                                  SQLULEN* rowsFetched, SQLUSMALLINT* rowStatus) {
    auto st = Stmt(handle);
    return st ? DriverStatement::Fetch(st, SQLSMALLINT(orientation), offset, st->RowsetSize,
                                       rowsFetched, rowStatus)
              : SQL_INVALID_HANDLE;
}

EXPORT SQLRETURN SQLGetData(SQLHSTMT handle, SQLUSMALLINT column, SQLSMALLINT cType,
                            SQLPOINTER target, SQLLEN bufferLength, SQLLEN* indicator) {
    auto st = Stmt(handle);
    return st ? DriverStatement::GetData(st, column, cType, target, bufferLength, indicator)
              : SQL_INVALID_HANDLE;
}

// ---- catalog ----

SQLRETURN Calls::Tables(SQLHSTMT handle, const QString& table, const QString& types) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    return RunCatalog(st, [&] { return Catalog::Tables(*st->Dbc->Db, table, types); });
}

EXPORT SQLRETURN SQLTables(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                           SQLCHAR* table, SQLSMALLINT tableLength, SQLCHAR* types,
                           SQLSMALLINT typesLength) {
    return Calls::Tables(handle, InText(table, tableLength), InText(types, typesLength));
}

SQLRETURN Calls::Columns(SQLHSTMT handle, const QString& table, const QString& column) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    return RunCatalog(st, [&] { return Catalog::Columns(*st->Dbc->Db, table, column); });
}

EXPORT SQLRETURN SQLColumns(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                            SQLCHAR* table, SQLSMALLINT tableLength, SQLCHAR* column,
                            SQLSMALLINT columnLength) {
    return Calls::Columns(handle, InText(table, tableLength), InText(column, columnLength));
}

SQLRETURN Calls::Statistics(SQLHSTMT handle, const QString& table) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    return RunCatalog(st, [&] { return Catalog::Statistics(*st->Dbc->Db, table); });
}

EXPORT SQLRETURN SQLStatistics(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                               SQLCHAR* table, SQLSMALLINT tableLength, SQLUSMALLINT,
                               SQLUSMALLINT) {
    return Calls::Statistics(handle, InText(table, tableLength));
}

SQLRETURN Calls::PrimaryKeys(SQLHSTMT handle, const QString& table) {
    auto st = Stmt(handle);
    if (!st)
        return SQL_INVALID_HANDLE;
    return RunCatalog(st, [&] { return Catalog::PrimaryKeys(*st->Dbc->Db, table); });
}

EXPORT SQLRETURN SQLPrimaryKeys(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                                SQLCHAR* table, SQLSMALLINT tableLength) {
    return Calls::PrimaryKeys(handle, InText(table, tableLength));
}

EXPORT SQLRETURN SQLGetTypeInfo(SQLHSTMT handle, SQLSMALLINT type) {
    auto st = Stmt(handle);
    return st ? RunCatalog(st, [&] { return Catalog::TypeInfo(type); }) : SQL_INVALID_HANDLE;
}

EXPORT SQLRETURN SQLProcedures(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                               SQLCHAR*, SQLSMALLINT) {
    auto st = Stmt(handle);
    return st ? RunCatalog(st, [] { return Catalog::Procedures(); }) : SQL_INVALID_HANDLE;
}

EXPORT SQLRETURN SQLProcedureColumns(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                                     SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT) {
    auto st = Stmt(handle);
    return st ? RunCatalog(st, [] { return Catalog::ProcedureColumns(); }) : SQL_INVALID_HANDLE;
}

// ---- information ----

SQLRETURN Calls::GetInfo(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value, TextOut text,
                         SQLSMALLINT* length) {
    auto dbc = Dbc(handle);
    if (!dbc)
        return SQL_INVALID_HANDLE;
    const QMap<int, QString> texts = {
        {SQL_DRIVER_NAME, "libzz_odbcdriver.so"},
        {SQL_DRIVER_VER, "01.00.0000"},
        {SQL_DRIVER_ODBC_VER, "03.00"},
        {SQL_DBMS_NAME, "SQLite"},
        {SQL_DBMS_VER, "03.40.0000"},
        {SQL_DATA_SOURCE_NAME, dbc->DataSource},
        {SQL_DATABASE_NAME, dbc->Db ? dbc->Db->Path() : QString()},
        {SQL_SERVER_NAME, QString()},
        {SQL_USER_NAME, QString()},
        {SQL_IDENTIFIER_QUOTE_CHAR, "\""},
        {SQL_SEARCH_PATTERN_ESCAPE, "\\"},
        {SQL_CATALOG_NAME_SEPARATOR, "."},
        {SQL_CATALOG_TERM, QString()},
        {SQL_SCHEMA_TERM, QString()},
        {SQL_TABLE_TERM, "table"},
        {SQL_PROCEDURE_TERM, QString()},
        {SQL_ACCESSIBLE_TABLES, "Y"},
        {SQL_ACCESSIBLE_PROCEDURES, "N"},
        {SQL_DATA_SOURCE_READ_ONLY, dbc->ReadOnly ? "Y" : "N"},
        {SQL_MULT_RESULT_SETS, "N"},
        {SQL_PROCEDURES, "N"},
        {SQL_ROW_UPDATES, "N"},
        {SQL_NEED_LONG_DATA_LEN, "N"},
        {SQL_LIKE_ESCAPE_CLAUSE, "N"},
        {SQL_COLUMN_ALIAS, "Y"},
        {SQL_CATALOG_NAME, "N"},
        {SQL_KEYWORDS, QString()},
        {SQL_SPECIAL_CHARACTERS, QString()},
    };
    if (texts.contains(type))
        return OutText(dbc, texts.value(type), text, length);
    const SQLUINTEGER scroll =
        SQL_CA1_NEXT | SQL_CA1_ABSOLUTE | SQL_CA1_RELATIVE | SQL_CA1_BOOKMARK;
    const QMap<int, SQLUINTEGER> numbers = {
        {SQL_FETCH_DIRECTION, SQL_FD_FETCH_NEXT | SQL_FD_FETCH_FIRST | SQL_FD_FETCH_LAST |
                                  SQL_FD_FETCH_PRIOR | SQL_FD_FETCH_ABSOLUTE |
                                  SQL_FD_FETCH_RELATIVE | SQL_FD_FETCH_BOOKMARK},
        {SQL_STATIC_CURSOR_ATTRIBUTES1, scroll},
        {SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1, SQL_CA1_NEXT},
        {SQL_KEYSET_CURSOR_ATTRIBUTES1, 0},
        {SQL_DYNAMIC_CURSOR_ATTRIBUTES1, 0},
        {SQL_STATIC_CURSOR_ATTRIBUTES2, SQL_CA2_READ_ONLY_CONCURRENCY},
        {SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2, SQL_CA2_READ_ONLY_CONCURRENCY},
        {SQL_KEYSET_CURSOR_ATTRIBUTES2, 0},
        {SQL_DYNAMIC_CURSOR_ATTRIBUTES2, 0},
        {SQL_SCROLL_OPTIONS, SQL_SO_FORWARD_ONLY | SQL_SO_STATIC},
        {SQL_SCROLL_CONCURRENCY, SQL_SCCO_READ_ONLY},
        {SQL_BOOKMARK_PERSISTENCE, SQL_BP_SCROLL | SQL_BP_CLOSE},
        {SQL_GETDATA_EXTENSIONS,
         SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BLOCK | SQL_GD_BOUND},
        {SQL_TXN_CAPABLE, SQL_TC_ALL},
        {SQL_DEFAULT_TXN_ISOLATION, SQL_TXN_SERIALIZABLE},
        {SQL_TXN_ISOLATION_OPTION, SQL_TXN_SERIALIZABLE},
        {SQL_CURSOR_COMMIT_BEHAVIOR, SQL_CB_PRESERVE},
        {SQL_CURSOR_ROLLBACK_BEHAVIOR, SQL_CB_PRESERVE},
        {SQL_ODBC_API_CONFORMANCE, SQL_OAC_LEVEL1},
        {SQL_ODBC_INTERFACE_CONFORMANCE, SQL_OIC_CORE},
        {SQL_SQL_CONFORMANCE, SQL_SC_SQL92_ENTRY},
        {SQL_ODBC_SQL_CONFORMANCE, SQL_OSC_MINIMUM},
        {SQL_CONCAT_NULL_BEHAVIOR, SQL_CB_NULL},
        {SQL_NULL_COLLATION, SQL_NC_LOW},
        {SQL_IDENTIFIER_CASE, SQL_IC_MIXED},
        {SQL_QUOTED_IDENTIFIER_CASE, SQL_IC_MIXED},
        {SQL_MAX_CONCURRENT_ACTIVITIES, 0},
        {SQL_MAX_DRIVER_CONNECTIONS, 0},
        {SQL_MAX_COLUMN_NAME_LEN, 128},
        {SQL_MAX_TABLE_NAME_LEN, 128},
        {SQL_MAX_CURSOR_NAME_LEN, 128},
        {SQL_MAX_SCHEMA_NAME_LEN, 0},
        {SQL_MAX_CATALOG_NAME_LEN, 0},
        {SQL_ASYNC_MODE, SQL_AM_NONE},
        {SQL_PARAM_ARRAY_ROW_COUNTS, SQL_PARC_NO_BATCH},
        {SQL_PARAM_ARRAY_SELECTS, SQL_PAS_NO_SELECT},
        {SQL_POS_OPERATIONS, 0},
        {SQL_STATIC_SENSITIVITY, 0},
        {SQL_LOCK_TYPES, 0},
        {SQL_FILE_USAGE, SQL_FILE_TABLE},
        {SQL_GROUP_BY, SQL_GB_NO_RELATION},
        {SQL_OJ_CAPABILITIES, SQL_OJ_LEFT | SQL_OJ_NOT_ORDERED | SQL_OJ_INNER},
        {SQL_CORRELATION_NAME, SQL_CN_ANY},
        {SQL_NON_NULLABLE_COLUMNS, SQL_NNC_NON_NULL},
        {SQL_TXN_ISOLATION_OPTION, SQL_TXN_SERIALIZABLE},
    };
    if (!numbers.contains(type))
        return dbc->Post("HY096", QString("Information type out of range: %1").arg(type));
    // Sixteen-bit answers by the ODBC reference; the rest are 32-bit.
    static const QList<int> shortAnswers = {SQL_TXN_CAPABLE,
                                            SQL_CURSOR_COMMIT_BEHAVIOR,
                                            SQL_CURSOR_ROLLBACK_BEHAVIOR,
                                            SQL_ODBC_API_CONFORMANCE,
                                            SQL_ODBC_SQL_CONFORMANCE,
                                            SQL_CONCAT_NULL_BEHAVIOR,
                                            SQL_NULL_COLLATION,
                                            SQL_IDENTIFIER_CASE,
                                            SQL_QUOTED_IDENTIFIER_CASE,
                                            SQL_MAX_CONCURRENT_ACTIVITIES,
                                            SQL_MAX_DRIVER_CONNECTIONS,
                                            SQL_MAX_COLUMN_NAME_LEN,
                                            SQL_MAX_TABLE_NAME_LEN,
                                            SQL_MAX_CURSOR_NAME_LEN,
                                            SQL_MAX_SCHEMA_NAME_LEN,
                                            SQL_MAX_CATALOG_NAME_LEN,
                                            SQL_FILE_USAGE,
                                            SQL_GROUP_BY,
                                            SQL_CORRELATION_NAME,
                                            SQL_NON_NULLABLE_COLUMNS};
    const SQLUINTEGER n = numbers.value(type);
    if (shortAnswers.contains(type)) {
        if (value)
            *static_cast<SQLUSMALLINT*>(value) = SQLUSMALLINT(n);
        if (length)
            *length = sizeof(SQLUSMALLINT);
    } else {
        if (value)
            *static_cast<SQLUINTEGER*>(value) = n;
        if (length)
            *length = sizeof(SQLUINTEGER);
    }
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQLGetInfo(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value,
                            SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    return Calls::GetInfo(handle, type, value, Narrow(value, bufferLength), length);
}

EXPORT SQLRETURN SQLGetFunctions(SQLHDBC handle, SQLUSMALLINT function, SQLUSMALLINT* supported) {
    if (!Dbc(handle))
        return SQL_INVALID_HANDLE;
    static const QList<int> functions = {
        SQL_API_SQLALLOCHANDLE,   SQL_API_SQLFREEHANDLE,     SQL_API_SQLFREESTMT,
        SQL_API_SQLCLOSECURSOR,   SQL_API_SQLCANCEL,         SQL_API_SQLSETENVATTR,
        SQL_API_SQLGETENVATTR,    SQL_API_SQLSETCONNECTATTR, SQL_API_SQLGETCONNECTATTR,
        SQL_API_SQLSETSTMTATTR,   SQL_API_SQLGETSTMTATTR,    SQL_API_SQLCONNECT,
        SQL_API_SQLDRIVERCONNECT, SQL_API_SQLDISCONNECT,     SQL_API_SQLENDTRAN,
        SQL_API_SQLPREPARE,       SQL_API_SQLEXECUTE,        SQL_API_SQLEXECDIRECT,
        SQL_API_SQLNUMPARAMS,     SQL_API_SQLDESCRIBEPARAM,  SQL_API_SQLBINDPARAMETER,
        SQL_API_SQLPARAMDATA,     SQL_API_SQLPUTDATA,        SQL_API_SQLROWCOUNT,
        SQL_API_SQLMORERESULTS,   SQL_API_SQLSETCURSORNAME,  SQL_API_SQLGETCURSORNAME,
        SQL_API_SQLNUMRESULTCOLS, SQL_API_SQLDESCRIBECOL,    SQL_API_SQLCOLATTRIBUTE,
        SQL_API_SQLBINDCOL,       SQL_API_SQLFETCH,          SQL_API_SQLFETCHSCROLL,
        SQL_API_SQLEXTENDEDFETCH, SQL_API_SQLGETDATA,        SQL_API_SQLTABLES,
        SQL_API_SQLCOLUMNS,       SQL_API_SQLSTATISTICS,     SQL_API_SQLPRIMARYKEYS,
        SQL_API_SQLGETTYPEINFO,   SQL_API_SQLPROCEDURES,     SQL_API_SQLPROCEDURECOLUMNS,
        SQL_API_SQLGETINFO,       SQL_API_SQLGETFUNCTIONS,   SQL_API_SQLGETDIAGREC,
        SQL_API_SQLGETDIAGFIELD};
    if (!supported)
        return SQL_SUCCESS;
    if (function == SQL_API_ODBC3_ALL_FUNCTIONS) {
        memset(supported, 0, sizeof(SQLUSMALLINT) * SQL_API_ODBC3_ALL_FUNCTIONS_SIZE);
        for (int f : functions)
            supported[f >> 4] |= SQLUSMALLINT(1 << (f & 0xF));
    } else if (function == SQL_API_ALL_FUNCTIONS) {
        memset(supported, 0, sizeof(SQLUSMALLINT) * 100);
        for (int f : functions)
            if (f < 100)
                supported[f] = SQL_TRUE;
    } else {
        *supported = functions.contains(function) ? SQL_TRUE : SQL_FALSE;
    }
    return SQL_SUCCESS;
}

// ---- diagnostics ----

SQLRETURN Calls::GetDiagRec(SQLHANDLE handle, SQLSMALLINT record, TextOut state, SQLINTEGER* native,
                            TextOut message, SQLSMALLINT* length) {
    auto* h = static_cast<OdbcHandle*>(handle);
    if (!h)
        return SQL_INVALID_HANDLE;
    const auto held = Hold(h);
    if (record < 1 || record > h->Diags.size())
        return SQL_NO_DATA;
    const DiagRecord& d = h->Diags[record - 1];
    SQLLEN whole = 0;
    CopyText(QString::fromLatin1(d.State), state, whole);
    if (native)
        *native = d.Native;
    const bool cut = CopyText(d.Message, message, whole);
    if (length)
        *length = SQLSMALLINT(whole);
    return cut ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

EXPORT SQLRETURN SQLGetDiagRec(SQLSMALLINT, SQLHANDLE handle, SQLSMALLINT record, SQLCHAR* state,
                               SQLINTEGER* native, SQLCHAR* message, SQLSMALLINT bufferLength,
                               SQLSMALLINT* length) {
    return Calls::GetDiagRec(handle, record, Narrow(state, SQL_SQLSTATE_SIZE + 1), native,
                             Narrow(message, bufferLength), length);
}

SQLRETURN Calls::GetDiagField(SQLHANDLE handle, SQLSMALLINT record, SQLSMALLINT field,
                              SQLPOINTER value, TextOut text, SQLSMALLINT* length) {
    auto* h = static_cast<OdbcHandle*>(handle);
    if (!h)
        return SQL_INVALID_HANDLE;
    const auto held = Hold(h);
    if (field == SQL_DIAG_NUMBER) {
        if (value)
            *static_cast<SQLINTEGER*>(value) = SQLINTEGER(h->Diags.size());
        return SQL_SUCCESS;
    }
    if (record < 1 || record > h->Diags.size())
        return SQL_NO_DATA;
    const DiagRecord& d = h->Diags[record - 1];
    QString out;
    switch (field) {
    case SQL_DIAG_SQLSTATE:
        out = QString::fromLatin1(d.State);
        break;
    case SQL_DIAG_MESSAGE_TEXT:
        out = d.Message;
        break;
    case SQL_DIAG_NATIVE:
        if (value)
            *static_cast<SQLINTEGER*>(value) = d.Native;
        return SQL_SUCCESS;
    case SQL_DIAG_CLASS_ORIGIN:
    case SQL_DIAG_SUBCLASS_ORIGIN:
        out = d.State.startsWith("IM") ? "ODBC 3.0" : "ISO 9075";
        break;
    case SQL_DIAG_CONNECTION_NAME:
    case SQL_DIAG_SERVER_NAME:
        break;
    default:
        return SQL_NO_DATA;
    }
    // Reading a record adds none: a cut text is told by the return code alone.
    SQLLEN whole = 0;
    const bool cut = CopyText(out, text, whole);
    if (length)
        *length = SQLSMALLINT(whole);
    return cut ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

EXPORT SQLRETURN SQLGetDiagField(SQLSMALLINT, SQLHANDLE handle, SQLSMALLINT record,
                                 SQLSMALLINT field, SQLPOINTER value, SQLSMALLINT bufferLength,
                                 SQLSMALLINT* length) {
    return Calls::GetDiagField(handle, record, field, value, Narrow(value, bufferLength), length);
}
