// The statements the programs write, run as written against a data folder made by newdata.
#include "storage/Connection.h"
#include "tools/newdata/NewData.h"

#include "base/DateTime.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

namespace {

struct ProgramStatements : ::testing::Test {
    TempFolder Temp;
    std::unique_ptr<SqlConnection> Db;     // "RORazu"
    std::unique_ptr<SqlConnection> Tables; // "ParaOzka"

    ProgramStatements() {
        CreateDataFolder(Temp.Path());
        Db = SqlConnection::OpenDatabase(Temp.File("VODURAVIRIVE.MDB"));
        Tables = SqlConnection::OpenFolder(Temp.Path());
    }

    // The first column of every row.
    static QStringList Column(SqlConnection& c, const QStringList& lines) {
        auto st = c.Prepare(lines.join("\n"));
        QStringList values;
        while (st->Step())
            values.append(st->Value(0).toString());
        return values;
    }

    void AddPerson(const QString& code, const QString& kana, int dept, const QVariant& image,
                   const QString& validEnd = "Null") {
        auto st = Db->Prepare(
            "INSERT INTO M_個人情報 (個人コード, ﾌﾘｶﾞﾅ, 部門コード, 認証画像, 有効終了日) "
            "VALUES (?, ?, ?, ?, " +
            validEnd + ")");
        st->Bind(1, code);
        st->Bind(2, kana);
        st->Bind(3, dept);
        st->Bind(4, image);
        st->Execute();
    }

    void AddLog(const QString& table, const QString& code, int op, const QString& when, int unit) {
        Tables->Execute("insert into " + table +
                        "(\n個人コード, 操作種別, 操作日時, エラー種別, 認証機ID)\nValues\n('" +
                        code + "'," + QString::number(op) + ",'" + when + "',01," +
                        QString::number(unit) + ")");
    }

    void MakeMonth(const QString& table) {
        Tables->Execute("CREATE TABLE " + table +
                        ".DB (autoNum INTEGER PRIMARY KEY AUTOINCREMENT, "
                        "個人コード TEXT (10), 操作種別 SHORT, 操作日時 DATETIME, エラー種別 "
                        "SHORT, 認証機ID SHORT)");
    }
};

} // namespace

TEST_F(ProgramStatements, PendingRegistrationsAndExpiredPersons) {
    AddPerson("A1", "ｱ", 1, QByteArray(900, 'x'), "#12/9/2026#");
    AddPerson("B2", "ｲ", 1, QVariant());
    Db->Execute("INSERT INTO M_使用認証機 (個人コード, 認証機ID) VALUES ('A1', 1)");
    Db->Execute("INSERT INTO M_使用認証機 (個人コード, 認証機ID) VALUES ('A1', 2)");
    Db->Execute("INSERT INTO M_使用認証機 (個人コード, 認証機ID) VALUES ('B2', 1)");
    const QString filter = "M_使用認証機.認証機ID=1 OR M_使用認証機.認証機ID=2";
    auto st = Db->Prepare(QStringList{
        "SELECT M_個人情報.個人コード, First(M_個人情報.認証画像) AS 認証画像, "
        "Count(M_使用認証機.認証機ID) AS 未登録認証機数",
        "FROM M_個人情報 INNER JOIN M_使用認証機 ON M_個人情報.個人コード = "
        "M_使用認証機.個人コード",
        "WHERE (M_使用認証機.登録=False AND M_使用認証機.登録不可=False) AND (" + filter + ")",
        "GROUP BY M_個人情報.個人コード",
        "HAVING (((First(M_個人情報.認証画像)) Is Not Null) AND "
        "((Count(M_使用認証機.認証機ID))>0));"}
                              .join("\n"));
    ASSERT_TRUE(st->Step());
    EXPECT_EQ(st->Value(0).toString(), "A1");
    EXPECT_EQ(st->Value(1).toByteArray().size(), 900);
    EXPECT_EQ(st->Value(2).toInt(), 2);
    EXPECT_FALSE(st->Step());

    const QStringList expired = {
        "SELECT M_個人情報.個人コード, M_個人情報.有効終了日, Count(M_使用認証機.認証機ID) AS "
        "利用認証機数",
        "FROM M_個人情報 INNER JOIN M_使用認証機 ON M_個人情報.個人コード = "
        "M_使用認証機.個人コード",
        "WHERE (M_使用認証機.削除=False) AND (" + filter + ")",
        "GROUP BY M_個人情報.個人コード, M_個人情報.氏名, M_個人情報.有効終了日"};
    EXPECT_EQ(Column(*Db, expired + QStringList{"HAVING (M_個人情報.有効終了日<#12/10/2026#)"}),
              QStringList{"A1"});
    EXPECT_TRUE(
        Column(*Db, expired + QStringList{"HAVING (M_個人情報.有効終了日<#12/9/2026#)"}).isEmpty());
}

TEST_F(ProgramStatements, PersonListsWithTheirFilters) {
    AddPerson("0012", "ｲﾄｳ", 1, QVariant());
    AddPerson("0013", "ｶﾄｳ", 0, QVariant());
    AddPerson("", "ｱ", 1, QVariant());
    Db->Execute("INSERT INTO M_個人情報 (個人コード, 指コード) VALUES ('0014', 1)");
    Db->Execute("INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, '総務')");
    const QStringList users = {
        "SELECT "
        "M_個人情報.個人コード,M_個人情報.氏名,M_個人情報.部門コード,M_部門.部門名,M_個人情報."
        "勤務グループコード",
        "FROM M_個人情報 Left Join M_部門 ON M_個人情報.部門コード = M_部門.部門コード",
        "WHERE (M_個人情報.個人コード <>'')",
        "and ( (M_個人情報.指コード Is Null) Or (M_個人情報.指コード=0) )",
        "ORDER BY M_個人情報.個人コード"};
    EXPECT_EQ(Column(*Db, users), QStringList({"0012", "0013"}));
    // The person screen's list: double-quoted empty text, a kana class, a code prefix.
    const QStringList list = {"SELECT *",
                              "FROM M_個人情報",
                              "WHERE (M_個人情報.個人コード <> \"\")",
                              "AND (M_個人情報.ﾌﾘｶﾞﾅ Like '[ｱ-ｵ]*')",
                              "AND (M_個人情報.個人コード Like '00*')",
                              "and ( (M_個人情報.指コード Is Null) Or (M_個人情報.指コード=0) )",
                              "ORDER BY M_個人情報.個人コード"};
    EXPECT_EQ(Column(*Db, list), QStringList({"0012"}));
    // The live view's picker writes the pattern in double quotes.
    EXPECT_EQ(Column(*Db, {"SELECT 個人コード,氏名", "FROM M_個人情報",
                           "WHERE (個人コード LIKE \"001*\")",
                           "and ( (M_個人情報.指コード Is Null) Or (M_個人情報.指コード=0) )",
                           "AND ((部門コード Is NULL) OR (部門コード=0))"}),
              QStringList({"0013"}));
    EXPECT_EQ(Column(*Db, {"SELECT COUNT(個人コード) As 未登録数", "FROM M_個人情報",
                           "WHERE ((部門コード is Null) OR (部門コード = 0))",
                           "and ( (指コード Is Null) Or (指コード=0) )"}),
              QStringList({"1"}));
}

TEST_F(ProgramStatements, DeletionsWithJetsDeleteForms) {
    AddPerson("O'1", "ｱ", 1, QVariant());
    Db->Execute("INSERT INTO M_使用認証機 (個人コード, 認証機ID) VALUES ('O''1', 3)");
    Db->Execute("INSERT INTO M_勤務表合計 (個人コード) VALUES ('O''1')");
    EXPECT_EQ(Db->Execute("DELETE * FROM M_使用認証機\nWHERE 個人コード='O''1' AND 認証機ID=3"), 1);
    EXPECT_EQ(Db->Execute("DELETE 個人コード\nFROM M_勤務表合計\nWHERE 個人コード='O''1'"), 1);
    EXPECT_EQ(Db->Execute("DELETE 個人コード\nFROM M_個人情報\nWHERE 個人コード='O''1'"), 1);
}

TEST_F(ProgramStatements, LogReportQueriesOverTwoTables) {
    MakeMonth("ENTRANCE_LOG2026_11");
    MakeMonth("ENTRANCE_LOG2026_12");
    AddLog("ENTRANCE_LOG2026_11", "A1", 11, "11/29/2026, 08:00:00", 1);
    AddLog("ENTRANCE_LOG2026_12", "A1", 11, "12/01/2026, 08:00:00", 1);
    AddLog("ENTRANCE_LOG2026_12", "A1", 21, "12/01/2026, 18:00:00", 2);
    AddLog("ENTRANCE_LOG2026_12", "B2", 12, "12/02/2026, 09:00:00", 1);
    AddLog("ENTRANCE_LOG2026_12", "B2", 32, "12/02/2026, 09:30:00", 1);
    AddLog("ENTRANCE_LOG2026_12", "B2", 12, "12/05/2026, 09:00:00", 1);
    const double lo = EncodeDate(2026, 11, 28), hi = EncodeDate(2026, 12, 4) + 1;

    // Day list into the per-PC table, as the batch move appends it.
    Tables->Execute(
        "CREATE TABLE TMPLOG8_127001 (autoNum INTEGER PRIMARY KEY AUTOINCREMENT, 操作Year "
        "SHORT, 操作Month SHORT, 操作Day SHORT)");
    for (const QString& table : QStringList{"ENTRANCE_LOG2026_11", "ENTRANCE_LOG2026_12"}) {
        auto days = Tables->Prepare(QStringList{
            "SELECT DISTINCT ", "CInt(Year(操作日時)) as 操作Year,",
            "CInt(Month(操作日時)) as 操作Month,", "CInt(Day(操作日時)) as 操作Day",
            "FROM " + table,
            "WHERE ((操作種別 = 11) OR (操作種別 = 12) OR (操作種別 = 21) OR (操作種別 = 22)) ", "",
            "AND (CDbl(操作日時) >= " + QString::number(lo) + ")",
            "AND (CDbl(操作日時) < " + QString::number(hi) + ")"}
                                        .join("\n"));
        auto append = Tables->Prepare(
            "INSERT INTO TMPLOG8_127001 (操作Year, 操作Month, 操作Day) VALUES (?, ?, ?)");
        while (days->Step()) {
            for (int i = 0; i < 3; ++i)
                append->Bind(i + 1, days->Value(i));
            append->Execute();
        }
    }
    EXPECT_EQ(Column(*Tables, {"SELECT ", "操作Day", "FROM TMPLOG8_127001",
                               "ORDER BY 操作Year,操作Month,操作Day"}),
              QStringList({"29", "1", "2"}));

    // Detail of one day, with the master's fields as parameters.
    auto detail = Tables->Prepare(QStringList{
        "SELECT 個人コード,認証機ID,操作日時,操作種別,エラー種別,",
        "CInt(Year(操作日時)) as 操作年,", "CInt(Month(操作日時)) as 操作月,",
        "CInt(Day(操作日時)) as 操作日", "FROM ENTRANCE_LOG2026_12",
        "WHERE ((操作種別 = 11) OR (操作種別 = 12) OR (操作種別 = 21) OR (操作種別 = 22))",
        "AND (CInt(Year(操作日時)) =:操作Year)", "AND (CInt(Month(操作日時)) =:操作Month)",
        "AND (CInt(Day(操作日時)) =:操作Day)", "AND (個人コード='A1')",
        "ORDER BY 個人コード,操作日時"}
                                      .join("\n"));
    ASSERT_EQ(detail->ParamCount(), 3);
    detail->Bind("操作Year", 2026);
    detail->Bind("操作Month", 12);
    detail->Bind("操作Day", 1);
    int rows = 0;
    while (detail->Step())
        ++rows;
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(detail->Column(5).Name, "操作年");

    // Department form: the month table joined with KOJIN, columns qualified by the table.
    Tables->Execute(
        "CREATE TABLE KOJIN (autoNum INTEGER PRIMARY KEY AUTOINCREMENT, 個人コード TEXT (10), "
        "氏名 TEXT (10), ﾌﾘｶﾞﾅ TEXT (10), 部門コード SHORT)");
    Tables->Execute("INSERT INTO KOJIN (個人コード, 部門コード) VALUES ('B2', 3)");
    const QString q = "ENTRANCE_LOG2026_12.";
    EXPECT_EQ(Column(*Tables, {"SELECT DISTINCT", "CInt(Day(" + q + "操作日時)) as 操作Day",
                               "FROM ENTRANCE_LOG2026_12 INNER Join KOJIN ON " + q +
                                   "個人コード = KOJIN.個人コード",
                               "WHERE ((" + q + "操作種別 = 11) OR (" + q + "操作種別 = 12) OR (" +
                                   q + "操作種別 = 21) OR (" + q + "操作種別 = 22)) ",
                               "AND (CDbl(" + q + "操作日時) >= " + QString::number(lo) + ")",
                               "AND (CDbl(" + q + "操作日時) < " + QString::number(hi) + ")"}),
              QStringList({"2"}));
}

TEST_F(ProgramStatements, RoomsAndUnits) {
    Db->Execute("INSERT INTO M_認証機グループ (認証機グループコード, 認証機ID, 認証機グループ名) "
                "VALUES (1, 1, '正面')");
    Db->Execute("INSERT INTO M_認証機グループ (認証機グループコード, 認証機ID, 認証機グループ名) "
                "VALUES (1, 3, '正面')");
    EXPECT_EQ(Column(*Db, {"SELECT 認証機グループコード,認証機グループ名", "FROM M_認証機グループ",
                           "WHERE 認証機グループコード<>0",
                           "GROUP BY 認証機グループコード,認証機グループ名",
                           "ORDER BY 認証機グループコード"}),
              QStringList({"1"}));
    Tables->Execute("INSERT INTO entranceState\n(認証機ID, 認証機名, 認証機種別, "
                    "作動状況)\nValues\n(1,'認証機1',Null,True)");
    Tables->Execute("INSERT INTO entranceState\n(認証機ID, 認証機名, 認証機種別, "
                    "作動状況)\nValues\n(2,'認証機2',Null,True)");
    Tables->Execute(
        "UPDATE entranceState SET 稼動開始='8:00', 稼動終了='18:00:00' WHERE 認証機ID=2");
    // GroupIDCondition's text, with its two blanks before the closing parenthesis.
    EXPECT_EQ(Column(*Tables,
                     {"SELECT 認証機ID,認証機名", "FROM entranceState", "WHERE (作動状況 = True)",
                      "AND ( (認証機ID=1) OR (認証機ID=3)  )", "ORDER BY 認証機ID"}),
              QStringList({"1"}));
    auto st = Tables->Prepare("SELECT 稼動開始, 稼動終了 FROM entranceState WHERE 認証機ID=2");
    ASSERT_TRUE(st->Step());
    EXPECT_DOUBLE_EQ(st->Value(0).toDouble(), 8 / 24.0);
    EXPECT_DOUBLE_EQ(st->Value(1).toDouble(), 18 / 24.0);
}
