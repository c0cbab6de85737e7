#include "entrance/common/EntranceSession.h"
#include "entrance/data/Unit_TempTables.h"
#include "storage/DataFileLock.h"
#include "tests/entrance/EntranceFixture.h"

#include <QDir>
#include <QFile>

using namespace entrance;

namespace {

class TempTables : public EntranceFixture {
protected:
    const QString DayTable = TempTableName(TempUnitDayListPrefix);

    SqlConnection& Folder() { return Session().OpenDatabase("ParaOzka").Connection(); }
    void AddDays(int count) {
        for (int i = 1; i <= count; ++i)
            Folder().Execute(QString("INSERT INTO %1 (操作Year,操作Month,操作Day) VALUES "
                                     "(2026,3,%2)")
                                 .arg(DayTable)
                                 .arg(i));
    }
    QStringList Rows() { return Column("SELECT 操作Day FROM " + DayTable, true); }
    QByteArray Bytes(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(TempTables, NamesCarryThePcsDigits) {
    EXPECT_EQ(TempTableName(TempLogListPrefix), "TMPLOG1_127001");
    EXPECT_EQ(TempTableName(TempPersonDayListPrefix), "TMPLOG8_127001");
}

TEST_F(TempTables, TablesHaveTheirLayouts) {
    CreateTempLogTable("TMPLOG1_127001");
    CreateTempDayTable(DayTable);
    auto layout = [&](const QString& table) {
        QStringList columns;
        for (const ColumnInfo& c : Folder().Columns(table))
            columns << c.Name + " " + c.DeclaredType;
        return columns;
    };
    EXPECT_EQ(layout("TMPLOG1_127001"),
              QStringList({"autoNum INTEGER", "個人コード TEXT (10)", "操作種別 SHORT",
                           "操作日時 DATETIME", "エラー種別 SHORT", "認証機ID SHORT"}));
    EXPECT_EQ(layout(DayTable), QStringList({"autoNum INTEGER", "操作Year SHORT", "操作Month SHORT",
                                             "操作Day SHORT"}));
    EXPECT_TRUE(QFile::exists(Temp.File(DayTable + ".DB")));
}

TEST_F(TempTables, ARecreatedTableHoldsNoOldRowsWhileTheOldOneIsStillRead) {
    CreateTempDayTable(DayTable);
    AddDays(3);
    TTable shown;
    shown.SetDatabaseName("ParaOzka");
    shown.SetTableName(DayTable);
    shown.Open();
    ASSERT_EQ(shown.RecordCount(), 3);
    // A statement still reading the table: it cannot be dropped, so it is emptied.
    auto reading = Folder().Prepare("SELECT * FROM " + DayTable);
    ASSERT_TRUE(reading->Step());
    CreateTempDayTable(DayTable);
    EXPECT_EQ(Rows(), QStringList());
    reading.reset();
    AddDays(1);
    // Dropped this time: the dataset that showed the old table reads the new one.
    CreateTempDayTable(DayTable);
    AddDays(2);
    shown.Refresh();
    EXPECT_EQ(shown.RecordCount(), 2);
    EXPECT_EQ(Rows(), QStringList({"1", "2"}));
}

TEST_F(TempTables, DroppingAMissingTableDoesNothing) {
    DropTempTable("TMPLOG2_127001");
    EXPECT_FALSE(Folder().TableExists("TMPLOG2_127001"));
}

TEST_F(TempTables, CompactionShrinksTheFileAndKeepsItsData) {
    {
        auto c = SqlConnection::OpenDatabase(Temp.File(DatabaseFileName));
        c->StartTransaction();
        c->Execute("INSERT INTO M_部門 (部門コード,部門名) VALUES (1,'総務')");
        for (int i = 2; i < 1000; ++i)
            c->Execute(QString("INSERT INTO M_個人情報 (個人コード,認証画像) VALUES "
                               "('%1',zeroblob(2000))")
                           .arg(i));
        c->Execute("DELETE FROM M_個人情報");
        c->Commit();
    }
    Session().Close();
    const QString file = Temp.File(DatabaseFileName);
    const qint64 before = QFileInfo(file).size();
    {
        const DataFileLock exclusive(file, DataFileLock::Exclusive);
        ASSERT_TRUE(CompactDatabase(file, "Temp/", exclusive));
    }
    EXPECT_LT(QFileInfo(file).size(), before / 4);
    EXPECT_EQ(Column("SELECT 部門名 FROM M_部門"), QStringList{"総務"});
    EXPECT_EQ(QDir(Temp.File("Temp")).entryList(QDir::Files), QStringList());
}

TEST_F(TempTables, AFailedCompactionLeavesTheFileAsItWas) {
    const struct {
        const char* what;
        const char* subfolder;
        std::function<void(const TempFolder&)> arrange;
    } cases[] = {
        // Root writes anywhere; a folder in the copy's place cannot be replaced.
        {"copy not writable", "Temp/",
         [](const TempFolder& data) {
             ASSERT_TRUE(QDir().mkpath(data.File("Temp/") + DatabaseFileName + "/x"));
         }},
        {"no database", "Temp/",
         [](const TempFolder& data) {
             QFile f(data.File(DatabaseFileName));
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write("not a database file, only text long enough to be no header at all");
         }},
        {"copy on the database itself", "", [](const TempFolder&) {}},
    };
    for (const auto& c : cases) {
        TempFolder data;
        CreateDataFolder(data.Path());
        EntranceSession().DataPath = data.File("Zezoduzu");
        c.arrange(data);
        const QString file = data.File(DatabaseFileName);
        const QByteArray before = Bytes(file);
        const DataFileLock exclusive(file, DataFileLock::Exclusive);
        EXPECT_FALSE(CompactDatabase(file, c.subfolder, exclusive)) << c.what;
        EXPECT_EQ(Bytes(file), before) << c.what;
    }
}

TEST_F(TempTables, CompactionWithoutADatabaseFileFails) {
    const DataFileLock exclusive(Temp.File("NONE.MDB"), DataFileLock::Exclusive);
    EXPECT_FALSE(CompactDatabase(Temp.File("NONE.MDB"), "Temp/", exclusive));
    EXPECT_FALSE(QFile::exists(Temp.File("NONE.MDB")));
}

} // namespace
