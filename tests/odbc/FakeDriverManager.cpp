// A driver manager that serves the library's tests from memory: results a real driver
// never gives, scripted per test through FakeControl().
#include "FakeDriverManager.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

FakeDriverManager Fake;

struct Stmt {
    bool HasResult = false;
    SQLLEN Start = 0; // first row of the rowset, 1-based; 0 before, N+1 after the result
    SQLULEN ArraySize = 1;
    SQLULEN RowsetSize = 1;
    SQLULEN BindType = 0;
    SQLULEN* RowsFetchedPtr = nullptr;
    SQLUSMALLINT* StatusPtr = nullptr;
    SQLLEN* BookmarkPtr = nullptr;
    struct Binding {
        SQLSMALLINT CType = 0;
        char* Target = nullptr;
        SQLLEN Length = 0;
        SQLLEN* Ind = nullptr;
    };
    std::map<int, Binding> Cols;
    struct Param {
        SQLSMALLINT CType = 0;
        SQLULEN Size = 0;
        SQLPOINTER Value = nullptr;
        SQLLEN* Ind = nullptr;
    };
    std::map<int, Param> Params;
    std::deque<int> NeedData;
};

std::map<void*, std::unique_ptr<Stmt>> Stmts;

SQLRETURN Log(const std::string& call, SQLRETURN normal = SQL_SUCCESS) {
    Fake.Calls.push_back(call);
    const std::string name = call.substr(0, call.find(' '));
    auto it = Fake.Results.find(name);
    if (it == Fake.Results.end() || it->second.empty())
        return normal;
    const SQLRETURN rc = it->second.front();
    it->second.pop_front();
    return rc;
}

bool Forced(const std::string& name) {
    auto it = Fake.Results.find(name);
    return it != Fake.Results.end() && !it->second.empty();
}

SQLHANDLE NewHandle() {
    ++Fake.LiveHandles;
    return new char;
}

void FreeHandle(SQLHANDLE handle) {
    --Fake.LiveHandles;
    Stmts.erase(handle);
    delete static_cast<char*>(handle);
}

Stmt& S(SQLHSTMT handle) {
    auto& stmt = Stmts[handle];
    if (!stmt)
        stmt = std::make_unique<Stmt>();
    return *stmt;
}

std::string Text(SQLCHAR* text, SQLINTEGER length) {
    if (!text)
        return "<null>";
    return length == SQL_NTS ? std::string(reinterpret_cast<char*>(text))
                             : std::string(reinterpret_cast<char*>(text), size_t(length));
}

bool IsCharType(SQLSMALLINT type) {
    return type == SQL_CHAR || type == SQL_VARCHAR || type == SQL_LONGVARCHAR ||
           type == SQL_WCHAR || type == SQL_WVARCHAR || type == SQL_WLONGVARCHAR ||
           type == SQL_NUMERIC || type == SQL_DECIMAL || type == SQL_BIGINT;
}

// Reads and writes an indicator: the library's buffers place them at any byte.
SQLLEN Indicator(const SQLLEN* ind) {
    SQLLEN value;
    memcpy(&value, ind, sizeof value);
    return value;
}
void SetIndicator(SQLLEN* ind, SQLLEN value) {
    memcpy(ind, &value, sizeof value);
}

// Copies one value the way a driver does: text with its terminator, other data as it is.
SQLRETURN PutValue(const std::optional<std::string>& value, SQLSMALLINT cType, SQLSMALLINT sqlType,
                   char* target, SQLLEN length, SQLLEN* ind) {
    if (!value) {
        if (ind)
            SetIndicator(ind, SQL_NULL_DATA);
        return SQL_SUCCESS;
    }
    if (ind)
        SetIndicator(ind, SQLLEN(value->size()));
    const bool text = cType == SQL_C_CHAR || (cType == SQL_C_DEFAULT && IsCharType(sqlType));
    if (!text) {
        memcpy(target, value->data(), std::min(value->size(), size_t(length)));
        return SQL_SUCCESS;
    }
    if (length <= 0)
        return SQL_SUCCESS_WITH_INFO;
    const size_t n = std::min(value->size(), size_t(length - 1));
    memcpy(target, value->data(), n);
    target[n] = '\0';
    return n < value->size() ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN FetchRowset(Stmt& st, SQLSMALLINT orientation, SQLLEN offset, SQLULEN rowset,
                      SQLULEN* fetched, SQLUSMALLINT* status) {
    const SQLLEN n = SQLLEN(Fake.Rows.size());
    const SQLLEN r = SQLLEN(std::max<SQLULEN>(rowset, 1));
    SQLLEN start = 0;
    SQLRETURN rc = SQL_SUCCESS;
    switch (orientation) {
    case SQL_FETCH_NEXT:
        start = st.Start == 0 ? 1 : st.Start + r;
        break;
    case SQL_FETCH_PRIOR:
        if (st.Start > n)
            start = std::max<SQLLEN>(1, n - r + 1);
        else if (st.Start <= 1)
            start = 0;
        else if (st.Start <= r)
            start = 1, rc = SQL_SUCCESS_WITH_INFO;
        else
            start = st.Start - r;
        break;
    case SQL_FETCH_FIRST:
        start = 1;
        break;
    case SQL_FETCH_LAST:
        start = std::max<SQLLEN>(1, n - r + 1);
        break;
    case SQL_FETCH_ABSOLUTE:
        start = offset < 0 ? n + offset + 1 : offset;
        break;
    case SQL_FETCH_RELATIVE:
        start = st.Start + offset;
        break;
    case SQL_FETCH_BOOKMARK:
        if (st.BookmarkPtr) {
            memcpy(&start, st.BookmarkPtr, sizeof start);
            start += offset;
        } else {
            start = offset;
        }
        break;
    }
    if (fetched)
        *fetched = 0;
    if (start < 1 || start > n) {
        st.Start = start < 1 ? 0 : n + 1;
        return SQL_NO_DATA;
    }
    st.Start = start;
    const SQLLEN rows = std::min(r, n - start + 1);
    for (SQLLEN i = 0; i < rows; ++i) {
        const auto& row = Fake.Rows[size_t(start - 1 + i)];
        for (auto& [col, b] : st.Cols) {
            char* target = b.Target + i * SQLLEN(st.BindType);
            SQLLEN* ind =
                b.Ind ? reinterpret_cast<SQLLEN*>(reinterpret_cast<char*>(b.Ind) + i * st.BindType)
                      : nullptr;
            if (col == 0) {
                const BOOKMARK bookmark = BOOKMARK(start + i);
                memcpy(target, &bookmark, sizeof(bookmark));
                continue;
            }
            PutValue(row[size_t(col - 1)], b.CType, Fake.Columns[size_t(col - 1)].Type, target,
                     b.Length, ind);
        }
    }
    if (fetched)
        *fetched = SQLULEN(rows);
    if (status)
        for (SQLLEN i = 0; i < r; ++i)
            status[i] = i < rows ? SQL_ROW_SUCCESS : SQL_ROW_NOROW;
    return rc;
}

bool IsSelect(const std::string& sql) {
    return sql.size() >= 6 && strncasecmp(sql.c_str(), "SELECT", 6) == 0;
}

void RecordParams(Stmt& st) {
    Fake.Params.clear();
    Fake.ParamSizes.clear();
    for (auto& [number, p] : st.Params) {
        Fake.ParamSizes.push_back(p.Size);
        const SQLLEN ind = p.Ind ? Indicator(p.Ind) : SQL_NTS;
        if (ind == SQL_NULL_DATA)
            Fake.Params.push_back("NULL");
        else if (p.Ind && ind <= SQL_LEN_DATA_AT_EXEC_OFFSET)
            Fake.Params.push_back("<data at exec>");
        else if (p.CType == SQL_C_CHAR && ind == SQL_NTS)
            Fake.Params.push_back(static_cast<char*>(p.Value));
        else
            Fake.Params.push_back(std::string(static_cast<char*>(p.Value), size_t(ind)));
    }
}

SQLRETURN Run(SQLHSTMT stmt, const std::string& call) {
    Stmt& st = S(stmt);
    const SQLRETURN rc = Log(call);
    if (rc != SQL_SUCCESS)
        return rc;
    RecordParams(st);
    st.NeedData.clear();
    for (auto& [number, p] : st.Params)
        if (p.Ind && Indicator(p.Ind) <= SQL_LEN_DATA_AT_EXEC_OFFSET)
            st.NeedData.push_back(number);
    st.HasResult = IsSelect(Fake.LastSQL);
    st.Start = 0;
    return st.NeedData.empty() ? SQL_SUCCESS : SQL_NEED_DATA;
}

SQLRETURN Catalog(SQLHSTMT stmt, const std::string& name, std::vector<std::string> args) {
    Fake.CatalogArgs = std::move(args);
    S(stmt).HasResult = true;
    S(stmt).Start = 0;
    return Log(name);
}

SQLRETURN DiagRecord(size_t index, SQLCHAR* state, SQLINTEGER* native, SQLCHAR* message,
                     SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
    const FakeDiag& diag = Fake.Diags[index];
    strncpy(reinterpret_cast<char*>(state), diag.State.c_str(), 6);
    *native = diag.Native;
    snprintf(reinterpret_cast<char*>(message), size_t(bufferLength), "%s", diag.Text.c_str());
    *textLength = SQLSMALLINT(diag.Text.size());
    // As a driver manager does, a message cut to fit the buffer is a warning.
    return diag.Text.size() < size_t(bufferLength) ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

size_t NextError = 0;

SQLRETURN NumberAttribute(SQLHSTMT stmt, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                          SQLSMALLINT bufferLength, SQLLEN* number) {
    if (column == 0) {
        if (number)
            *number = Fake.BookmarkOctetLength;
        return SQL_SUCCESS;
    }
    if (column > Fake.Columns.size())
        return SQL_ERROR;
    const FakeColumn& c = Fake.Columns[column - 1];
    SQLLEN value = 0;
    switch (field) {
    case SQL_DESC_NAME:
    case SQL_COLUMN_NAME:
        snprintf(static_cast<char*>(text), size_t(bufferLength), "%s", c.Name.c_str());
        return SQL_SUCCESS;
    case SQL_DESC_CONCISE_TYPE: // the same number as SQL_COLUMN_TYPE
        value = c.Type;
        break;
    case SQL_DESC_OCTET_LENGTH:
    case SQL_COLUMN_LENGTH:
        value = c.OctetLength;
        break;
    case SQL_DESC_LENGTH:
        value = c.Length ? c.Length : c.OctetLength;
        break;
    case SQL_DESC_PRECISION:
    case SQL_COLUMN_PRECISION:
        value = c.Precision;
        break;
    case SQL_DESC_SCALE:
    case SQL_COLUMN_SCALE:
        value = c.Scale;
        break;
    case SQL_COLUMN_MONEY:
        value = c.Money;
        break;
    case SQL_DESC_UNSIGNED:
        value = c.Unsigned;
        break;
    case SQL_DESC_AUTO_UNIQUE_VALUE:
        value = c.AutoIncrement;
        break;
    case SQL_DESC_UPDATABLE:
        value = c.Updatable ? SQL_ATTR_WRITE : SQL_ATTR_READONLY;
        break;
    case SQL_DESC_NULLABLE:
    case SQL_COLUMN_NULLABLE:
        value = c.Nullable ? SQL_NULLABLE : SQL_NO_NULLS;
        break;
    }
    if (number)
        *number = value;
    return SQL_SUCCESS;
}

SQLRETURN SetStatementAttribute(SQLHSTMT stmt, SQLINTEGER attr, SQLULEN value) {
    Stmt& st = S(stmt);
    switch (attr) {
    case SQL_ATTR_ROW_ARRAY_SIZE:
        st.ArraySize = value;
        break;
    case SQL_ROWSET_SIZE:
        st.RowsetSize = value;
        break;
    case SQL_ATTR_ROW_BIND_TYPE:
        st.BindType = value;
        break;
    case SQL_ATTR_ROWS_FETCHED_PTR:
        st.RowsFetchedPtr = reinterpret_cast<SQLULEN*>(value);
        break;
    case SQL_ATTR_ROW_STATUS_PTR:
        st.StatusPtr = reinterpret_cast<SQLUSMALLINT*>(value);
        break;
    case SQL_ATTR_FETCH_BOOKMARK_PTR:
        st.BookmarkPtr = reinterpret_cast<SQLLEN*>(value);
        break;
    case SQL_ATTR_CURSOR_TYPE:
        if (!Fake.CursorTypes.count(value))
            return SQL_SUCCESS_WITH_INFO;
        break;
    }
    return SQL_SUCCESS;
}

SQLRETURN ConnectAttribute(SQLINTEGER attr, SQLULEN value) {
    if (attr == SQL_ATTR_CURSOR_TYPE && !Fake.CursorTypes.count(value))
        return SQL_SUCCESS_WITH_INFO;
    if (attr == SQL_ATTR_TXN_ISOLATION)
        Fake.TxnIsolation = value;
    return SQL_SUCCESS;
}

} // namespace

extern "C" {

FakeDriverManager* FakeControl() {
    return &Fake;
}

SQLRETURN SQLAllocHandle(SQLSMALLINT type, SQLHANDLE, SQLHANDLE* out) {
    const SQLRETURN rc = Log("SQLAllocHandle " + std::to_string(type));
    *out = SQL_SUCCEEDED(rc) ? NewHandle() : nullptr;
    return rc;
}
SQLRETURN SQLAllocEnv(SQLHENV* out) {
    return SQLAllocHandle(SQL_HANDLE_ENV, nullptr, out);
}
SQLRETURN SQLAllocConnect(SQLHENV env, SQLHDBC* out) {
    return SQLAllocHandle(SQL_HANDLE_DBC, env, out);
}
SQLRETURN SQLAllocStmt(SQLHDBC dbc, SQLHSTMT* out) {
    return SQLAllocHandle(SQL_HANDLE_STMT, dbc, out);
}
SQLRETURN SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    FreeHandle(handle);
    return Log("SQLFreeHandle " + std::to_string(type));
}
SQLRETURN SQLFreeEnv(SQLHENV env) {
    return SQLFreeHandle(SQL_HANDLE_ENV, env);
}
SQLRETURN SQLFreeConnect(SQLHDBC dbc) {
    return SQLFreeHandle(SQL_HANDLE_DBC, dbc);
}
SQLRETURN SQLFreeStmt(SQLHSTMT stmt, SQLUSMALLINT option) {
    if (option == SQL_DROP)
        return SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    if (option == SQL_CLOSE)
        S(stmt).HasResult = false;
    return Log("SQLFreeStmt " + std::to_string(option));
}
SQLRETURN SQLSetEnvAttr(SQLHENV, SQLINTEGER attr, SQLPOINTER, SQLINTEGER) {
    return Log("SQLSetEnvAttr " + std::to_string(attr));
}
SQLRETURN SQLSetConnectAttr(SQLHDBC, SQLINTEGER attr, SQLPOINTER value, SQLINTEGER) {
    const SQLRETURN rc = ConnectAttribute(attr, SQLULEN(value));
    return Log("SQLSetConnectAttr " + std::to_string(attr) + "=" + std::to_string(SQLULEN(value)),
               rc);
}
SQLRETURN SQLSetConnectOption(SQLHDBC, SQLUSMALLINT attr, SQLULEN value) {
    const SQLRETURN rc = ConnectAttribute(attr, value);
    return Log("SQLSetConnectOption " + std::to_string(attr) + "=" + std::to_string(value), rc);
}
SQLRETURN SQLGetConnectAttr(SQLHDBC, SQLINTEGER attr, SQLPOINTER value, SQLINTEGER, SQLINTEGER*) {
    if (attr == SQL_ATTR_TXN_ISOLATION)
        *static_cast<SQLULEN*>(value) = Fake.TxnIsolation;
    return Log("SQLGetConnectAttr " + std::to_string(attr));
}
SQLRETURN SQLGetConnectOption(SQLHDBC, SQLUSMALLINT attr, SQLPOINTER value) {
    if (attr == SQL_TXN_ISOLATION)
        *static_cast<SQLULEN*>(value) = Fake.TxnIsolation;
    return Log("SQLGetConnectOption " + std::to_string(attr));
}
SQLRETURN SQLSetStmtAttr(SQLHSTMT stmt, SQLINTEGER attr, SQLPOINTER value, SQLINTEGER) {
    const SQLRETURN rc = SetStatementAttribute(stmt, attr, SQLULEN(value));
    return Log("SQLSetStmtAttr " + std::to_string(attr), rc);
}
SQLRETURN SQLSetStmtOption(SQLHSTMT stmt, SQLUSMALLINT attr, SQLULEN value) {
    const SQLRETURN rc = SetStatementAttribute(stmt, attr, value);
    return Log("SQLSetStmtOption " + std::to_string(attr), rc);
}
SQLRETURN SQLGetStmtAttr(SQLHSTMT, SQLINTEGER attr, SQLPOINTER value, SQLINTEGER, SQLINTEGER*) {
    if (attr == SQL_ATTR_CURSOR_TYPE)
        *static_cast<SQLULEN*>(value) = Fake.CursorFallback;
    return Log("SQLGetStmtAttr " + std::to_string(attr));
}
SQLRETURN SQLGetStmtOption(SQLHSTMT stmt, SQLUSMALLINT attr, SQLPOINTER value) {
    return SQLGetStmtAttr(stmt, attr, value, 0, nullptr);
}
SQLRETURN SQLGetFunctions(SQLHDBC, SQLUSMALLINT id, SQLUSMALLINT* supported) {
    *supported = Fake.MissingFunctions.count(id) ? SQL_FALSE : SQL_TRUE;
    return Log("SQLGetFunctions " + std::to_string(id));
}
SQLRETURN SQLGetInfo(SQLHDBC, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT, SQLSMALLINT*) {
    const SQLUINTEGER info = Fake.Info.count(type) ? Fake.Info[type] : 0;
    if (type == SQL_CURSOR_COMMIT_BEHAVIOR)
        *static_cast<SQLUSMALLINT*>(value) = SQLUSMALLINT(info);
    else
        *static_cast<SQLUINTEGER*>(value) = info;
    return Log("SQLGetInfo " + std::to_string(type));
}
SQLRETURN SQLDriverConnect(SQLHDBC, SQLHWND, SQLCHAR* in, SQLSMALLINT inLength, SQLCHAR* out,
                           SQLSMALLINT outMax, SQLSMALLINT* outLength, SQLUSMALLINT) {
    Fake.ConnectString = Text(in, inLength);
    snprintf(reinterpret_cast<char*>(out), size_t(outMax), "%s", Fake.ConnectString.c_str());
    *outLength = SQLSMALLINT(Fake.ConnectString.size());
    return Log("SQLDriverConnect " + Fake.ConnectString);
}
SQLRETURN SQLConnect(SQLHDBC, SQLCHAR* dsn, SQLSMALLINT l1, SQLCHAR* uid, SQLSMALLINT l2,
                     SQLCHAR* pwd, SQLSMALLINT l3) {
    return Log("SQLConnect " + Text(dsn, l1) + "," + Text(uid, l2) + "," + Text(pwd, l3));
}
SQLRETURN SQLDisconnect(SQLHDBC) {
    return Log("SQLDisconnect");
}
SQLRETURN SQLEndTran(SQLSMALLINT, SQLHANDLE, SQLSMALLINT completion) {
    return Log(completion == SQL_COMMIT ? "SQLEndTran commit" : "SQLEndTran rollback");
}
SQLRETURN SQLTransact(SQLHENV, SQLHDBC, SQLUSMALLINT completion) {
    return Log(completion == SQL_COMMIT ? "SQLTransact commit" : "SQLTransact rollback");
}
SQLRETURN SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE, SQLSMALLINT record, SQLCHAR* state,
                        SQLINTEGER* native, SQLCHAR* message, SQLSMALLINT bufferLength,
                        SQLSMALLINT* textLength) {
    Fake.Calls.push_back("SQLGetDiagRec " + std::to_string(type) + " " + std::to_string(record));
    if (record > SQLSMALLINT(Fake.Diags.size()))
        return SQL_NO_DATA;
    return DiagRecord(size_t(record - 1), state, native, message, bufferLength, textLength);
}
SQLRETURN SQLError(SQLHENV, SQLHDBC, SQLHSTMT, SQLCHAR* state, SQLINTEGER* native, SQLCHAR* message,
                   SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
    Fake.Calls.push_back("SQLError");
    if (NextError >= Fake.Diags.size()) {
        NextError = 0;
        return SQL_NO_DATA;
    }
    return DiagRecord(NextError++, state, native, message, bufferLength, textLength);
}
SQLRETURN SQLPrepare(SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length) {
    Fake.LastSQL = Text(text, length);
    S(stmt).HasResult = false;
    return Log("SQLPrepare " + Fake.LastSQL);
}
SQLRETURN SQLExecute(SQLHSTMT stmt) {
    return Run(stmt, "SQLExecute");
}
SQLRETURN SQLExecDirect(SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length) {
    Fake.LastSQL = Text(text, length);
    return Run(stmt, "SQLExecDirect " + Fake.LastSQL);
}
SQLRETURN SQLNumResultCols(SQLHSTMT stmt, SQLSMALLINT* count) {
    *count = IsSelect(Fake.LastSQL) || S(stmt).HasResult ? SQLSMALLINT(Fake.Columns.size()) : 0;
    return Log("SQLNumResultCols");
}
SQLRETURN SQLNumParams(SQLHSTMT, SQLSMALLINT* count) {
    *count = SQLSMALLINT(std::count(Fake.LastSQL.begin(), Fake.LastSQL.end(), '?'));
    return Log("SQLNumParams");
}
SQLRETURN SQLRowCount(SQLHSTMT, SQLLEN* count) {
    *count = Fake.RowCount;
    return Log("SQLRowCount");
}
SQLRETURN SQLBindParameter(SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT, SQLSMALLINT cType,
                           SQLSMALLINT, SQLULEN size, SQLSMALLINT, SQLPOINTER value, SQLLEN,
                           SQLLEN* ind) {
    S(stmt).Params[number] = {cType, size, value, ind};
    return Log("SQLBindParameter " + std::to_string(number));
}
SQLRETURN SQLParamData(SQLHSTMT stmt, SQLPOINTER* token) {
    Stmt& st = S(stmt);
    Fake.Calls.push_back("SQLParamData");
    if (st.NeedData.empty())
        return SQL_SUCCESS;
    *token = st.Params[st.NeedData.front()].Value;
    st.NeedData.pop_front();
    return SQL_NEED_DATA;
}
SQLRETURN SQLPutData(SQLHSTMT, SQLPOINTER data, SQLLEN length) {
    Fake.PieceSizes.push_back(size_t(length));
    Fake.LongData.append(static_cast<char*>(data), size_t(length));
    return Log("SQLPutData");
}
SQLRETURN SQLColAttribute(SQLHSTMT stmt, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                          SQLSMALLINT bufferLength, SQLSMALLINT*, SQLLEN* number) {
    Fake.Calls.push_back("SQLColAttribute " + std::to_string(column) + " " + std::to_string(field));
    return NumberAttribute(stmt, column, field, text, bufferLength, number);
}
SQLRETURN SQLColAttributes(SQLHSTMT stmt, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                           SQLSMALLINT bufferLength, SQLSMALLINT*, SQLLEN* number) {
    Fake.Calls.push_back("SQLColAttributes " + std::to_string(column) + " " +
                         std::to_string(field));
    return NumberAttribute(stmt, column, field, text, bufferLength, number);
}
SQLRETURN SQLBindCol(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER target,
                     SQLLEN length, SQLLEN* ind) {
    S(stmt).Cols[column] = {cType, static_cast<char*>(target), length, ind};
    return Log("SQLBindCol " + std::to_string(column) + " " + std::to_string(cType));
}
SQLRETURN SQLFetchScroll(SQLHSTMT stmt, SQLSMALLINT orientation, SQLLEN offset) {
    if (Forced("SQLFetchScroll"))
        return Log("SQLFetchScroll");
    Stmt& st = S(stmt);
    Fake.Calls.push_back("SQLFetchScroll " + std::to_string(orientation) + " " +
                         std::to_string(offset));
    return FetchRowset(st, orientation, offset, st.ArraySize, st.RowsFetchedPtr, st.StatusPtr);
}
SQLRETURN SQLFetch(SQLHSTMT stmt) {
    Stmt& st = S(stmt);
    Fake.Calls.push_back("SQLFetch");
    return FetchRowset(st, SQL_FETCH_NEXT, 0, st.ArraySize, st.RowsFetchedPtr, st.StatusPtr);
}
SQLRETURN SQLExtendedFetch(SQLHSTMT stmt, SQLUSMALLINT orientation, SQLLEN offset, SQLULEN* fetched,
                           SQLUSMALLINT* status) {
    Stmt& st = S(stmt);
    Fake.Calls.push_back("SQLExtendedFetch " + std::to_string(orientation) + " " +
                         std::to_string(offset));
    st.BookmarkPtr = nullptr;
    return FetchRowset(st, SQLSMALLINT(orientation), offset, st.RowsetSize, fetched, status);
}
SQLRETURN SQLGetData(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER target,
                     SQLLEN length, SQLLEN* ind) {
    Stmt& st = S(stmt);
    Fake.Calls.push_back("SQLGetData " + std::to_string(column));
    if (Forced("SQLGetData"))
        return Log("SQLGetData");
    if (column == 0) {
        const std::string bookmark(size_t(Fake.BookmarkOctetLength), char(st.Start));
        memcpy(target, bookmark.data(), std::min(bookmark.size(), size_t(length)));
        SetIndicator(ind, SQLLEN(bookmark.size()));
        return SQL_SUCCESS;
    }
    const auto& value = Fake.Rows[size_t(st.Start - 1)][column - 1];
    return PutValue(value, cType, Fake.Columns[column - 1].Type, static_cast<char*>(target), length,
                    ind);
}
SQLRETURN SQLSetCursorName(SQLHSTMT, SQLCHAR* name, SQLSMALLINT length) {
    return Log("SQLSetCursorName " + Text(name, length));
}
SQLRETURN SQLTables(SQLHSTMT stmt, SQLCHAR* a, SQLSMALLINT la, SQLCHAR* b, SQLSMALLINT lb,
                    SQLCHAR* c, SQLSMALLINT lc, SQLCHAR* d, SQLSMALLINT ld) {
    return Catalog(stmt, "SQLTables", {Text(a, la), Text(b, lb), Text(c, lc), Text(d, ld)});
}
SQLRETURN SQLColumns(SQLHSTMT stmt, SQLCHAR* a, SQLSMALLINT la, SQLCHAR* b, SQLSMALLINT lb,
                     SQLCHAR* c, SQLSMALLINT lc, SQLCHAR* d, SQLSMALLINT ld) {
    return Catalog(stmt, "SQLColumns", {Text(a, la), Text(b, lb), Text(c, lc), Text(d, ld)});
}
SQLRETURN SQLStatistics(SQLHSTMT stmt, SQLCHAR* a, SQLSMALLINT la, SQLCHAR* b, SQLSMALLINT lb,
                        SQLCHAR* c, SQLSMALLINT lc, SQLUSMALLINT, SQLUSMALLINT) {
    return Catalog(stmt, "SQLStatistics", {Text(a, la), Text(b, lb), Text(c, lc)});
}
SQLRETURN SQLGetTypeInfo(SQLHSTMT stmt, SQLSMALLINT) {
    return Catalog(stmt, "SQLGetTypeInfo", {});
}
SQLRETURN SQLPrimaryKeys(SQLHSTMT stmt, SQLCHAR* a, SQLSMALLINT la, SQLCHAR* b, SQLSMALLINT lb,
                         SQLCHAR* c, SQLSMALLINT lc) {
    return Catalog(stmt, "SQLPrimaryKeys", {Text(a, la), Text(b, lb), Text(c, lc)});
}
SQLRETURN SQLProcedures(SQLHSTMT stmt, SQLCHAR* a, SQLSMALLINT la, SQLCHAR* b, SQLSMALLINT lb,
                        SQLCHAR* c, SQLSMALLINT lc) {
    return Catalog(stmt, "SQLProcedures", {Text(a, la), Text(b, lb), Text(c, lc)});
}
// SQLProcedureColumns is left out on purpose: the tests need an entry point that is missing.
}
