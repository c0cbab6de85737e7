#include "OdbcFixture.h"

#include "DataSetFixture.h"
#include "db/Field.h"
#include "odbc/ODBCDSet.h"

namespace {

// A dataset over the fake driver manager's table t, editable through the key `key`.
std::unique_ptr<TDBQueryODBC> OpenFake(const QString& sql, const QString& key) {
    auto query = std::make_unique<TDBQueryODBC>();
    query->SetName("sqlEntrance");
    query->Query()->LibraryName = FAKE_DM_PATH;
    query->SetDSName("ZorarareVUZU");
    query->SetODBCVersion(ODBC35);
    query->SQL().Add(sql);
    query->SetUpdateKeyColumn(key);
    query->SetUpdateTableName("t");
    query->Open();
    return query;
}

} // namespace

// The project's driver stops reading a text parameter at its terminator, so only a driver
// manager that takes the length as given shows what a posted row would send after a value
// was cut at fetch.
TEST_F(OdbcTest, AValueCutAtFetchIsSentByItsRealLength) {
    Dm.Columns = {{"code", SQL_VARCHAR, 10}, {"id", SQL_INTEGER, 4}};
    Dm.Rows = {{"ABCDEFGHIJKLMNO", IntBytes(1)}};
    auto query = OpenFake("SELECT code, id FROM t", "id");
    EXPECT_EQ(query->FieldByName("code")->AsString(), "ABCDEFGHIJ");
    query->Edit();
    query->FieldByName("id")->SetAsInteger(2);
    Dm.RowCount = 1;
    query->Post();
    EXPECT_EQ(Dm.LastSQL, "UPDATE t SET code=?,id=? WHERE id=?");
    ASSERT_EQ(Dm.Params.size(), 3u);
    EXPECT_EQ(Dm.Params[0], "ABCDEFGHIJ");
    EXPECT_EQ(Dm.Params[1], IntBytes(2));
    EXPECT_EQ(Dm.Params[2], IntBytes(1));
}

// A key named in other letter case than its column is still that column: its old value finds
// the row, never the value it is changed to.
TEST_F(OdbcTest, AKeyMatchesItsColumnWhateverTheCase) {
    Dm.Columns = {{"ID", SQL_INTEGER, 4}, {"code", SQL_VARCHAR, 10}};
    Dm.Rows = {{IntBytes(1), "A"}};
    auto query = OpenFake("SELECT ID, code FROM t", "id");
    query->Edit();
    query->FieldByName("ID")->SetAsInteger(5);
    query->FieldByName("code")->SetAsString("B");
    Dm.RowCount = 1;
    query->Post();
    EXPECT_EQ(Dm.LastSQL, "UPDATE t SET ID=?,code=? WHERE id=?");
    ASSERT_EQ(Dm.Params.size(), 3u);
    EXPECT_EQ(Dm.Params[0], IntBytes(5));
    EXPECT_EQ(Dm.Params[2], IntBytes(1));
}

// An ODBC 3 driver answers an UPDATE or DELETE that matches nothing with SQL_NO_DATA; the post
// before it changed one row, and its count must not pass for this one's.
TEST_F(OdbcTest, AStatementThatMatchesNoRowIsReportedAsSuch) {
    struct Case {
        const char* Name;
        std::function<void(TDBQueryODBC&)> Change;
    };
    const auto edit = [](TDBQueryODBC& q) {
        q.Edit();
        q.FieldByName("code")->SetAsString("C");
        q.Post();
    };
    for (const Case& c :
         {Case{"update", edit}, Case{"delete", [](TDBQueryODBC& q) { q.Delete(); }}}) {
        SCOPED_TRACE(c.Name);
        Dm.Columns = {{"id", SQL_INTEGER, 4}, {"code", SQL_VARCHAR, 10}};
        Dm.Rows = {{IntBytes(1), "A"}};
        auto query = OpenFake("SELECT id, code FROM t", "id");
        Dm.RowCount = 1;
        edit(*query);
        Dm.Results["SQLExecute"] = {SQL_NO_DATA};
        EXPECT_EQ(MessageOf([&] { c.Change(*query); }), "sqlEntrance: Target row was altered.");
        EXPECT_EQ(query->RowsAffected(), 0);
    }
}
