#include "OdbcFixture.h"
#include "odbc/ODBCScreen.h"
#include "ui/ShowMessage.h"
#include "ui/WaitCursor.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

TEST_F(OdbcTest, ConnectStringFromTheProperties) {
    struct Case {
        QString UserID, Password, ConnectInfo;
        std::string Expected;
    };
    const Case cases[] = {
        {"", "<Null>", "", "DSN=ZorarareVUZU;PWD="},
        {"", "", "", "DSN=ZorarareVUZU"},
        {"admin", "secret", "DBQ=/data/VODURAVIRIVE.MDB",
         "DSN=ZorarareVUZU;UID=admin;PWD=secret;DBQ=/data/VODURAVIRIVE.MDB"},
        // A value cannot end early or add attributes of its own.
        {"a;b", "x;UID=root", "", "DSN=ZorarareVUZU;UID={a;b};PWD={x;UID=root}"},
    };
    for (const Case& c : cases) {
        Dm.Reset();
        auto query = NewQuery();
        query->SetUserID(c.UserID);
        query->SetPassword(c.Password);
        query->SetConnectInfo(c.ConnectInfo);
        query->Connect();
        EXPECT_EQ(Dm.ConnectString, c.Expected);
        EXPECT_EQ(query->CompletedConnectString().toStdString(), c.Expected);
    }
}

TEST_F(OdbcTest, PlainConnectPassesNameUserAndPassword) {
    auto query = NewQuery();
    query->SetDriverConnect(false);
    query->SetUserID("u");
    query->SetPassword("p");
    query->SetConnectInfo("DBQ=ignored");
    query->Connect();
    EXPECT_TRUE(Dm.Called("SQLConnect ZorarareVUZU,u,p"));
    EXPECT_TRUE(Dm.CallsOf("SQLDriverConnect").empty());
}

TEST_F(OdbcTest, ConnectCallsInOrder) {
    auto query = NewQuery(ODBC35);
    query->SetTransaction(true);
    query->Connect();
    const std::vector<std::string> expected = {
        "SQLAllocHandle 1",        "SQLSetEnvAttr 200",
        "SQLAllocHandle 2",        "SQLDriverConnect DSN=ZorarareVUZU",
        "SQLGetFunctions 1021",    "SQLAllocHandle 3",
        "SQLSetConnectAttr 6=1",   "SQLFreeHandle 3",
        "SQLGetInfo 150",          "SQLSetConnectAttr 12=2",
        "SQLSetConnectAttr 102=0",
    };
    EXPECT_EQ(Dm.Calls, expected);
    EXPECT_TRUE(query->Capabilities().Bookmark);
    EXPECT_TRUE(query->Capabilities().Prior);
}

// A connect that fails leaves no handle, and nobody hears of a connection.
TEST_F(OdbcTest, FailedConnectKeepsNothing) {
    struct Case {
        const char* Call;
        SQLRETURN Result;
        bool ReadOnly;
        QString Message;
    };
    const Case cases[] = {
        {"SQLDriverConnect", SQL_NO_DATA, false, "接続処理が中止されました。"},
        {"SQLDriverConnect", SQL_ERROR, false, "login refused"},
        {"SQLAllocHandle", SQL_ERROR, false, "login refused"},
        {"SQLSetConnectAttr", SQL_ERROR, true, "login refused"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Call);
        Dm.Reset();
        bool after = false;
        std::vector<int> states;
        auto query = NewQuery();
        query->SetReadOnly(c.ReadOnly);
        query->AfterConnect = [&](TComponent*) { after = true; };
        query->SetStateListener(this,
                                [&](TCustomQueryODBC*, int state) { states.push_back(state); });
        Dm.Results[c.Call] = {c.Result};
        if (c.Result == SQL_ERROR)
            Dm.Diags = {{"28000", 1, "login refused"}};
        EXPECT_EQ(ErrorOf([&] { query->Connect(); }).Message(), c.Message);
        EXPECT_FALSE(query->Connected());
        EXPECT_EQ(Dm.LiveHandles, 0);
        EXPECT_FALSE(after);
        EXPECT_TRUE(states.empty());
    }
}

TEST_F(OdbcTest, FailedConnectWithoutDiagnosticsIsStillAFailure) {
    auto query = NewQuery();
    Dm.Results["SQLDriverConnect"] = {SQL_ERROR};
    EXPECT_EQ(ErrorOf([&] { query->Connect(); }).Message(), "QueryODBC: Connect failed.");
    EXPECT_EQ(Dm.LiveHandles, 0);
}

TEST_F(OdbcTest, FetchScrollAndCursorTypeFollowEachOther) {
    auto query = NewQuery();
    query->SetFetchScroll(false);
    EXPECT_EQ(query->CursorType(), qoForwardOnly);
    query->SetCursorType(qoStatic);
    EXPECT_TRUE(query->FetchScroll());
}

TEST_F(OdbcTest, DriverWithoutScrollingTurnsFetchScrollOff) {
    for (TqoODBCVersion version : {ODBC20, ODBC35}) {
        Dm.Reset();
        Dm.MissingFunctions = {SQL_API_SQLFETCHSCROLL, SQL_API_SQLEXTENDEDFETCH};
        auto query = NewQuery(version);
        query->Connect();
        EXPECT_FALSE(query->FetchScroll());
        EXPECT_EQ(query->CursorType(), qoForwardOnly);
    }
}

TEST_F(OdbcTest, DriverChoosesAnotherCursorType) {
    Dm.CursorTypes = {SQL_CURSOR_FORWARD_ONLY, SQL_CURSOR_STATIC};
    auto query = NewQuery();
    query->Connect();
    EXPECT_EQ(query->CursorType(), qoStatic);
    EXPECT_TRUE(Dm.Called("SQLGetInfo 167"));
}

TEST_F(OdbcTest, CommitAndRollbackNeedTransaction) {
    auto query = NewQuery();
    query->Connect();
    EXPECT_EQ(ErrorOf([&] { query->Commit(); }).Message(),
              "Q1: Commit will need only Transaction=True.");
    EXPECT_EQ(ErrorOf([&] { query->Rollback(); }).Message(),
              "Q1: Rollback will need only Transaction=True.");
    query->SetTransaction(true);
    EXPECT_TRUE(Dm.Called("SQLSetConnectAttr 102=0"));
    query->ExecDirect("UPDATE t SET a = 1");
    EXPECT_TRUE(query->WorkPending());
    query->Commit();
    EXPECT_TRUE(Dm.Called("SQLEndTran commit"));
    EXPECT_FALSE(query->WorkPending());
}

TEST_F(OdbcTest, ODBC2TransactionsUseTransact) {
    auto query = NewQuery(ODBC20);
    query->SetTransaction(true);
    query->Connect();
    EXPECT_TRUE(Dm.Called("SQLSetConnectOption 102=0"));
    query->Rollback();
    EXPECT_TRUE(Dm.Called("SQLTransact rollback"));
}

// A plain query raises the notice right after the rollback; the next Disconnect closes.
TEST_F(OdbcTest, AutomaticRollbackNoticeOfAPlainQuery) {
    auto query = NewQuery();
    query->SetTransaction(true);
    query->ExecDirect("UPDATE t SET a = 1");
    EXPECT_EQ(ErrorOf([&] { query->Disconnect(); }).Message(),
              "Q1: QueryODBC: Automatic rollback issued.");
    EXPECT_TRUE(Dm.Called("SQLEndTran rollback"));
    EXPECT_TRUE(query->Connected());
    query->Disconnect();
    EXPECT_FALSE(query->Connected());
    EXPECT_EQ(Dm.LiveHandles, 0);
}

TEST_F(OdbcTest, AutomaticRollbackNoticeOfAnInternalQueryIsShown) {
    auto query = NewQuery<TQryIntODBC>();
    query->SetTransaction(true);
    query->ExecDirect("UPDATE t SET a = 1");
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    query->Disconnect();
    EXPECT_EQ(shown, "QueryODBC: Automatic rollback issued.");
    EXPECT_FALSE(query->Connected());
    EXPECT_EQ(Dm.LiveHandles, 0);
}

// Until a program hands in its screen the library shows nothing: no cursor, no box, and the
// notice goes to the log.
TEST_F(OdbcTest, WithoutAScreenHandedInNothingShows) {
    static QStringList logged;
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { logged << text; });
    SetODBCScreen({});
    auto query = NewQuery<TQryIntODBC>();
    query->SetTransaction(true);
    bool cursor = false;
    query->SetStateListener(
        this, [&](TCustomQueryODBC*, int) { cursor |= QApplication::overrideCursor() != nullptr; });
    bool boxShown = false;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxShown = true;
            box->accept();
        }
    });
    query->ExecDirect("UPDATE t SET a = 1");
    query->Disconnect();
    query->RemoveListener(this);
    SetODBCScreen({SetWaitCursor, ShowMessage});
    qInstallMessageHandler(previous);
    EXPECT_FALSE(cursor);
    EXPECT_FALSE(boxShown);
    EXPECT_TRUE(logged.contains("QueryODBC: Automatic rollback issued."));
    EXPECT_FALSE(query->Connected());
}

TEST_F(OdbcTest, TransIsolation) {
    auto query = NewQuery();
    query->SetTransIsolation(qoRepeatableRead);
    EXPECT_EQ(query->TransIsolation(), qoRepeatableRead);
    query->Connect();
    EXPECT_TRUE(Dm.Called("SQLSetConnectAttr 108=4"));
    Dm.TxnIsolation = 0;
    EXPECT_EQ(query->TransIsolation(), qoSerializable);
    Dm.TxnIsolation = SQL_TXN_READ_UNCOMMITTED;
    EXPECT_EQ(query->TransIsolation(), qoDirtyRead);
}

TEST_F(OdbcTest, ListenersHearStatesInOrder) {
    SetTable(0);
    auto query = NewQuery();
    std::vector<int> states;
    query->SetStateListener(this, [&](TCustomQueryODBC*, int state) { states.push_back(state); });
    query->SetSQLText("UPDATE t SET a = 1");
    query->Execute();
    query->Disconnect();
    EXPECT_EQ(states, (std::vector<int>{0, 1, 2, 3}));
    query->RemoveListener(this);
    query->Connect();
    EXPECT_EQ(states.size(), 4u);
}
