#include "entrance/UnitShare.h"

#include "tests/common/TempFolder.h"

#include "base/SysUtils.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

TEST(UnitShareTest, EngineConfigurationKeysAndLocalShare) {
    const auto messageOf = [](const QString& key) {
        try {
            SetBdeConfigValue(key, "TRUE");
        } catch (const Exception& e) {
            return e.Message();
        }
        return QString("no error");
    };
    EXPECT_EQ(messageOf("\\SYSTEM\\INIT\\LOCAL SHARE"),
              "Invalid parameter passed to function.  There must be a semi-colon delimited sting "
              "passed");
    EXPECT_EQ(messageOf("\\SYSTEM\\INIT\\;NO SUCH"),
              "NO SUCH entry was not found in configuration file");
    SetBdeConfigValue("\\SYSTEM\\INIT\\;LOCAL SHARE", "FALSE");
    EXPECT_FALSE(IsLocalShareOn());
    EnsureLocalShare();
    EXPECT_TRUE(IsLocalShareOn());
}

TEST(UnitShareTest, FoldersWithoutAShareAndEmptyingThem) {
    TempFolder temp;
    // No Samba here, or a share Samba refuses: the local folder with its closing "/".
    const QString shared = GetSharedDataPath(temp.Path() + "/", "ZezoduzuTest");
    EXPECT_TRUE(shared == temp.Path() + "/" || shared.endsWith("/ZezoduzuTest/"))
        << shared.toStdString();
    QDir(temp.Path()).mkdir("sub");
    for (const char* name : {"a.DB", "b.txt", "sub/c"}) {
        QFile file(temp.File(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    DeleteFilesInFolder(temp.Path() + "/");
    EXPECT_EQ(QDir(temp.Path()).entryList(QDir::Files), QStringList());
    EXPECT_TRUE(QFile::exists(temp.File("sub/c")));
    DeleteFilesInFolder(temp.Path() + "/missing/");
}
