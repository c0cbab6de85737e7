#include "EngineFixture.h"

#include "base/DateTime.h"
#include "db/DataSource.h"
#include "dbengine/BatchMove.h"

namespace {

struct Tables : EngineFixture {
    // A month's log table as the communication program defines it.
    void DefineLog(TTable& t, const QString& name) {
        t.SetDatabaseName(Temp.Path());
        t.SetTableName(name);
        t.FieldDefs().Clear();
        t.FieldDefs().Add("autoNum", ftAutoInc);
        t.FieldDefs().Add("個人コード", ftString, 10);
        t.FieldDefs().Add("操作種別", ftSmallint);
        t.FieldDefs().Add("操作日時", ftDateTime);
        t.FieldDefs().Add("エラー種別", ftSmallint);
        t.FieldDefs().Add("認証機ID", ftSmallint);
        t.IndexDefs().Clear();
        t.IndexDefs().Add("", "autoNum", ixPrimary);
    }
    // The day-list layout of the log reports.
    void DefineDays(TTable& t, const QString& name) {
        t.SetDatabaseName(Temp.Path());
        t.SetTableName(name);
        t.FieldDefs().Clear();
        t.FieldDefs().Add("autoNum", ftAutoInc);
        for (const char* f : {"操作Year", "操作Month", "操作Day"})
            t.FieldDefs().Add(f, ftSmallint);
        t.IndexDefs().Clear();
        t.IndexDefs().Add("", "autoNum", ixPrimary);
    }
    // The communication program's insert of one event.
    void Log(const QString& table, const QString& code, int op, const QString& when, int unit) {
        TQuery sqlLog;
        sqlLog.SetDatabaseName(Temp.Path());
        sqlLog.SQL().Assign(
            QStringList({"insert into " + table + "(",
                         "個人コード, 操作種別, 操作日時, エラー種別, 認証機ID)", "Values",
                         "('" + code + "'," + QString::number(op) + ",'" + when + "',01," +
                             QString::number(unit) + ")"}));
        sqlLog.ExecSQL();
    }
};

TEST_F(Tables, CreatesAMonthTableWritesAndFindsByKey) {
    TTable log;
    DefineLog(log, "ENTRANCE_LOG2026_12.DB");
    EXPECT_FALSE(log.Exists());
    log.CreateTable();
    EXPECT_TRUE(QFile::exists(Temp.File("ENTRANCE_LOG2026_12.DB")));
    EXPECT_TRUE(log.Exists());
    EXPECT_THROW(log.CreateTable(), EDatabaseError);
    Log("ENTRANCE_LOG2026_12", "0001", 11, "12/10/2026, 13:05:00", 3);

    log.Open();
    EXPECT_EQ(log.FieldByName("autoNum")->DataType(), ftAutoInc);
    EXPECT_EQ(log.FieldByName("操作日時")->AsDateTime(),
              EncodeDate(2026, 12, 10) + EncodeTime(13, 5, 0, 0));
    log.Append();
    log.FieldByName("個人コード")->SetAsString("0002");
    log.FieldByName("操作種別")->SetAsInteger(21);
    log.Post();
    // The automatic number comes back from the table.
    EXPECT_EQ(log.FieldByName("autoNum")->AsInteger(), 2);
    EXPECT_TRUE(log.FindKey({1}));
    EXPECT_EQ(log.FieldByName("個人コード")->AsString(), "0001");
    EXPECT_FALSE(log.FindKey({9}));
    log.EmptyTable();
    EXPECT_TRUE(log.IsEmpty());
    log.Pack();
    log.Close();
    log.DeleteTable();
    EXPECT_FALSE(QFile::exists(Temp.File("ENTRANCE_LOG2026_12.DB")));
}

TEST_F(Tables, UnitTableRowsAreEditedInKeyOrder) {
    Run("INSERT INTO entranceState (認証機ID, 認証機名, 作動状況) VALUES (2, 'B', 0)", true);
    Run("INSERT INTO entranceState (認証機ID, 認証機名, 作動状況) VALUES (1, 'A', 1)", true);
    TTable tblState;
    tblState.SetDatabaseName("ParaOzka");
    tblState.SetTableName("entranceState.DB");
    tblState.Open();
    EXPECT_EQ(tblState.FieldByName("認証機ID")->AsInteger(), 1);
    EXPECT_TRUE(tblState.FieldByName("作動状況")->AsBoolean());
    EXPECT_EQ(tblState.FieldByName("稼動開始")->DataType(), ftTime);
    tblState.Next();
    tblState.Edit();
    tblState.FieldByName("稼動開始")->SetAsDateTime(EncodeTime(8, 30, 0, 0));
    tblState.Post();
    EXPECT_EQ(
        Column(
            "SELECT CAST(round(稼動開始 * 1440) AS INTEGER) FROM entranceState WHERE 認証機ID = 2",
            true),
        QStringList({"510"}));
    tblState.ReadOnly = true;
    EXPECT_THROW(tblState.Edit(), EDatabaseError);
}

TEST_F(Tables, AnAutomaticNumberMustBeThePrimaryKey) {
    TTable t;
    DefineLog(t, "TMPLOG1_127001");
    t.IndexDefs().Clear();
    t.IndexDefs().Add("", "個人コード", ixPrimary);
    EXPECT_THROW(t.CreateTable(), EDatabaseError);
    EXPECT_FALSE(t.Exists());
}

TEST_F(Tables, BatchMoveCopiesAndAppendsWithMappings) {
    Run("INSERT INTO M_個人情報 (個人コード, 氏名, ﾌﾘｶﾞﾅ, 部門コード) VALUES ('1', 'A', 'ｱ', 5)");
    Run("INSERT INTO M_個人情報 (個人コード, 氏名, ﾌﾘｶﾞﾅ, 部門コード) VALUES ('2', 'B', 'ｲ', 6)");
    TQuery source;
    source.SetDatabaseName("RORazu");
    source.SQL().Assign(QStringList(
        {"SELECT 個人コード,氏名,ﾌﾘｶﾞﾅ,部門コード", "FROM M_個人情報", "WHERE 部門コード=5"}));
    TTable kojin;
    kojin.SetDatabaseName(Temp.Path());
    kojin.SetTableName("KOJIN");
    kojin.FieldDefs().Add("autoNum", ftAutoInc);
    kojin.FieldDefs().Add("個人コード", ftString, 10);
    kojin.FieldDefs().Add("氏名", ftString, 10);
    kojin.FieldDefs().Add("ﾌﾘｶﾞﾅ", ftString, 10);
    kojin.FieldDefs().Add("部門コード", ftSmallint);
    kojin.IndexDefs().Add("", "autoNum", ixPrimary);
    kojin.CreateTable();

    TBatchMove move;
    move.Source = &source;
    move.Destination = &kojin;
    move.Mappings.Assign(QStringList(
        {"個人コード=個人コード", "氏名=氏名", "ﾌﾘｶﾞﾅ=ﾌﾘｶﾞﾅ", "部門コード=部門コード"}));
    move.Execute();
    EXPECT_EQ(move.MovedCount(), 1);
    EXPECT_EQ(Column("SELECT autoNum || 個人コード || 氏名 FROM KOJIN", true),
              QStringList({"11A"}));

    TTable copy;
    copy.SetDatabaseName(Temp.Path());
    copy.SetTableName("COPY");
    move.Destination = &copy;
    move.Mode = batCopy;
    move.Mappings.Clear();
    move.Execute();
    EXPECT_EQ(Column("SELECT 個人コード || ﾌﾘｶﾞﾅ FROM COPY", true), QStringList({"1ｱ"}));

    // A failing append leaves the destination as it was.
    move.Mode = batAppend;
    move.Destination = &kojin;
    move.Mappings.Assign(QStringList({"nosuchcolumn=氏名"}));
    EXPECT_THROW(move.Execute(), EDatabaseError);
    EXPECT_EQ(Column("SELECT count(*) FROM KOJIN", true), QStringList({"1"}));
}

// The log reports: the distinct days go into a day-list table; the master walks it and the
// detail reads each day's records with the master's fields as its parameters.
TEST_F(Tables, DayListDrivesTheDetailQueryDayByDay) {
    TTable month;
    DefineLog(month, "ENTRANCE_LOG2002_03");
    month.CreateTable();
    Log("ENTRANCE_LOG2002_03", "0002", 11, "3/30/2002, 09:00:00", 1);
    Log("ENTRANCE_LOG2002_03", "0001", 21, "3/30/2002, 18:00:00", 1);
    Log("ENTRANCE_LOG2002_03", "0001", 12, "3/31/2002, 08:00:00", 2);
    Log("ENTRANCE_LOG2002_03", "0003", 10, "3/31/2002, 08:00:00", 2);

    TTable tblTemp;
    DefineDays(tblTemp, "TMPLOG5_127001");
    tblTemp.CreateTable();
    TQuery sqlUser;
    sqlUser.SetDatabaseName("ParaOzka");
    sqlUser.SQL().Assign(QStringList(
        {"SELECT DISTINCT ", "CInt(Year(操作日時)) as 操作Year,",
         "CInt(Month(操作日時)) as 操作Month,", "CInt(Day(操作日時)) as 操作Day",
         "FROM ENTRANCE_LOG2002_03",
         "WHERE ((操作種別 = 11) OR (操作種別 = 12) OR (操作種別 = 21) OR (操作種別 = 22)) ", "",
         "AND (CDbl(操作日時) >= 37345)", "AND (CDbl(操作日時) < 37349)"}));
    sqlUser.Open();
    TBatchMove BatchMove1;
    BatchMove1.Source = &sqlUser;
    BatchMove1.Destination = &tblTemp;
    BatchMove1.Mappings.Assign(
        QStringList({"操作Year=操作Year", "操作Month=操作Month", "操作Day=操作Day"}));
    BatchMove1.Execute();
    sqlUser.Close();
    EXPECT_EQ(BatchMove1.MovedCount(), 2);

    sqlUser.SQL().Assign(
        QStringList({"SELECT ", "操作Year,操作Month,操作Day", "FROM TMPLOG5_127001",
                     "ORDER BY 操作Year,操作Month,操作Day"}));
    sqlUser.Open();
    TDataSource DS1;
    DS1.SetDataSet(&sqlUser);
    TQuery sqlSubGroup;
    sqlSubGroup.SetDatabaseName("ParaOzka");
    sqlSubGroup.SetDataSource(&DS1);
    sqlSubGroup.SQL().Assign(QStringList(
        {"SELECT 個人コード,認証機ID,操作日時,操作種別,エラー種別,",
         "CInt(Year(操作日時)) as 操作年,", "CInt(Month(操作日時)) as 操作月,",
         "CInt(Day(操作日時)) as 操作日", "FROM ENTRANCE_LOG2002_03",
         "WHERE ((操作種別 = 11) OR (操作種別 = 12) OR (操作種別 = 21) OR (操作種別 = 22))",
         "AND (CInt(Year(操作日時)) =:操作Year)", "AND (CInt(Month(操作日時)) =:操作Month)",
         "AND (CInt(Day(操作日時)) =:操作Day)", "", "ORDER BY 個人コード,操作日時"}));
    EXPECT_EQ(sqlSubGroup.ParamCount(), 3);
    sqlSubGroup.Open();
    auto codes = [&] {
        QStringList list;
        for (sqlSubGroup.First(); !sqlSubGroup.Eof(); sqlSubGroup.Next())
            list << sqlSubGroup.FieldByName("個人コード")->AsString();
        return list;
    };
    EXPECT_EQ(sqlUser.FieldByName("操作Day")->AsInteger(), 30);
    EXPECT_EQ(codes(), QStringList({"0001", "0002"}));
    sqlUser.Next();
    EXPECT_EQ(sqlSubGroup.FieldByName("操作日")->AsInteger(), 31);
    EXPECT_EQ(codes(), QStringList({"0001"}));
    sqlUser.Next();
    EXPECT_TRUE(sqlUser.Eof());
    sqlUser.First();
    EXPECT_EQ(codes(), QStringList({"0001", "0002"}));
    // The master cannot take its own detail as master.
    TDataSource DS2;
    DS2.SetDataSet(&sqlSubGroup);
    EXPECT_THROW(sqlUser.SetDataSource(&DS2), EDatabaseError);
}

// Every report run removes the day-list table's file and makes the table anew, while the
// folder's database may still hold the old file from the run before.
TEST_F(Tables, ADayTableMadeAgainAfterItsFileWasRemoved) {
    for (int run = 0; run < 2; ++run) {
        QFile::remove(Temp.File("TMPLOG5_127001.DB"));
        TTable tblTemp;
        DefineDays(tblTemp, "TMPLOG5_127001");
        tblTemp.SetDatabaseName(Temp.Path());
        ASSERT_FALSE(tblTemp.Exists()) << run;
        tblTemp.CreateTable();
        TQuery fill;
        fill.SetDatabaseName("ParaOzka");
        fill.SQL().Add(
            "INSERT INTO TMPLOG5_127001 (操作Year, 操作Month, 操作Day) VALUES (2002, 3, " +
            QString::number(30 + run) + ")");
        fill.ExecSQL();
        TQuery read;
        read.SetDatabaseName("ParaOzka");
        read.SQL().Add("SELECT 操作Day FROM TMPLOG5_127001");
        read.Open();
        EXPECT_EQ(read.RecordCount(), 1);
        EXPECT_EQ(read.FieldByName("操作Day")->AsInteger(), 30 + run);
    }
}

} // namespace
