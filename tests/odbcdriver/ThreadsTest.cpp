// The driver called straight, without a driver manager to make threads take turns: the driver
// itself lets one call at a time run on a connection and its statements.
#include "OdbcFixture.h"

#include <atomic>
#include <dlfcn.h>
#include <thread>
#include <vector>

namespace {

// The driver library loaded on its own, its entry points looked up by name.
class DriverLibrary {
public:
    DriverLibrary()
        : FHandle(dlopen(DefaultDriverLibrary().toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL)) {
    }
    ~DriverLibrary() {
        if (FHandle)
            dlclose(FHandle);
    }
    DriverLibrary(const DriverLibrary&) = delete;
    DriverLibrary& operator=(const DriverLibrary&) = delete;

    bool Loaded() const { return FHandle; }
    template <typename F> F* Call(const char* name) const {
        return reinterpret_cast<F*>(dlsym(FHandle, name));
    }

private:
    void* FHandle;
};

// A connection made straight through the driver to the database of `folder`, freed with it.
class DriverConnection {
public:
    explicit DriverConnection(const QString& folder) {
        if (!Driver.Loaded())
            return;
        alloc(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &Env);
        alloc(SQL_HANDLE_DBC, Env, &Dbc);
        QByteArray in = ("DBQ=" + folder + "/VoduraviRive.MDB").toUtf8();
        FConnected = SQL_SUCCEEDED(Driver.Call<decltype(SQLDriverConnect)>("SQLDriverConnect")(
            Dbc, nullptr, reinterpret_cast<SQLCHAR*>(in.data()), SQL_NTS, nullptr, 0, nullptr,
            SQL_DRIVER_NOPROMPT));
    }
    ~DriverConnection() {
        if (!Driver.Loaded())
            return;
        for (SQLHSTMT st : FStatements)
            free(SQL_HANDLE_STMT, st);
        Driver.Call<decltype(SQLDisconnect)>("SQLDisconnect")(Dbc);
        free(SQL_HANDLE_DBC, Dbc);
        free(SQL_HANDLE_ENV, Env);
    }
    DriverConnection(const DriverConnection&) = delete;
    DriverConnection& operator=(const DriverConnection&) = delete;

    bool Connected() const { return FConnected; }
    SQLHSTMT NewStatement() {
        SQLHSTMT st = nullptr;
        alloc(SQL_HANDLE_STMT, Dbc, &st);
        FStatements.push_back(st);
        return st;
    }
    SQLRETURN Run(SQLHSTMT st, const QByteArray& sql) const {
        Driver.Call<decltype(SQLFreeStmt)>("SQLFreeStmt")(st, SQL_CLOSE);
        return Driver.Call<decltype(SQLExecDirect)>("SQLExecDirect")(
            st, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.constData())), SQL_NTS);
    }

    const DriverLibrary Driver;
    SQLHENV Env = nullptr;
    SQLHDBC Dbc = nullptr;

private:
    decltype(SQLAllocHandle)* alloc = Driver.Call<decltype(SQLAllocHandle)>("SQLAllocHandle");
    decltype(SQLFreeHandle)* free = Driver.Call<decltype(SQLFreeHandle)>("SQLFreeHandle");
    bool FConnected = false;
    std::vector<SQLHSTMT> FStatements;
};

constexpr int Rows = 100;
constexpr int Rounds = 2000;

} // namespace

TEST_F(Odbc, TwoThreadsOnOneConnectionTakeTurnsInTheDriver) {
    DriverConnection c(Temp.Path());
    ASSERT_TRUE(c.Driver.Loaded()) << dlerror();
    ASSERT_TRUE(c.Connected());
    auto fetch = c.Driver.Call<decltype(SQLFetch)>("SQLFetch");
    auto getData = c.Driver.Call<decltype(SQLGetData)>("SQLGetData");
    const SQLHSTMT statements[2] = {c.NewStatement(), c.NewStatement()};
    ASSERT_TRUE(SQL_SUCCEEDED(c.Run(statements[0], "CREATE TABLE NUMBERS (N INTEGER)")));
    for (int n = 1; n <= Rows; ++n)
        c.Run(statements[0], "INSERT INTO NUMBERS (N) VALUES (" + QByteArray::number(n) + ")");

    // Each thread reads the whole table again and again on its own statement.
    std::atomic<int> wrong = 0;
    auto reader = [&](SQLHSTMT st) {
        for (int round = 0; round < Rounds; ++round) {
            long sum = 0;
            if (SQL_SUCCEEDED(c.Run(st, "SELECT N FROM NUMBERS")))
                for (SQLINTEGER n = 0; SQL_SUCCEEDED(fetch(st));) {
                    SQLLEN indicator = 0;
                    getData(st, 1, SQL_C_SLONG, &n, 0, &indicator);
                    sum += n;
                }
            wrong += sum != long(Rows) * (Rows + 1) / 2;
        }
    };
    std::thread first(reader, statements[0]);
    std::thread second(reader, statements[1]);
    first.join();
    second.join();
    EXPECT_EQ(wrong, 0);
}

// A cancel of a statement waiting for data at execution, while another statement's endless
// query holds the connection, returns at once and the wait is over: the statement's next call
// finds nothing to take data for, and nothing was written.
TEST_F(Odbc, ACancelWhileTheConnectionIsBusyEndsAWaitForData) {
    DriverConnection c(Temp.Path());
    ASSERT_TRUE(c.Driver.Loaded()) << dlerror();
    ASSERT_TRUE(c.Connected());
    auto cancel = c.Driver.Call<decltype(SQLCancel)>("SQLCancel");
    auto paramData = c.Driver.Call<decltype(SQLParamData)>("SQLParamData");
    const SQLHSTMT endless = c.NewStatement();
    const SQLHSTMT waiting = c.NewStatement();
    ASSERT_TRUE(SQL_SUCCEEDED(c.Run(endless, "CREATE TABLE t (n LONG)")));
    ASSERT_TRUE(SQL_SUCCEEDED(c.Driver.Call<decltype(SQLPrepare)>("SQLPrepare")(
        waiting, (SQLCHAR*)"INSERT INTO t (n) VALUES (?)", SQL_NTS)));
    SQLLEN atExecution = SQL_DATA_AT_EXEC;
    ASSERT_TRUE(SQL_SUCCEEDED(c.Driver.Call<decltype(SQLBindParameter)>("SQLBindParameter")(
        waiting, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, nullptr, 0, &atExecution)));
    ASSERT_EQ(c.Driver.Call<decltype(SQLExecute)>("SQLExecute")(waiting), SQL_NEED_DATA);

    std::atomic<bool> done = false;
    std::thread running([&] {
        c.Run(endless, "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                       "SELECT count(*) FROM c");
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_FALSE(done) << "the endless query holds the connection";
    EXPECT_EQ(cancel(waiting), SQL_SUCCESS);
    for (int tries = 0; !done && tries < 200; ++tries) {
        cancel(endless);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    running.join();

    SQLPOINTER token = nullptr;
    EXPECT_EQ(paramData(waiting, &token), SQL_ERROR) << "no longer waiting for data";
    auto fetch = c.Driver.Call<decltype(SQLFetch)>("SQLFetch");
    auto getData = c.Driver.Call<decltype(SQLGetData)>("SQLGetData");
    ASSERT_TRUE(SQL_SUCCEEDED(c.Run(endless, "SELECT count(*) FROM t")));
    ASSERT_TRUE(SQL_SUCCEEDED(fetch(endless)));
    SQLINTEGER rows = -1;
    SQLLEN indicator = 0;
    getData(endless, 1, SQL_C_SLONG, &rows, 0, &indicator);
    EXPECT_EQ(rows, 0);
}
