#include "OdbcFixture.h"

namespace {

// A TCloneODBC like the communication program's, with clone queries that record their states.
struct CloneSetUp {
    std::vector<std::string> States;
    TCloneODBC Connection;
    std::unique_ptr<TCustomQueryODBC> A = std::make_unique<TCustomQueryODBC>();
    std::unique_ptr<TCustomQueryODBC> B = std::make_unique<TCustomQueryODBC>();

    CloneSetUp() {
        Connection.SetName("CloneODBC1");
        Connection.SetDriverConnect(false);
        Connection.SetDSName("ZorarareVUZU");
        Connection.SetLibraryName(FAKE_DM_PATH);
        Connection.SetODBCVersion(ODBC35);
        Listen(*A, "A");
        Listen(*B, "B");
        A->SetName("A");
        A->SetClone(&Connection);
    }
    // Connects and leaves a result open on the clone A.
    void OpenResultOnA() {
        Connection.Connect();
        A->CursorState = qoKeep;
        A->SetSQLText("SELECT id, name FROM t");
        A->Execute();
    }
    void Listen(TCustomQueryODBC& query, const std::string& name) {
        query.SetStateListener(this, [this, name](TCustomQueryODBC*, int state) {
            States.push_back(name + std::to_string(state));
        });
    }
};

} // namespace

TEST_F(OdbcTest, OriginSharesItsConnectionWithEveryClone) {
    CloneSetUp s;
    s.Connection.Connect();
    EXPECT_TRUE(Dm.Called("SQLConnect ZorarareVUZU,,"));
    EXPECT_TRUE(s.A->Connected());
    EXPECT_EQ(s.A->ConnectionHandle(), s.Connection.OriginQuery().ConnectionHandle());
    EXPECT_EQ(s.A->ODBCVersion(), ODBC35);
    // A query that joins later is connected at once.
    s.B->SetClone(&s.Connection);
    EXPECT_TRUE(s.B->Connected());
    EXPECT_EQ(s.States, (std::vector<std::string>{"A0", "B0"}));

    s.States.clear();
    Dm.Calls.clear();
    s.Connection.Disconnect();
    EXPECT_EQ(s.States, (std::vector<std::string>{"A2", "A3", "B2", "B3"}));
    EXPECT_TRUE(Dm.Called("SQLDisconnect"));
    EXPECT_FALSE(s.A->Connected());
    EXPECT_EQ(s.A->ConnectionHandle(), nullptr);
    EXPECT_EQ(Dm.LiveHandles, 0);
}

TEST_F(OdbcTest, CloneCannotConnectItself) {
    CloneSetUp s;
    EXPECT_EQ(ErrorOf([&] { s.A->Connect(); }).Message(),
              "A: Unable to do this action in the Clone mode.");
    s.Connection.Connect();
    EXPECT_EQ(ErrorOf([&] { s.A->Disconnect(); }).Message(),
              "A: Unable to do this action in the Clone mode.");
    EXPECT_EQ(ErrorOf([&] { s.A->SetTransIsolation(qoSerializable); }).Message(),
              "A: You must use CloneODBC's TransIsolation.");
}

TEST_F(OdbcTest, OriginCannotChangeWhileConnected) {
    CloneSetUp s;
    s.Connection.Connect();
    EXPECT_EQ(ErrorOf([&] { s.Connection.SetOrigin(s.B.get()); }).Message(),
              "CloneODBC1: Unable to this action during connected");
    s.Connection.Disconnect();
    s.Connection.SetOrigin(s.B.get());
    EXPECT_EQ(s.Connection.Origin(), s.B.get());
    EXPECT_TRUE(s.B->CloneOrigin());
    EXPECT_EQ(s.B->DSName(), "ZorarareVUZU");
    EXPECT_FALSE(s.B->DriverConnect());
    s.B.reset();
    EXPECT_EQ(s.Connection.Origin(), nullptr);
    EXPECT_EQ(s.Connection.OriginQuery().Name(), "OriginQueryODBC");
    EXPECT_EQ(s.Connection.OriginQuery().Comment, "dynamic created.");
}

TEST_F(OdbcTest, StartTransactionClosesOpenCursorsAndCoversClones) {
    SetTable(3);
    CloneSetUp s;
    s.OpenResultOnA();
    Dm.Info[SQL_CURSOR_COMMIT_BEHAVIOR] = SQL_CB_CLOSE;
    s.Connection.StartTransaction();
    EXPECT_FALSE(s.A->Executed());
    EXPECT_TRUE(s.Connection.Transaction());
    EXPECT_EQ(ErrorOf([&] { s.Connection.StartTransaction(); }).Message(),
              "CloneODBC1: Transaction already started.");
    // Work of a clone is the origin's, so the connection's rollback covers it.
    s.A->ExecDirect("UPDATE t SET a = 1");
    EXPECT_TRUE(s.Connection.OriginQuery().WorkPending());
    s.Connection.Rollback();
    EXPECT_FALSE(s.Connection.Transaction());
    EXPECT_TRUE(Dm.Called("SQLEndTran rollback"));
}

TEST_F(OdbcTest, StartTransactionKeepsCursorsTheDriverPreserves) {
    SetTable(3);
    CloneSetUp s;
    s.OpenResultOnA();
    Dm.Info[SQL_CURSOR_COMMIT_BEHAVIOR] = SQL_CB_PRESERVE;
    s.Connection.StartTransaction();
    EXPECT_TRUE(s.A->Executed());
    s.Connection.Commit();
    EXPECT_FALSE(s.Connection.Transaction());
    s.Connection.SetTransaction(true);
    EXPECT_EQ(ErrorOf([&] { s.Connection.StartTransaction(); }).Message(),
              "CloneODBC1: Transaction property already True.");
}

TEST_F(OdbcTest, DestroyingTheConnectionDetachesItsClones) {
    auto connection = std::make_unique<TConnectionODBC>();
    auto query = NewQuery();
    connection->SetLibraryName(FAKE_DM_PATH);
    connection->SetDSName("ZorarareVUZU");
    query->SetClone(connection.get());
    connection->Connect();
    ASSERT_TRUE(query->Connected());
    connection.reset();
    EXPECT_EQ(query->Clone(), nullptr);
    EXPECT_FALSE(query->Connected());
    EXPECT_EQ(Dm.LiveHandles, 0);
}

TEST_F(OdbcTest, OriginMovesToAnotherConnection) {
    TConnectionODBC first, second;
    auto query = NewQuery();
    first.SetOrigin(query.get());
    second.SetOrigin(query.get());
    EXPECT_EQ(second.Origin(), query.get());
    EXPECT_EQ(query->Clone(), &second);
    EXPECT_EQ(first.Origin(), nullptr);
    EXPECT_FALSE(first.Clones().contains(query.get()));
}
