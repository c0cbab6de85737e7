#include "OdbcFixture.h"

#include "base/DateTime.h"

TEST(ParseSQLText, MarkersOutsideQuotesOnly) {
    struct Case {
        QString Text, DriverText;
        QStringList Names;
    };
    const Case cases[] = {
        {"SELECT * FROM t WHERE a = :code AND b = '12:30' AND c = ?",
         "SELECT * FROM t WHERE a = ? AND b = '12:30' AND c = ?",
         {"code", ""}},
        {"UPDATE t SET a = 'x:y' WHERE k = :k", "UPDATE t SET a = 'x:y' WHERE k = ?", {"k"}},
        {"IN (:a)", "IN (?)", {"a"}},
        {"'it''s' = ?", "'it''s' = ?", {""}},
        {"WHERE :名前 = 1", "WHERE ? = 1", {"名前"}},
        {"'表示?' = :表,:c;", "'表示?' = ?,?;", {"表", "c"}},
        {"a = ': no marker'", "a = ': no marker'", {}},
    };
    for (const Case& c : cases) {
        const TqoParsedSQL parsed = ParseSQLText(c.Text);
        EXPECT_EQ(parsed.DriverText, c.DriverText);
        EXPECT_EQ(parsed.Names, c.Names);
    }
}

TEST(ParseSQLText, NameKeepsAtMost128Bytes) {
    const TqoParsedSQL parsed = ParseSQLText(":" + QString(200, 'n') + " = 1");
    EXPECT_EQ(parsed.Names.value(0).size(), 128);
    EXPECT_EQ(parsed.DriverText, "? = 1");
}

TEST_F(OdbcTest, NullStringsBecomeNullInExecDirect) {
    auto query = NewQuery();
    query->SetNullConvert(true);
    query->ExecDirect("UPDATE t SET a = <Null>, b = '<Null>', c = 'x <Null>'");
    EXPECT_EQ(Dm.LastSQL, "UPDATE t SET a = NULL, b = NULL, c = 'x <Null>'");
}

TEST_F(OdbcTest, NullStringsNeedFourBytes) {
    auto query = NewQuery();
    query->SetNullConvert(true);
    query->SetNullStrings("-");
    EXPECT_FALSE(query->NullConvert());
    EXPECT_EQ(ErrorOf([&] { query->SetNullConvert(true); }).Message(),
              "Q1: NullStrings needs at least 4 bytes.");
}

TEST_F(OdbcTest, DateTimeLiterals) {
    auto query = NewQuery();
    const TDateTime value = EncodeDate(2026, 12, 9) + EncodeTime(7, 5, 3, 40);
    EXPECT_EQ(query->FormatDateTimeLiteral(SQL_TYPE_TIMESTAMP, value), "2026-12-09 07:05:03.040");
    EXPECT_EQ(query->FormatDateTimeLiteral(SQL_DATE, value), "2026-12-09");
    EXPECT_EQ(query->FormatDateTimeLiteral(SQL_TYPE_TIME, value), "07:05:03");
    EXPECT_EQ(query->FormatDateTimeLiteral(SQL_INTEGER, value), "<Null>");
    // Day 0 at midnight is a value like any other.
    EXPECT_EQ(query->FormatDateTimeLiteral(SQL_TYPE_TIMESTAMP, 0), "1899-12-30 00:00:00.000");
    EXPECT_EQ(query->FormatDateTimeLiteral(SQL_TYPE_TIME, 0), "00:00:00");
}

TEST_F(OdbcTest, ParametersAreBoundByNameAndNumber) {
    auto query = NewQuery();
    query->SetNullConvert(true);
    query->SetSQLText("UPDATE t SET a = :a, d = :d WHERE k = ?");
    query->SetParamValue(query->ParamIndexByName("a"), "あいう");
    query->SetParamDate(query->ParamIndexByName("d"), EncodeDate(2002, 4, 1));
    query->SetParamValue(3, "<Null>");
    TStringList names;
    query->GetParamNames(names);
    EXPECT_EQ(names.Lines(), (QStringList{"a", "d"}));
    EXPECT_EQ(names.Objects(1).toInt(), 2);
    query->Execute();
    EXPECT_EQ(Dm.LastSQL, "UPDATE t SET a = ?, d = ? WHERE k = ?");
    EXPECT_EQ(Dm.Params, (std::vector<std::string>{"あいう", "2002-04-01", "NULL"}));
    EXPECT_EQ(Dm.ParamSizes, (std::vector<SQLULEN>{255, 11, 255}));
    EXPECT_EQ(ErrorOf([&] { query->ParamIndexByName("x"); }).Message(),
              "Q1: Param not found. Name=x");
}

TEST_F(OdbcTest, MissingParameterStopsTheExecution) {
    auto query = NewQuery();
    query->SetSQLText("DELETE FROM t WHERE a = ?");
    query->SetParamValue(1, "1");
    query->SetParamCount(3);
    EXPECT_EQ(ErrorOf([&] { query->Execute(); }).Message(),
              "QueryODBC: Param not assigned.  Number = 2");
    EXPECT_TRUE(Dm.CallsOf("SQLExecDirect").empty());
    EXPECT_EQ(ErrorOf([&] { query->SetParamCount(-1); }).Message(),
              "Q1: Invalid ParamCount value.");
    EXPECT_EQ(ErrorOf([&] { query->SetParamValue(0, ""); }).Message(), "Q1: Invalid Param index.");
}

TEST_F(OdbcTest, TextChecksRunNothing) {
    auto query = NewQuery();
    EXPECT_EQ(ErrorOf([&] { query->Execute(); }).Message(), "SQL 文がありません。");
    query->SetSQLText("TCustomQueryODBC");
    EXPECT_EQ(ErrorOf([&] { query->Prepare(); }).Message(), "Q1: Ver 5.1a");
    EXPECT_TRUE(Dm.CallsOf("SQLPrepare").empty());
}

TEST_F(OdbcTest, StatementWithoutColumnsCountsRowsAndIsFreed) {
    Dm.RowCount = 3;
    auto query = NewQuery();
    query->SetSQLText("UPDATE t SET a = 1");
    query->Execute();
    EXPECT_EQ(query->RowsAffected(), 3);
    EXPECT_EQ(query->StmtHandle(), nullptr);
    EXPECT_FALSE(query->Executed());
}

TEST_F(OdbcTest, PreparedStatementRunsAgain) {
    Dm.RowCount = 1;
    auto query = NewQuery();
    query->CursorState = qoClose;
    query->SetSQLText("DELETE FROM t WHERE a = :a");
    query->Prepare();
    EXPECT_EQ(query->ParamCount(), 1);
    for (const char* value : {"1", "2"}) {
        query->SetParamValue(1, value);
        query->Execute();
        EXPECT_EQ(Dm.Params, std::vector<std::string>{value});
    }
    EXPECT_EQ(Dm.CallsOf("SQLPrepare").size(), 1u);
    EXPECT_EQ(Dm.CallsOf("SQLExecute").size(), 2u);
    EXPECT_TRUE(query->Prepared());
}

TEST_F(OdbcTest, LongDataGoesInPieces) {
    auto query = NewQuery();
    QByteArray image(40000, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 7);
    SQLLEN indicator = SQL_LEN_DATA_AT_EXEC(SQLLEN(image.size()));
    query->SetSQLText("UPDATE M_個人情報 SET 認証画像 = ? WHERE 個人コード = '1'");
    query->BindParam(1, SQL_C_BINARY, SQL_LONGVARBINARY, image.data(), &indicator);
    query->Execute();
    EXPECT_EQ(Dm.PieceSizes, (std::vector<size_t>{16384, 16384, 7232}));
    EXPECT_EQ(Dm.LongData, image.toStdString());
    EXPECT_EQ(Dm.ParamSizes, std::vector<SQLULEN>{262144});
}

TEST_F(OdbcTest, CatalogKeywordsPassTheirArguments) {
    SetTable(0);
    auto query = NewQuery();
    query->SetSQLText("GetSQLTablesInfomation");
    query->SetParamValue(1, "<Null>");
    query->SetParamValue(3, "M_部門");
    query->Execute();
    EXPECT_EQ(Dm.CatalogArgs, (std::vector<std::string>{"<null>", "", "M_部門", ""}));
    EXPECT_TRUE(query->Executed());
}

TEST_F(OdbcTest, TypeMapRejectsZero) {
    auto query = NewQuery();
    query->AddTypeMap(SQL_INTEGER, SQL_C_LONG);
    EXPECT_EQ(ErrorOf([&] { query->AddTypeMap(0, SQL_C_LONG); }).Message(),
              "Q1: DataType value is zero.");
}
