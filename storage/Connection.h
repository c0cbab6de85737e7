#pragma once

#include "Column.h"
#include "DataFileLock.h"
#include "SqlError.h"
#include "Statement.h"
#include "TableFolder.h"
#include "Translations.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// One SQLite connection, on the database file ("VODURAVIRIVE.MDB") or on the folder of table
// files (each table X the file X.DB holding the one table X, attached as statements name it;
// CREATE TABLE makes the file, DROP TABLE deletes it). Every statement goes through the Jet
// dialect (SqlDialect) and may call the Jet functions (RegisterJetFunctions); LIKE follows
// Jet's wildcards. The files keep SQLite's rollback journal and full sync (the data folder may
// be shared over the network, where WAL is unsafe), so a table file's time changes when its
// table changes.
// Locking between the programs, which write the same files: a statement that meets a lock
// waits up to the busy timeout, trying again every BusyRetryStep; a writer that slept longer
// would rarely find the gap between the other's transactions. File locks are not handed over
// in turn, so a connection that met another's lock (it waited, or the other was trying while
// it wrote) gives way for GiveWayTime once its write transaction ends: a writer in a loop
// would otherwise take the lock again before the waiting one wakes.
// Text columns keep their declared size (TEXT (n): n characters, as Jet counts them): a
// statement that would store longer text fails with SQLITE_TOOBIG and the field's name, and
// stores nothing.
// A connection holds its database file, and each table file while a statement uses it, shared
// (DataFileLock): opening a file that a compaction, restore or deletion holds waits for it up
// to DataFileLock::OpenWaitMs and then fails with SQLITE_BUSY.
// A statement may be bounded in time (SqlRunLimit) and stopped from another thread (Interrupt).
// Failures raise ESqlError with SQLite's text. Use a connection from one thread at a time,
// Interrupt aside.
class SqlConnection {
public:
    static constexpr int DefaultBusyTimeout = 10000; // milliseconds
    static constexpr std::chrono::microseconds BusyRetryStep{50};
    static constexpr std::chrono::microseconds GiveWayTime{4 * BusyRetryStep};

    // Opens a database file, its name matched without regard to case; a missing file is an
    // error unless `create` is set. The work that holds the file exclusively passes its lock
    // and opens the file under it.
    static std::unique_ptr<SqlConnection> OpenDatabase(const QString& fileName, bool create = false,
                                                       const DataFileLock* exclusive = nullptr);
    // Opens a folder of table files; a missing folder is an error.
    static std::unique_ptr<SqlConnection> OpenFolder(const QString& folder);
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;
    ~SqlConnection();

    // The database file or the folder.
    const QString& Path() const { return FPath; }
    bool IsFolder() const { return FFolder != nullptr; }
    sqlite3* Handle() const { return FDb; }
    void SetBusyTimeout(int msecs);
    int BusyTimeout() const { return int(FBusyTimeout.count()); }

    // Prepares SQL text as the programs write it (lines joined with a line break). A statement
    // of the form OneStatement comes from a client of the ODBC driver: it reaches only the
    // connected files and does not change how they are stored, so ATTACH, DETACH, PRAGMA (also
    // the pragma_... table functions) and VACUUM fail with SQLITE_AUTH.
    std::unique_ptr<SqlStatement> Prepare(const QString& sql,
                                          SqlTextForm form = SqlTextForm::Statements);
    // Prepares and runs; returns the rows changed.
    qint64 Execute(const QString& sql);

    // Stops the statement running in a SqlRunLimit's scope, from any thread: it fails with
    // SQLITE_INTERRUPT and InterruptedMessage, as does every statement to the scope's end.
    // Inside a transaction SQLite rolls back the transaction of a change so stopped. The
    // connection must stay open meanwhile.
    void Interrupt();

    void StartTransaction();
    void Commit();
    void Rollback();
    bool InTransaction() const;

    // Table names may carry the suffix ".DB".
    // Table names: the tables of the database file, or the table files of the folder.
    QStringList TableNames();
    bool TableExists(const QString& table);
    // The table's columns in order (name, declared type, kind, size, not-null, key).
    QList<ColumnInfo> Columns(const QString& table);
    // Rebuilds the table's file without its free space (VACUUM); not inside a transaction.
    void Pack(const QString& table = QString());
    // Writes a compacted copy of the database file to a new file (VACUUM INTO).
    void VacuumInto(const QString& fileName);

private:
    friend class SqlStatement;
    friend class SqlRunLimit;
    SqlConnection(sqlite3* db, const QString& path, bool folder);
    // SQLite's busy handler: true (non-zero) to try again.
    static int BusyWait(void* connection, int count);
    // SQLite's progress handler while a time limit holds: true (non-zero) to stop.
    static int Progress(void* connection);
    // True when the statement running must stop: interrupted, or past the time limit (noted
    // in FTimedOut).
    bool MustStop();
    // The statement stopped because of that: its error's message.
    const char* StopMessage() const;
    // Gives way after a write transaction that met another's lock; called when one ends.
    void GiveWay();
    void Run(const QString& sql);
    // Prepares one part of a statement: attaches its tables, or turns it into an action. False
    // when the part's translation, made before, no longer holds once its tables are attached.
    bool PreparePart(SqlStatement::Part& part, std::vector<TableLease>& leases);
    // Has SQLite prepare the part's text under the client's rules when it is a client's.
    void Compile(SqlStatement::Part& part);
    // Takes the statement kept for the part's text (Keep); false when there is none.
    bool TakeKept(SqlStatement::Part& part);
    // The schemas the statement's tables are in: "main", or the table files attached.
    QStringList SchemasOf(const DialectStatement& statement) const;
    // Catches up with another connection's or program's change of the schemas: SQLite reads
    // a changed one anew, and what was made under the schemas before (translations, kept
    // statements and their columns) is made again. A file's schema cookie is read from its
    // header, one read a file, except where this connection's write transaction has kept
    // everyone else from the file since it last looked. True when one had changed. `held`,
    // when given, tells whether the write transaction holds every one of the schemas now, so
    // that nobody else changes them before FTransactions changes.
    // Only a statement whose translation reads the columns' kinds needs it before it runs
    // (WritesValues): a query meets a changed schema as SQLite prepares it again, and is
    // described after that.
    bool CatchUp(const QStringList& schemas, bool* held = nullptr);
    // An INSERT or UPDATE: the dates it writes are wrapped as the columns' kinds tell.
    static bool WritesValues(const DialectStatement& statement);

    // The translation made before of a reading's key, while the schemas stand as they were.
    const Translations::Translation* TranslationOf(const QString& key);
    // Keeps the translation of a part of the statements worth it (queries and changes of rows).
    void KeepTranslation(const SqlStatement::Part& part);
    // Tells the column kinds a translation read that they may have changed: a statement
    // changed a schema, a rollback took a change back, or SQLite found another program's.
    void SchemasChanged() { ++FSchemaChanges; }
    // Changes when any schema may have: with each SchemasChanged and each file attached or
    // detached.
    quint64 SchemaStamp() const;
    // Takes back a statement a SqlStatement is done with, reset, to be used again for the
    // same text; the oldest kept is finalized when there are too many. A query is used again
    // only while the schemas stand as they were when it was kept: its columns are read before
    // SQLite would prepare it again for a table changed since.
    void Keep(const SqlStatement::Part& part);
    // SQLite's authorizer: notes the tables a statement being prepared writes, and refuses a
    // client's statement what reaches past the connected files.
    static int Authorize(void* connection, int action, const char* a, const char* b,
                         const char* schema, const char* trigger);
    // The message for a client's statement refused by the authorizer.
    QString RefusalOf(const DialectStatement& statement) const;
    // Gives each table written the temporary triggers that refuse text longer than its field;
    // made once a table, again after a change of its columns, a detach or a rollback.
    void GuardTextSizes(const QList<SqlTableRef>& tables);
    QString TextGuardSql(const SqlTableRef& table);
    // Forgets the guards of a table (its columns change) or all of them (a rollback may have
    // taken the triggers away), so they are made again before the next write.
    void ForgetTextGuards(const QString& table = QString());
    // Drops the triggers of a table, wherever it was attached.
    void DropTextGuards(const QString& table);

    // While alive, what SQLite prepares or runs is a client's statement.
    class ClientScope {
    public:
        ClientScope(SqlConnection& connection, bool client);
        ~ClientScope();
        ClientScope(const ClientScope&) = delete;
        ClientScope& operator=(const ClientScope&) = delete;

    private:
        SqlConnection& FConnection;
        bool FClient;
    };
    ColumnKind KindOf(const QString& table, const QString& column) const;
    // The kind of a column of `table`, or of the first of `tables` that has it when `table`
    // is empty.
    ColumnKind KindIn(const QStringList& tables, const QString& table, const QString& column) const;
    QString SchemaPrefix(const QString& table) const;

    // Released after the database is closed.
    std::unique_ptr<DataFileLock> FHold;
    sqlite3* FDb;
    QString FPath;
    std::unique_ptr<TableFolder> FFolder;
    struct Kept {
        sqlite3_stmt* Handle;
        QList<SqlTableRef> Writes;
        bool Client;
        bool Query;                // a statement with columns
        quint64 Stamp;             // the schemas' stamp when it was kept
        QList<ColumnInfo> Columns; // a query's, as described
    };
    std::vector<Kept> FKept; // newest last
    Translations FTranslations;
    quint64 FSchemaChanges = 0;
    int FClientDepth = 0;
    QString FRefused;           // the message of what the authorizer refused last
    QList<SqlTableRef> FWrites; // the tables the statement being prepared writes
    QSet<SqlTableRef> FGuarded; // the tables whose triggers stand
    static constexpr quint64 NotSeen = ~0ULL;
    struct SchemaSeen {
        QByteArray Name;     // the schema's name as SQLite takes it
        quint32 Cookie;      // the schema cookie SQLite's schema is read at
        quint64 Transaction; // FTransactions when seen in a write transaction, else NotSeen
        bool Read;           // SQLite's schema is read at Cookie
    };
    QHash<QString, SchemaSeen> FSchemasSeen; // by schema
    quint64 FTransactions = 0;               // write transactions ended
    std::chrono::milliseconds FBusyTimeout{DefaultBusyTimeout};
    uint32_t FBusySince = 0; // the tick count when the current wait began
    std::atomic<bool> FInterrupted{false};
    bool FTimedOut = false;
    uint32_t FRunStart = 0;  // the tick count when the SqlRunLimit began
    uint32_t FRunLimit = 0;  // its milliseconds; 0: none
    bool FContended = false; // a lock was met since the last write transaction ended
};

// Bounds the statements a connection runs in its scope (the execution of a client's statement):
// one still running `msecs` after the scope began (0: no limit), also while it waits for a
// lock, fails with SQLITE_INTERRUPT and TimedOutMessage. An interrupt counts only within it.
class SqlRunLimit {
public:
    SqlRunLimit(SqlConnection& connection, int msecs);
    ~SqlRunLimit();
    SqlRunLimit(const SqlRunLimit&) = delete;
    SqlRunLimit& operator=(const SqlRunLimit&) = delete;

private:
    SqlConnection& FConnection;
};

// Gives a connection another busy timeout for a scope, and puts the earlier one back.
class SqlBusyTimeoutScope {
public:
    SqlBusyTimeoutScope(SqlConnection& connection, int msecs)
        : FConnection(connection), FSaved(connection.BusyTimeout()) {
        connection.SetBusyTimeout(msecs);
    }
    ~SqlBusyTimeoutScope() { FConnection.SetBusyTimeout(FSaved); }
    SqlBusyTimeoutScope(const SqlBusyTimeoutScope&) = delete;
    SqlBusyTimeoutScope& operator=(const SqlBusyTimeoutScope&) = delete;

private:
    SqlConnection& FConnection;
    const int FSaved;
};
