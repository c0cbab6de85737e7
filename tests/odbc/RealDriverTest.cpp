// The library through unixODBC and the project's driver, on a data folder made by newdata.
#include "OdbcFixture.h"
#include "tools/newdata/NewData.h"

namespace {

class RealDriverTest : public ::testing::Test {
protected:
    TempFolder Temp;

    static void SetUpTestSuite() { InstallDriverOnce(); }

    RealDriverTest() {
        CreateDataFolder(Temp.Path());
        ConfigDataSource(AccessDriverName,
                         {"DSN=ZorarareVUZU", "DBQ=" + Temp.File(DatabaseFileName)});
        ConfigDataSource(ParadoxDriverName, {"DSN=EntParaODBC", "DefaultDir=" + Temp.Path()});
    }

    static std::unique_ptr<TCustomQueryODBC> NewQuery(TqoODBCVersion version = ODBC35) {
        auto query = std::make_unique<TCustomQueryODBC>();
        query->SetName("Q1");
        query->SetDSName("ZorarareVUZU");
        query->SetODBCVersion(version);
        return query;
    }

    // The first column of the first row, as text.
    static QString Scalar(TCustomQueryODBC& query, const QString& sql) {
        query.SetSQLText(sql);
        query.Execute();
        const QString value = query.FetchRow() ? query.RowValues()[1] : QString();
        query.CloseCursor(false);
        return value;
    }

    static QString Departments() { return Scalar(*NewQuery(), "SELECT COUNT(*) FROM M_部門"); }
};

} // namespace

TEST_F(RealDriverTest, ConnectsByDataSourceAndByConnectString) {
    auto byString = NewQuery();
    byString->SetPassword("<Null>");
    byString->Connect();
    EXPECT_TRUE(byString->CompletedConnectString().contains("DSN=ZorarareVUZU"));
    byString->ExecDirect("INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, '総務')");
    EXPECT_EQ(byString->RowsAffected(), 1);

    auto byName = NewQuery(ODBC20);
    byName->SetDriverConnect(false);
    byName->SetDSName("EntParaODBC");
    byName->Connect();
    EXPECT_EQ(Scalar(*byName, "SELECT COUNT(*) FROM entranceState"), "0");
}

TEST_F(RealDriverTest, TransactionsAndTheAutomaticRollback) {
    auto query = NewQuery();
    query->SetTransaction(true);
    query->ExecDirect("INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, 'a')");
    query->Rollback();
    EXPECT_EQ(Departments(), "0");
    query->ExecDirect("INSERT INTO M_部門 (部門コード, 部門名) VALUES (2, 'b')");
    query->Commit();
    EXPECT_EQ(Departments(), "1");
    query->ExecDirect("INSERT INTO M_部門 (部門コード, 部門名) VALUES (3, 'c')");
    EXPECT_EQ(ErrorOf([&] { query->Disconnect(); }).Message(),
              "Q1: QueryODBC: Automatic rollback issued.");
    query->Disconnect();
    EXPECT_EQ(Departments(), "1");
}

TEST_F(RealDriverTest, MarkersAndTextThatLooksLikeThem) {
    const QString name = "O'Neil ':x' ？名前 ?";
    auto query = NewQuery();
    query->SetSQLText("INSERT INTO M_部門 (部門コード, 部門名) VALUES (:code, ?)");
    query->SetParamValue(query->ParamIndexByName("code"), "5");
    query->SetParamValue(2, name);
    query->Execute();
    EXPECT_EQ(query->RowsAffected(), 1);

    query->SetSQLText("SELECT 部門名 FROM M_部門 WHERE 部門名 <> ':a?''b' AND 部門コード = :部門");
    query->SetParamValue(query->ParamIndexByName("部門"), "5");
    query->Execute();
    ASSERT_TRUE(query->FetchRow());
    EXPECT_EQ(query->RowValues()[1], name);
}

TEST_F(RealDriverTest, LongDataInPieces) {
    QByteArray image(40000, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 13);
    auto query = NewQuery();
    query->ExecDirect("INSERT INTO M_個人情報 (個人コード) VALUES ('1')");
    SQLLEN indicator = SQL_LEN_DATA_AT_EXEC(SQLLEN(image.size()));
    query->SetSQLText("UPDATE M_個人情報 SET 認証画像 = ? WHERE 個人コード = '1'");
    query->BindParam(1, SQL_C_BINARY, SQL_LONGVARBINARY, image.data(), &indicator);
    query->Execute();
    EXPECT_EQ(query->RowsAffected(), 1);

    auto reader = NewQuery();
    reader->LongDataLimit = 65536;
    reader->SetSQLText("SELECT 認証画像 FROM M_個人情報");
    reader->Execute();
    const TResultCol& col = reader->ResultCols().Items(1);
    EXPECT_EQ(col.SQLType, SQL_LONGVARBINARY);
    QByteArray row(reader->RowBufSize(), '\0');
    ASSERT_TRUE(reader->FetchToRec(row.data()));
    SQLLEN length = 0;
    memcpy(&length, row.constData() + col.Offset + col.Size, sizeof(length));
    ASSERT_EQ(length, image.size());
    EXPECT_EQ(row.mid(col.Offset, int(length)), image);
}

TEST_F(RealDriverTest, EveryFetchStepAndBookmarkForm) {
    auto setUp = NewQuery();
    setUp->ExecDirect("CREATE TABLE t (id LONG, name TEXT (40))");
    for (int i = 1; i <= 25; ++i)
        setUp->ExecDirect(QString("INSERT INTO t (id, name) VALUES (%1, 'name%1')").arg(i));
    for (TqoODBCVersion version : {ODBC20, ODBC30, ODBC35}) {
        SCOPED_TRACE(version);
        auto query = NewQuery(version);
        WalkTwentyFiveRows(*query);
        EXPECT_TRUE(query->Capabilities().Bookmark);
    }
}

TEST_F(RealDriverTest, ClonesShareOneConnectionAndItsTransaction) {
    TCloneODBC connection;
    connection.SetName("CloneODBC1");
    connection.SetDriverConnect(false);
    connection.SetDSName("ZorarareVUZU");
    connection.SetODBCVersion(ODBC35);
    TCustomQueryODBC writer, reader;
    writer.SetClone(&connection);
    reader.SetClone(&connection);
    connection.Connect();
    ASSERT_TRUE(reader.Connected());
    connection.StartTransaction();
    writer.ExecDirect("INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, 'a')");
    EXPECT_EQ(Scalar(reader, "SELECT COUNT(*) FROM M_部門"), "1");
    connection.Rollback();
    EXPECT_EQ(Scalar(reader, "SELECT COUNT(*) FROM M_部門"), "0");
    EXPECT_FALSE(connection.Transaction());
}
