// The driver under a general-purpose client, run by hand: odbcdriver_benchmark.
// - Two programs inserting row by row into one database file (odbc_lock_writer, each insert its
//   own transaction, rollback journal and full sync): the longest a single insert waited and how
//   many failed.
// - A month of 100,000 log rows fetched through the driver manager and the driver (in this
//   program, and by unixODBC's isql), against the sqlite3 shell reading the same file.
// - The cost of one statement (BM_Statement): a point SELECT and an INSERT with their values in
//   the text, and the same kept prepared, through both data sources, against Debian's SQLite
//   ODBC driver (libsqliteodbc) on the same file, set to the same journal and sync. Skipped
//   when that driver is not installed.
// The data folders are made under $TMPDIR.
#include "odbcdriver/OdbcInstaller.h"
#include "storage/Connection.h"
#include "tools/newdata/NewData.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>

namespace {

constexpr int LogRows = 100000;
const QString LogTable = "ENTRANCE_LOG2026_12";

// The driver registered in a folder of its own, and a data folder made by newdata.
struct DataFolder {
    QTemporaryDir Ini, Data;
    DataFolder() {
        InstallOdbcDriver(Ini.path());
        CreateDataFolder(Data.path());
    }
    QString Database() const { return Data.path() + "/VODURAVIRIVE.MDB"; }
    QString DatabaseConnect() const {
        return QString("DRIVER={%1};DBQ=%2").arg(AccessDriverName, Database());
    }
    QString FolderConnect() const {
        return QString("DRIVER={%1};DefaultDir=%2").arg(ParadoxDriverName, Data.path());
    }
};

// One connection through the driver manager.
struct Client {
    SQLHENV Env = nullptr;
    SQLHDBC Dbc = nullptr;
    SQLHSTMT St = nullptr;
    explicit Client(const QString& connect) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &Env);
        SQLSetEnvAttr(Env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, Env, &Dbc);
        QByteArray text = connect.toUtf8();
        if (!SQL_SUCCEEDED(SQLDriverConnect(Dbc, nullptr, (SQLCHAR*)text.data(), SQL_NTS, nullptr,
                                            0, nullptr, SQL_DRIVER_NOPROMPT)))
            qFatal("cannot connect: %s", text.constData());
        SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &St);
    }
    ~Client() {
        SQLFreeHandle(SQL_HANDLE_STMT, St);
        SQLDisconnect(Dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, Dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, Env);
    }
    void Exec(const char* sql) {
        SQLFreeStmt(St, SQL_CLOSE);
        if (!SQL_SUCCEEDED(SQLExecDirect(St, (SQLCHAR*)sql, SQL_NTS)))
            qFatal("failed: %s", sql);
    }
};

void BM_TwoWritingPrograms(benchmark::State& state) {
    for (auto _ : state) {
        DataFolder folder;
        Client(folder.DatabaseConnect())
            .Exec(
                "CREATE TABLE 書込 (番号 INTEGER PRIMARY KEY AUTOINCREMENT, 書き手 SHORT, n LONG)");
        QProcess writers[2];
        for (int w = 0; w < 2; ++w) {
            writers[w].start(QCoreApplication::applicationDirPath() + "/odbc_lock_writer",
                             {folder.DatabaseConnect(), QString::number(w + 1),
                              QString::number(state.range(0))});
            writers[w].waitForStarted();
        }
        for (QProcess& w : writers) {
            w.write("go\n");
            w.waitForBytesWritten();
        }
        double worst = 0, failures = 0;
        for (QProcess& w : writers) {
            w.waitForFinished(-1);
            const QStringList out = QString::fromUtf8(w.readAllStandardOutput()).split(' ');
            worst = qMax(worst, out.value(0).toDouble());
            failures += out.value(1).toDouble();
        }
        state.counters["worst_wait_ms"] = worst;
        state.counters["failures"] = failures;
    }
    state.SetItemsProcessed(state.iterations() * 2 * state.range(0));
}
BENCHMARK(BM_TwoWritingPrograms)
    ->Arg(12000)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

// The folder with a month of log rows, made once for the fetch benchmarks.
const DataFolder& FullMonth() {
    static DataFolder folder;
    static bool made = false;
    if (!made) {
        auto c = SqlConnection::OpenFolder(folder.Data.path());
        c->Execute("CREATE TABLE " + LogTable +
                   " (autoNum INTEGER PRIMARY KEY AUTOINCREMENT, 個人コード TEXT (10), "
                   "操作種別 SHORT, 操作日時 DATETIME, エラー種別 SHORT, 認証機ID SHORT)");
        c->StartTransaction();
        auto insert = c->Prepare("INSERT INTO " + LogTable +
                                 " (個人コード, 操作種別, 操作日時, エラー種別, 認証機ID) "
                                 "VALUES (?, ?, ?, 1, ?)");
        for (int i = 0; i < LogRows; ++i) {
            insert->Bind(1, QString("%1").arg(i % 500, 4, 10, QChar('0')));
            insert->Bind(2, i % 2 ? 12 : 22);
            insert->Bind(3, 46357.25 + i * 31.0 / LogRows);
            insert->Bind(4, 1 + i % 32);
            insert->Execute();
        }
        c->Commit();
        made = true;
    }
    return folder;
}

const char* const FetchAll = "SELECT * FROM ENTRANCE_LOG2026_12";

// Bound columns, one row a fetch.
void BM_FetchBound(benchmark::State& state) {
    Client client(FullMonth().FolderConnect());
    for (auto _ : state) {
        client.Exec(FetchAll);
        SQLINTEGER number = 0;
        char code[32];
        SQLSMALLINT kind = 0, error = 0, unit = 0;
        TIMESTAMP_STRUCT at = {};
        SQLLEN ind[6];
        SQLBindCol(client.St, 1, SQL_C_SLONG, &number, 0, &ind[0]);
        SQLBindCol(client.St, 2, SQL_C_CHAR, code, sizeof code, &ind[1]);
        SQLBindCol(client.St, 3, SQL_C_SSHORT, &kind, 0, &ind[2]);
        SQLBindCol(client.St, 4, SQL_C_TYPE_TIMESTAMP, &at, 0, &ind[3]);
        SQLBindCol(client.St, 5, SQL_C_SSHORT, &error, 0, &ind[4]);
        SQLBindCol(client.St, 6, SQL_C_SSHORT, &unit, 0, &ind[5]);
        int rows = 0;
        while (SQLFetch(client.St) == SQL_SUCCESS)
            ++rows;
        if (rows != LogRows)
            state.SkipWithError("not every row was fetched");
        SQLFreeStmt(client.St, SQL_UNBIND);
    }
    state.SetItemsProcessed(state.iterations() * LogRows);
}
BENCHMARK(BM_FetchBound)->Unit(benchmark::kMillisecond);

// Every value as text through SQLGetData, as isql reads a result.
void BM_FetchAsText(benchmark::State& state) {
    Client client(FullMonth().FolderConnect());
    for (auto _ : state) {
        client.Exec(FetchAll);
        char value[64];
        SQLLEN ind;
        int rows = 0;
        while (SQLFetch(client.St) == SQL_SUCCESS) {
            for (SQLUSMALLINT c = 1; c <= 6; ++c)
                SQLGetData(client.St, c, SQL_C_CHAR, value, sizeof value, &ind);
            ++rows;
        }
        if (rows != LogRows)
            state.SkipWithError("not every row was fetched");
    }
    state.SetItemsProcessed(state.iterations() * LogRows);
}
BENCHMARK(BM_FetchAsText)->Unit(benchmark::kMillisecond);

// The same rows through unixODBC's isql and the driver, its output thrown away.
void BM_Isql(benchmark::State& state) {
    const QString connect = FullMonth().FolderConnect();
    for (auto _ : state) {
        QProcess isql;
        isql.setStandardOutputFile(QProcess::nullDevice());
        isql.start("isql", {"-b", "-d,", "-k", connect});
        isql.write(QByteArray(FetchAll) + "\n");
        isql.closeWriteChannel();
        isql.waitForFinished(-1);
        if (isql.exitCode() != 0)
            state.SkipWithError("isql failed");
    }
    state.SetItemsProcessed(state.iterations() * LogRows);
}
BENCHMARK(BM_Isql)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same rows through the sqlite3 shell, its output thrown away.
void BM_Sqlite3Shell(benchmark::State& state) {
    const QString file = FullMonth().Data.path() + "/" + LogTable + ".DB";
    for (auto _ : state) {
        QProcess shell;
        shell.setStandardOutputFile(QProcess::nullDevice());
        shell.start("sqlite3", {file, FetchAll});
        shell.waitForFinished(-1);
        if (shell.exitCode() != 0)
            state.SkipWithError("the sqlite3 shell failed");
    }
    state.SetItemsProcessed(state.iterations() * LogRows);
}
BENCHMARK(BM_Sqlite3Shell)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- the cost of one statement ----

// Debian's SQLite ODBC driver, the peer the statements are measured against.
QString PeerDriver() {
    for (const char* file : {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so",
                             "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so"})
        if (QFile::exists(file))
            return file;
    return QString();
}

constexpr int PointRows = 1000;
// Inserts run in transactions of this many rows, our driver's and the peer's in turn.
constexpr int InsertBlock = 500;

// A data folder with the table POINTS (PointRows rows) and the empty table ADDED, each as a
// table file and in the database file.
const DataFolder& PointData() {
    static DataFolder folder;
    static bool made = false;
    if (!made) {
        for (const QString& connect : {folder.FolderConnect(), folder.DatabaseConnect()}) {
            Client c(connect);
            c.Exec("CREATE TABLE POINTS (n LONG PRIMARY KEY, t TEXT (20), d DOUBLE)");
            c.Exec("CREATE TABLE ADDED (n LONG, t TEXT (20))");
            c.Exec(("CREATE TABLE " + LogTable +
                    " (autoNum INTEGER PRIMARY KEY AUTOINCREMENT, 個人コード TEXT (10), "
                    "操作種別 SHORT, 操作日時 DATETIME, エラー種別 SHORT, 認証機ID SHORT)")
                       .toUtf8()
                       .constData());
            SQLSetConnectAttr(c.Dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0);
            for (int i = 1; i <= PointRows; ++i)
                c.Exec(QString("INSERT INTO POINTS (n, t, d) VALUES (%1, 'point %1', %1.5)")
                           .arg(i)
                           .toUtf8()
                           .constData());
            SQLEndTran(SQL_HANDLE_DBC, c.Dbc, SQL_COMMIT);
        }
        made = true;
    }
    return folder;
}

enum Source { Folder, Database };
enum Kind {
    PointSelect,
    PreparedSelect,
    InsertInTransaction,
    PreparedInsertInTransaction,
    LogInsertDateText,  // a month log's row, its date written as text
    LogInsertDateNumber // the same, its date written as a day number
};

bool IsInsert(Kind kind) {
    return kind != PointSelect && kind != PreparedSelect;
}
bool IsLogInsert(Kind kind) {
    return kind == LogInsertDateText || kind == LogInsertDateNumber;
}

// The text of the kind's statement for row `n`, its values written in.
QByteArray StatementText(Kind kind, int n) {
    const QString log =
        "INSERT INTO " + LogTable +
        " (個人コード, 操作種別, 操作日時, エラー種別, 認証機ID) VALUES ('%1', %2, ";
    switch (kind) {
    case InsertInTransaction:
        return QString("INSERT INTO ADDED (n, t) VALUES (%1, 'added %1')").arg(n).toUtf8();
    case LogInsertDateText:
        return (log + "'12/%3/2026 %4:%5:%6', 1, %7)")
            .arg(n % 500, 4, 10, QChar('0'))
            .arg(n % 2 ? 12 : 22)
            .arg(1 + n % 31)
            .arg(n / 60 % 24)
            .arg(n % 60)
            .arg(n * 7 % 60)
            .arg(1 + n % 32)
            .toUtf8();
    case LogInsertDateNumber:
        return (log + "%3, 1, %4)")
            .arg(n % 500, 4, 10, QChar('0'))
            .arg(n % 2 ? 12 : 22)
            .arg(46357.25 + n / 1000.0, 0, 'f', 6)
            .arg(1 + n % 32)
            .toUtf8();
    default:
        return QString("SELECT n, t, d FROM POINTS WHERE n = %1").arg(n).toUtf8();
    }
}

// One side of the comparison: a connection, its statement made ready for the kind.
struct Side {
    Client Connection;
    SQLINTEGER Number = 0;
    SQLLEN NumberInd = 0;
    char Text[32] = {0};
    SQLLEN TextInd = SQL_NTS;
    qint64 Nanoseconds = 0;
    const bool Inserts;

    const QByteArray Emptying;

    Side(const QString& connect, Kind kind)
        : Connection(connect), Inserts(IsInsert(kind)),
          Emptying(("DELETE FROM " + (IsLogInsert(kind) ? LogTable : QString("ADDED"))).toUtf8()) {
        const bool insert = Inserts;
        if (insert)
            SQLSetConnectAttr(Connection.Dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF,
                              0);
        if (kind != PreparedSelect && kind != PreparedInsertInTransaction)
            return;
        const char* sql = insert ? "INSERT INTO ADDED (n, t) VALUES (?, ?)"
                                 : "SELECT n, t, d FROM POINTS WHERE n = ?";
        SQLPrepare(Connection.St, (SQLCHAR*)sql, SQL_NTS);
        SQLBindParameter(Connection.St, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &Number,
                         0, &NumberInd);
        if (insert)
            SQLBindParameter(Connection.St, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 20, 0,
                             Text, sizeof Text, &TextInd);
    }
    ~Side() {
        if (!Inserts)
            return;
        SQLEndTran(SQL_HANDLE_DBC, Connection.Dbc, SQL_COMMIT);
        SQLSetConnectAttr(Connection.Dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_ON, 0);
        Connection.Exec(Emptying.constData());
    }

    // Runs the kind's statement for row `n`, timed; false when it failed.
    bool Run(Kind kind, int n) {
        QElapsedTimer timer;
        timer.start();
        Number = n;
        SQLRETURN rc;
        SQLFreeStmt(Connection.St, SQL_CLOSE);
        if (kind != PreparedSelect && kind != PreparedInsertInTransaction) {
            const QByteArray sql = StatementText(kind, n);
            rc = SQLExecDirect(Connection.St, (SQLCHAR*)sql.constData(), SQL_NTS);
        } else {
            std::snprintf(Text, sizeof Text, "added %d", n);
            rc = SQLExecute(Connection.St);
        }
        bool done = SQL_SUCCEEDED(rc);
        if (done && (kind == PointSelect || kind == PreparedSelect)) {
            SQLINTEGER read = 0;
            double d = 0;
            SQLLEN ind = 0;
            done =
                SQLFetch(Connection.St) == SQL_SUCCESS &&
                SQL_SUCCEEDED(SQLGetData(Connection.St, 1, SQL_C_SLONG, &read, 0, &ind)) &&
                SQL_SUCCEEDED(SQLGetData(Connection.St, 2, SQL_C_CHAR, Text, sizeof Text, &ind)) &&
                SQL_SUCCEEDED(SQLGetData(Connection.St, 3, SQL_C_DOUBLE, &d, 0, &ind)) && read == n;
        }
        Nanoseconds += timer.nsecsElapsed();
        return done;
    }
};

// A statement through our driver and the same through the peer, on the same file, in turn, so
// that both see the same load of a shared machine: the counters are each one's time a
// statement and the ratio. Inserts take turns by transactions, which would wait for each other;
// a commit's sync is the disk's, and not timed.
void BM_Statement(benchmark::State& state) {
    const auto kind = Kind(state.range(0));
    const auto source = Source(state.range(1));
    if (PeerDriver().isEmpty()) {
        state.SkipWithError("libsqliteodbc is not installed");
        return;
    }
    const DataFolder& data = PointData();
    const bool insert = IsInsert(kind);
    const QString table = IsLogInsert(kind) ? LogTable : insert ? "ADDED" : "POINTS";
    const QString peer =
        "DRIVER=" + PeerDriver() + ";SyncPragma=FULL;JournalMode=DELETE;Database=" +
        (source == Database ? data.Database() : data.Data.path() + "/" + table + ".DB");
    Side ours(source == Folder ? data.FolderConnect() : data.DatabaseConnect(), kind);
    Side theirs(peer, kind);
    Side* sides[2] = {&ours, &theirs};
    const int turn = insert ? InsertBlock : 1;
    qint64 statements = 0;
    for (auto _ : state) {
        for (Side* side : sides) {
            for (int i = 0; i < turn; ++i)
                if (!side->Run(kind, 1 + (statements + i) % PointRows))
                    state.SkipWithError("a statement failed");
            if (insert)
                SQLEndTran(SQL_HANDLE_DBC, side->Connection.Dbc, SQL_COMMIT);
        }
        statements += turn;
        std::swap(sides[0], sides[1]);
    }
    state.counters["ours_us"] = ours.Nanoseconds / 1000.0 / double(statements);
    state.counters["peer_us"] = theirs.Nanoseconds / 1000.0 / double(statements);
    state.counters["ratio"] = double(ours.Nanoseconds) / double(theirs.Nanoseconds);
    static const char* const kinds[] = {"point SELECT, literal",
                                        "point SELECT, prepared",
                                        "INSERT, literals, in a transaction",
                                        "INSERT, prepared, in a transaction",
                                        "log INSERT, date as text, in a transaction",
                                        "log INSERT, date as a number, in a transaction"};
    state.SetLabel(std::string(kinds[kind]) + (source == Folder ? ", table file" : ", database"));
}
BENCHMARK(BM_Statement)
    ->ArgsProduct({{PointSelect, PreparedSelect, InsertInTransaction, PreparedInsertInTransaction,
                    LogInsertDateText, LogInsertDateNumber},
                   {Folder, Database}})
    ->MinTime(2);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    return 0;
}
