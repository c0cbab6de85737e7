#include "DataSetFixture.h"

#include "db/Field.h"

namespace {

QStringList Units(TDataSet& detail) {
    QStringList ids;
    for (detail.First(); !detail.Eof(); detail.Next())
        ids << detail.FieldByName("認証機ID")->AsString();
    return ids;
}

} // namespace

TEST_F(DataSetTest, DetailFollowsItsMastersRow) {
    Run({"INSERT INTO M_個人情報 (個人コード, 氏名) VALUES ('0001', 'a')",
         "INSERT INTO M_個人情報 (個人コード, 氏名) VALUES ('0002', 'b')",
         "INSERT INTO M_個人情報 (個人コード, 氏名) VALUES (NULL, 'c')"});
    AddUnits("0001", 2);
    AddUnits("0002", 3);
    auto master = NewQuery("ZorarareVUZU", "sqlUser");
    SetLines(*master, {"SELECT 個人コード FROM M_個人情報 ORDER BY 氏名"});
    master->Open();
    TDataSource source;
    source.SetDataSet(master.get());
    auto detail = NewQuery();
    SetLines(*detail, {"SELECT 認証機ID FROM M_使用認証機",
                       "WHERE 個人コード = :個人コード ORDER BY 認証機ID"});
    detail->SetDataSource(&source);
    detail->Prepare();
    detail->Open();
    EXPECT_EQ(Units(*detail), (QStringList{"1", "2"}));
    master->Next();
    EXPECT_EQ(Units(*detail), (QStringList{"1", "2", "3"}));
    // A NULL code is bound as NULL and matches nothing.
    master->Next();
    EXPECT_TRUE(detail->Eof());
    master->First();
    EXPECT_EQ(Units(*detail), (QStringList{"1", "2"}));

    TDataSource detailSource;
    detailSource.SetDataSet(detail.get());
    EXPECT_EQ(MessageOf([&] { master->SetDataSource(&detailSource); }),
              "sqlUser: Link is Circular.");
}

TEST_F(DataSetTest, SameLinesAgainKeepTheDatasetPrepared) {
    auto query = NewQuery();
    SetLines(*query, {"SELECT 個人コード FROM M_個人情報"});
    query->Prepare();
    TStringList same;
    same.Add("SELECT 個人コード FROM M_個人情報");
    query->SetSQL(same);
    EXPECT_TRUE(query->Query()->Prepared());
    same.Add("ORDER BY 個人コード");
    query->SetSQL(same);
    EXPECT_FALSE(query->Query()->Prepared());
}

TEST_F(DataSetTest, MidnightFromTheMasterIsAValue) {
    Run({"INSERT INTO entranceState (認証機ID, 稼動開始) VALUES (1, 0)",
         "INSERT INTO entranceState (認証機ID, 稼動開始) VALUES (2, 0.5)",
         "INSERT INTO entranceState (認証機ID, 稼動開始) VALUES (3, NULL)"},
        "EntParaODBC");
    auto master = NewQuery("EntParaODBC", "sqlMaster");
    SetLines(*master, {"SELECT 稼動開始 FROM entranceState WHERE 認証機ID=1"});
    master->Open();
    ASSERT_EQ(master->FieldByName("稼動開始")->DataType(), ftTime);
    TDataSource source;
    source.SetDataSet(master.get());
    auto detail = NewQuery("EntParaODBC");
    SetLines(*detail, {"SELECT 認証機ID FROM entranceState WHERE 稼動開始 = :稼動開始"});
    detail->SetDataSource(&source);
    detail->Prepare();
    EXPECT_EQ(detail->Query()->GetParamValue(1), "00:00:00");
    detail->Open();
    EXPECT_EQ(Units(*detail), QStringList{"1"});
}

TEST_F(DataSetTest, NumbersFromTheMasterMatchExpressions) {
    // The day list's small integers drive a detail that compares them with CInt(...).
    Run({"CREATE TABLE ENTRANCE_LOG2026_12 (autoNum INTEGER PRIMARY KEY AUTOINCREMENT, "
         "個人コード TEXT (10), 操作日時 DATETIME)",
         "INSERT INTO ENTRANCE_LOG2026_12 (個人コード, 操作日時) VALUES ('A1', '12/01/2026, "
         "08:00:00')",
         "INSERT INTO ENTRANCE_LOG2026_12 (個人コード, 操作日時) VALUES ('B2', '12/02/2026, "
         "09:00:00')",
         "CREATE TABLE TMPLOG8_1 (操作Year SHORT, 操作Month SHORT, 操作Day SHORT, 率 DOUBLE)",
         "INSERT INTO TMPLOG8_1 VALUES (2026, 12, 1, 0.5)",
         "INSERT INTO TMPLOG8_1 VALUES (2026, 12, 2, 1.5)"},
        "EntParaODBC");
    auto master = NewQuery("EntParaODBC", "sqlUser");
    SetLines(*master, {"SELECT 操作Year,操作Month,操作Day,率", "FROM TMPLOG8_1",
                       "ORDER BY 操作Year,操作Month,操作Day"});
    master->Open();
    TDataSource source;
    source.SetDataSet(master.get());
    auto detail = NewQuery("EntParaODBC", "sqlSubGroup");
    SetLines(*detail,
             {"SELECT 個人コード FROM ENTRANCE_LOG2026_12",
              "WHERE (CInt(Year(操作日時)) =:操作Year)", "AND (CInt(Month(操作日時)) =:操作Month)",
              "AND (CInt(Day(操作日時)) =:操作Day) AND (CDbl(Day(操作日時)) > :率)"});
    detail->SetDataSource(&source);
    detail->Prepare();
    detail->Open();
    auto codes = [&] {
        QStringList values;
        for (detail->First(); !detail->Eof(); detail->Next())
            values << detail->FieldByName("個人コード")->AsString();
        return values;
    };
    EXPECT_EQ(codes(), QStringList{"A1"});
    master->Next();
    EXPECT_EQ(codes(), QStringList{"B2"});
}
