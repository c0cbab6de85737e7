#include "dbengine/Query.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_Users.h"
#include "tests/entrance/EntranceFixture.h"

#include <QDir>
#include <QFile>

using namespace entrance;

namespace {

using UsersEntrance = EntranceFixture;

void Touch(const QString& file) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

TEST_F(UsersEntrance, LoadKeepsListablePersonsInCodeOrder) {
    Run("INSERT INTO M_部門 (部門コード,部門名) VALUES (1,'総務')");
    Run("INSERT INTO M_個人情報 (個人コード,氏名,部門コード,指コード,勤務グループコード) VALUES "
        "('0004','鈴木',9,NULL,0), ('0001','山田',1,NULL,3), ('0002','佐藤',NULL,0,NULL), "
        "('0003','指',1,2,3), ('','空',1,NULL,3), (NULL,'無',1,NULL,3)");
    const struct {
        int flag;
        QStringList persons; // code,name,dept code,dept name,work group
    } cases[] = {
        {0, {"0001,山田,1,総務,3", "0002,佐藤,0,,0", "0004,鈴木,9,,0"}},
        {1, {"0001,山田,1,総務,3"}},
    };
    TUsers users;
    for (const auto& c : cases) {
        users.Load(nullptr, c.flag);
        QStringList persons;
        for (int i = 0; i < users.Count; ++i)
            persons << QString("%1,%2,%3,%4,%5")
                           .arg(users.CodeAt(i), users.NameAt(i))
                           .arg(users.DeptCodes[i])
                           .arg(users.DeptNames[i])
                           .arg(users.WorkGroupCodes[i]);
        EXPECT_EQ(persons, c.persons) << "flag " << c.flag;
    }
    users.Load(nullptr, 0);
    EXPECT_EQ(users.NameOfCode("0004"), "鈴木");
    EXPECT_EQ(users.DeptCodeOfCode("0001"), 1);
    EXPECT_EQ(users.DeptNameOfCode("0001"), "総務");
    for (const char* missing : {"0003", "", "9999"}) {
        EXPECT_EQ(users.NameOfCode(missing), "");
        EXPECT_EQ(users.DeptCodeOfCode(missing), 0);
        EXPECT_EQ(users.DeptNameOfCode(missing), "");
    }
    EXPECT_EQ(users.CodeAt(-1), "");
    EXPECT_EQ(users.NameAt(users.Count), "");
}

TEST_F(UsersEntrance, UnitsComeInIdOrderAndUnknownOnesAreNeutral) {
    {
        TEntrance empty;
        EXPECT_EQ(empty.Count(), 0);
        EXPECT_EQ(empty.IDAt(0), 0);
        EXPECT_EQ(empty.Path(), Temp.Path() + "/");
    }
    Run("INSERT INTO entranceState (認証機ID,認証機名) VALUES (3,'裏口'), (1,'正面')", true);
    TEntrance units;
    EXPECT_EQ(units.UnitIDs, QList<int>({1, 3}));
    EXPECT_EQ(units.UnitNames, QStringList({"正面", "裏口"}));
    EXPECT_EQ(units.NameOfID(3), "裏口");
    EXPECT_EQ(units.IndexOfID(3), 1);
    EXPECT_EQ(units.NameOfID(2), "");
    EXPECT_EQ(units.IndexOfID(2), -1);
    EXPECT_EQ(units.NameAt(2), "");
    EXPECT_EQ(units.IDAt(-1), 0);
}

TEST_F(UsersEntrance, MonthLogFilesAreFoundWithoutRegardToCase) {
    const struct {
        TDateTime today;
        const char* file;        // the only log file in the folder, or none
        const char* monthFile;   // LogFileOfMonth(today)
        const char* currentFile; // CurrentLogFile
    } cases[] = {
        {EncodeDate(2026, 12, 10), "ENTRANCE_LOG2026_12.DB", "ENTRANCE_LOG2026_12.DB",
         "ENTRANCE_LOG2026_12.DB"},
        {EncodeDate(2026, 12, 10), "ENTRANCE_LOG2026_11.DB", "", "ENTRANCE_LOG2026_11.DB"},
        {EncodeDate(2027, 1, 5), "ENTRANCE_LOG2026_12.DB", "", "ENTRANCE_LOG2026_12.DB"},
        {EncodeDate(2026, 12, 10), "entrance_log2026_12.db", "entrance_log2026_12.db",
         "entrance_log2026_12.db"},
        {EncodeDate(2026, 12, 10), "ENTRANCE_LOG2026_10.DB", "", ""},
        {EncodeDate(2026, 12, 10), nullptr, "", ""},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        if (c.file)
            Touch(folder.File(c.file));
        Touch(folder.File("TMPLOG5_127001.DB"));
        Clock::SetNow([&] { return c.today + 0.5; });
        TEntrance units;
        units.SetPath(folder.Path() + "/");
        const QString name = c.file ? QString(c.file) : QString();
        const std::string what = name.toStdString();
        auto full = [&](const char* file) { return *file ? folder.File(file) : QString(); };
        EXPECT_EQ(units.LogFileOfMonth(c.today), full(c.monthFile)) << what;
        EXPECT_EQ(units.LogTableExists(c.today), *c.monthFile != 0) << what;
        EXPECT_EQ(units.LogTableOfMonth(c.today),
                  *c.monthFile ? "ENTRANCE_LOG" + TEntrance::YearMonthSuffix(c.today) : "")
            << what;
        EXPECT_EQ(units.CurrentLogFile(), full(c.currentFile)) << what;
        units.ListLogTables();
        EXPECT_EQ(units.LogTables, c.file ? QStringList{name.chopped(3)} : QStringList()) << what;
        EXPECT_EQ(units.HasLogTables(), c.file != nullptr);
    }
    Clock::SetNow({});
    EXPECT_EQ(TEntrance::YearMonthSuffix(EncodeDate(2001, 7, 31)), "2001_07");
}

TEST_F(UsersEntrance, RoomConditionAdmitsExactlyTheRoomsUnits) {
    Run("INSERT INTO entranceState (認証機ID,認証機名) VALUES (1,'a'), (2,'b'), (3,'c')", true);
    Run("INSERT INTO M_認証機グループ (認証機グループコード,認証機ID,認証機グループ名) VALUES "
        "(5,1,'会議室'), (5,3,'会議室'), (6,2,'倉庫')");
    EXPECT_EQ(TEntrance::GroupIDCondition(5), "AND ( (認証機ID=1) OR (認証機ID=3)  )");
    const struct {
        int room;
        QStringList units;
    } cases[] = {{5, {"1", "3"}}, {6, {"2"}}, {7, {}}};
    for (const auto& c : cases) {
        TQuery query;
        query.SetDatabaseName("ParaOzka");
        query.SQL().Assign(QStringList{"SELECT 認証機ID FROM entranceState", "WHERE (1=1)",
                                       TEntrance::GroupIDCondition(c.room), "ORDER BY 認証機ID"});
        QStringList units;
        for (query.Open(); !query.Eof(); query.Next())
            units << query.FieldByName("認証機ID")->AsString();
        EXPECT_EQ(units, c.units) << "room " << c.room;
    }
}

} // namespace
