// What a client gets after another connection, another program or a restore changed a table
// it has read: the statements and columns the driver keeps, and those the client prepared,
// answer with the table as it is now from their first run on.
#include "OdbcFixture.h"
#include "storage/Connection.h"
#include "storage/DataFileLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <cstdio>

namespace {

enum Source { Database, Folder };
enum Changer { SecondConnection, SecondProgram };

// One connection through the driver manager, the other client.
struct Client {
    SQLHDBC Dbc = nullptr;
    SQLHSTMT St = nullptr;
    Client(SQLHENV env, const QString& connect) {
        SQLAllocHandle(SQL_HANDLE_DBC, env, &Dbc);
        QByteArray text = connect.toUtf8();
        SQLDriverConnect(Dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, nullptr, 0,
                         nullptr, SQL_DRIVER_NOPROMPT);
        SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &St);
    }
    ~Client() {
        SQLFreeHandle(SQL_HANDLE_STMT, St);
        SQLDisconnect(Dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, Dbc);
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
};

} // namespace

struct KeptStatements : Odbc {
    QString Data;
    Source From = Database;
    Changer By = SecondConnection;

    // A fresh data folder for each source and changer, and the test's connection to it.
    void Start(Source source, Changer changer) {
        static int folders = 0;
        From = source;
        By = changer;
        Data = Temp.File(QString("data%1").arg(++folders));
        QDir().mkpath(Data);
        CreateDataFolder(Data);
        if (St) {
            SQLFreeHandle(SQL_HANDLE_STMT, St);
            St = nullptr;
            SQLDisconnect(Dbc);
        }
        ASSERT_TRUE(SQL_SUCCEEDED(DriverConnect(ConnectString()))) << Diag(SQL_HANDLE_DBC, Dbc);
        ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &St)));
    }
    QString ConnectString() const {
        return From == Database
                   ? QString("DRIVER={%1};DBQ=%2/VODURAVIRIVE.MDB").arg(AccessDriverName, Data)
                   : QString("DRIVER={%1};DefaultDir=%2").arg(ParadoxDriverName, Data);
    }
    std::string Case() const {
        return std::string(From == Database ? "database" : "table files") + ", changed by " +
               (By == SecondConnection ? "a second connection" : "a second program");
    }
    // The other client runs the statements, in order.
    void Change(const QStringList& statements) {
        if (By == SecondProgram) {
            QProcess changer;
            changer.start(QCoreApplication::applicationDirPath() + "/odbc_changer",
                          QStringList{ConnectString()} + statements);
            ASSERT_TRUE(changer.waitForFinished(30000));
            ASSERT_EQ(changer.exitCode(), 0) << changer.readAllStandardError().toStdString();
            return;
        }
        const Client other(Env, ConnectString());
        for (const QString& sql : statements) {
            QByteArray text = sql.toUtf8();
            SQLFreeStmt(other.St, SQL_CLOSE);
            ASSERT_TRUE(SQL_SUCCEEDED(
                SQLExecDirect(other.St, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS)))
                << Diag(SQL_HANDLE_STMT, other.St) << " " << text.toStdString();
        }
    }
    // The column names of the statement's result and its first row's values as text, as
    // "a=1 b=x".
    static std::string FirstRow(SQLHSTMT st) {
        SQLSMALLINT columns = 0;
        SQLNumResultCols(st, &columns);
        std::string row;
        const bool fetched = SQLFetch(st) == SQL_SUCCESS;
        for (SQLUSMALLINT c = 1; c <= columns; ++c) {
            SQLCHAR name[64] = {0};
            SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            SQLDescribeCol(st, c, name, sizeof name, &length, &type, &size, &digits, &nullable);
            char value[64] = "-";
            SQLLEN ind = 0;
            if (fetched &&
                SQL_SUCCEEDED(SQLGetData(st, c, SQL_C_CHAR, value, sizeof value, &ind)) &&
                ind == SQL_NULL_DATA)
                std::snprintf(value, sizeof value, "null");
            row += (c > 1 ? " " : "") + std::string(reinterpret_cast<char*>(name)) + "=" + value;
        }
        SQLFreeStmt(st, SQL_CLOSE);
        return row;
    }
    std::string Query(const QString& sql) {
        if (!SQL_SUCCEEDED(Exec(sql)))
            return Diag(SQL_HANDLE_STMT, St);
        return FirstRow(St);
    }
    // Runs `sql` three times, so the driver keeps its statement, translation and columns, and
    // lets go of the client's statement, whose preparation holds its tables.
    void Keep(const QString& sql) {
        for (int i = 0; i < 3; ++i)
            Query(sql);
        SQLFreeHandle(SQL_HANDLE_STMT, St);
        SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &St);
    }
    // Replaces the table file S as the restore does: a new file holding one row of `a`, moved
    // in place under the file's exclusive hold.
    void Restore(int a) {
        const QString staged = Temp.File("S.DB");
        SqlConnection::OpenDatabase(staged, true)
            ->Execute(QString("CREATE TABLE S (a LONG); INSERT INTO S (a) VALUES (%1)").arg(a));
        const DataFileLock exclusive(Data + "/S.DB", DataFileLock::Exclusive);
        ASSERT_TRUE(exclusive.IsLocked());
        ASSERT_EQ(std::rename(QFile::encodeName(staged).constData(),
                              QFile::encodeName(Data + "/S.DB").constData()),
                  0);
    }
    // The SQLSTATE of the first diagnostic, or "" for none.
    std::string State() const { return Diag(SQL_HANDLE_STMT, St).substr(0, 5); }
};

// Another client adds a column: a query kept by the driver, one the client prepared before and
// one after the connection's own change answer with every column from their first run on.
TEST_F(KeptStatements, AColumnAddedElsewhereShowsAtTheNextRun) {
    for (const Source source : {Database, Folder})
        for (const Changer changer : {SecondConnection, SecondProgram}) {
            Start(source, changer);
            SCOPED_TRACE(Case());
            MustExec("CREATE TABLE S (a LONG, b TEXT (10))");
            MustExec("INSERT INTO S (a, b) VALUES (1, 'x')");
            Keep("SELECT * FROM S");
            Keep("SELECT * FROM S WHERE a = 1");
            SQLHSTMT prepared = nullptr;
            SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &prepared);
            ASSERT_TRUE(SQL_SUCCEEDED(SQLPrepare(prepared, (SQLCHAR*)"SELECT * FROM S", SQL_NTS)));
            SQLExecute(prepared);
            EXPECT_EQ(FirstRow(prepared), "a=1 b=x");
            Change({"ALTER TABLE S ADD COLUMN c LONG", "UPDATE S SET c = 7"});
            SQLSMALLINT columns = 0;
            ASSERT_TRUE(SQL_SUCCEEDED(SQLPrepare(St, (SQLCHAR*)"SELECT * FROM S", SQL_NTS)));
            SQLNumResultCols(St, &columns);
            EXPECT_EQ(columns, 3) << "prepared anew, described before it runs";
            SQLNumResultCols(prepared, &columns);
            EXPECT_EQ(columns, 3) << "described before it runs again";
            EXPECT_EQ(Query("SELECT * FROM S"), "a=1 b=x c=7");
            EXPECT_EQ(Query("SELECT * FROM S WHERE a = 1"), "a=1 b=x c=7");
            ASSERT_TRUE(SQL_SUCCEEDED(SQLExecute(prepared)));
            EXPECT_EQ(FirstRow(prepared), "a=1 b=x c=7");
            MustExec("ALTER TABLE S ADD COLUMN e LONG");
            EXPECT_EQ(Query("SELECT * FROM S"), "a=1 b=x c=7 e=null");
            ASSERT_TRUE(SQL_SUCCEEDED(SQLExecute(prepared)));
            EXPECT_EQ(FirstRow(prepared), "a=1 b=x c=7 e=null");
            SQLFreeHandle(SQL_HANDLE_STMT, prepared);
        }
}

// Another client drops the table and makes it anew with its columns the other way round: each
// value comes under its own name.
TEST_F(KeptStatements, ATableMadeAnewElsewhereGivesEachValueUnderItsName) {
    for (const Source source : {Database, Folder})
        for (const Changer changer : {SecondConnection, SecondProgram}) {
            Start(source, changer);
            SCOPED_TRACE(Case());
            MustExec("CREATE TABLE S (a TEXT (10), b TEXT (10))");
            MustExec("INSERT INTO S (a, b) VALUES ('A1', 'B1')");
            Keep("SELECT * FROM S");
            Change({"DROP TABLE S", "CREATE TABLE S (b TEXT (10), a TEXT (10))",
                    "INSERT INTO S (a, b) VALUES ('A2', 'B2')"});
            EXPECT_EQ(Query("SELECT * FROM S"), "b=B2 a=A2");
            EXPECT_EQ(Query("SELECT * FROM S"), "b=B2 a=A2");
        }
}

// A date written as text into a DATETIME column that another client added or made is stored as
// a day number, so a date condition finds it only where it belongs.
TEST_F(KeptStatements, ADateTextGoesInAsADayNumberWhoeverMadeTheColumn) {
    for (const Source source : {Database, Folder})
        for (const Changer changer : {SecondConnection, SecondProgram}) {
            Start(source, changer);
            SCOPED_TRACE(Case());
            MustExec("CREATE TABLE S (a LONG)");
            Keep("SELECT * FROM S");
            Keep("INSERT INTO S (a) VALUES (0)");
            Change({"ALTER TABLE S ADD COLUMN d DATETIME", "CREATE TABLE N (a LONG, d DATETIME)"});
            for (const char* table : {"S", "N"}) {
                SCOPED_TRACE(table);
                MustExec(
                    QString("INSERT INTO %1 (a, d) VALUES (1, '12/31/2026 12:00:00')").arg(table));
                EXPECT_EQ(
                    Count(QString("SELECT count(*) FROM %1 WHERE d >= #2027/1/1#").arg(table)), 0);
                EXPECT_EQ(
                    Count(QString("SELECT count(*) FROM %1 WHERE d >= #2026/12/31#").arg(table)),
                    1);
            }
            // The same after a transaction of the connection's own on the table.
            SQLSetConnectAttr(Dbc, SQL_ATTR_AUTOCOMMIT,
                              reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
            MustExec("INSERT INTO S (a) VALUES (2)");
            SQLEndTran(SQL_HANDLE_DBC, Dbc, SQL_COMMIT);
            Change({"ALTER TABLE S ADD COLUMN e DATETIME"});
            MustExec("INSERT INTO S (a, e) VALUES (3, '12/31/2026 12:00:00')");
            SQLEndTran(SQL_HANDLE_DBC, Dbc, SQL_COMMIT);
            SQLSetConnectAttr(Dbc, SQL_ATTR_AUTOCOMMIT,
                              reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
            EXPECT_EQ(Count("SELECT count(*) FROM S WHERE e >= #2027/1/1#"), 0);
            EXPECT_EQ(Count("SELECT count(*) FROM S WHERE e >= #2026/12/31#"), 1);
        }
}

// The restore replaces a table file under its exclusive hold while the client is idle: the
// client's next statement reads the new file, also in a transaction that another table's
// change began; a transaction that had taken the old file gets a clear error until it ends.
TEST_F(KeptStatements, ATableFileReplacedByTheRestoreIsReadAsTheNewFile) {
    for (const bool autocommit : {true, false}) {
        Start(Folder, SecondConnection);
        SCOPED_TRACE(autocommit ? "autocommit" : "in a transaction");
        MustExec("CREATE TABLE S (a LONG)");
        MustExec("CREATE TABLE T (a LONG)");
        MustExec("INSERT INTO S (a) VALUES (1)");
        SQLSetConnectAttr(
            Dbc, SQL_ATTR_AUTOCOMMIT,
            reinterpret_cast<SQLPOINTER>(autocommit ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0);
        Keep("SELECT * FROM S");
        Keep("SELECT a FROM S WHERE a = 1");
        SQLEndTran(SQL_HANDLE_DBC, Dbc, SQL_COMMIT);
        Restore(2);
        MustExec("INSERT INTO T (a) VALUES (1)");
        EXPECT_EQ(Query("SELECT * FROM S"), "a=2");
        EXPECT_EQ(Query("SELECT a FROM S WHERE a = 1"), "a=-");
        Keep("SELECT a FROM S WHERE a = 1");
        SQLEndTran(SQL_HANDLE_DBC, Dbc, SQL_COMMIT);
        if (autocommit)
            continue;
        MustExec("INSERT INTO T (a) VALUES (2)");
        Restore(3);
        for (int i = 0; i < 2; ++i) {
            EXPECT_FALSE(SQL_SUCCEEDED(Exec("SELECT * FROM S")));
            EXPECT_NE(Diag(SQL_HANDLE_STMT, St).find("replaced"), std::string::npos)
                << Diag(SQL_HANDLE_STMT, St);
        }
        SQLEndTran(SQL_HANDLE_DBC, Dbc, SQL_ROLLBACK);
        EXPECT_EQ(Query("SELECT * FROM S"), "a=3");
        SQLSetConnectAttr(Dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                          0);
    }
}

// RENAME TO passes the rule CREATE TABLE passes (a table is a file directly in the folder),
// and a table file's table keeps the file's name; its columns may still be renamed.
TEST_F(KeptStatements, RenameToPassesTheTableNameRule) {
    Start(Folder, SecondConnection);
    for (const char* name : {"\"../X\"", "[../X]", "'../X'", "\"a/b\"", "\".hidden\"", "OTHER"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(
            SQL_SUCCEEDED(Exec(QString("ALTER TABLE ENTRANCESTATE RENAME TO %1").arg(name))));
        EXPECT_EQ(State(), "42000");
    }
    EXPECT_EQ(Count("SELECT count(*) FROM ENTRANCESTATE"), 0);
    EXPECT_FALSE(SqlConnection::OpenFolder(Data)->Columns("ENTRANCESTATE").isEmpty());
    MustExec("CREATE TABLE S (a LONG)");
    MustExec("ALTER TABLE S RENAME COLUMN a TO b");
    EXPECT_EQ(Count("SELECT count(b) FROM S"), 0);
}

// A hex literal is a number, a "?" in a comment no parameter, and a quoted name after IF NOT
// EXISTS a table's name.
TEST_F(KeptStatements, HexLiteralsCommentsAndQuotedNamesReadAsSqliteReadsThem) {
    for (const Source source : {Database, Folder}) {
        Start(source, SecondConnection);
        SCOPED_TRACE(Case());
        MustExec("CREATE TABLE S (a LONG)");
        MustExec("INSERT INTO S (a) VALUES (16)");
        EXPECT_EQ(Count("SELECT count(*) FROM S WHERE a = 0x10"), 1);
        EXPECT_EQ(Count("SELECT 0x10 + 1 FROM S"), 17);
        ASSERT_TRUE(SQL_SUCCEEDED(SQLPrepare(
            St, (SQLCHAR*)"SELECT a /* which one? */ FROM S WHERE a = ? -- and this?\n", SQL_NTS)))
            << Diag(SQL_HANDLE_STMT, St);
        SQLSMALLINT params = 0;
        SQLNumParams(St, &params);
        EXPECT_EQ(params, 1);
        MustExec("CREATE TABLE IF NOT EXISTS \"GOOD1\" (a LONG)");
        MustExec("CREATE TABLE IF NOT EXISTS \"GOOD1\" (a LONG)");
        MustExec("INSERT INTO GOOD1 (a) VALUES (5)");
        EXPECT_EQ(Count("SELECT a FROM \"GOOD1\""), 5);
        MustExec("DROP TABLE IF EXISTS \"GOOD1\"");
        EXPECT_FALSE(SQL_SUCCEEDED(Exec("SELECT a FROM GOOD1")));
    }
}
