#include "OdbcFixture.h"

TEST(ODBCCLI, MissingLibraryNamesIt) {
    try {
        TODBCCLI cli("libnosuchodbc.so.9");
        FAIL();
    } catch (const EODBCAPIError& e) {
        EXPECT_EQ(e.Message(), "Library libnosuchodbc.so.9 not found.");
    }
}

TEST(ODBCCLI, DefaultBindingPassesToTheNextOneMade) {
    auto first = std::make_unique<TODBCCLI>(FAKE_DM_PATH);
    TODBCCLI second(FAKE_DM_PATH);
    EXPECT_EQ(TODBCCLI::Default(), first.get());
    first.reset();
    EXPECT_EQ(TODBCCLI::Default(), nullptr);
    TODBCCLI third(FAKE_DM_PATH);
    EXPECT_EQ(TODBCCLI::Default(), &third);
}

TEST_F(OdbcTest, MissingEntryPointFailsOnlyTheCallThatNeedsIt) {
    SetTable(1);
    auto query = NewQuery();
    query->SetSQLText("GetSQLProcedureColumnsInfomation");
    try {
        query->Execute();
        FAIL();
    } catch (const EODBCAPIError& e) {
        EXPECT_EQ(e.Message(), "ProcAddress not found. (SQLProcedureColumns)");
    }
    query->SetSQLText("GetSQLProceduresInfomation");
    query->Execute();
    EXPECT_TRUE(Dm.Called("SQLProcedures"));
}

// Failed ExecDirect under each interface version: the first record names the error, all
// texts are joined.
TEST_F(OdbcTest, DiagnosticsJoinEveryRecordOfTheFailedCall) {
    for (TqoODBCVersion version : {ODBC20, ODBC30, ODBC35}) {
        SCOPED_TRACE(version);
        Dm.Reset();
        auto query = NewQuery(version);
        query->Connect();
        Dm.Diags = {{"42S02", 17, "A"}, {"HY000", 99, "B"}};
        Dm.Results["SQLExecDirect"] = {SQL_ERROR};
        const EODBCError e = ErrorOf([&] { query->ExecDirect("DELETE FROM nosuch"); });
        EXPECT_EQ(e.FunctionName(), "SQLExecDirect");
        EXPECT_EQ(e.SQLState(), "42S02");
        EXPECT_EQ(e.NativeError(), 17);
        EXPECT_EQ(e.ErrorMessage(), "A & B");
        EXPECT_EQ(e.Message(), "A & B");
    }
}

TEST_F(OdbcTest, FailedCallWithoutRecordsRaisesNothing) {
    auto query = NewQuery();
    query->Connect();
    Dm.Results["SQLExecDirect"] = {SQL_ERROR};
    EXPECT_NO_THROW(query->ExecDirect("DELETE FROM t"));
}

TEST_F(OdbcTest, AMessageTooLongForTheBufferIsCutNotLost) {
    for (TqoODBCVersion version : {ODBC20, ODBC35}) {
        SCOPED_TRACE(version);
        Dm.Reset();
        auto query = NewQuery(version);
        query->Connect();
        Dm.Diags = {{"HY000", 3, std::string(600, 'x')}};
        Dm.Results["SQLExecDirect"] = {SQL_ERROR};
        const EODBCError e = ErrorOf([&] { query->ExecDirect("DELETE FROM t"); });
        EXPECT_EQ(e.SQLState(), "HY000");
        EXPECT_EQ(e.ErrorMessage(), QString(511, 'x'));
    }
}

TEST_F(OdbcTest, OnlyTenODBC3RecordsAreRead) {
    auto query = NewQuery();
    query->Connect();
    for (int i = 1; i <= 12; ++i)
        Dm.Diags.push_back({"HY000", i, "m" + std::to_string(i)});
    Dm.Results["SQLExecDirect"] = {SQL_ERROR};
    const EODBCError e = ErrorOf([&] { query->ExecDirect("DELETE FROM t"); });
    EXPECT_EQ(e.ErrorMessage().split(" & ").size(), 10);
    EXPECT_TRUE(e.ErrorMessage().endsWith("m10"));
    EXPECT_EQ(Dm.CallsOf("SQLGetDiagRec").size(), 10u);
}

TEST_F(OdbcTest, MisuseNamesTheComponent) {
    auto query = NewQuery();
    query->Connect();
    const EODBCError e = ErrorOf([&] { query->SetDSName("Other"); });
    EXPECT_EQ(e.Message(), "Q1: The property can't change during Connected");
    EXPECT_EQ(e.FunctionName(), "<None>");
    EXPECT_EQ(e.SQLState(), "00000");
    EXPECT_EQ(e.NativeError(), 0);
    EXPECT_EQ(query->DSName(), "ZorarareVUZU");
}

TEST_F(OdbcTest, CheckErrorReadsAnyHandle) {
    auto query = NewQuery();
    query->Connect();
    Dm.Diags = {{"01000", 5, "note"}};
    const EODBCError e = ErrorOf([&] { query->CheckError(nullptr); });
    EXPECT_EQ(e.FunctionName(), "SQL(User call)");
    EXPECT_EQ(e.ErrorMessage(), "note");
}
