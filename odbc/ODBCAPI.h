#pragma once

#include "base/SysUtils.h"

#include <QString>
#include <sql.h>
#include <sqlext.h>

// Which call-level interface a query speaks to the driver manager.
enum TqoODBCVersion { ODBC20, ODBC30, ODBC35 };

// The driver manager or one of its entry points is missing.
class EODBCAPIError : public Exception {
public:
    using Exception::Exception;
};

[[noreturn]] void RaiseODBCAPIError(const QString& text);

// Every entry point the library calls, looked up by these names on first use.
// One entry point a line: clang-format would run them together.
// clang-format off
#define ZZ_ODBC_ENTRY_POINTS(X) \
    X(SQLAllocHandle) \
    X(SQLColAttribute) \
    X(SQLEndTran) \
    X(SQLFetchScroll) \
    X(SQLFreeHandle) \
    X(SQLGetConnectAttr) \
    X(SQLGetDiagRec) \
    X(SQLGetStmtAttr) \
    X(SQLSetConnectAttr) \
    X(SQLSetEnvAttr) \
    X(SQLSetStmtAttr) \
    X(SQLBindCol) \
    X(SQLBindParameter) \
    X(SQLColumns) \
    X(SQLConnect) \
    X(SQLDisconnect) \
    X(SQLDriverConnect) \
    X(SQLExecDirect) \
    X(SQLPrepare) \
    X(SQLExecute) \
    X(SQLFetch) \
    X(SQLFreeStmt) \
    X(SQLGetData) \
    X(SQLGetFunctions) \
    X(SQLGetInfo) \
    X(SQLGetTypeInfo) \
    X(SQLNumParams) \
    X(SQLNumResultCols) \
    X(SQLParamData) \
    X(SQLPrimaryKeys) \
    X(SQLProcedureColumns) \
    X(SQLProcedures) \
    X(SQLPutData) \
    X(SQLRowCount) \
    X(SQLSetCursorName) \
    X(SQLStatistics) \
    X(SQLTables) \
    X(SQLAllocEnv) \
    X(SQLAllocConnect) \
    X(SQLAllocStmt) \
    X(SQLColAttributes) \
    X(SQLError) \
    X(SQLExtendedFetch) \
    X(SQLFreeConnect) \
    X(SQLFreeEnv) \
    X(SQLGetConnectOption) \
    X(SQLGetStmtOption) \
    X(SQLSetConnectOption) \
    X(SQLSetStmtOption) \
    X(SQLTransact)
// clang-format on

// The ODBC driver manager, loaded by file name at run time. Each forwarding method resolves
// its entry point on first use and returns the driver manager's result unchanged.
class TODBCCLI {
public:
    explicit TODBCCLI(const QString& LibraryName);
    ~TODBCCLI();
    TODBCCLI(const TODBCCLI&) = delete;
    TODBCCLI& operator=(const TODBCCLI&) = delete;

    // The first binding ever made, until it is destroyed; then the next one made.
    static TODBCCLI* Default();

#define ZZ_ODBC_SLOT(name) p##name,
    enum TProc { ZZ_ODBC_ENTRY_POINTS(ZZ_ODBC_SLOT) ProcCount };
#undef ZZ_ODBC_SLOT

    // The entry point's address; raises EODBCAPIError when the library has none.
    void* ResolveProc(TProc slot, const char* name);

#define ZZ_ODBC_FORWARD(name)                                                                      \
    template <typename... A> SQLRETURN name(A... args) {                                           \
        return reinterpret_cast<decltype(&::name)>(ResolveProc(p##name, #name))(args...);          \
    }
    ZZ_ODBC_ENTRY_POINTS(ZZ_ODBC_FORWARD)
#undef ZZ_ODBC_FORWARD

private:
    void* FModule = nullptr;
    void* FProcs[ProcCount] = {};
};
