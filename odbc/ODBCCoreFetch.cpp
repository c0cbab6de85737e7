// Results of a query: cursor set-up, column description and fetching.
#include "ODBCCore.h"

#include <climits>

namespace {

SQLULEN CursorTypeCode(TqoCursorType type) {
    static const SQLULEN codes[] = {SQL_CURSOR_FORWARD_ONLY, SQL_CURSOR_KEYSET_DRIVEN,
                                    SQL_CURSOR_DYNAMIC, SQL_CURSOR_STATIC};
    return codes[type];
}

TqoCursorType CursorTypeFromCode(SQLULEN code) {
    switch (code) {
    case SQL_CURSOR_KEYSET_DRIVEN:
        return qoKeyset;
    case SQL_CURSOR_DYNAMIC:
        return qoDynamic;
    case SQL_CURSOR_STATIC:
        return qoStatic;
    default:
        return qoForwardOnly;
    }
}

bool IsCharType(SQLSMALLINT type) {
    return type == SQL_CHAR || type == SQL_VARCHAR || type == SQL_LONGVARCHAR;
}

SQLSMALLINT WideType(SQLSMALLINT type) {
    switch (type) {
    case SQL_CHAR:
        return SQL_WCHAR;
    case SQL_VARCHAR:
        return SQL_WVARCHAR;
    case SQL_LONGVARCHAR:
        return SQL_WLONGVARCHAR;
    default:
        return type;
    }
}

// The bytes a column of a fixed-size type takes; 0 when the driver reports its length.
int FixedTypeSize(SQLSMALLINT type) {
    switch (type) {
    case SQL_GUID:
        return 37;
    case SQL_BIT:
    case SQL_TINYINT:
        return 1;
    case SQL_BIGINT:
        return 20;
    case SQL_INTEGER:
    case SQL_REAL:
        return 4;
    case SQL_SMALLINT:
        return 2;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return 8;
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
        return 6;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP:
        return 16;
    default:
        return type >= SQL_INTERVAL_YEAR && type <= SQL_INTERVAL_MINUTE_TO_SECOND ? 34 : 0;
    }
}

bool IsNumericType(SQLSMALLINT type) {
    switch (type) {
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
        return true;
    default:
        return false;
    }
}

// The ODBC 2 resume bit, which the ODBC 3 headers no longer name.
constexpr SQLUINTEGER FetchResumeBit = 0x00000040;

// A reported length that the driver could not give.
constexpr SQLLEN UnknownLength = -100;
constexpr int LongColumnSize = 1048576;

} // namespace

// ---- cursor set-up ----

void TCustomQueryODBC::CursorSetUpAtConnect() {
    FConnCursorType = qoForwardOnly;
    if (AllocStatement(FHStmt) == SQL_ERROR)
        return;
    Call(Label3("SetConnectAttr(CursorType)", "SetConnectOption(CursorType)"));
    const SQLULEN code = CursorTypeCode(FCursorType);
    const SQLRETURN rc =
        ODBC3() ? FCLI->SQLSetConnectAttr(FHDbc, SQLINTEGER(SQL_ATTR_CURSOR_TYPE), SQLPOINTER(code),
                                          SQLINTEGER(0))
                : FCLI->SQLSetConnectOption(FHDbc, SQLUSMALLINT(SQL_CURSOR_TYPE), code);
    if (SQL_SUCCEEDED(rc))
        FConnCursorType = FCursorType;
    if (rc == SQL_SUCCESS_WITH_INFO)
        FConnCursorType = FCursorType = StatementCursorType();
    const bool keep = KeepParams;
    KeepParams = true;
    FreeStatement(SQL_DROP);
    KeepParams = keep;
    ReadCapabilities();
    if (!FCaps.Bookmark)
        return;
    SQLRETURN bookmarkRc;
    if (FODBCVersion == ODBC35) {
        Call("SetConnectAttr(UseBookmark)");
        bookmarkRc = FCLI->SQLSetConnectAttr(FHDbc, SQLINTEGER(SQL_ATTR_USE_BOOKMARKS),
                                             SQLPOINTER(SQL_UB_VARIABLE), SQLINTEGER(0));
    } else {
        Call("SetConnectOption (UseBookmark)");
        bookmarkRc =
            FCLI->SQLSetConnectOption(FHDbc, SQLUSMALLINT(SQL_USE_BOOKMARKS), SQLULEN(SQL_UB_ON));
    }
    FStatementSetsBookmarks = bookmarkRc == SQL_ERROR;
}

TqoCursorType TCustomQueryODBC::StatementCursorType() {
    SQLULEN code = 0;
    Call(Label3("GetStmtAttr(CursorType)", "GetStmtOption(CursorType)"));
    const SQLRETURN rc = ODBC3()
                             ? FCLI->SQLGetStmtAttr(FHStmt, SQLINTEGER(SQL_ATTR_CURSOR_TYPE), &code,
                                                    SQLINTEGER(sizeof(code)), (SQLINTEGER*)nullptr)
                             : FCLI->SQLGetStmtOption(FHStmt, SQLUSMALLINT(SQL_CURSOR_TYPE), &code);
    if (rc == SQL_ERROR)
        ReportDiagnostics(FHStmt);
    return CursorTypeFromCode(code);
}

void TCustomQueryODBC::CursorSetUpForStatement() {
    Call(Label3("SetStmtAttr(CursorType)", "SetStmtOption(CursorType)"));
    const SQLULEN code = CursorTypeCode(FCursorType);
    const SQLRETURN rc = ODBC3()
                             ? FCLI->SQLSetStmtAttr(FHStmt, SQLINTEGER(SQL_ATTR_CURSOR_TYPE),
                                                    SQLPOINTER(code), SQLINTEGER(0))
                             : FCLI->SQLSetStmtOption(FHStmt, SQLUSMALLINT(SQL_CURSOR_TYPE), code);
    if (rc == SQL_ERROR)
        ReportDiagnostics(FHStmt);
    if (rc == SQL_SUCCESS_WITH_INFO)
        FCursorType = StatementCursorType();
    ReadCapabilities();
}

void TCustomQueryODBC::SetStatementBookmarks() {
    SQLRETURN rc;
    if (FODBCVersion == ODBC35) {
        Call("SetStmtAttr(UseBookmark)");
        rc = FCLI->SQLSetStmtAttr(FHStmt, SQLINTEGER(SQL_ATTR_USE_BOOKMARKS),
                                  SQLPOINTER(SQL_UB_VARIABLE), SQLINTEGER(0));
    } else {
        Call("SetStmtOption (UseBookmark)");
        rc = FCLI->SQLSetStmtOption(FHStmt, SQLUSMALLINT(SQL_USE_BOOKMARKS), SQLULEN(SQL_UB_ON));
    }
    if (rc == SQL_ERROR)
        ReportDiagnostics(FHStmt);
}

void TCustomQueryODBC::ReadCapabilities() {
    FCaps = {};
    if (FCursorType == qoForwardOnly)
        return;
    SQLUINTEGER mask = 0;
    SQLUSMALLINT info = SQL_FETCH_DIRECTION;
    if (ODBC3())
        info = FCursorType == qoKeyset    ? SQL_KEYSET_CURSOR_ATTRIBUTES1
               : FCursorType == qoDynamic ? SQL_DYNAMIC_CURSOR_ATTRIBUTES1
                                          : SQL_STATIC_CURSOR_ATTRIBUTES1;
    Call("GetInfo");
    if (FCLI->SQLGetInfo(FHDbc, info, &mask, SQLSMALLINT(sizeof(mask)), (SQLSMALLINT*)nullptr) ==
        SQL_ERROR)
        ReportDiagnostics(nullptr);
    if (ODBC3()) {
        FCaps.First = FCaps.Last = FCaps.Absolute = mask & SQL_CA1_ABSOLUTE;
        FCaps.Prior = FCaps.Relative = mask & SQL_CA1_RELATIVE;
        FCaps.Bookmark = mask & SQL_CA1_BOOKMARK;
    } else {
        FCaps.First = mask & SQL_FD_FETCH_FIRST;
        FCaps.Last = mask & SQL_FD_FETCH_LAST;
        FCaps.Prior = mask & SQL_FD_FETCH_PRIOR;
        FCaps.Absolute = mask & SQL_FD_FETCH_ABSOLUTE;
        FCaps.Relative = mask & SQL_FD_FETCH_RELATIVE;
        FCaps.Resume = mask & FetchResumeBit;
        FCaps.Bookmark = mask & SQL_FD_FETCH_BOOKMARK;
    }
}

// ---- column description ----

SQLLEN TCustomQueryODBC::ColAttrNumber(int column, SQLUSMALLINT field, bool odbc2Call) {
    SQLLEN number = 0;
    SQLRETURN rc;
    if (odbc2Call) {
        Call("ColAttributes");
        rc = FCLI->SQLColAttributes(FHStmt, SQLUSMALLINT(column), field, SQLPOINTER(nullptr),
                                    SQLSMALLINT(0), (SQLSMALLINT*)nullptr, &number);
    } else {
        Call("ColAttribute");
        rc = FCLI->SQLColAttribute(FHStmt, SQLUSMALLINT(column), field, SQLPOINTER(nullptr),
                                   SQLSMALLINT(0), (SQLSMALLINT*)nullptr, &number);
    }
    if (rc == SQL_ERROR)
        ReportDiagnostics(FHStmt);
    return number;
}

QString TCustomQueryODBC::ColAttrText(int column, SQLUSMALLINT field, bool odbc2Call) {
    char text[129] = {};
    SQLSMALLINT length = 0;
    SQLRETURN rc;
    if (odbc2Call) {
        Call("ColAttributes");
        rc = FCLI->SQLColAttributes(FHStmt, SQLUSMALLINT(column), field, SQLPOINTER(text),
                                    SQLSMALLINT(sizeof(text)), &length, (SQLLEN*)nullptr);
    } else {
        Call("ColAttribute");
        rc = FCLI->SQLColAttribute(FHStmt, SQLUSMALLINT(column), field, SQLPOINTER(text),
                                   SQLSMALLINT(sizeof(text)), &length, (SQLLEN*)nullptr);
    }
    if (rc == SQL_ERROR)
        ReportDiagnostics(FHStmt);
    return QString::fromUtf8(text, qstrnlen(text, sizeof(text) - 1));
}

void TCustomQueryODBC::DescribeColumns() {
    FResultCols = std::make_unique<TResultCols>(FWCharMapsChar);
    const bool odbc2 = FODBCVersion == ODBC20;
    const bool odbc35 = FODBCVersion == ODBC35;
    bool wideTested = false, wide = false;
    qint64 total = 0;
    for (int c = 1; c <= FColumnCount; ++c) {
        TResultCol& col = FResultCols->Add();
        col.Name = ColAttrText(c, odbc2 ? SQL_COLUMN_NAME : SQL_DESC_NAME, odbc2);
        col.SQLType =
            SQLSMALLINT(ColAttrNumber(c, odbc2 ? SQL_COLUMN_TYPE : SQL_DESC_CONCISE_TYPE, odbc2));
        SQLLEN size = FixedTypeSize(col.SQLType);
        const bool numericText = col.SQLType == SQL_NUMERIC || col.SQLType == SQL_DECIMAL;
        if (numericText) {
            col.Precision =
                int(ColAttrNumber(c, odbc35 ? SQL_DESC_PRECISION : SQL_COLUMN_PRECISION, !odbc35));
            col.Scale = int(ColAttrNumber(c, odbc35 ? SQL_DESC_SCALE : SQL_COLUMN_SCALE, !odbc35));
            col.Money = ColAttrNumber(c, odbc35 ? SQL_DESC_FIXED_PREC_SCALE : SQL_COLUMN_MONEY,
                                      !odbc35) > 0;
            size = col.Precision + 2;
        } else if (size == 0) {
            size = odbc35 ? ColAttrNumber(c, SQL_DESC_OCTET_LENGTH, false)
                          : ColAttrNumber(c, SQL_COLUMN_LENGTH, odbc2);
            if (odbc35 && !wideTested && IsCharType(col.SQLType)) {
                wideTested = true;
                const SQLLEN length = ColAttrNumber(c, SQL_DESC_LENGTH, false);
                wide = size > 0 && length * 2 == size;
            }
            if (wide)
                col.SQLType = WideType(col.SQLType);
            if (size == UnknownLength)
                size = col.SQLType == SQL_WLONGVARCHAR || col.SQLType == SQL_LONGVARCHAR
                           ? LongCharLimit
                       : col.SQLType == SQL_LONGVARBINARY ? LongDataLimit
                                                          : 255;
        }
        const bool longCol = col.SQLType == SQL_LONGVARCHAR || col.SQLType == SQL_LONGVARBINARY ||
                             col.SQLType == SQL_WLONGVARCHAR || size >= LongColumnSize;
        if (longCol) {
            if (LongDataLimit >= 1 && LongDataLimit < size)
                size = LongDataLimit;
            if ((col.SQLType == SQL_LONGVARCHAR || col.SQLType == SQL_WLONGVARCHAR) &&
                LongCharLimit > 0 && size > LongCharLimit)
                size = LongCharLimit;
        }
        if (IsZeroTerminatedType(col.SQLType))
            size += 1;
        else if (col.SQLType == SQL_WVARCHAR || col.SQLType == SQL_WCHAR)
            size += FWCharMapsChar ? 1 : 2;
        col.Size = int(qBound(SQLLEN(0), size, SQLLEN(INT_MAX)));
        if (IsNumericType(col.SQLType)) {
            col.Numeric = true;
            col.Unsigned =
                ColAttrNumber(c, odbc2 ? SQL_COLUMN_UNSIGNED : SQL_DESC_UNSIGNED, odbc2) > 0;
            col.AutoIncrement =
                ColAttrNumber(c, odbc2 ? SQL_COLUMN_AUTO_INCREMENT : SQL_DESC_AUTO_UNIQUE_VALUE,
                              odbc2) > 0;
        }
        col.Updatable =
            !FReadOnly && ColAttrNumber(c, odbc2 ? SQL_COLUMN_UPDATABLE : SQL_DESC_UPDATABLE,
                                        odbc2) != SQL_ATTR_READONLY;
        col.Nullable = ColAttrNumber(c, odbc2 ? SQL_COLUMN_NULLABLE : SQL_DESC_NULLABLE, odbc2) !=
                       SQL_NO_NULLS;
        col.Offset = int(qMin(total, qint64(INT_MAX)));
        total += qint64(col.Size) + qoIndicatorSize;
    }
    FinishRowLayout(total);
}

void TCustomQueryODBC::FinishRowLayout(qint64 total) {
    FGetDataBuf = QByteArray(FFetchBufSize + 1, '\0');
    if (ODBC3()) {
        Call("SetStmtAttr(RowsFetchedPtr)");
        if (FCLI->SQLSetStmtAttr(FHStmt, SQLINTEGER(SQL_ATTR_ROWS_FETCHED_PTR), &FRowsFetched,
                                 SQLINTEGER(0)) == SQL_ERROR)
            ReportDiagnostics(FHStmt);
    }
    if (FCaps.Bookmark && FUseBookmarks) {
        total += qoBookmarkSize;
        if (FODBCVersion == ODBC35 &&
            ColAttrNumber(0, SQL_DESC_OCTET_LENGTH, false) > qoBookmarkSize)
            FUseBookmarks = false;
    }
    FRowBufValid = total <= INT_MAX;
    FRowBufSize = FRowBufValid ? int(total) : 0;
}

void TCustomQueryODBC::FreeResult() {
    FColumnCount = 0;
    FResultCols.reset();
    FRowBufSize = 0;
    FRowBufValid = false;
    FGetDataBuf.clear();
    FRowValues.Clear();
    FLastBoundBuffer = nullptr;
}

int TCustomQueryODBC::RowBufSize() const {
    if (!FRowBufValid || FColumnCount == 0)
        RaiseInternalError("Number of result column is zero or RowBufSize over 2G byte.");
    return FRowBufSize;
}

// ---- fetching ----

void TCustomQueryODBC::SetRowArraySize(int rows) {
    FRowArraySize = rows;
    ApplyRowArraySize();
    RaisePendingError();
}

void TCustomQueryODBC::ApplyRowArraySize() {
    if (!FExecuted || !FFetchScroll || FRowArraySize <= 0 ||
        FRowArraySize == FAppliedRowArraySize || !FRowBufValid)
        return;
    SQLRETURN rc;
    if (ODBC3()) {
        Call("SetStmtAttr(RowBindType)");
        rc = FCLI->SQLSetStmtAttr(FHStmt, SQLINTEGER(SQL_ATTR_ROW_BIND_TYPE),
                                  SQLPOINTER(SQLULEN(FRowBufSize)), SQLINTEGER(0));
        if (rc != SQL_ERROR) {
            Call("SetStmtOption (RowArraySize)");
            rc = FCLI->SQLSetStmtAttr(FHStmt, SQLINTEGER(SQL_ATTR_ROW_ARRAY_SIZE),
                                      SQLPOINTER(SQLULEN(FRowArraySize)), SQLINTEGER(0));
        }
    } else {
        Call("SetStmtOption (BIND_TYPE)");
        rc = FCLI->SQLSetStmtOption(FHStmt, SQLUSMALLINT(SQL_BIND_TYPE), SQLULEN(FRowBufSize));
        if (rc != SQL_ERROR) {
            Call("SetStmtOption (ROWSET_SIZE)");
            rc = FCLI->SQLSetStmtOption(FHStmt, SQLUSMALLINT(SQL_ROWSET_SIZE),
                                        SQLULEN(FRowArraySize));
        }
    }
    if (rc == SQL_ERROR)
        ReportDiagnostics(FHStmt);
    else
        FAppliedRowArraySize = FRowArraySize;
}

bool TCustomQueryODBC::BindColumns(char* buffer) {
    const TResultCols& cols = *FResultCols;
    for (int c = 1; c <= FColumnCount; ++c) {
        const TResultCol& col = cols.Items(c);
        SQLSMALLINT cType = SQL_C_DEFAULT;
        switch (col.SQLType) {
        case SQL_WLONGVARCHAR:
        case SQL_BIGINT:
        case SQL_NUMERIC:
        case SQL_DECIMAL:
            cType = SQL_C_CHAR;
            break;
        case SQL_WVARCHAR:
        case SQL_WCHAR:
            cType = FWCharMapsChar ? SQL_C_CHAR : SQL_C_WCHAR;
            break;
        default:
            break;
        }
        Call("BindCol");
        if (!SQL_SUCCEEDED(FCLI->SQLBindCol(FHStmt, SQLUSMALLINT(c), cType, buffer + col.Offset,
                                            SQLLEN(col.Size),
                                            (SQLLEN*)(buffer + col.Offset + col.Size)))) {
            ReportDiagnostics(FHStmt);
            return false;
        }
    }
    if (FCaps.Bookmark && FUseBookmarks) {
        Call("BindCol(Bookmark)");
        if (!SQL_SUCCEEDED(FCLI->SQLBindCol(
                FHStmt, SQLUSMALLINT(0),
                SQLSMALLINT(FODBCVersion == ODBC35 ? SQL_C_VARBOOKMARK : SQL_C_BOOKMARK),
                buffer + FRowBufSize - qoBookmarkSize, SQLLEN(qoBookmarkSize), (SQLLEN*)nullptr))) {
            ReportDiagnostics(FHStmt);
            return false;
        }
    }
    FLastBoundBuffer = buffer;
    return true;
}

SQLRETURN TCustomQueryODBC::FetchStep() {
    FFetchedWithInfo = false;
    SQLRETURN rc;
    SQLSMALLINT orientation = FetchOrientation;
    if (!FFetchScroll) {
        orientation = SQL_FETCH_NEXT;
        Call("Fetch");
        rc = FCLI->SQLFetch(FHStmt);
        FRowsFetched = SQL_SUCCEEDED(rc) ? 1 : 0;
    } else if (FRowArraySize > 0 && !RowStatus) {
        FPendingError.SetText("QueryODBC: FetchRowStatus required.");
        return SQL_ERROR;
    } else if (ODBC3()) {
        if (FRowArraySize > 0) {
            Call("SetStmtAttr(RowStatusPtr)");
            FCLI->SQLSetStmtAttr(FHStmt, SQLINTEGER(SQL_ATTR_ROW_STATUS_PTR), RowStatus,
                                 SQLINTEGER(0));
        }
        SQLLEN offset = FetchOffset;
        if (orientation == SQL_FETCH_BOOKMARK) {
            Call("SetStmtAttr(BookmarkPtr)");
            FCLI->SQLSetStmtAttr(FHStmt, SQLINTEGER(SQL_ATTR_FETCH_BOOKMARK_PTR), &FetchOffset,
                                 SQLINTEGER(0));
            offset = 0;
        }
        Call("FetchScroll");
        rc = FCLI->SQLFetchScroll(FHStmt, orientation, offset);
    } else {
        Call("ExtendedFetch");
        rc = FCLI->SQLExtendedFetch(FHStmt, SQLUSMALLINT(orientation), FetchOffset, &FRowsFetched,
                                    RowStatus ? RowStatus : &FStatusWord);
    }
    if (rc == SQL_NO_DATA) {
        (orientation == SQL_FETCH_PRIOR ? FAtStart : FAtEnd) = true;
    } else {
        FAtStart = FAtEnd = false;
        FFetchedWithInfo = rc == SQL_SUCCESS_WITH_INFO;
    }
    return rc;
}

bool TCustomQueryODBC::FetchToRec(void* buffer) {
    bool result = false;
    if (!buffer)
        FPendingError.SetText("QueryODBC: Null pointer on FetchToRec.");
    else
        RunWithWaitCursor([&] {
            if (!FExecuted || FColumnCount == 0)
                return;
            ApplyRowArraySize();
            char* rows = static_cast<char*>(buffer);
            if (rows != FLastBoundBuffer && !BindColumns(rows))
                return;
            const SQLRETURN rc = FetchStep();
            if (SQL_SUCCEEDED(rc)) {
                result = true;
                if (OnFetchData)
                    OnFetchData(this, qoFetchToRec);
            } else if (rc == SQL_NO_DATA) {
                EndOfResult();
            } else {
                ReportDiagnostics(FHStmt);
            }
        });
    RaisePendingError();
    return result;
}

bool TCustomQueryODBC::FetchRow() {
    if (!FExecuted || FColumnCount == 0 || FGetDataBuf.isEmpty())
        return false;
    bool result = false;
    RunWithWaitCursor([&] {
        const SQLRETURN rc = FetchStep();
        if (rc == SQL_NO_DATA) {
            EndOfResult();
            return;
        }
        if (!SQL_SUCCEEDED(rc)) {
            ReportDiagnostics(FHStmt);
            return;
        }
        FRowValues.Clear();
        FRowValues.Add("QueryODBC Result Row");
        for (int c = 1; c <= FColumnCount; ++c) {
            SQLLEN length = 0;
            Call("GetData");
            if (FCLI->SQLGetData(FHStmt, SQLUSMALLINT(c), SQLSMALLINT(SQL_C_CHAR),
                                 FGetDataBuf.data(), SQLLEN(FGetDataBuf.size()),
                                 &length) == SQL_ERROR) {
                ReportDiagnostics(FHStmt);
                return;
            }
            FRowValues.Add(length == SQL_NULL_DATA ? FNullStrings : FetchedText(length));
        }
        if (OnFetchData)
            OnFetchData(this, qoFetchRow);
        NotifyRowListeners();
        result = true;
    });
    RaisePendingError();
    return result;
}

// The text in the GetData buffer; a value cut at the buffer's end loses its broken last
// character rather than showing half of it.
QString TCustomQueryODBC::FetchedText(SQLLEN length) const {
    const int bytes = int(qstrnlen(FGetDataBuf.constData(), uint(FFetchBufSize)));
    QString text = QString::fromUtf8(FGetDataBuf.constData(), bytes);
    if ((length == SQL_NO_TOTAL || length > bytes) && text.endsWith(QChar::ReplacementCharacter))
        text.chop(1);
    return text;
}

bool TCustomQueryODBC::GetData(int column, void* buffer, SQLLEN& length) {
    bool result = false;
    RunWithWaitCursor([&] {
        if (column > FColumnCount) {
            FPendingError.SetText("QueryODBC: Column number too big. Col=" +
                                  QString::number(column));
            return;
        }
        Call("GetData");
        const SQLRETURN rc = FCLI->SQLGetData(FHStmt, SQLUSMALLINT(column),
                                              SQLSMALLINT(SQL_C_DEFAULT), buffer, length, &length);
        if (!SQL_SUCCEEDED(rc)) {
            ReportDiagnostics(FHStmt);
            return;
        }
        if (OnFetchData)
            OnFetchData(this, qoGetData);
        result = rc == SQL_SUCCESS_WITH_INFO;
    });
    RaisePendingError();
    return result;
}

void TCustomQueryODBC::GetBookmark(void* buffer) {
    char bookmark[256] = {};
    SQLLEN length = 0;
    Call("GetData");
    const SQLRETURN rc = FCLI->SQLGetData(FHStmt, SQLUSMALLINT(0), SQLSMALLINT(SQL_C_VARBOOKMARK),
                                          bookmark, SQLLEN(sizeof(bookmark)), &length);
    if (!SQL_SUCCEEDED(rc))
        ReportDiagnostics(FHStmt);
    else if (length == BookmarkLength)
        memcpy(buffer, bookmark, size_t(length));
    else
        FPendingError.SetText("QueryODBC: Set BookmarkLength to " + QString::number(length));
    RaisePendingError();
}
