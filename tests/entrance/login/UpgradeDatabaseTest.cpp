#include "tests/entrance/LogInFixture.h"

#include "entrance/login/UpgradeDatabase.h"

#include "dbengine/Database.h"
#include "entrance/common/EntranceSession.h"

#include <QDir>

using namespace entrance;

// The database as an old version of the system made it: none of the added columns.
TEST_F(LogInFixture, UpgradeAddsTheMissingColumnsOnceAndReopensTheConnections) {
    const QString data = Temp.File("old");
    QDir().mkpath(data);
    const auto old = SqlConnection::OpenDatabase(data + "/VODURAVIRIVE.MDB", true);
    for (const char* sql : {"CREATE TABLE M_使用認証機 (個人コード TEXT (10), 認証機ID LONG)",
                            "CREATE TABLE M_個人情報 (個人コード TEXT (10), 氏名 TEXT (20))",
                            "CREATE TABLE M_勤務表 (個人コード TEXT (10))",
                            "CREATE TABLE M_事業所 (事業所コード LONG, 処理年度 LONG)",
                            "CREATE TABLE M_休日 (日付 DATETIME)",
                            "CREATE TABLE M_勤務表合計 (個人コード TEXT (10), 出勤 DOUBLE)",
                            "INSERT INTO M_使用認証機 (個人コード,認証機ID) VALUES ('123',1)"})
        old->Execute(sql);
    EntranceSession().DM1->DB1->Params.Add("DATABASE NAME=" + data + "/VODURAVIRIVE.MDB");
    EntranceSession().DM1->DB2->Params.Add("PATH=" + Temp.Path());
    const auto columns = [&](const QString& table) {
        return Column(data, "SELECT name || ' ' || type FROM pragma_table_info('" + table + "')")
            .join(", ");
    };
    for (int run = 0; run < 2; ++run) {
        EXPECT_TRUE(UpgradeDatabase());
        EXPECT_EQ(columns("M_使用認証機"),
                  "個人コード TEXT (10), 認証機ID LONG, 登録 BIT, 削除 BIT, 指コード LONG");
        EXPECT_EQ(columns("M_個人情報"),
                  "個人コード TEXT (10), 氏名 TEXT (20), 有効開始日 DATETIME, 指コード LONG");
        EXPECT_EQ(columns("M_勤務表"), "個人コード TEXT (10), 読込 LONG");
        EXPECT_EQ(columns("M_事業所"), "事業所コード LONG, 処理年度 LONG, 勤怠締月 LONG");
        EXPECT_EQ(columns("M_休日"), "日付 DATETIME, 休日コード LONG");
        EXPECT_EQ(columns("M_勤務表合計"), "個人コード TEXT (10), 出勤 DOUBLE, 公休 DOUBLE");
        EXPECT_EQ(columns("M_給与項目"), "項目コード Long, 項目名 TEXT (20), 使用 BIT, 順番 Long, "
                                         "ヘッダ名 TEXT (20), 作成処理月 DATETIME");
        EXPECT_EQ(Column(data, "SELECT 個人コード || ',' || 認証機ID FROM M_使用認証機"),
                  QStringList{"123,1"});
        EXPECT_TRUE(EntranceSession().DM1->DB1->Connected());
        EXPECT_TRUE(EntranceSession().DM1->DB2->Connected());
    }
}
