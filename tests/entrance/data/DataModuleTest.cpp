#include "entrance/common/Unit_Common.h"
#include "entrance/data/DataModule1.h"
#include "entrance/data/DataModule3.h"
#include "entrance/data/DataModules.h"
#include "tests/entrance/LogInFixture.h"

#include "base/IniFile.h"
#include "entrance/common/EntranceSession.h"
#include "tests/common/TempFolder.h"
#include "tools/newdata/NewData.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace entrance;

// The program sits in one folder; "APPNAME" may name a file in another folder.
TEST(DataModuleTest, LoadDataPathKeepsAnAppNameBesideTheDatabaseElseWritesTheProgram) {
    TempFolder program, data, empty;
    CreateDataFolder(data.Path());
    const QString programFile = program.File("Zezoduzu");
    const QString ini = program.File("VORUZOVEVIZ.INI");
    const struct {
        const char* what;
        QString appName; // null: no INI file
        QString expected;
    } cases[] = {
        {"no INI file", QString(), programFile},
        {"a file that need not exist, beside the database", data.File("Gone"), data.File("Gone")},
        {"a folder without the database", empty.File("Zezoduzu"), programFile},
        {"an empty value", "", programFile},
    };
    for (const auto& c : cases) {
        QFile::remove(ini);
        if (!c.appName.isNull())
            TIniFile(ini).WriteString("APP", "APPNAME", c.appName);
        LoadDataPath(programFile);
        EXPECT_EQ(EntranceSession().DataPath, c.expected) << c.what;
        EXPECT_EQ(TIniFile(ini).ReadString("APP", "APPNAME", "?"), c.expected) << c.what;
    }
}

TEST(DataModuleTest, TheDatabaseFileIsFoundWhateverItsCase) {
    TempFolder data;
    EXPECT_FALSE(HasDatabaseFile(data.File("Zezoduzu")));
    QFile file(data.File("VoduraviRive.mdb"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_TRUE(HasDatabaseFile(data.File("Zezoduzu")));
    EXPECT_EQ(DatabaseFileOf(data.File("Zezoduzu")), data.File("VoduraviRive.mdb"));
    EXPECT_FALSE(HasDatabaseFile("Zezoduzu"));
}

TEST(DataModuleTest, CreatingTheModulesReadsTheDataPathAndInstallsTheDriver) {
    TempFolder program;
    const QByteArray odbcIni = qgetenv("ODBCINI"), odbcSysIni = qgetenv("ODBCSYSINI");
    {
        TDataModules modules(program.File("Zezoduzu"));
        ASSERT_NE(EntranceSession().DM1, nullptr);
        ASSERT_NE(EntranceSession().DM3, nullptr);
        EXPECT_EQ(EntranceSession().DataPath, program.File("Zezoduzu"));
        const QString drivers = ReadFile(program.File("odbcinst.ini"));
        EXPECT_TRUE(drivers.contains("[Microsoft Access Driver (*.MDB)]"));
        EXPECT_TRUE(drivers.contains("[Microsoft Paradox Driver (*.DB )]"));
        EXPECT_EQ(qEnvironmentVariable("ODBCINI"), program.File("odbc.ini"));
    }
    EXPECT_EQ(EntranceSession().DM1, nullptr);
    EXPECT_EQ(EntranceSession().DM3, nullptr);
    qputenv("ODBCINI", odbcIni);
    qputenv("ODBCSYSINI", odbcSysIni);
}
