#include "tools/demodata/DemoData.h"

#include "base/Registry.h"
#include "storage/Connection.h"
#include "tests/common/TempFolder.h"
#include "tools/newdata/NewData.h"
#include "tools/unitsim/UnitScript.h"
#include "tools/unitsim/UnitSimulator.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QStringList Rows(const QString& file, const QString& sql) {
    auto c = SqlConnection::OpenDatabase(file);
    auto st = c->Prepare(sql);
    QStringList rows;
    while (st->Step())
        rows << st->Value(0).toString();
    return rows;
}

} // namespace

// The demo folder holds what the login and the room tiles need, and the administrator's
// password is where the login looks for it.
TEST(DemoData, FillsANewFolder) {
    TempFolder folder;
    CreateDataFolder(folder.Path());
    FillDemoData(folder.Path());
    const QString db = folder.File(DatabaseFileName);
    EXPECT_EQ(Rows(db, "SELECT オペレーター名||'/'||passWD||'/'||ランク FROM M_オペレーター"),
              QStringList{"admin/admin/0"});
    TRegistry registry;
    registry.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    ASSERT_TRUE(registry.OpenKey(AppRegistryKey, false));
    EXPECT_EQ(registry.ReadString("UserPassWD"), "admin");
    EXPECT_EQ(Rows(db, "SELECT count(*) FROM M_個人情報 JOIN M_部門 USING (部門コード)"),
              QStringList{"6"});
    EXPECT_EQ(Rows(db, "SELECT count(DISTINCT 認証機グループコード) FROM M_認証機グループ"),
              QStringList{"3"});
    EXPECT_EQ(Rows(db, "SELECT count(*) FROM M_使用認証機 WHERE 登録=0"), QStringList{"17"});
    EXPECT_EQ(Rows(folder.File("ENTRANCESTATE.DB"), "SELECT count(*) FROM entranceState"),
              QStringList{"4"});
}

// The script plays on the simulator and names only the demo persons, each at a unit he may use.
TEST(DemoData, ScriptUsesTheDemoPersonsOnTheirUnits) {
    const QString script = DemoUnitScript(2);
    TUnitSimulator sim(DemoUnitCount);
    EXPECT_EQ(ScheduleScript(sim, script), "");
    const QRegularExpression event(R"(^\d+ (enrol|log) (\d)( \d\d \d)? (\d{7})$)");
    int entries = 0;
    for (const QString& line : script.split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith('#'))
            continue;
        const auto m = event.match(line);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        const auto person =
            std::find_if(DemoPersons().begin(), DemoPersons().end(),
                         [&](const TDemoPerson& p) { return p.Code == m.captured(4); });
        ASSERT_NE(person, DemoPersons().end()) << line.toStdString();
        EXPECT_TRUE(person->Units.contains(m.captured(2).toInt())) << line.toStdString();
        entries += m.captured(3).startsWith(" 11") ? 1 : 0;
    }
    EXPECT_GT(entries, 20);
}
