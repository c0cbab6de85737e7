// What a hostile client cannot do through either data source: reach a file outside the data
// folder, memory through a function, undo the field-size guard, or hold the others up past its
// time-out.
#include "OdbcFixture.h"
#include "storage/Connection.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <atomic>
#include <thread>

namespace {

// The state of the first diagnostic, or "" for none.
std::string State(SQLHSTMT st) {
    return Odbc::Diag(SQL_HANDLE_STMT, st).substr(0, 5);
}

// A recursive query that never ends, reading the table t the whole time.
const char* const Endless = "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                            "SELECT count(*) FROM t, c";

} // namespace

// The data folder is a subfolder of the test's folder, so that a file made beside it shows.
struct ClientDoors : Odbc {
    enum Source { Database, Folder };
    const QString Data = Temp.File("data");

    ClientDoors() {
        QDir().mkpath(Data);
        CreateDataFolder(Data);
    }
    static const char* NameOf(Source source) { return source == Database ? "database" : "folder"; }
    QString ConnectString(Source source) const {
        return source == Database
                   ? QString("DRIVER={%1};DBQ=%2/VODURAVIRIVE.MDB").arg(AccessDriverName, Data)
                   : QString("DRIVER={%1};DefaultDir=%2").arg(ParadoxDriverName, Data);
    }
    void ConnectTo(Source source) {
        if (St) {
            SQLFreeHandle(SQL_HANDLE_STMT, St);
            St = nullptr;
            SQLDisconnect(Dbc);
        }
        ASSERT_TRUE(SQL_SUCCEEDED(DriverConnect(ConnectString(source))))
            << Diag(SQL_HANDLE_DBC, Dbc);
        ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &St)));
    }
    // The program's own connection to the same data.
    std::unique_ptr<SqlConnection> Other(Source source) const {
        return source == Database ? SqlConnection::OpenDatabase(Data + "/VODURAVIRIVE.MDB")
                                  : SqlConnection::OpenFolder(Data);
    }
    // The files beside the data folder.
    QStringList Beside() const {
        return QDir(Temp.Path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    // Runs `sql` with the query time-out `seconds`; its return code and how long it took.
    std::pair<SQLRETURN, qint64> Timed(const char* sql, SQLULEN seconds) {
        SQLFreeStmt(St, SQL_CLOSE);
        SQLSetStmtAttr(St, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(seconds), 0);
        QElapsedTimer timer;
        timer.start();
        const SQLRETURN rc = SQLExecDirect(St, (SQLCHAR*)sql, SQL_NTS);
        return {rc, timer.elapsed()};
    }
};

// Each statement with the SQLSTATE it gets through each data source ("" when it runs): table
// names that would be files elsewhere than directly in the folder, functions that reach memory
// or files, and what Jet cannot make. No file appears beside the folder.
TEST_F(ClientDoors, HostileStatementsGetTheirStateAndReachNothingOutside) {
    QFile planted(Temp.File("OUTSIDE0.DB"));
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.close();
    SqlConnection::OpenDatabase(planted.fileName())->Execute("CREATE TABLE OUTSIDE0 (a SHORT)");
    const QStringList beside = Beside();
    const struct {
        const char* Sql;
        const char* DatabaseState; // nullptr: not run there
        const char* FolderState;
    } cases[] = {
        // In the database file a table name is no file name.
        {"CREATE TABLE \"../OUTSIDE1\" (a INTEGER)", "", "42000"},
        {"SELECT * FROM \"../OUTSIDE1\"", "", "42S02"},
        {"INSERT INTO \"../OUTSIDE1\" (a) VALUES (1)", "", "42S02"},
        {"DROP TABLE \"../OUTSIDE1\"", "", "42000"},
        {"SELECT * FROM \"../OUTSIDE0\"", "42S02", "42S02"},
        {"SELECT * FROM [../OUTSIDE0.DB]", "42S02", "42S02"},
        {"CREATE TABLE [..\\OUTSIDE2] (a SHORT)", "", "42000"},
        {"CREATE TABLE \"sub/T\" (a SHORT)", "", "42000"},
        {"CREATE TABLE \".hidden\" (a SHORT)", "", "42000"},
        {"CREATE TABLE \"a..b\" (a SHORT)", "", "42000"},
        {"ALTER TABLE \"../OUTSIDE0\" ADD COLUMN b SHORT", "42S02", "42000"},
        {"CREATE INDEX i0 ON [../OUTSIDE0] (a)", "42S02", "42000"},
        {"SELECT fts3_tokenizer('simple')", "42000", "42000"},
        {"SELECT FTS3_TOKENIZER('simple', X'0100000000000000')", "42000", "42000"},
        {"CREATE VIRTUAL TABLE v USING fts3(a, tokenize=simple)", "42000", "42000"},
        {"CREATE VIRTUAL TABLE r USING rtree(id, x0, x1)", "42000", "42000"},
        {"SELECT load_extension('/usr/lib/x86_64-linux-gnu/libsqlite3.so.0')", "42000", "42000"},
        {"SELECT rtreenode(2, X'000100000000000000000000')", "42000", "42000"},
        {"SELECT fts5(NULL)", "42000", "42000"},
        {"SELECT * FROM dbstat", "42S02", "42S02"},
        {"SELECT * FROM sqlite_stmt", "42S02", "42S02"},
        {"CREATE TRIGGER tr AFTER INSERT ON entranceState BEGIN SELECT 1; END", "42000", "42000"},
        {"CREATE TEMP TRIGGER tr AFTER INSERT ON entranceState BEGIN SELECT 1; END", "42000",
         "42000"},
        {"ANALYZE", "42000", "42000"},
        // Tables, indexes and views stay; a view may call the Jet functions.
        {"CREATE TABLE 新表 (a SHORT, d DATETIME)", "", ""},
        {"CREATE INDEX 新表_a ON 新表 (a)", "", ""},
        {"CREATE TEMP VIEW 新表の一時 AS SELECT CDbl(a) AS x FROM 新表 WHERE a LIKE '1*'", "", ""},
        {"SELECT x FROM 新表の一時", "", ""},
        // A view of the folder's tables is a temporary one: the folder has no file of its own.
        {"CREATE VIEW 新表の見方 AS SELECT CDbl(a) AS x FROM 新表 WHERE a LIKE '1*'", "", nullptr},
        {"SELECT x FROM 新表の見方", "", nullptr},
        {"SELECT count(*) FROM json_each('[1, 2]')", "", ""},
    };
    for (const Source source : {Database, Folder}) {
        ConnectTo(source);
        // The database file gets the table entranceState as the folder has it.
        if (source == Database)
            MustExec("CREATE TABLE entranceState (認証機ID SHORT)");
        for (const auto& c : cases) {
            const char* expected = source == Database ? c.DatabaseState : c.FolderState;
            if (!expected)
                continue;
            const SQLRETURN rc = Exec(QString::fromUtf8(c.Sql));
            const std::string what = std::string(NameOf(source)) + ": " + c.Sql;
            if (*expected) {
                EXPECT_EQ(rc, SQL_ERROR) << what;
                EXPECT_EQ(State(St), expected) << what << " " << Diag(SQL_HANDLE_STMT, St);
            } else {
                EXPECT_TRUE(SQL_SUCCEEDED(rc)) << what << " " << Diag(SQL_HANDLE_STMT, St);
            }
        }
    }
    EXPECT_EQ(Beside(), beside);
    EXPECT_EQ(
        QDir(Data).entryList({"*OUTSIDE*", ".hidden*", "a..b*"}, QDir::AllEntries | QDir::Hidden),
        QStringList());
}

// A client can neither drop nor replace the temporary triggers that keep text within its
// field's size, and the guard counts every character, a NUL and what follows it included.
TEST_F(ClientDoors, TheFieldSizeGuardCannotBeUndone) {
    for (const Source source : {Database, Folder}) {
        ConnectTo(source);
        MustExec("CREATE TABLE g (t TEXT (30))");
        MustExec("INSERT INTO g (t) VALUES ('made')");
        MustExec("SELECT name FROM temp.sqlite_master WHERE type = 'trigger'");
        QStringList guards;
        char name[256];
        SQLLEN ind = 0;
        while (SQLFetch(St) == SQL_SUCCESS) {
            SQLGetData(St, 1, SQL_C_CHAR, name, sizeof name, &ind);
            guards << QString::fromUtf8(name);
        }
        ASSERT_EQ(guards.size(), 2) << NameOf(source);
        for (const QString& guard : guards) {
            EXPECT_EQ(Exec("DROP TRIGGER temp.\"" + guard + "\""), SQL_ERROR);
            EXPECT_EQ(State(St), "42000") << NameOf(source) << " " << Diag(SQL_HANDLE_STMT, St);
            EXPECT_EQ(Exec("CREATE TEMP TRIGGER \"" + guard +
                           "x\" BEFORE INSERT ON g BEGIN SELECT 1; END"),
                      SQL_ERROR);
            EXPECT_EQ(State(St), "42000") << NameOf(source);
        }
        EXPECT_EQ(Exec("INSERT INTO g (t) VALUES ('" + QString(40, 'x') + "')"), SQL_ERROR);
        EXPECT_EQ(State(St), "22001") << NameOf(source);
        EXPECT_EQ(Exec("INSERT INTO g (t) VALUES ('ab' || char(0) || '" + QString(40, 'x') + "')"),
                  SQL_ERROR);
        EXPECT_EQ(State(St), "22001") << NameOf(source);

        SQLFreeStmt(St, SQL_CLOSE);
        ASSERT_EQ(SQLPrepare(St, (SQLCHAR*)"INSERT INTO g (t) VALUES (?)", SQL_NTS), SQL_SUCCESS);
        QByteArray value;
        SQLLEN length = 0;
        const auto insert = [&](qsizetype after) {
            value = QByteArray("ab\0", 3) + QByteArray(after, 'x');
            length = value.size();
            SQLBindParameter(St, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 30, 0, value.data(),
                             length, &length);
            return SQLExecute(St);
        };
        EXPECT_EQ(insert(40), SQL_ERROR) << NameOf(source);
        EXPECT_EQ(State(St), "22001") << NameOf(source);
        EXPECT_EQ(insert(27), SQL_SUCCESS) << NameOf(source) << Diag(SQL_HANDLE_STMT, St);
        EXPECT_EQ(Count("SELECT count(*) FROM g WHERE length(CAST(t AS BLOB)) = 30"), 1)
            << NameOf(source);
        EXPECT_EQ(Count("SELECT count(*) FROM g"), 2) << NameOf(source);
    }
}

// An endless statement ends within a second of its query time-out, and then another program
// writes the table it read. A write waiting for another's lock also ends at its time-out.
TEST_F(ClientDoors, TheQueryTimeOutEndsAnEndlessStatement) {
    for (const Source source : {Database, Folder}) {
        ConnectTo(source);
        MustExec("CREATE TABLE t (n LONG)");
        MustExec("INSERT INTO t (n) VALUES (1)");
        const auto [rc, ms] = Timed(Endless, 1);
        EXPECT_EQ(rc, SQL_ERROR) << NameOf(source);
        EXPECT_EQ(Diag(SQL_HANDLE_STMT, St), "HYT00: Timeout expired") << NameOf(source);
        EXPECT_GE(ms, 1000) << NameOf(source);
        EXPECT_LT(ms, 2000) << NameOf(source);
        auto other = Other(source);
        other->SetBusyTimeout(0);
        EXPECT_NO_THROW(other->Execute("INSERT INTO t (n) VALUES (2)")) << NameOf(source);

        other->StartTransaction();
        other->Execute("INSERT INTO t (n) VALUES (3)");
        const auto [waited, waitMs] = Timed("INSERT INTO t (n) VALUES (4)", 1);
        EXPECT_EQ(waited, SQL_ERROR) << NameOf(source);
        EXPECT_EQ(Diag(SQL_HANDLE_STMT, St), "HYT00: Timeout expired") << NameOf(source);
        EXPECT_LT(waitMs, 2000) << NameOf(source);
        other->Commit();
        EXPECT_EQ(Timed("INSERT INTO t (n) VALUES (4)", 1).first, SQL_SUCCESS) << NameOf(source);
        EXPECT_EQ(Count("SELECT count(*) FROM t"), 4) << NameOf(source);
    }
}

// An endless change ended by its time-out inside a transaction takes the transaction back, as
// SQLite does: the client is told, not left to think its earlier rows stand.
TEST_F(ClientDoors, AChangeEndedInsideATransactionSaysTheTransactionWentBack) {
    ConnectTo(Database);
    MustExec("CREATE TABLE t (n LONG)");
    SQLSetConnectAttr(Dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0);
    MustExec("INSERT INTO t (n) VALUES (1)");
    const auto [rc, ms] =
        Timed("INSERT INTO t (n) SELECT x FROM (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL "
              "SELECT x + 1 FROM c) SELECT x FROM c)",
              1);
    EXPECT_EQ(rc, SQL_ERROR);
    EXPECT_LT(ms, 2000);
    EXPECT_EQ(Diag(SQL_HANDLE_STMT, St),
              "HYT00: Timeout expired & HY000: the transaction was rolled back");
    SQLEndTran(SQL_HANDLE_DBC, Dbc, SQL_COMMIT);
    EXPECT_EQ(Count("SELECT count(*) FROM t"), 0);
}

// SQLCancel from another thread ends an endless statement within a second, with HY008, and
// then another program writes the table it read; so it ends a write waiting for another's lock.
TEST_F(ClientDoors, SqlCancelEndsAnEndlessStatement) {
    // Runs `sql` on a thread of its own and cancels it from this one once it runs (a cancel
    // before it would find nothing to stop), again should it have started late on a loaded
    // machine; how long it took from the first cancel.
    auto cancelled = [this](const char* sql) {
        std::atomic<bool> done = false;
        std::thread running([&] {
            Timed(sql, 0);
            done = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        QElapsedTimer sinceCancel;
        sinceCancel.start();
        for (int tries = 0; !done && tries < 200; ++tries) {
            EXPECT_EQ(SQLCancel(St), SQL_SUCCESS);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        running.join();
        return sinceCancel.elapsed();
    };
    for (const Source source : {Database, Folder}) {
        ConnectTo(source);
        MustExec("CREATE TABLE t (n LONG)");
        MustExec("INSERT INTO t (n) VALUES (1)");
        EXPECT_LT(cancelled(Endless), 1000) << NameOf(source);
        EXPECT_EQ(Diag(SQL_HANDLE_STMT, St), "HY008: Operation canceled") << NameOf(source);
        auto other = Other(source);
        other->SetBusyTimeout(0);
        EXPECT_NO_THROW(other->Execute("INSERT INTO t (n) VALUES (2)")) << NameOf(source);

        other->StartTransaction();
        other->Execute("INSERT INTO t (n) VALUES (3)");
        EXPECT_LT(cancelled("INSERT INTO t (n) VALUES (4)"), 1000) << NameOf(source);
        EXPECT_EQ(Diag(SQL_HANDLE_STMT, St), "HY008: Operation canceled") << NameOf(source);
        other->Commit();
        // Cancelled, the statements run again as they should.
        MustExec("INSERT INTO t (n) VALUES (4)");
        EXPECT_EQ(Count("SELECT count(*) FROM t"), 4) << NameOf(source);
    }
}
