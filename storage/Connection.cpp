#include "Connection.h"

#include "ClientRules.h"
#include "JetFunctions.h"
#include "SqlError.h"
#include "StagedSet.h"
#include "base/DateTime.h"
#include "base/Files.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <sqlite3.h>
#include <thread>
#include <utility>

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

// The field-size guard's count: the characters of a value as text, NUL characters included
// (length() stops at the first); a blob's bytes.
const char* const TextLengthFunction = "zz_text_length";
void TextLength(sqlite3_context* context, int, sqlite3_value** argv) {
    sqlite3_value* v = argv[0];
    const int type = sqlite3_value_type(v);
    if (type == SQLITE_NULL)
        return;
    if (type == SQLITE_BLOB) {
        sqlite3_result_int(context, sqlite3_value_bytes(v));
        return;
    }
    const auto* text = sqlite3_value_text(v);
    const int bytes = sqlite3_value_bytes(v);
    int characters = 0;
    for (int i = 0; i < bytes; ++i)
        characters += (text[i] & 0xC0) != 0x80;
    sqlite3_result_int(context, characters);
}

// The schema cookie in the header of a schema's file as it is on the disk now, read without a
// lock: a writer changes it at its commit, and a read that meets a commit halfway costs at most
// a reading of the schema that was not needed. False where the schema has no file.
bool SchemaCookie(sqlite3* db, const QByteArray& schema, quint32& cookie) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, schema.constData(), SQLITE_FCNTL_FILE_POINTER, &file) !=
            SQLITE_OK ||
        !file || !file->pMethods)
        return false;
    unsigned char bytes[4] = {0, 0, 0, 0};
    const int rc = file->pMethods->xRead(file, bytes, sizeof bytes, 40);
    if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) // a file still empty reads as zeros
        return false;
    cookie = qFromBigEndian<quint32>(bytes);
    return true;
}

} // namespace

SqlConnection::SqlConnection(sqlite3* db, const QString& path, bool folder) : FDb(db), FPath(path) {
    if (folder)
        FFolder = std::make_unique<TableFolder>(db, path);
    GuardConnection(db);
    RegisterJetFunctions(db);
    sqlite3_create_function_v2(db, TextLengthFunction, 1,
                               SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               TextLength, nullptr, nullptr, nullptr);
    SetBusyTimeout(DefaultBusyTimeout);
    sqlite3_set_authorizer(db, &SqlConnection::Authorize, this);
    // A rollback may take back the triggers made within its transaction, and changes of tables.
    sqlite3_rollback_hook(
        db,
        [](void* c) {
            static_cast<SqlConnection*>(c)->ForgetTextGuards();
            static_cast<SqlConnection*>(c)->SchemasChanged();
            ++static_cast<SqlConnection*>(c)->FTransactions;
        },
        this);
    sqlite3_commit_hook(
        db,
        [](void* c) {
            ++static_cast<SqlConnection*>(c)->FTransactions;
            return 0;
        },
        this);
}

SqlConnection::~SqlConnection() {
    for (const Kept& kept : FKept)
        sqlite3_finalize(kept.Handle);
    FFolder.reset();
    sqlite3_close_v2(FDb);
}

std::unique_ptr<SqlConnection> SqlConnection::OpenDatabase(const QString& fileName, bool create,
                                                           const DataFileLock* exclusive) {
    const QString path = ResolveFileNoCase(fileName);
    std::unique_ptr<DataFileLock> hold;
    if (exclusive) {
        if (!exclusive->HoldsExclusively(path))
            throw ESqlError("the lock given does not hold " + fileName, SQLITE_MISUSE);
    } else {
        hold = HoldForOpening(path);
    }
    if (!create && !QFile::exists(path))
        throw ESqlError("unable to open database file: " + fileName, SQLITE_CANTOPEN);
    sqlite3* db = Open(path, SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0));
    std::unique_ptr<SqlConnection> c(new SqlConnection(db, path, false));
    c->FHold = std::move(hold);
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
    const uint32_t now = GetTickCount();
    if (count == 0)
        c->FBusySince = now;
    if (c->MustStop() || now - c->FBusySince >= uint32_t(c->FBusyTimeout.count()))
        return 0;
    c->FContended = true;
    std::this_thread::sleep_for(BusyRetryStep);
    return 1;
}

int SqlConnection::Progress(void* connection) {
    return static_cast<SqlConnection*>(connection)->MustStop();
}

bool SqlConnection::MustStop() {
    if (FInterrupted.load(std::memory_order_relaxed))
        return true;
    if (FRunLimit == 0 || GetTickCount() - FRunStart < FRunLimit)
        return false;
    FTimedOut = true;
    return true;
}

const char* SqlConnection::StopMessage() const {
    return FTimedOut ? TimedOutMessage : InterruptedMessage;
}

void SqlConnection::Interrupt() {
    FInterrupted = true;
    sqlite3_interrupt(FDb);
}

SqlRunLimit::SqlRunLimit(SqlConnection& connection, int msecs) : FConnection(connection) {
    connection.FInterrupted.store(false, std::memory_order_relaxed);
    connection.FTimedOut = false;
    connection.FRunLimit = uint32_t(std::max(msecs, 0));
    if (msecs <= 0)
        return;
    connection.FRunStart = GetTickCount();
    // Every thousand steps of SQLite's machine: a few microseconds.
    sqlite3_progress_handler(connection.FDb, 1000, &SqlConnection::Progress, &connection);
}

SqlRunLimit::~SqlRunLimit() {
    if (FConnection.FRunLimit > 0)
        sqlite3_progress_handler(FConnection.FDb, 0, nullptr, nullptr);
    FConnection.FRunLimit = 0;
    FConnection.FInterrupted.store(false, std::memory_order_relaxed);
}

void SqlConnection::GiveWay() {
    if (!FContended || InTransaction())
        return;
    FContended = false;
    std::this_thread::sleep_for(GiveWayTime);
}

void SqlConnection::Run(const QString& sql) {
    RunSql(FDb, sql);
    if (sql.startsWith("ROLLBACK"))
        ForgetTextGuards();
}

SqlConnection::ClientScope::ClientScope(SqlConnection& connection, bool client)
    : FConnection(connection), FClient(client) {
    if (!client)
        return;
    if (connection.FClientDepth++ == 0)
        connection.FRefused.clear();
}

SqlConnection::ClientScope::~ClientScope() {
    if (FClient)
        --FConnection.FClientDepth;
}

int SqlConnection::Authorize(void* connection, int action, const char* a, const char* b,
                             const char* schema, const char*) {
    auto* c = static_cast<SqlConnection*>(connection);
    switch (action) {
    case SQLITE_INSERT:
    case SQLITE_UPDATE: {
        const SqlTableRef table(QString::fromUtf8(schema), QString::fromUtf8(a));
        if (table.first != "temp" && !table.second.startsWith("sqlite_") &&
            !c->FWrites.contains(table))
            c->FWrites.append(table);
        break;
    }
    case SQLITE_DETACH:
        // A file attached again is another table to SQLite: its triggers stay behind, and its
        // schema is read as it is then.
        for (auto it = c->FGuarded.begin(); it != c->FGuarded.end();)
            it = it->first == QString::fromUtf8(a) ? c->FGuarded.erase(it) : std::next(it);
        c->FSchemasSeen.remove(QString::fromUtf8(a));
        break;
    default:
        break;
    }
    if (c->FClientDepth == 0)
        return SQLITE_OK;
    const QString refusal = ClientRefusal(action, a, b);
    if (refusal.isEmpty())
        return SQLITE_OK;
    c->FRefused = refusal;
    return SQLITE_DENY;
}

QString SqlConnection::RefusalOf(const DialectStatement& statement) const {
    // VACUUM attaches a file of its own while it runs.
    return statement.Verb() == "VACUUM" ? StorageRefusal("VACUUM") : FRefused;
}

void SqlConnection::ForgetTextGuards(const QString& table) {
    if (table.isEmpty()) {
        FGuarded.clear();
        return;
    }
    for (auto it = FGuarded.begin(); it != FGuarded.end();)
        it = it->second.compare(table, Qt::CaseInsensitive) == 0 ? FGuarded.erase(it)
                                                                 : std::next(it);
}

void SqlConnection::DropTextGuards(const QString& table) {
    ForgetTextGuards(table);
    sqlite3_stmt* h = nullptr;
    const char* sql = "SELECT name FROM temp.sqlite_master WHERE type = 'trigger' AND "
                      "substr(name, 1, 8) = 'zz_size_' AND tbl_name = ?1 COLLATE NOCASE";
    if (sqlite3_prepare_v2(FDb, sql, -1, &h, nullptr) != SQLITE_OK)
        RaiseSqlError(FDb, sqlite3_errcode(FDb), sql);
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(h, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    QStringList drops;
    while (sqlite3_step(h) == SQLITE_ROW)
        drops << "DROP TRIGGER temp." +
                     Quoted(QString::fromUtf8(
                         reinterpret_cast<const char*>(sqlite3_column_text(h, 0)))) +
                     ";";
    sqlite3_finalize(h);
    if (!drops.isEmpty())
        RunSql(FDb, drops.join(' '));
}

void SqlConnection::GuardTextSizes(const QList<SqlTableRef>& tables) {
    for (const SqlTableRef& table : tables) {
        if (FGuarded.contains(table))
            continue;
        RunSql(FDb, TextGuardSql(table));
        FGuarded.insert(table);
    }
}

QString SqlConnection::TextGuardSql(const SqlTableRef& table) {
    const auto& [schema, name] = table;
    const QString target = Quoted(schema) + "." + Quoted(name);
    const QString insert = Quoted("zz_size_" + schema + "_" + name + "_insert");
    const QString update = Quoted("zz_size_" + schema + "_" + name + "_update");
    QString sql = QString("DROP TRIGGER IF EXISTS temp.%1; DROP TRIGGER IF EXISTS temp.%2;")
                      .arg(insert, update);
    sqlite3_stmt* h = nullptr;
    const QByteArray columnsSql =
        QString("PRAGMA %1.table_info(%2)").arg(Quoted(schema), Quoted(name)).toUtf8();
    if (sqlite3_prepare_v2(FDb, columnsSql.constData(), -1, &h, nullptr) != SQLITE_OK)
        RaiseSqlError(FDb, sqlite3_errcode(FDb), QString::fromUtf8(columnsSql));
    QStringList columns, checks;
    while (sqlite3_step(h) == SQLITE_ROW) {
        const QString column =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(h, 1)));
        const int size = SizeOfDeclaredType(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(h, 2))));
        if (size <= 0)
            continue;
        QString message =
            QString("%1%2 (at most %3 characters)").arg(TextTooLongMessage, column).arg(size);
        columns << Quoted(column);
        checks << QString("SELECT RAISE(ABORT, '%1') WHERE %2(NEW.%3) > %4;")
                      .arg(message.replace("'", "''"), TextLengthFunction, Quoted(column))
                      .arg(size);
    }
    sqlite3_finalize(h);
    if (checks.isEmpty())
        return sql;
    const QString body = " BEGIN " + checks.join(' ') + " END;";
    return sql + QString("CREATE TEMP TRIGGER %1 BEFORE INSERT ON %2").arg(insert, target) + body +
           QString("CREATE TEMP TRIGGER %1 BEFORE UPDATE OF %2 ON %3")
               .arg(update, columns.join(", "), target) +
           body;
}

std::unique_ptr<SqlStatement> SqlConnection::Prepare(const QString& sql, SqlTextForm form) {
    return std::unique_ptr<SqlStatement>(new SqlStatement(this, sql, form));
}

qint64 SqlConnection::Execute(const QString& sql) {
    return Prepare(sql)->Execute();
}

void SqlConnection::StartTransaction() {
    if (FFolder)
        FFolder->TransactionStarting();
    Run("BEGIN IMMEDIATE");
}
void SqlConnection::Commit() {
    Run("COMMIT");
    if (FFolder)
        FFolder->TransactionEnded();
    GiveWay();
}
void SqlConnection::Rollback() {
    Run("ROLLBACK");
    if (FFolder)
        FFolder->TransactionEnded();
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

quint64 SqlConnection::SchemaStamp() const {
    return FSchemaChanges + (FFolder ? FFolder->Attachments() : 0);
}

QStringList SqlConnection::SchemasOf(const DialectStatement& statement) const {
    if (!FFolder)
        return {QStringLiteral("main")};
    QStringList schemas;
    for (const QString& name : statement.Names) {
        const QString schema = FFolder->SchemaOf(name);
        if (!schema.isEmpty())
            schemas.append(schema);
    }
    return schemas;
}

bool SqlConnection::WritesValues(const DialectStatement& statement) {
    return statement.Kind == DialectStatement::Other && statement.IsVerb({"INSERT", "UPDATE"});
}

bool SqlConnection::CatchUp(const QStringList& schemas, bool* held) {
    bool changed = false;
    if (held)
        *held = true;
    for (const QString& schema : schemas) {
        auto seen = FSchemasSeen.find(schema);
        if (seen == FSchemasSeen.end())
            seen = FSchemasSeen.insert(schema, SchemaSeen{schema.toUtf8(), 0, NotSeen, false});
        const char* name = seen->Name.constData();
        const bool writing = sqlite3_txn_state(FDb, name) == SQLITE_TXN_WRITE;
        if (held && !writing)
            *held = false;
        if (writing && seen->Transaction == FTransactions)
            continue;
        quint32 cookie = 0;
        if (!SchemaCookie(FDb, name, cookie))
            continue;
        seen->Transaction = writing ? FTransactions : NotSeen;
        if (seen->Read && seen->Cookie == cookie)
            continue;
        // A statement on the schema that meets another cookie than SQLite's has SQLite read
        // the schema anew. A schema seen the first time (opened or attached) has nothing
        // made under an older one.
        RunSql(FDb, "SELECT 1 FROM " + Quoted(schema) + ".sqlite_master LIMIT 1");
        changed = changed || seen->Read;
        seen->Cookie = cookie;
        seen->Read = true;
    }
    if (changed)
        SchemasChanged();
    return changed;
}

const Translations::Translation* SqlConnection::TranslationOf(const QString& key) {
    return FTranslations.Find(key, SchemaStamp());
}

void SqlConnection::KeepTranslation(const SqlStatement::Part& part) {
    if (!part.Key.isEmpty() && part.Source.Kind == DialectStatement::Other &&
        part.Source.IsVerb({"SELECT", "INSERT", "UPDATE", "DELETE"}))
        FTranslations.Keep(part.Key, part.Source, part.Text, part.Stamp);
}

bool SqlConnection::PreparePart(SqlStatement::Part& part, std::vector<TableLease>& leases) {
    DialectStatement& st = part.Source;
    QString schema;
    // Triggers on a table would hold back the change of its columns (a dropped column named
    // in them), and a table made anew has other columns.
    if (st.Kind == DialectStatement::CreateTable || st.Kind == DialectStatement::AlterTable ||
        st.Kind == DialectStatement::DropTable)
        DropTextGuards(st.Table);
    if (FFolder) {
        const QString table = st.Table;
        if (st.Kind != DialectStatement::Other &&
            (st.Kind != DialectStatement::CreateIndex || !table.isEmpty()))
            TableFolder::CheckTableName(table);
        if (!st.RenamedTo.isNull())
            TableFolder::CheckRenaming(table, st.RenamedTo);
        if (st.Kind != DialectStatement::DropTable)
            leases.push_back(FFolder->Use(st.Names));
        switch (st.Kind) {
        case DialectStatement::DropTable:
            part.Action = [this, table, ifExists = st.IfExists] {
                if (!ifExists || !FFolder->FileOf(table).isEmpty())
                    FFolder->Remove(table);
            };
            return true;
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
    part.Schemas = SchemasOf(st);
    part.LooksFirst = WritesValues(st);
    if (part.LooksFirst)
        CatchUp(part.Schemas);
    const bool made = !part.Text.isEmpty();
    if (made && part.Stamp != SchemaStamp())
        return false;
    if (!made) {
        // The values were lifted before the date values are wrapped (SqlDialect::Read), so a
        // date written as text is a parameter too and row after row of an insert stays one
        // statement text.
        SqlDialect::WrapDateValues(
            st, [this](const QString& t, const QString& c) { return KindOf(t, c); });
        SqlDialect::UseDateRanges(
            st, [this, &st](const QString& t, const QString& c) { return KindIn(st.Names, t, c); });
        part.Text = st.Text(schema).toUtf8();
        part.Stamp = SchemaStamp();
    }
    if (!TakeKept(part))
        Compile(part);
    if (!made)
        KeepTranslation(part);
    return true;
}

void SqlConnection::Compile(SqlStatement::Part& part) {
    const QByteArray& text = part.Text;
    FWrites.clear();
    int rc;
    {
        ClientScope scope(*this, part.Client);
        rc = sqlite3_prepare_v2(FDb, text.constData(), int(text.size()), &part.Handle, nullptr);
    }
    part.Writes = std::exchange(FWrites, {});
    if (rc != SQLITE_OK) {
        // SQLite says "not authorized" for a refused function with SQLITE_ERROR.
        if (rc == SQLITE_AUTH || (part.Client && !FRefused.isEmpty()))
            rc = SQLITE_AUTH;
        const QString message =
            rc == SQLITE_AUTH ? RefusalOf(part.Source) : QString::fromUtf8(sqlite3_errmsg(FDb));
        if (part.Undo)
            part.Undo();
        part.Undo = nullptr;
        throw ESqlError(message, rc, QString::fromUtf8(text));
    }
}

bool SqlConnection::TakeKept(SqlStatement::Part& part) {
    const quint64 stamp = SchemaStamp();
    for (auto it = FKept.begin(); it != FKept.end();) {
        // A client's statement takes only what was prepared under its rules.
        if (it->Client != part.Client || part.Text != sqlite3_sql(it->Handle)) {
            ++it;
            continue;
        }
        if (it->Stamp != 0 && it->Stamp != stamp) {
            sqlite3_finalize(it->Handle);
            it = FKept.erase(it);
            continue;
        }
        part.Handle = it->Handle;
        part.Writes = it->Writes;
        part.Columns = it->Columns;
        FKept.erase(it);
        return true;
    }
    return false;
}

void SqlConnection::Keep(const SqlStatement::Part& part) {
    constexpr size_t MaxKept = 16;
    if (!part.Handle)
        return;
    sqlite3_reset(part.Handle);
    sqlite3_clear_bindings(part.Handle);
    FKept.push_back(Kept{part.Handle, part.Writes, part.Client,
                         sqlite3_column_count(part.Handle) > 0, SchemaStamp(), part.Columns});
    if (FKept.size() > MaxKept) {
        sqlite3_finalize(FKept.front().Handle);
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
    CatchUp(QStringList{FFolder ? FFolder->SchemaOf(table) : QStringLiteral("main")});
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
