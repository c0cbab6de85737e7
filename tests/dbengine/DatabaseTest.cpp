#include "EngineFixture.h"

#include "base/IniFile.h"

namespace {

using Database = EngineFixture;

TEST_F(Database, NamesMatchWithoutCaseAndOpenOnFirstUse) {
    TQuery q;
    q.SetDatabaseName("ROrazu");
    q.SQL().Add("SELECT 部門コード FROM M_部門");
    EXPECT_FALSE(DB1.Connected());
    q.Open();
    EXPECT_TRUE(DB1.Connected());
    EXPECT_EQ(q.Database(), &DB1);
    EXPECT_EQ(DB1.DataSetCount(), 1);
    DB1.Close();
    EXPECT_FALSE(q.Active());
    EXPECT_EQ(DB1.DataSetCount(), 0);

    TQuery unknown;
    unknown.SetDatabaseName("nowhere");
    unknown.SQL().Add("SELECT 1");
    EXPECT_THROW(unknown.Open(), EDatabaseError);
}

TEST_F(Database, AliasLeadsThroughTheOdbcDataSource) {
    const QString ini = Temp.File("odbc.ini");
    TIniFile(ini).WriteString("EntParaODBC", "DefaultDir", Temp.Path());
    TIniFile(ini).WriteString("ZorarareVUZU", "DBQ", Temp.File("VODURAVIRIVE.MDB"));
    qputenv("ODBCINI", ini.toLocal8Bit());
    TDatabase paradox, access;
    paradox.DatabaseName = "Para2";
    paradox.AliasName = "EntParaODBC";
    access.DatabaseName = "Acc2";
    access.AliasName = "ZorarareVUZU";
    paradox.Open();
    access.Open();
    EXPECT_TRUE(paradox.Connection().IsFolder());
    EXPECT_TRUE(paradox.Connection().TableExists("entranceState"));
    EXPECT_TRUE(access.Connection().TableExists("M_部門"));
    TDatabase missing;
    missing.AliasName = "NoSuchSource";
    EXPECT_THROW(missing.Open(), EDatabaseError);
    qunsetenv("ODBCINI");
}

TEST_F(Database, AFolderNameServesAsADatabase) {
    DB2.Open();
    TTable table;
    table.SetDatabaseName(Temp.Path() + "/");
    table.SetTableName("entranceState.DB");
    table.Open();
    // The open database on the same folder serves the table.
    EXPECT_EQ(table.Database(), &DB2);
    table.Close();
    DB2.Close();
    table.Open();
    EXPECT_TRUE(table.Database()->Temporary());
    table.Close();
    Session().DropConnections();
    EXPECT_EQ(Session().FindDatabase(Temp.Path() + "/"), nullptr);
}

TEST_F(Database, RollbackUndoesAndCommitKeeps) {
    TQuery q;
    q.SetDatabaseName("RORazu");
    DB1.StartTransaction();
    EXPECT_TRUE(DB1.InTransaction());
    q.SQL().Add("INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, '総務')");
    q.ExecSQL();
    DB1.Rollback();
    EXPECT_TRUE(Column("SELECT 部門名 FROM M_部門").isEmpty());
    DB1.StartTransaction();
    q.ExecSQL();
    DB1.Commit();
    EXPECT_FALSE(DB1.InTransaction());
    EXPECT_EQ(Column("SELECT 部門名 FROM M_部門"), QStringList({"総務"}));
}

TEST_F(Database, SessionListsTablesAndClosesEverything) {
    Run("CREATE TABLE ENTRANCE_LOG2026_12 (autoNum INTEGER PRIMARY KEY AUTOINCREMENT)", true);
    TStringList names;
    Session().GetTableNames("ParaOzka", "ENTRANCE_LOG*", true, names);
    EXPECT_EQ(names.Lines(), QStringList({"ENTRANCE_LOG2026_12.DB"}));
    TQuery q;
    q.SetDatabaseName("ParaOzka");
    q.SQL().Add("SELECT * FROM entranceState");
    q.Open();
    Session().Close();
    EXPECT_FALSE(q.Active());
    EXPECT_FALSE(DB2.Connected());
    EXPECT_FALSE(Session().Active());
}

} // namespace
