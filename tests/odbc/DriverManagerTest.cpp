// The library through unixODBC's own driver manager, before any driver is reached.
#include "OdbcFixture.h"

#include <QApplication>

TEST(UnixOdbc, UnknownDataSourceFailsWithTheDriverManagersDiagnostics) {
    InstallDriverOnce();
    for (TqoODBCVersion version : {ODBC20, ODBC30, ODBC35}) {
        for (bool driverConnect : {true, false}) {
            SCOPED_TRACE(testing::Message() << version << driverConnect);
            TCustomQueryODBC query;
            query.SetName("sqlGazo");
            query.SetODBCVersion(version);
            query.SetDriverConnect(driverConnect);
            query.SetDSName("NoSuchSource");
            const EODBCError e = ErrorOf([&] { query.Connect(); });
            EXPECT_EQ(e.FunctionName(), driverConnect ? "SQLDriverConnect" : "SQLConnect");
            EXPECT_EQ(e.SQLState(), "IM002");
            EXPECT_TRUE(e.ErrorMessage().contains("Data source name not found"));
            EXPECT_FALSE(query.Connected());
            EXPECT_EQ(query.ConnectionHandle(), nullptr);
        }
    }
}

TEST_F(OdbcTest, WaitCursorShowsWhileAnInternalQueryWorks) {
    SetTable(1);
    auto query = NewQuery<TQryIntODBC>();
    bool waiting = false;
    query->SetStateListener(this, [&](TCustomQueryODBC*, int state) {
        if (state == qoExecuted)
            waiting = QApplication::overrideCursor() &&
                      QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    });
    query->SetSQLText("SELECT id, name FROM t");
    query->Execute();
    EXPECT_TRUE(waiting);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    Dm.Results["SQLPrepare"] = {SQL_ERROR};
    Dm.Diags = {{"42000", 1, "syntax"}};
    EXPECT_EQ(ErrorOf([&] { query->Prepare(); }).Message(), "syntax");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    query->RemoveListener(this);
}
