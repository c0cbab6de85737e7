#include "Connection.h"

#include "JetFunctions.h"
#include "SqlError.h"
#include "base/Files.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <sqlite3.h>
#include <thread>

namespace {

// A connection is used from one thread at a time, so SQLite's own lock on each of its calls
// (a lock and an unlock for every value read) is left out.
sqlite3* Open(const QString& name, int flags) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(name).constData(), &db,
                                   flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw ESqlError(message + ": " + name, rc);
    }
    sqlite3_extended_result_codes(db, 0);
    return db;
}

// A table name as the programs may give it: "entranceState" or "entranceState.DB".
QString TableName(const QString& name) {
    return name.endsWith(".DB", Qt::CaseInsensitive) ? name.left(name.size() - 3) : name;
}

QString Quoted(const QString& text) {
    QString t = text;
    return "\"" + t.replace("\"", "\"\"") + "\"";
}

} // namespace

SqlConnection::SqlConnection(sqlite3* db, const QString& path, bool folder) : FDb(db), FPath(path) {
    if (folder)
        FFolder = std::make_unique<TableFolder>(db, path);
    RegisterJetFunctions(db);
    SetBusyTimeout(DefaultBusyTimeout);
}

SqlConnection::~SqlConnection() {
    for (sqlite3_stmt* handle : FKept)
        sqlite3_finalize(handle);
    FFolder.reset();
    sqlite3_close_v2(FDb);
}

std::unique_ptr<SqlConnection> SqlConnection::OpenDatabase(const QString& fileName, bool create) {
    const QString path = ResolveFileNoCase(fileName);
    if (!create && !QFile::exists(path))
        throw ESqlError("unable to open database file: " + fileName, SQLITE_CANTOPEN);
    sqlite3* db = Open(path, SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0));
    std::unique_ptr<SqlConnection> c(new SqlConnection(db, path, false));
    c->Run("PRAGMA journal_mode=DELETE");
    return c;
}

std::unique_ptr<SqlConnection> SqlConnection::OpenFolder(const QString& folder) {
    QString path = folder;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    if (!QDir(path).exists())
        throw ESqlError("no such folder: " + folder, SQLITE_CANTOPEN);
    sqlite3* db = Open(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    return std::unique_ptr<SqlConnection>(new SqlConnection(db, path, true));
}

void SqlConnection::SetBusyTimeout(int msecs) {
    FBusyTimeout = std::chrono::milliseconds(msecs);
    sqlite3_busy_handler(FDb, msecs > 0 ? &SqlConnection::BusyWait : nullptr, this);
}

int SqlConnection::BusyWait(void* connection, int count) {
    auto* c = static_cast<SqlConnection*>(connection);
    const auto now = std::chrono::steady_clock::now();
    if (count == 0)
        c->FBusySince = now;
    if (now - c->FBusySince >= c->FBusyTimeout)
        return 0;
    c->FContended = true;
    std::this_thread::sleep_for(BusyRetryStep);
    return 1;
}

void SqlConnection::GiveWay() {
    if (!FContended || InTransaction())
        return;
    FContended = false;
    std::this_thread::sleep_for(GiveWayTime);
}

void SqlConnection::Run(const QString& sql) {
    RunSql(FDb, sql);
}

std::unique_ptr<SqlStatement> SqlConnection::Prepare(const QString& sql, SqlTextForm form) {
    return std::unique_ptr<SqlStatement>(new SqlStatement(this, sql, form));
}

qint64 SqlConnection::Execute(const QString& sql) {
    return Prepare(sql)->Execute();
}

void SqlConnection::StartTransaction() {
    Run("BEGIN IMMEDIATE");
}
void SqlConnection::Commit() {
    Run("COMMIT");
    GiveWay();
}
void SqlConnection::Rollback() {
    Run("ROLLBACK");
}
bool SqlConnection::InTransaction() const {
    return !sqlite3_get_autocommit(FDb);
}

ColumnKind SqlConnection::KindOf(const QString& table, const QString& column) const {
    const char* declared = nullptr;
    int autoInc = 0;
    if (sqlite3_table_column_metadata(FDb, nullptr, table.toUtf8().constData(),
                                      column.toUtf8().constData(), &declared, nullptr, nullptr,
                                      nullptr, &autoInc) != SQLITE_OK)
        return ColumnKind::Unknown;
    return KindOfDeclaredType(QString::fromUtf8(declared), autoInc != 0);
}

ColumnKind SqlConnection::KindIn(const QStringList& tables, const QString& table,
                                 const QString& column) const {
    if (!table.isEmpty())
        return KindOf(table, column);
    for (const QString& name : tables) {
        const ColumnKind kind = KindOf(name, column);
        if (kind != ColumnKind::Unknown)
            return kind;
    }
    return ColumnKind::Unknown;
}

QString SqlConnection::SchemaPrefix(const QString& table) const {
    const QString schema = FFolder ? FFolder->SchemaOf(table) : QString();
    return schema.isEmpty() ? QString() : "[" + schema + "].";
}

void SqlConnection::PreparePart(SqlStatement::Part& part, std::vector<TableLease>& leases) {
    DialectStatement& st = part.Source;
    QString schema;
    if (FFolder) {
        const QString table = st.Table;
        if (st.Kind != DialectStatement::DropTable)
            leases.push_back(FFolder->Use(st.Names));
        switch (st.Kind) {
        case DialectStatement::DropTable:
            part.Action = [this, table, ifExists = st.IfExists] {
                if (!ifExists || !FFolder->FileOf(table).isEmpty())
                    FFolder->Remove(table);
            };
            return;
        case DialectStatement::CreateTable:
            if (!st.Tokens.isEmpty() && FFolder->FileOf(table).isEmpty()) {
                leases.push_back(FFolder->Create(table));
                part.Undo = [this, table] { FFolder->Discard(table); };
            }
            schema = FFolder->SchemaOf(table);
            break;
        case DialectStatement::CreateIndex:
            schema = FFolder->SchemaOf(table);
            break;
        default:
            break;
        }
    }
    // Values are lifted before the date values are wrapped, so a date written as text is a
    // parameter too and row after row of an insert stays one statement text.
    if (st.Kind == DialectStatement::Other)
        part.Literals = SqlDialect::LiftValues(st, part.LiteralBase);
    SqlDialect::WrapDateValues(st,
                               [this](const QString& t, const QString& c) { return KindOf(t, c); });
    SqlDialect::UseDateRanges(
        st, [this, &st](const QString& t, const QString& c) { return KindIn(st.Names, t, c); });
    const QByteArray text = st.Text(schema).toUtf8();
    const auto kept = std::find_if(FKept.begin(), FKept.end(), [&](sqlite3_stmt* handle) {
        return text == sqlite3_sql(handle);
    });
    if (kept != FKept.end()) {
        part.Handle = *kept;
        FKept.erase(kept);
        return;
    }
    const int rc =
        sqlite3_prepare_v2(FDb, text.constData(), int(text.size()), &part.Handle, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(FDb));
        if (part.Undo)
            part.Undo();
        part.Undo = nullptr;
        throw ESqlError(message, rc, QString::fromUtf8(text));
    }
}

void SqlConnection::Keep(sqlite3_stmt* handle) {
    constexpr size_t Kept = 16;
    if (!handle)
        return;
    sqlite3_reset(handle);
    sqlite3_clear_bindings(handle);
    FKept.push_back(handle);
    if (FKept.size() > Kept) {
        sqlite3_finalize(FKept.front());
        FKept.erase(FKept.begin());
    }
}

QStringList SqlConnection::TableNames() {
    if (FFolder)
        return FFolder->TableNames();
    QStringList names;
    auto st = Prepare("SELECT name FROM sqlite_master WHERE type='table' AND "
                      "substr(name, 1, 7) <> 'sqlite_' ORDER BY name");
    while (st->Step())
        names.append(st->Value(0).toString());
    return names;
}

bool SqlConnection::TableExists(const QString& name) {
    const QString table = TableName(name);
    // A program killed while making a table can leave its file without the table; such a file
    // is no table, so the table is made in it again.
    TableLease lease;
    if (FFolder) {
        if (FFolder->FileOf(table).isEmpty())
            return false;
        lease = FFolder->Use({table});
    }
    auto st = Prepare(
        QString("SELECT 1 FROM %1sqlite_master WHERE type='table' AND name=? COLLATE NOCASE")
            .arg(SchemaPrefix(table)));
    st->Bind(1, table);
    return st->Step();
}

QList<ColumnInfo> SqlConnection::Columns(const QString& name) {
    const QString table = TableName(name);
    TableLease lease = FFolder ? FFolder->Use({table}) : TableLease();
    QList<ColumnInfo> columns;
    // Brackets: a double-quoted name would be a string in the dialect.
    auto st = Prepare(QString("PRAGMA %1table_info([%2])").arg(SchemaPrefix(table), table));
    while (st->Step()) {
        ColumnInfo c;
        c.Name = st->Value(1).toString();
        c.DeclaredType = st->Value(2).toString();
        c.NotNull = st->Value(3).toInt() != 0;
        c.PrimaryKey = st->Value(5).toInt() != 0;
        c.Kind = KindOf(table, c.Name);
        c.Size = SizeOfDeclaredType(c.DeclaredType);
        c.Table = table;
        c.OriginName = c.Name;
        columns.append(c);
    }
    if (columns.isEmpty())
        throw ESqlError("no such table: " + table, SQLITE_ERROR);
    return columns;
}

void SqlConnection::Pack(const QString& name) {
    const QString table = TableName(name);
    TableLease lease = FFolder ? FFolder->Use({table}) : TableLease();
    const QString schema = FFolder ? FFolder->SchemaOf(table) : QString();
    if (FFolder && schema.isEmpty())
        throw ESqlError("no such table: " + table, SQLITE_ERROR);
    Run(schema.isEmpty() ? QString("VACUUM") : "VACUUM " + Quoted(schema));
}

void SqlConnection::VacuumInto(const QString& fileName) {
    QString target = fileName;
    Run("VACUUM INTO '" + target.replace("'", "''") + "'");
}
