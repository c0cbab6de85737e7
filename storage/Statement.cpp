#include "Statement.h"

#include "Connection.h"
#include "SqlError.h"
#include "base/DateTime.h"

#include <algorithm>
#include <cstring>
#include <sqlite3.h>
#include <utility>

namespace {

// The kind of a value of SQLite's storage class `type`; Unknown for Null.
ColumnKind KindOfValue(int type) {
    switch (type) {
    case SQLITE_INTEGER:
        return ColumnKind::Integer;
    case SQLITE_FLOAT:
        return ColumnKind::Float;
    case SQLITE_TEXT:
        return ColumnKind::String;
    case SQLITE_BLOB:
        return ColumnKind::Blob;
    default:
        return ColumnKind::Unknown;
    }
}

} // namespace

SqlStatement::SqlStatement(SqlConnection* connection, const QString& sql, SqlTextForm form)
    : FConnection(connection), FDb(connection->Handle()), FSql(sql) {
    const SqlReading reading = SqlDialect::Read(sql, form);
    FParamNames = reading.Parameters;
    MakeParts(reading, form == SqlTextForm::OneStatement);
    FValues.resize(FParamNames.size());
    if (FParts.isEmpty())
        throw ESqlError("the SQL text holds no statement", SQLITE_ERROR, sql);
    // One statement is prepared now, so its errors and columns show at once; the parts of a
    // longer text wait for their turn, as they may need what the ones before them make.
    if (FParts.size() == 1)
        PreparePart(0);
}

SqlStatement::~SqlStatement() {
    for (Part& p : FParts) {
        if (p.Source.Kind != DialectStatement::Other || !p.Handle) {
            sqlite3_finalize(p.Handle);
            continue;
        }
        // A query's columns go with it while SQLite has not prepared it again since.
        const bool described =
            FColumnsLoaded && FParts.size() == 1 &&
            sqlite3_stmt_status(p.Handle, SQLITE_STMTSTATUS_REPREPARE, 0) == FColumnsPrepared;
        p.Columns = described ? FColumns : QList<ColumnInfo>();
        FConnection->Keep(p);
        p.Handle = nullptr;
    }
    FLeases.clear();
    for (Part& p : FParts)
        if (p.Undo && !p.Done)
            p.Undo();
}

void SqlStatement::MakeParts(const SqlReading& reading, bool client) {
    FParts.clear();
    const Translations::Translation* made = FConnection->TranslationOf(reading.Key);
    for (const DialectStatement& st : made ? QList{made->Source} : SqlDialect::Translate(reading)) {
        Part p;
        p.Source = st;
        p.LiteralBase = int(FParamNames.size()) + 1;
        p.Client = client;
        p.Key = reading.Key;
        if (made) {
            p.Literals = reading.Literals.value(0);
            p.Text = made->Text;
            p.Stamp = made->Stamp;
        } else {
            p.Literals = st.Literals;
            p.ChangesSchema =
                st.Kind != DialectStatement::Other || st.IsVerb({"CREATE", "DROP", "ALTER"});
            p.IsRollback = st.IsVerb({"ROLLBACK"});
        }
        FParts.append(p);
    }
}

void SqlStatement::PreparePart(int index) {
    if (const Part& prepared = std::as_const(FParts)[index]; prepared.Handle || prepared.Action)
        return;
    if (!FConnection->PreparePart(FParts[index], FLeases)) {
        // Its tables attached anew, the statement is translated anew under their columns.
        const bool client = FParts[index].Client;
        MakeParts(
            SqlDialect::Read(FSql, client ? SqlTextForm::OneStatement : SqlTextForm::Statements),
            client);
        FConnection->PreparePart(FParts[index], FLeases);
    }
    Part& p = FParts[index];
    FCaughtUp = p.LooksFirst;
    if (!p.Handle)
        return;
    const int count = sqlite3_bind_parameter_count(p.Handle);
    for (int i = 1; i <= count && i <= FValues.size(); ++i)
        BindValue(p.Handle, i, FValues[i - 1]);
    for (int i = 0; i < p.Literals.size(); ++i)
        BindValue(p.Handle, p.LiteralBase + i, p.Literals[i]);
}

bool SqlStatement::IsReadOnly() const {
    // A part not prepared yet waits for what an earlier one makes: a change.
    return std::all_of(FParts.cbegin(), FParts.cend(),
                       [](const Part& p) { return p.Handle && sqlite3_stmt_readonly(p.Handle); });
}

int SqlStatement::ParamIndex(const QString& name) const {
    for (int i = 0; i < FParamNames.size(); ++i)
        if (FParamNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return i + 1;
    return 0;
}

void SqlStatement::BindValue(sqlite3_stmt* handle, int index, const QVariant& value) {
    if (index > sqlite3_bind_parameter_count(handle))
        return;
    int rc;
    switch (value.isNull() ? QMetaType::UnknownType : value.typeId()) {
    case QMetaType::UnknownType:
        rc = sqlite3_bind_null(handle, index);
        break;
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        rc = sqlite3_bind_int64(handle, index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        rc = sqlite3_bind_double(handle, index, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        rc = sqlite3_bind_blob64(handle, index, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
        break;
    }
    case QMetaType::QDate:
        rc = sqlite3_bind_double(handle, index, FromQDate(value.toDate()));
        break;
    case QMetaType::QDateTime:
        rc = sqlite3_bind_double(handle, index, FromQDateTime(value.toDateTime()));
        break;
    case QMetaType::QTime:
        rc =
            sqlite3_bind_double(handle, index, value.toTime().msecsSinceStartOfDay() / MSecsPerDay);
        break;
    default: {
        const QByteArray text = value.toString().toUtf8();
        rc = sqlite3_bind_text64(handle, index, text.constData(), text.size(), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
        break;
    }
    }
    if (rc != SQLITE_OK)
        RaiseSqlError(FDb, rc, FSql);
}

void SqlStatement::Bind(int index, const QVariant& value) {
    if (index < 1 || index > FValues.size())
        throw ESqlError(QString("parameter %1 out of range").arg(index), SQLITE_RANGE, FSql);
    FValues[index - 1] = value;
    for (Part& p : FParts) {
        if (!p.Handle)
            continue;
        sqlite3_reset(p.Handle);
        BindValue(p.Handle, index, value);
    }
    FCurrent = 0;
}

void SqlStatement::Bind(const QString& name, const QVariant& value) {
    const int index = ParamIndex(name);
    if (index == 0)
        throw ESqlError("no such parameter: " + name, SQLITE_RANGE, FSql);
    Bind(index, value);
}

void SqlStatement::ClearBindings() {
    for (int i = 1; i <= FValues.size(); ++i)
        Bind(i, QVariant());
}

void SqlStatement::Fail(int rc, int index) {
    const Part& p = FParts[index];
    QString message = QString::fromUtf8(sqlite3_errmsg(FDb));
    if (FConnection->FInterrupted || FConnection->FTimedOut) {
        message = FConnection->StopMessage();
        rc = SQLITE_INTERRUPT;
    } else if (p.Client && !FConnection->FRefused.isEmpty()) {
        message = FConnection->RefusalOf(p.Source);
        rc = SQLITE_AUTH;
    } else if (rc == SQLITE_CONSTRAINT && message.startsWith(TextTooLongMessage)) {
        rc = SQLITE_TOOBIG;
    }
    if (p.Handle)
        sqlite3_reset(p.Handle);
    throw ESqlError(message, rc, FSql);
}

// Runs a part until it gives a row or ends; true on a row.
bool SqlStatement::StepPart(int index) {
    PreparePart(index);
    Part& p = FParts[index];
    if (p.Action) {
        if (!p.Done)
            p.Action();
        p.Done = true;
        return false;
    }
    if (FConnection->MustStop())
        Fail(SQLITE_INTERRUPT, index);
    // SQLite prepares a statement again only as its run begins; a running one holds its read.
    const bool starting = !sqlite3_stmt_busy(p.Handle);
    if (starting)
        FConnection->GuardTextSizes(p.Writes);
    const int prepared =
        starting ? sqlite3_stmt_status(p.Handle, SQLITE_STMTSTATUS_REPREPARE, 0) : 0;
    int rc;
    {
        SqlConnection::ClientScope scope(*FConnection, p.Client);
        rc = sqlite3_step(p.Handle);
    }
    // Prepared again, the statement met a schema changed since: so may the translations, and
    // its columns.
    if (starting && sqlite3_stmt_status(p.Handle, SQLITE_STMTSTATUS_REPREPARE, 0) != prepared) {
        FConnection->SchemasChanged();
        p.Columns.clear();
        ForgetColumns();
    }
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        Fail(rc, index);
    p.Done = true;
    if (p.ChangesSchema)
        FConnection->SchemasChanged();
    if (p.IsRollback)
        FConnection->ForgetTextGuards();
    if (!sqlite3_stmt_readonly(p.Handle)) {
        FRowsAffected = sqlite3_changes64(FDb);
        FConnection->GiveWay();
    }
    return false;
}

qint64 SqlStatement::Execute() {
    Reset();
    RenewForRun();
    FRowsAffected = 0;
    const bool several = FParts.size() > 1;
    if (several)
        FConnection->Run("SAVEPOINT zz_statement");
    try {
        for (int i = 0; i < FParts.size(); ++i) {
            while (StepPart(i)) {
            }
            if (FParts[i].Handle)
                sqlite3_reset(FParts[i].Handle);
        }
    } catch (...) {
        if (several)
            FConnection->Run("ROLLBACK TO zz_statement; RELEASE zz_statement");
        throw;
    }
    if (several)
        FConnection->Run("RELEASE zz_statement");
    FCurrent = 0;
    return FRowsAffected;
}

bool SqlStatement::Step() {
    if (FCurrent == 0)
        RenewForRun();
    while (FCurrent < FParts.size() - 1) {
        while (StepPart(FCurrent)) {
        }
        ++FCurrent;
    }
    return StepPart(FCurrent);
}

void SqlStatement::Reset() {
    for (Part& p : FParts)
        if (p.Handle)
            sqlite3_reset(p.Handle);
    FCurrent = 0;
}

void SqlStatement::ForgetColumns() {
    FColumnsLoaded = false;
    FColumns.clear();
}

void SqlStatement::Refresh() {
    Renew(!FCaughtUp);
}

void SqlStatement::RenewForRun() {
    const bool fresh = std::exchange(FCaughtUp, false);
    if (FParts.size() != 1)
        return;
    // Step comes here for every row: a run going on is left as it is (Renew), asking nothing more.
    const Part& p = FParts.first();
    if (p.Handle && sqlite3_stmt_busy(p.Handle))
        return;
    // Within the write transaction that held its files when it looked, nobody else changed them.
    const bool held = p.HeldIn == FConnection->FTransactions && FConnection->InTransaction();
    Renew(!fresh && p.LooksFirst && !held);
}

void SqlStatement::Renew(bool look) {
    if (FParts.size() != 1)
        return;
    Part& p = FParts.first();
    if (!p.Handle || p.Source.Kind != DialectStatement::Other || sqlite3_stmt_busy(p.Handle))
        return;
    if (look) {
        bool held = false;
        FConnection->CatchUp(p.Schemas, &held);
        p.HeldIn = held ? FConnection->FTransactions : ~0ULL;
    }
    // Another statement of the connection may have caught up with a change first.
    if (p.Stamp == FConnection->SchemaStamp())
        return;
    const bool client = p.Client;
    sqlite3_finalize(p.Handle);
    FLeases.clear(); // its one part takes its tables again
    ForgetColumns();
    MakeParts(SqlDialect::Read(FSql, client ? SqlTextForm::OneStatement : SqlTextForm::Statements),
              client);
    PreparePart(0);
}

bool SqlStatement::IsQuery() {
    return ColumnCount() > 0;
}

int SqlStatement::ColumnCount() {
    LoadColumns();
    return FColumns.size();
}

void SqlStatement::LoadColumns() {
    sqlite3_stmt* h = FParts.last().Handle;
    if (FColumnsLoaded || !h)
        return;
    FColumnsLoaded = true;
    FColumnsPrepared = sqlite3_stmt_status(h, SQLITE_STMTSTATUS_REPREPARE, 0);
    if (FParts.size() == 1 && !FParts.last().Columns.isEmpty()) {
        FColumns = FParts.last().Columns;
        return;
    }
    const int count = sqlite3_column_count(h);
    FColumns.reserve(count);
    // A text met before (the table of the columns before, a name the same as its origin) is
    // shared, not made again: the columns are described for every query run.
    auto text = [](const char* utf8, const char* before, const QString& made) {
        return utf8 && before && std::strcmp(utf8, before) == 0 ? made : QString::fromUtf8(utf8);
    };
    for (int i = 0; i < count; ++i) {
        ColumnInfo c;
        const char* name = sqlite3_column_name(h, i);
        const char* table = sqlite3_column_table_name(h, i);
        c.Name = QString::fromUtf8(name);
        c.DeclaredType = QString::fromUtf8(sqlite3_column_decltype(h, i));
        c.Table = text(table, i > 0 ? sqlite3_column_table_name(h, i - 1) : nullptr,
                       i > 0 ? FColumns[i - 1].Table : QString());
        c.OriginName = text(sqlite3_column_origin_name(h, i), name, c.Name);
        int notNull = 0, primaryKey = 0, autoInc = 0;
        if (!c.Table.isEmpty())
            sqlite3_table_column_metadata(FDb, sqlite3_column_database_name(h, i),
                                          sqlite3_column_table_name(h, i),
                                          sqlite3_column_origin_name(h, i), nullptr, nullptr,
                                          &notNull, &primaryKey, &autoInc);
        c.Kind = KindOfDeclaredType(c.DeclaredType, autoInc != 0);
        c.Size = c.Kind == ColumnKind::String ? SizeOfDeclaredType(c.DeclaredType) : 0;
        c.NotNull = notNull != 0;
        c.PrimaryKey = primaryKey != 0;
        FColumns.append(c);
    }
    KindsOfExpressions();
}

void SqlStatement::KindsOfExpressions() {
    const DialectStatement& source = FParts.last().Source;
    auto kindOf = [&](const QString& table, const QString& column) {
        return FConnection->KindIn(source.Names, table, column);
    };
    if (std::none_of(FColumns.cbegin(), FColumns.cend(),
                     [](const ColumnInfo& c) { return c.Kind == ColumnKind::Unknown; }))
        return;
    const QList<ColumnKind> kinds = SqlDialect::SelectListKinds(source, kindOf);
    if (kinds.size() != FColumns.size())
        return;
    for (int i = 0; i < kinds.size(); ++i)
        if (FColumns[i].Kind == ColumnKind::Unknown)
            FColumns[i].Kind = kinds[i];
}

const ColumnInfo& SqlStatement::Column(int index) {
    LoadColumns();
    return FColumns.at(index);
}

QVariant SqlStatement::Value(int index) const {
    const StepValue v = ValueAt(index);
    switch (v.Kind) {
    case ColumnKind::Integer:
        return QVariant(qlonglong(v.Integer));
    case ColumnKind::Float:
        return QVariant(v.Real);
    case ColumnKind::String:
        return QVariant(QString::fromUtf8(v.Bytes));
    case ColumnKind::Blob:
        return QVariant(v.Bytes.toByteArray());
    default:
        return QVariant();
    }
}

qint64 SqlStatement::IntegerValue(int index) const {
    return sqlite3_column_int64(FParts[FCurrent].Handle, index);
}

double SqlStatement::FloatValue(int index) const {
    return sqlite3_column_double(FParts[FCurrent].Handle, index);
}

QByteArrayView SqlStatement::BytesValue(int index) const {
    sqlite3_stmt* h = FParts[FCurrent].Handle;
    const void* data = sqlite3_column_type(h, index) == SQLITE_TEXT
                           ? static_cast<const void*>(sqlite3_column_text(h, index))
                           : sqlite3_column_blob(h, index);
    return QByteArrayView(static_cast<const char*>(data), sqlite3_column_bytes(h, index));
}

bool SqlStatement::IsNull(int index) const {
    return sqlite3_column_type(FParts[FCurrent].Handle, index) == SQLITE_NULL;
}

StepValue SqlStatement::ValueAt(int index) const {
    // Without a lock on the connection, the value SQLite hands out reads as any other.
    sqlite3_value* v = sqlite3_column_value(FParts[FCurrent].Handle, index);
    StepValue value;
    value.Kind = KindOfValue(sqlite3_value_type(v));
    switch (value.Kind) {
    case ColumnKind::Integer:
        value.Integer = sqlite3_value_int64(v);
        break;
    case ColumnKind::Float:
        value.Real = sqlite3_value_double(v);
        break;
    case ColumnKind::String:
        value.Bytes = QByteArrayView(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                                     sqlite3_value_bytes(v));
        break;
    case ColumnKind::Blob:
        value.Bytes =
            QByteArrayView(static_cast<const char*>(sqlite3_value_blob(v)), sqlite3_value_bytes(v));
        break;
    default:
        break;
    }
    return value;
}

ColumnKind SqlStatement::ValueKind(int index) const {
    return KindOfValue(sqlite3_column_type(FParts[FCurrent].Handle, index));
}

qint64 SqlStatement::LastInsertRowId() const {
    return sqlite3_last_insert_rowid(FDb);
}
