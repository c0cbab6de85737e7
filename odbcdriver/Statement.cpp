#include "Statement.h"

#include "Convert.h"
#include "Rowset.h"

#include <QVarLengthArray>

#include <sqlite3.h>

namespace DriverStatement {

namespace {

// The SQLSTATE of a storage failure: by SQLite's result code, else by its message.
const char* StateOf(const EDatabaseError& e) {
    const auto* sql = dynamic_cast<const ESqlError*>(&e);
    switch (sql ? sql->Code() : -1) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "HYT00";
    case SQLITE_CONSTRAINT:
        return "23000";
    case SQLITE_AUTH: // reaching past the connected files
        return "42000";
    case SQLITE_TOOBIG: // text longer than its field
        return "22001";
    case SQLITE_INTERRUPT: // past the query time-out, or cancelled
        return e.Message() == TimedOutMessage ? "HYT00" : "HY008";
    default:
        break;
    }
    static const struct {
        const char* Text;
        const char* State;
    } messages[] = {
        {"no such table", "42S02"},    {"no such column", "42S22"},
        {"syntax error", "42000"},     {"unrecognized token", "42000"},
        {"incomplete input", "42000"}, {"no such function", "42000"},
        {"already exists", "42S01"},   {"duplicate column name", "42S21"},
    };
    for (const auto& m : messages)
        if (e.Message().contains(QLatin1String(m.Text)))
            return m.State;
    return "HY000";
}

QList<OdbcColumn> Describe(SqlStatement& prepared) {
    QList<OdbcColumn> columns;
    for (int i = 0; i < prepared.ColumnCount(); ++i) {
        const ColumnInfo& info = prepared.Column(i);
        OdbcColumn c;
        c.Name = info.Name;
        c.Table = info.Table;
        c.BaseName = info.OriginName;
        c.Nullable = !info.NotNull;
        c.Updatable = !info.Table.isEmpty();
        DescribeKind(info.Kind, info.Size, c);
        columns.append(c);
    }
    return columns;
}

// An expression column whose kind the text does not tell takes the kind of its values.
void DescribeFromValues(OdbcResult& r, const QList<ColumnInfo>& infos) {
    using Kind = StoredValue::Kind;
    for (int c = 0; c < r.Columns.size(); ++c) {
        if (infos[c].Kind != ColumnKind::Unknown)
            continue;
        ColumnKind kind = ColumnKind::Unknown;
        for (int64_t row = 1; row <= r.RowCount(); ++row) {
            const Kind type = r.Value(row, c).Type;
            const ColumnKind k = type == Kind::Null   ? kind
                                 : type == Kind::Blob ? ColumnKind::Blob
                                 : type == Kind::Text ? ColumnKind::String
                                 : type == Kind::Real ? ColumnKind::Float
                                                      : ColumnKind::Integer;
            kind = (kind == ColumnKind::Unknown ||
                    (kind == ColumnKind::Integer && k == ColumnKind::Float))
                       ? k
                       : kind;
        }
        DescribeKind(kind == ColumnKind::String ? ColumnKind::Unknown : kind, 255, r.Columns[c]);
    }
}

// The address of element `row` of a bound array: row-wise, each set (or row) a structure of
// `bindType` bytes; column-wise (bindType 0), elements of `elementSize` bytes. The bind offset
// moves every address.
template <typename T>
T* Element(T* base, SQLULEN row, SQLULEN bindType, SQLLEN elementSize, const SQLULEN* offset) {
    if (!base)
        return nullptr;
    const SQLULEN step = bindType == 0 ? SQLULEN(elementSize) : bindType;
    return reinterpret_cast<T*>(reinterpret_cast<char*>(base) + (offset ? *offset : 0) +
                                row * step);
}

// A parameter's binding moved to the current parameter set.
ParameterBinding AtCurrentSet(const OdbcStatement* st, const ParameterBinding& b) {
    const SQLSMALLINT cType = b.CType == SQL_C_DEFAULT ? DefaultCType(b.SqlType) : b.CType;
    const SQLLEN fixed = FixedSize(cType);
    ParameterBinding at = b;
    at.Value = Element(static_cast<char*>(b.Value), st->ParamRow, st->ParamBindType,
                       fixed > 0 ? fixed : b.BufferLength, st->ParamBindOffset);
    at.Indicator =
        Element(b.Indicator, st->ParamRow, st->ParamBindType, sizeof(SQLLEN), st->ParamBindOffset);
    return at;
}

// Binds the current parameter set's values.
SQLRETURN BindSet(OdbcStatement* st) {
    SqlStatement& p = *st->Prepared;
    for (int i = 1; i <= p.ParamCount(); ++i)
        if (!st->Parameters.count(i))
            return st->Post("07002",
                            QString("COUNT field incorrect: parameter %1 is not bound").arg(i));
    for (const auto& [number, binding] : st->Parameters) {
        if (number > p.ParamCount())
            continue;
        QVariant value;
        QString message;
        const auto sent = st->PutData.find(number);
        if (sent == st->PutData.end()) {
            if (!ReadParameter(AtCurrentSet(st, binding), nullptr, value, message))
                return st->Post("22018", message);
        } else if (sent->second &&
                   !ReadParameter(AtCurrentSet(st, binding), &*sent->second, value, message)) {
            return st->Post("22018", message);
        }
        p.Bind(number, value);
    }
    return SQL_SUCCESS;
}

// While alive, the statement's execution (from its preparation, when the call prepares it)
// runs: it ends at the statement's query time-out, and SQLCancel from another thread
// interrupts it.
class Running {
public:
    explicit Running(OdbcStatement* st)
        : FSt(st), FLimit(*st->Dbc->Db, int(qMin<SQLULEN>(st->QueryTimeout, 86400) * 1000)) {
        const std::lock_guard lock(st->Dbc->RunningLock);
        st->Dbc->Running = st;
    }
    ~Running() {
        const std::lock_guard lock(FSt->Dbc->RunningLock);
        FSt->Dbc->Running = nullptr;
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    OdbcStatement* FSt;
    SqlRunLimit FLimit;
};

// Runs the prepared statement with the current parameter set.
SQLRETURN Run(OdbcStatement* st) {
    SqlStatement& p = *st->Prepared;
    const bool inTransaction = st->Dbc->Db->InTransaction();
    try {
        const SQLRETURN bound = BindSet(st);
        if (bound != SQL_SUCCESS)
            return bound;
        // The write lock is taken by the first change, so a reading client with autocommit off
        // keeps no other program from writing.
        SqlConnection& db = *st->Dbc->Db;
        if (!st->Dbc->AutoCommit && !db.InTransaction() && !p.IsReadOnly())
            db.StartTransaction();
        if (!p.IsQuery()) {
            st->RowCount += p.Execute();
            return SQL_SUCCESS;
        }
        p.Reset();
        // The columns are read once it runs: SQLite prepares it again for a table changed since.
        bool row = p.Step();
        auto result = std::make_unique<OdbcResult>(p.ColumnCount());
        for (; row; row = p.Step())
            result->AddRow(p);
        p.Reset();
        result->Columns = Describe(p);
        QList<ColumnInfo> infos;
        for (int c = 0; c < p.ColumnCount(); ++c)
            infos.append(p.Column(c));
        DescribeFromValues(*result, infos);
        st->RowCount = SQLLEN(result->RowCount());
        SetResult(st, std::move(result));
        return SQL_SUCCESS;
    } catch (const EDatabaseError& e) {
        p.Reset();
        Failed(st, e, p.StatementCount() > 1);
        // SQLite takes back the whole transaction of a change it stopped.
        if (inTransaction && !st->Dbc->Db->InTransaction())
            st->Post("HY000", "the transaction was rolled back");
        return SQL_ERROR;
    }
}

// A bound column as a block fetch fills it, its types and element size worked out once.
struct BoundColumn {
    int Column; // 0: the bookmark
    const ColumnBinding* Binding;
    SQLSMALLINT SqlType;
    SQLSMALLINT CType;
    SQLSMALLINT Common; // the C type WriteCommon writes
    SQLLEN Element;     // the bytes of one element of a column-wise bound array
};
using BoundColumns = QVarLengthArray<BoundColumn, 32>;

BoundColumns Bound(const OdbcStatement* st) {
    const OdbcResult& r = *st->Result;
    BoundColumns bound;
    for (const auto& [column, b] : st->Bindings) {
        if (column > r.Columns.size() || (!b.Target && !b.Indicator))
            continue;
        const SQLLEN size = FixedSize(b.CType == SQL_C_DEFAULT ? SQL_C_CHAR : b.CType);
        const SQLSMALLINT cType = column == 0 && b.CType == SQL_C_DEFAULT ? SQL_C_BINARY : b.CType;
        const SQLSMALLINT sqlType =
            column == 0 ? SQLSMALLINT(SQL_INTEGER) : r.Columns[column - 1].SqlType;
        bound.append({column, &b, sqlType, cType,
                      cType == SQL_C_DEFAULT ? DefaultCType(sqlType) : cType,
                      size > 0 && b.CType != SQL_C_DEFAULT ? size : b.BufferLength});
    }
    return bound;
}

// Fills the bound columns of row `i` of the rowset; the row's status.
SQLUSMALLINT FillRow(OdbcStatement* st, const BoundColumns& bound, SQLULEN i, int64_t row,
                     bool& info) {
    const OdbcResult& r = *st->Result;
    SQLUSMALLINT status = SQL_ROW_SUCCESS;
    for (const BoundColumn& c : bound) {
        const ColumnBinding& b = *c.Binding;
        void* target =
            Element(static_cast<char*>(b.Target), i, st->BindType, c.Element, st->BindOffset);
        SQLLEN* indicator = Element(b.Indicator, i, st->BindType, sizeof(SQLLEN), st->BindOffset);
        const StoredValue value =
            c.Column == 0 ? StoredValue::Whole(row) : r.Value(row, c.Column - 1);
        if (WriteCommon(value, c.SqlType, c.Common, target, b.BufferLength, indicator))
            continue;
        const Conversion done =
            WriteValue(value, c.SqlType, c.CType, target, b.BufferLength, indicator);
        if (done.Result == SQL_SUCCESS)
            continue;
        info = true;
        status = done.Result == SQL_ERROR ? SQL_ROW_ERROR : SQL_ROW_SUCCESS_WITH_INFO;
        st->Post(done.State, done.Message);
    }
    return status;
}

} // namespace

SQLRETURN Failed(OdbcHandle* h, const EDatabaseError& e, bool severalStatements) {
    h->Post(StateOf(e), e.Message());
    if (severalStatements)
        h->Post("HY000", "none of the text's statements was applied");
    return SQL_ERROR;
}

SQLRETURN Prepare(OdbcStatement* st, const QString& sql) {
    CloseCursor(st);
    st->Prepared.reset();
    st->PutData.clear();
    try {
        st->Prepared = st->Dbc->Db->Prepare(sql, SqlTextForm::OneStatement);
    } catch (const EDatabaseError& e) {
        return Failed(st, e);
    }
    return SQL_SUCCESS;
}

namespace {

// Marks the parameter sets from `from` on (the sets an error left unrun).
void MarkUnused(OdbcStatement* st, SQLULEN from) {
    for (SQLULEN row = from; st->ParamStatus && row < st->ParamsetSize; ++row)
        st->ParamStatus[row] = SQL_PARAM_UNUSED;
}

// Runs the parameter sets from the current one on; stops for data at execution, and at the
// first set that fails.
SQLRETURN RunSets(OdbcStatement* st) {
    bool info = false;
    for (; st->ParamRow < st->ParamsetSize; ++st->ParamRow) {
        const SQLULEN row = st->ParamRow;
        if (st->ParamOperation && st->ParamOperation[row] == SQL_PARAM_IGNORE) {
            if (st->ParamStatus)
                st->ParamStatus[row] = SQL_PARAM_UNUSED;
            continue;
        }
        if (!st->DataAsked) {
            st->DataAsked = true;
            for (const auto& [number, binding] : st->Parameters)
                if (number <= st->Prepared->ParamCount() &&
                    IsDataAtExecution(AtCurrentSet(st, binding).Indicator))
                    st->PendingData.push_back(number);
            if (!st->PendingData.empty()) {
                st->AwaitingData = true;
                return SQL_NEED_DATA;
            }
        }
        const SQLRETURN rc = Run(st);
        st->DataAsked = false;
        st->PutData.clear();
        if (st->ParamsProcessed)
            *st->ParamsProcessed = row + 1;
        if (st->ParamStatus)
            st->ParamStatus[row] = rc == SQL_SUCCESS             ? SQL_PARAM_SUCCESS
                                   : rc == SQL_SUCCESS_WITH_INFO ? SQL_PARAM_SUCCESS_WITH_INFO
                                                                 : SQL_PARAM_ERROR;
        if (!SQL_SUCCEEDED(rc)) {
            MarkUnused(st, row + 1);
            st->AwaitingData = false;
            return rc;
        }
        info = info || rc == SQL_SUCCESS_WITH_INFO;
    }
    st->AwaitingData = false;
    return info ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

void EndDataAtExecution(OdbcStatement* st) {
    st->AwaitingData = st->DataAsked = false;
    st->PendingData.clear();
    st->CurrentData = 0;
    st->PutData.clear();
}

// Runs the prepared statement from its first parameter set.
SQLRETURN Start(OdbcStatement* st) {
    if (!st->Prepared)
        return st->Post("HY010", "Function sequence error: no prepared statement");
    CloseCursor(st);
    st->RowCount = 0;
    st->ParamRow = 0;
    EndDataAtExecution(st);
    if (st->ParamsProcessed)
        *st->ParamsProcessed = 0;
    MarkUnused(st, 0);
    try {
        if (st->ParamsetSize > 1 && st->Prepared->IsQuery())
            return st->Post(
                "HYC00", "Optional feature not implemented: a query with an array of parameters");
    } catch (const EDatabaseError& e) {
        return Failed(st, e);
    }
    return RunSets(st);
}

} // namespace

SQLRETURN Execute(OdbcStatement* st) {
    const Running running(st);
    return Start(st);
}

SQLRETURN ExecDirect(OdbcStatement* st, const QString& sql) {
    const Running running(st);
    const SQLRETURN rc = Prepare(st, sql);
    return SQL_SUCCEEDED(rc) ? Start(st) : rc;
}

SQLRETURN ParamData(OdbcStatement* st, SQLPOINTER* token) {
    if (!st->AwaitingData)
        return st->Post("HY010", "Function sequence error");
    if (st->PendingData.empty()) {
        // The set's data is complete: run it and the sets after it up to the next that waits.
        st->CurrentData = 0;
        const Running running(st);
        const SQLRETURN rc = RunSets(st);
        if (rc != SQL_NEED_DATA)
            return rc;
    }
    st->CurrentData = st->PendingData.front();
    st->PendingData.erase(st->PendingData.begin());
    st->PutData[st->CurrentData] = QByteArray();
    if (token)
        *token = AtCurrentSet(st, st->Parameters[st->CurrentData]).Value;
    return SQL_NEED_DATA;
}

SQLRETURN PutData(OdbcStatement* st, SQLPOINTER data, SQLLEN length) {
    if (st->CurrentData == 0)
        return st->Post("HY010", "Function sequence error");
    std::optional<QByteArray>& sent = st->PutData[st->CurrentData];
    if (length == SQL_NULL_DATA) {
        sent.reset();
        return SQL_SUCCESS;
    }
    if (!sent)
        return st->Post("HY020", "Attempt to concatenate a null value");
    const ParameterBinding& p = st->Parameters[st->CurrentData];
    const char* bytes = static_cast<const char*>(data);
    if (length == SQL_NTS)
        length = SQLLEN(strlen(bytes));
    const SQLSMALLINT cType = p.CType == SQL_C_DEFAULT ? DefaultCType(p.SqlType) : p.CType;
    const SQLLEN fixed = FixedSize(cType);
    sent->append(bytes, qsizetype(fixed > 0 ? fixed : length));
    return SQL_SUCCESS;
}

void SetResult(OdbcStatement* st, std::unique_ptr<OdbcResult> result) {
    st->Result = std::move(result);
    st->RowsetStart = 0;
    st->RowsetRows = 0;
    st->PieceColumn = -1;
}

SQLRETURN Cancel(OdbcStatement* st) {
    {
        const std::lock_guard lock(st->Dbc->RunningLock);
        if (st->Dbc->Running == st) {
            st->Dbc->Db->Interrupt();
            return SQL_SUCCESS;
        }
    }
    // Another thread's call on the connection is never waited for: nothing of this statement
    // runs then, and no call after it finds the statement waiting for data.
    const std::unique_lock held(st->Dbc->Lock, std::try_to_lock);
    if (!held.owns_lock()) {
        st->CancelPending = true;
        return SQL_SUCCESS;
    }
    st->CancelPending = false;
    EndDataAtExecution(st);
    return SQL_SUCCESS;
}

void TakeCancel(OdbcStatement* st) {
    if (st->CancelPending.exchange(false))
        EndDataAtExecution(st);
}

void CloseCursor(OdbcStatement* st) {
    st->Result.reset();
    st->RowsetStart = 0;
    st->RowsetRows = 0;
    st->PieceColumn = -1;
}

const QList<OdbcColumn>* Columns(OdbcStatement* st) {
    if (st->Result)
        return &st->Result->Columns;
    static thread_local QList<OdbcColumn> prepared;
    if (!st->Prepared)
        return nullptr;
    try {
        st->Prepared->Refresh();
        prepared = st->Prepared->IsQuery() ? Describe(*st->Prepared) : QList<OdbcColumn>();
    } catch (const EDatabaseError&) {
        prepared.clear();
    }
    return &prepared;
}

SQLRETURN Fetch(OdbcStatement* st, SQLSMALLINT orientation, SQLLEN offset, SQLULEN rowsetSize,
                SQLULEN* rowsFetched, SQLUSMALLINT* rowStatus) {
    if (!st->Result)
        return st->Post("24000", "Invalid cursor state: no result is open");
    if (orientation != SQL_FETCH_NEXT && st->CursorType == SQL_CURSOR_FORWARD_ONLY)
        return st->Post("HY106", "Fetch type out of range for a forward-only cursor");
    if (orientation == SQL_FETCH_BOOKMARK && st->UseBookmarks == SQL_UB_OFF)
        return st->Post("HY106", "Fetch type out of range: bookmarks are off");
    const int64_t rows = st->Result->RowCount();
    const int64_t size = int64_t(qMax<SQLULEN>(rowsetSize, 1));
    const RowsetMove move = MoveRowset(st->RowsetStart, rows, size, orientation, offset);
    st->RowsetStart = move.Start;
    st->PieceColumn = -1;
    st->RowsetRows = move.HasRows ? qMin(size, rows - move.Start + 1) : 0;
    if (rowsFetched)
        *rowsFetched = SQLULEN(st->RowsetRows);
    bool info = false;
    int64_t errors = 0;
    const BoundColumns bound = Bound(st);
    for (int64_t i = 0; i < size; ++i) {
        const SQLUSMALLINT status = i < st->RowsetRows
                                        ? FillRow(st, bound, SQLULEN(i), move.Start + i, info)
                                        : SQLUSMALLINT(SQL_ROW_NOROW);
        errors += status == SQL_ROW_ERROR;
        if (rowStatus)
            rowStatus[i] = status;
    }
    if (!move.HasRows)
        return SQL_NO_DATA;
    if (errors == st->RowsetRows)
        return SQL_ERROR;
    if (move.BeforeFirst) {
        st->Post("01S06", "Attempt to fetch before the result set returned the first rowset");
        info = true;
    }
    return info ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN GetData(OdbcStatement* st, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER target,
                  SQLLEN bufferLength, SQLLEN* indicator) {
    if (!st->Result || st->RowsetRows == 0)
        return st->Post("24000", "Invalid cursor state: no current row");
    const OdbcResult& r = *st->Result;
    if (column > r.Columns.size() || (column == 0 && st->UseBookmarks == SQL_UB_OFF))
        return st->Post("07009", QString("Invalid descriptor index %1").arg(column));
    if (st->PieceColumn != column) {
        st->PieceColumn = column;
        st->PieceOffset = 0;
    }
    const int64_t row = st->RowsetStart;
    const StoredValue value = column == 0 ? StoredValue::Whole(row) : r.Value(row, column - 1);
    const SQLSMALLINT sqlType = column == 0 ? SQL_INTEGER : r.Columns[column - 1].SqlType;
    if (column == 0 && cType == SQL_C_DEFAULT)
        cType = SQL_C_BINARY;
    // A fixed-size value is read once; text and binary values in pieces.
    const bool fixed = FixedSize(cType == SQL_C_DEFAULT ? DefaultCType(sqlType) : cType) > 0;
    if (fixed && st->PieceOffset > 0)
        return SQL_NO_DATA;
    const Conversion c =
        WriteValue(value, sqlType, cType, target, bufferLength, indicator, &st->PieceOffset);
    if (fixed && c.Result != SQL_ERROR)
        st->PieceOffset = 1;
    if (c.State)
        return st->Post(c.State, c.Message);
    return c.Result;
}

} // namespace DriverStatement
