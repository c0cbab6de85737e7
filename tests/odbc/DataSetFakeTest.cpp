#include "OdbcFixture.h"

#include "db/Field.h"
#include "odbc/ODBCDSet.h"

// The project's driver stops reading a text parameter at its terminator, so only a driver
// manager that takes the length as given shows what a posted row would send after a value
// was cut at fetch.
TEST_F(OdbcTest, AValueCutAtFetchIsSentByItsRealLength) {
    Dm.Columns = {{"code", SQL_VARCHAR, 10}, {"id", SQL_INTEGER, 4}};
    Dm.Rows = {{"ABCDEFGHIJKLMNO", IntBytes(1)}};
    TDBQueryODBC query;
    query.SetName("sqlEntrance");
    query.Query()->LibraryName = FAKE_DM_PATH;
    query.SetDSName("ZorarareVUZU");
    query.SetODBCVersion(ODBC35);
    query.SQL().Add("SELECT code, id FROM t");
    query.SetUpdateKeyColumn("id");
    query.SetUpdateTableName("t");
    query.Open();
    EXPECT_EQ(query.FieldByName("code")->AsString(), "ABCDEFGHIJ");
    query.Edit();
    query.FieldByName("id")->SetAsInteger(2);
    Dm.RowCount = 1;
    query.Post();
    EXPECT_EQ(Dm.LastSQL, "UPDATE t SET code=?,id=? WHERE id=?");
    ASSERT_EQ(Dm.Params.size(), 3u);
    EXPECT_EQ(Dm.Params[0], "ABCDEFGHIJ");
    EXPECT_EQ(Dm.Params[1], IntBytes(2));
    EXPECT_EQ(Dm.Params[2], IntBytes(1));
}
