// Statements of a query: SQL text, parameters, preparing and running.
#include "ODBCCore.h"

#include "odbc/ConnectionODBC.h"

namespace {

const QString CatalogKeywords[] = {
    "GetSQLTablesInfomation",      "GetSQLColumnsInfomation",          "GetSQLStatisticsInfomation",
    "GetSQLGetTypeInfoInfomation", "GetSQLProcedureColumnsInfomation", "GetSQLProceduresInfomation",
    "GetSQLPrimaryKeysInfomation"};

SQLSMALLINT ParamDirection(quint8 direction) {
    switch (direction) {
    case 1:
        return SQL_PARAM_OUTPUT;
    case 2:
        return SQL_PARAM_INPUT_OUTPUT;
    default:
        return SQL_PARAM_INPUT;
    }
}

// One text argument of a catalog call: null, empty or the text.
struct TCatalogArg {
    QByteArray Text;
    SQLCHAR* Ptr = nullptr;
    SQLSMALLINT Length = 0;

    TCatalogArg(const QString& value, const QString& nullStrings) {
        if (value == nullStrings)
            return;
        Text = value.toUtf8();
        Ptr = reinterpret_cast<SQLCHAR*>(Text.data());
        Length = value.isEmpty() ? SQLSMALLINT(0) : SQLSMALLINT(SQL_NTS);
    }
};

} // namespace

// ---- parameters ----

void TCustomQueryODBC::SetParamCount(int n) {
    if (n < 0)
        RaiseInternalError("Invalid ParamCount value.");
    FParams.resize(size_t(n));
}

TBindParams& TCustomQueryODBC::EnsureParam(int n) {
    if (n < 1)
        RaiseInternalError("Invalid Param index.");
    if (n > ParamCount())
        FParams.resize(size_t(n));
    std::unique_ptr<TBindParams>& entry = FParams[size_t(n - 1)];
    if (!entry)
        entry = std::make_unique<TBindParams>();
    return *entry;
}

void TCustomQueryODBC::SetParamValue(int n, const QString& value) {
    TBindParams& param = EnsureParam(n);
    param.Value = value;
    param.Bound = false;
}

QString TCustomQueryODBC::GetParamValue(int n) const {
    if (n < 1)
        RaiseInternalError("Invalid Param index.");
    if (n > ParamCount() || !FParams[size_t(n - 1)])
        return QString();
    return FParams[size_t(n - 1)]->Value;
}

QString TCustomQueryODBC::GetParamValueByName(const QString& name) {
    return GetParamValue(ParamIndexByName(name));
}

int TCustomQueryODBC::ParamIndexByName(const QString& name) {
    ParseText();
    for (int n = 1; n <= ParamCount(); ++n)
        if (FParams[size_t(n - 1)] && FParams[size_t(n - 1)]->Name == name)
            return n;
    RaiseInternalError("Param not found. Name=" + name);
}

void TCustomQueryODBC::SetParamType(int n, SQLSMALLINT sqlType) {
    TBindParams& param = EnsureParam(n);
    param.SQLType = sqlType;
    param.Bound = false;
}

void TCustomQueryODBC::SetParamDate(int n, TDateTime value) {
    SetParamType(n, ODBC3() ? SQL_TYPE_DATE : SQL_DATE);
    SetParamValue(n, FormatDateTimeLiteral(SQL_TYPE_DATE, value));
}

void TCustomQueryODBC::SetParamTime(int n, TDateTime value) {
    SetParamType(n, ODBC3() ? SQL_TYPE_TIME : SQL_TIME);
    SetParamValue(n, FormatDateTimeLiteral(SQL_TYPE_TIME, value));
}

void TCustomQueryODBC::SetParamTimeStamp(int n, TDateTime value) {
    SetParamType(n, ODBC3() ? SQL_TYPE_TIMESTAMP : SQL_TIMESTAMP);
    SetParamValue(n, FormatDateTimeLiteral(SQL_TYPE_TIMESTAMP, value));
}

void TCustomQueryODBC::BindParam(int n, SQLSMALLINT cType, SQLSMALLINT sqlType, void* value,
                                 SQLLEN* indicator) {
    TBindParams& param = EnsureParam(n);
    param.CType = cType;
    param.SQLType = sqlType;
    param.ValuePtr = value;
    param.IndicatorPtr = indicator;
    param.Direction = 0;
    param.Bound = false;
}

void TCustomQueryODBC::BindParamEx(int n, quint8 direction, SQLSMALLINT cType, SQLSMALLINT sqlType,
                                   SQLULEN columnSize, SQLSMALLINT decimalDigits, void* value,
                                   SQLLEN* indicator) {
    BindParam(n, cType, sqlType, value, indicator);
    TBindParams& param = EnsureParam(n);
    param.Direction = direction;
    param.ColumnSize = columnSize;
    param.DecimalDigits = decimalDigits;
}

// An output entry is always bound again, so the driver never writes to an old address.
void TCustomQueryODBC::BindOutputParam(int n, SQLSMALLINT cType, SQLSMALLINT sqlType, void* value,
                                       SQLLEN* indicator) {
    BindParam(n, cType, sqlType, value, indicator);
    EnsureParam(n).Direction = 1;
}

void TCustomQueryODBC::GetParamNames(TStrings& list) {
    ParseText();
    list.Clear();
    for (int n = 1; n <= ParamCount(); ++n)
        if (FParams[size_t(n - 1)] && !FParams[size_t(n - 1)]->Name.isEmpty())
            list.AddObject(FParams[size_t(n - 1)]->Name, n);
}

void TCustomQueryODBC::AddTypeMap(SQLSMALLINT sqlType, SQLSMALLINT cType) {
    if (sqlType == 0 || cType == 0)
        RaiseInternalError("DataType value is zero.");
    for (TTypeMap& entry : FTypeMap)
        if (entry.SQLType == 0) {
            entry = {sqlType, cType};
            return;
        }
}

void TCustomQueryODBC::ClearTypeMap() {
    for (TTypeMap& entry : FTypeMap)
        entry = {};
}

// A value of 0 is a real date and time (30 December 1899, midnight), not a missing one:
// callers pass NULL as NullStrings themselves.
QString TCustomQueryODBC::FormatDateTimeLiteral(SQLSMALLINT sqlType, TDateTime value) const {
    int year, month, day, hour, min, sec, msec;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, min, sec, msec);
    const QString date = QString::asprintf("%.4d-%.2d-%.2d", year, month, day);
    const QString time = QString::asprintf("%.2d:%.2d:%.2d", hour, min, sec);
    switch (sqlType) {
    case SQL_DATE:
    case SQL_TYPE_DATE:
        return date;
    case SQL_TIME:
    case SQL_TYPE_TIME:
        return time;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP:
        return date + ' ' + time + QString::asprintf(".%.3d", msec);
    default:
        return FNullStrings;
    }
}

// ---- statement text ----

void TCustomQueryODBC::SetSQLText(const QString& value) {
    if (value == FSQLText)
        return;
    FreeStatement(SQL_DROP);
    FParsed = false;
    FSQLText = value;
    RaisePendingError();
}

void TCustomQueryODBC::ParseText() {
    if (FParsed)
        return;
    const TqoParsedSQL parsed = ParseSQLText(FSQLText);
    FDriverText = parsed.DriverText.toUtf8();
    for (int k = 0; k < parsed.Names.size(); ++k)
        EnsureParam(k + 1).Name = parsed.Names[k];
    FParsed = true;
}

bool TCustomQueryODBC::CheckText() {
    if (FSQLText.isEmpty()) {
        FPendingError.SetText("SQL 文がありません。");
        return false;
    }
    if (FSQLText == "TCustomQueryODBC") {
        Notice("Ver 5.1a");
        return false;
    }
    FCatalogRequest = 0;
    for (int i = 0; i < 7; ++i)
        if (FSQLText == CatalogKeywords[i])
            FCatalogRequest = i + 1;
    return true;
}

// ---- statement handles ----

SQLRETURN TCustomQueryODBC::AllocStatement(SQLHSTMT& stmt) {
    SQLRETURN rc;
    if (ODBC3()) {
        Call("AllocHandle(Stmt)");
        rc = FCLI->SQLAllocHandle(SQLSMALLINT(SQL_HANDLE_STMT), SQLHANDLE(FHDbc), &stmt);
    } else {
        Call("AllocStmt");
        rc = FCLI->SQLAllocStmt(FHDbc, &stmt);
    }
    if (!SQL_SUCCEEDED(rc))
        stmt = nullptr;
    return rc;
}

void TCustomQueryODBC::FreeStatementHandle(SQLHSTMT& stmt) {
    SQLRETURN rc;
    if (ODBC3()) {
        Call("FreeHandle(Stmt)");
        rc = FCLI->SQLFreeHandle(SQLSMALLINT(SQL_HANDLE_STMT), SQLHANDLE(stmt));
    } else {
        Call("FreeStmt");
        rc = FCLI->SQLFreeStmt(stmt, SQLUSMALLINT(SQL_DROP));
    }
    if (rc == SQL_ERROR)
        ReportDiagnostics(stmt);
    stmt = nullptr;
}

SQLRETURN TCustomQueryODBC::AllocMainStatement() {
    FreeStatement(SQL_DROP);
    if (FHStmt)
        RaiseInternalError("Stmt handle already allocated");
    const SQLRETURN rc = AllocStatement(FHStmt);
    if (!SQL_SUCCEEDED(rc)) {
        ReportDiagnostics(nullptr);
        return rc;
    }
    if (FCursorType != FConnCursorType)
        CursorSetUpForStatement();
    // unixODBC checks a bookmark fetch against the statement's own setting, so a statement
    // of a connection with bookmarks sets them on itself too.
    if (FStatementSetsBookmarks || FCaps.Bookmark)
        SetStatementBookmarks();
    if (FODBCVersion == ODBC35 && FCursorType != qoForwardOnly) {
        Call("SetStmtAttr(CursorScrollable)");
        FCLI->SQLSetStmtAttr(FHStmt, SQLINTEGER(SQL_ATTR_CURSOR_SCROLLABLE),
                             SQLPOINTER(SQL_SCROLLABLE), SQLINTEGER(0));
    }
    return rc;
}

void TCustomQueryODBC::SetCursorNameOnStatement() {
    if (CursorName.isEmpty())
        return;
    const QByteArray name = CursorName.toUtf8();
    Call("SetCursorName");
    FCLI->SQLSetCursorName(FHStmt, (SQLCHAR*)name.constData(), SQLSMALLINT(SQL_NTS));
}

void TCustomQueryODBC::FreeStatement(SQLUSMALLINT option) {
    if (!FHStmt)
        return;
    if (option == SQL_DROP) {
        FreeStatementHandle(FHStmt);
    } else {
        Call("FreeStmt");
        if (FCLI->SQLFreeStmt(FHStmt, option) == SQL_ERROR)
            ReportDiagnostics(FHStmt);
    }
    FExecuted = FAtStart = FAtEnd = false;
    FRowsFetched = 0;
    FAppliedRowArraySize = 0;
    if (option != SQL_DROP)
        return;
    FPrepared = false;
    FreeResult();
    if (KeepParams) {
        for (auto& param : FParams)
            if (param)
                param->Bound = false;
    } else {
        FParams.clear();
        FParsed = false;
    }
}

void TCustomQueryODBC::ReleaseStatements(bool keepStatement) {
    FreeStatement(keepStatement ? SQL_CLOSE : SQL_DROP);
    if (FHStmt2)
        FreeStatementHandle(FHStmt2);
}

void TCustomQueryODBC::CloseCursor(bool keepStatement) {
    ReleaseStatements(keepStatement);
    RaisePendingError();
}

void TCustomQueryODBC::SetPrepared(bool value) {
    if (value && !FPrepared) {
        Prepare();
    } else if (!value && FPrepared) {
        FreeStatement(SQL_DROP);
        RaisePendingError();
    }
}

void TCustomQueryODBC::ConnectWhenNeeded() {
    if (!FConnected)
        Connect();
}

void TCustomQueryODBC::ReadColumnCount() {
    SQLSMALLINT columns = 0;
    Call("NumResultCols");
    if (FCLI->SQLNumResultCols(FHStmt, &columns) != SQL_SUCCESS)
        return;
    FColumnCount = columns;
    if (FColumnCount > 0)
        DescribeColumns();
}

// ---- prepare and execute ----

void TCustomQueryODBC::Prepare() {
    if (BeforePrepare)
        BeforePrepare(this);
    RunWithWaitCursor([this] {
        if (!CheckText())
            return;
        ConnectWhenNeeded();
        if (!SQL_SUCCEEDED(AllocMainStatement()))
            return;
        SetCursorNameOnStatement();
        ParseText();
        Call("Prepare");
        const SQLRETURN rc =
            FCLI->SQLPrepare(FHStmt, (SQLCHAR*)FDriverText.constData(), SQLINTEGER(SQL_NTS));
        if (!SQL_SUCCEEDED(rc)) {
            ReportDiagnostics(FHStmt);
            FreeStatement(SQL_DROP);
            return;
        }
        FPrepared = true;
        ReadColumnCount();
        SQLSMALLINT params = 0;
        Call("NumParams");
        if (FCLI->SQLNumParams(FHStmt, &params) == SQL_SUCCESS)
            SetParamCount(params);
    });
    RaisePendingError();
    if (AfterPrepare)
        AfterPrepare(this);
}

void TCustomQueryODBC::Execute() {
    if (BeforeExec)
        BeforeExec(this);
    try {
        RunWithWaitCursor([this] { RunStatement(); });
    } catch (...) {
        ConnectionOwner().FWorkPending = true;
        throw;
    }
    ConnectionOwner().FWorkPending = true;
    RaisePendingError();
    if (AfterExec)
        AfterExec(this);
}

void TCustomQueryODBC::RunStatement() {
    // A statement that fails or runs nothing must not leave the previous one's count behind.
    FRowsAffected = 0;
    if (!CheckText())
        return;
    ConnectWhenNeeded();
    SQLRETURN rc;
    if (FPrepared) {
        if (CursorState == qoKeep && FExecuted)
            FreeStatement(SQL_CLOSE);
        if (ParamCount() > 0 && !BindParams())
            return;
        Call("Execute");
        rc = FCLI->SQLExecute(FHStmt);
    } else {
        if (!SQL_SUCCEEDED(AllocMainStatement()))
            return;
        SetCursorNameOnStatement();
        if (FCatalogRequest) {
            rc = RunCatalog();
        } else {
            ParseText();
            if (ParamCount() > 0 && !BindParams())
                return;
            Call("ExecDirect");
            rc =
                FCLI->SQLExecDirect(FHStmt, (SQLCHAR*)FDriverText.constData(), SQLINTEGER(SQL_NTS));
        }
    }
    if (rc == SQL_NEED_DATA)
        rc = SendLongData();
    AfterExecution(rc);
}

void TCustomQueryODBC::AfterExecution(SQLRETURN rc) {
    // An ODBC 3 driver answers SQL_NO_DATA for an UPDATE or DELETE that matched no row.
    const bool noRows = rc == SQL_NO_DATA;
    if (!SQL_SUCCEEDED(rc) && !noRows) {
        ReportDiagnostics(FHStmt);
        FreeStatement(SQL_DROP);
        return;
    }
    FExecuted = true;
    FAtStart = true;
    if (FColumnCount == 0 && !noRows)
        ReadColumnCount();
    if (FColumnCount == 0) {
        if (!noRows) {
            Call("RowCount");
            if (FCLI->SQLRowCount(FHStmt, &FRowsAffected) != SQL_SUCCESS)
                ReportDiagnostics(FHStmt);
        }
        EndOfResult();
    }
    NotifyState(qoExecuted);
}

void TCustomQueryODBC::EndOfResult() {
    if (CursorState == qoDrop)
        FreeStatement(SQL_DROP);
    else if (CursorState == qoClose)
        FreeStatement(SQL_CLOSE);
}

SQLULEN TCustomQueryODBC::DefaultColumnSize(SQLSMALLINT sqlType) const {
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_WVARCHAR:
    case SQL_WCHAR:
    case SQL_VARBINARY:
    case SQL_BINARY:
        return SQLULEN(DefaultCharParamSize);
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        return 19;
    case SQL_TYPE_DATE:
        return 11;
    case SQL_TYPE_TIME:
        return 9;
    case SQL_TYPE_TIMESTAMP:
        return 23;
    case SQL_GUID:
        return 37;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
        return SQLULEN(LongCharLimit > 0 ? LongCharLimit : LongDataLimit);
    case SQL_LONGVARBINARY:
        return SQLULEN(LongDataLimit);
    default:
        return 0;
    }
}

bool TCustomQueryODBC::BindParams() {
    for (int n = 1; n <= ParamCount(); ++n) {
        TBindParams* param = FParams[size_t(n - 1)].get();
        if (!param) {
            FPendingError.SetText("QueryODBC: Param not assigned.  Number = " + QString::number(n));
            return false;
        }
        if (param->Bound)
            continue;
        void* value = param->ValuePtr;
        SQLLEN* indicator = param->IndicatorPtr;
        if (!value) {
            param->ValueBytes = param->Value.toUtf8();
            value = param->ValueBytes.data();
            param->OwnIndicator =
                FNullConvert && param->Value == FNullStrings ? SQL_NULL_DATA : SQL_NTS;
            indicator = &param->OwnIndicator;
        }
        const SQLULEN size =
            param->ColumnSize > 0 ? param->ColumnSize : DefaultColumnSize(param->SQLType);
        Call("BindParameter");
        const SQLRETURN rc = FCLI->SQLBindParameter(
            FHStmt, SQLUSMALLINT(n), ParamDirection(param->Direction), param->CType, param->SQLType,
            size, param->DecimalDigits, value, SQLLEN(0), indicator);
        if (rc != SQL_SUCCESS) {
            ReportDiagnostics(FHStmt);
            return false;
        }
        param->Bound = param->Direction == 0;
    }
    return true;
}

SQLRETURN TCustomQueryODBC::RunCatalog() {
    const TCatalogArg a1(GetParamValue(1), FNullStrings), a2(GetParamValue(2), FNullStrings),
        a3(GetParamValue(3), FNullStrings), a4(GetParamValue(4), FNullStrings);
    switch (FCatalogRequest) {
    case 1:
        Call("Tables");
        return FCLI->SQLTables(FHStmt, a1.Ptr, a1.Length, a2.Ptr, a2.Length, a3.Ptr, a3.Length,
                               a4.Ptr, a4.Length);
    case 2:
        Call("Columns");
        return FCLI->SQLColumns(FHStmt, a1.Ptr, a1.Length, a2.Ptr, a2.Length, a3.Ptr, a3.Length,
                                a4.Ptr, a4.Length);
    case 3:
        Call("Statistics");
        return FCLI->SQLStatistics(FHStmt, a1.Ptr, a1.Length, a2.Ptr, a2.Length, a3.Ptr, a3.Length,
                                   SQLUSMALLINT(SQL_INDEX_ALL), SQLUSMALLINT(SQL_QUICK));
    case 4:
        Call("GetTypeInfo");
        return FCLI->SQLGetTypeInfo(FHStmt, SQLSMALLINT(SQL_ALL_TYPES));
    case 5:
        Call("ProcedureColumns");
        return FCLI->SQLProcedureColumns(FHStmt, a1.Ptr, a1.Length, a2.Ptr, a2.Length, a3.Ptr,
                                         a3.Length, a4.Ptr, a4.Length);
    case 6:
        Call("Procedures");
        return FCLI->SQLProcedures(FHStmt, a1.Ptr, a1.Length, a2.Ptr, a2.Length, a3.Ptr, a3.Length);
    default:
        Call("PrimaryKeys");
        return FCLI->SQLPrimaryKeys(FHStmt, a1.Ptr, a1.Length, a2.Ptr, a2.Length, a3.Ptr,
                                    a3.Length);
    }
}

// Sends each data-at-execution parameter in pieces; its length is encoded in its indicator.
SQLRETURN TCustomQueryODBC::SendLongData() {
    SQLPOINTER token = nullptr;
    Call("ParamData");
    SQLRETURN rc = FCLI->SQLParamData(FHStmt, &token);
    while (rc == SQL_NEED_DATA) {
        TBindParams* param = nullptr;
        for (auto& entry : FParams)
            if (entry && entry->ValuePtr == token)
                param = entry.get();
        const SQLLEN length =
            param && param->IndicatorPtr ? qAbs(*param->IndicatorPtr) - 100 : SQLLEN(0);
        if (length <= 0)
            return SQL_ERROR;
        const char* data = static_cast<const char*>(param->ValuePtr);
        for (SQLLEN sent = 0; sent < length; sent += LongDataChunk) {
            Call("PutData");
            if (FCLI->SQLPutData(FHStmt, SQLPOINTER(data + sent),
                                 qMin(SQLLEN(LongDataChunk), length - sent)) == SQL_ERROR)
                ReportDiagnostics(FHStmt);
        }
        Call("ParamData");
        rc = FCLI->SQLParamData(FHStmt, &token);
    }
    return rc;
}

void TCustomQueryODBC::ExecDirect(const QString& text) {
    try {
        RunWithWaitCursor([&] {
            ConnectWhenNeeded();
            FRowsAffected = 0;
            if (!FHStmt2 && !SQL_SUCCEEDED(AllocStatement(FHStmt2))) {
                ReportDiagnostics(nullptr);
                return;
            }
            const QByteArray driverText =
                (FNullConvert ? ReplaceNullStrings(text, FNullStrings) : text).toUtf8();
            Call("ExecDirect");
            const SQLRETURN rc =
                FCLI->SQLExecDirect(FHStmt2, (SQLCHAR*)driverText.constData(), SQLINTEGER(SQL_NTS));
            if (rc == SQL_NO_DATA)
                return;
            if (!SQL_SUCCEEDED(rc)) {
                ReportDiagnostics(FHStmt2);
                return;
            }
            Call("RowCount");
            if (FCLI->SQLRowCount(FHStmt2, &FRowsAffected) == SQL_ERROR)
                ReportDiagnostics(FHStmt2);
        });
    } catch (...) {
        ConnectionOwner().FWorkPending = true;
        throw;
    }
    ConnectionOwner().FWorkPending = true;
    RaisePendingError();
}
