// The driver called straight, without a driver manager to make threads take turns: the driver
// itself lets one call at a time run on a connection and its statements.
#include "OdbcFixture.h"

#include <atomic>
#include <dlfcn.h>
#include <thread>

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

constexpr int Rows = 100;
constexpr int Rounds = 2000;

} // namespace

TEST_F(Odbc, TwoThreadsOnOneConnectionTakeTurnsInTheDriver) {
    const DriverLibrary driver;
    ASSERT_TRUE(driver.Loaded()) << dlerror();
    auto alloc = driver.Call<decltype(SQLAllocHandle)>("SQLAllocHandle");
    auto free = driver.Call<decltype(SQLFreeHandle)>("SQLFreeHandle");
    auto connect = driver.Call<decltype(SQLDriverConnect)>("SQLDriverConnect");
    auto disconnect = driver.Call<decltype(SQLDisconnect)>("SQLDisconnect");
    auto exec = driver.Call<decltype(SQLExecDirect)>("SQLExecDirect");
    auto fetch = driver.Call<decltype(SQLFetch)>("SQLFetch");
    auto getData = driver.Call<decltype(SQLGetData)>("SQLGetData");
    auto close = driver.Call<decltype(SQLFreeStmt)>("SQLFreeStmt");
    auto run = [&](SQLHSTMT st, const QByteArray& sql) {
        close(st, SQL_CLOSE);
        return exec(st, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.constData())), SQL_NTS);
    };

    SQLHENV env = nullptr;
    SQLHDBC dbc = nullptr;
    alloc(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    alloc(SQL_HANDLE_DBC, env, &dbc);
    QByteArray in = ("DBQ=" + Temp.Path() + "/VoduraviRive.MDB").toUtf8();
    ASSERT_TRUE(SQL_SUCCEEDED(connect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(in.data()), SQL_NTS,
                                      nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)));
    SQLHSTMT statements[2] = {};
    for (SQLHSTMT& st : statements)
        ASSERT_TRUE(SQL_SUCCEEDED(alloc(SQL_HANDLE_STMT, dbc, &st)));
    ASSERT_TRUE(SQL_SUCCEEDED(run(statements[0], "CREATE TABLE NUMBERS (N INTEGER)")));
    for (int n = 1; n <= Rows; ++n)
        run(statements[0], "INSERT INTO NUMBERS (N) VALUES (" + QByteArray::number(n) + ")");

    // Each thread reads the whole table again and again on its own statement.
    std::atomic<int> wrong = 0;
    auto reader = [&](SQLHSTMT st) {
        for (int round = 0; round < Rounds; ++round) {
            long sum = 0;
            if (SQL_SUCCEEDED(run(st, "SELECT N FROM NUMBERS")))
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

    for (SQLHSTMT st : statements)
        free(SQL_HANDLE_STMT, st);
    disconnect(dbc);
    free(SQL_HANDLE_DBC, dbc);
    free(SQL_HANDLE_ENV, env);
}
