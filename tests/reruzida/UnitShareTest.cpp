#include "shared/UnitShare.h"

#include "tests/common/TempFolder.h"

#include "base/SysUtils.h"

#include <QDir>
#include <QFile>
#include <QHostInfo>
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

namespace {

// Samba's "net" is not installed here; a script in its place on PATH answers "usershare add"
// and "usershare info" with the given exit codes and notes its arguments.
class FakeNet {
public:
    FakeNet(int addExit, int infoExit) : FSavedPath(qgetenv("PATH")) {
        QFile script(FFolder.File("net"));
        script.open(QIODevice::WriteOnly);
        script.write(QString("#!/bin/sh\necho \"$@\" >> '%1'\ncase \"$2\" in add) exit %2;; "
                             "info) exit %3;; esac\n")
                         .arg(FFolder.File("calls"))
                         .arg(addExit)
                         .arg(infoExit)
                         .toUtf8());
        script.setPermissions(script.permissions() | QFile::ExeOwner);
        qputenv("PATH", FFolder.Path().toLocal8Bit());
    }
    ~FakeNet() { qputenv("PATH", FSavedPath); }
    QStringList Calls() const {
        QFile calls(FFolder.File("calls"));
        calls.open(QIODevice::ReadOnly);
        return QString::fromUtf8(calls.readAll()).split('\n', Qt::SkipEmptyParts);
    }

private:
    TempFolder FFolder;
    QByteArray FSavedPath;
};

} // namespace

TEST(UnitShareTest, TheSharedPathIsTheShareOnlyWhenSharingSucceeded) {
    TempFolder data;
    const QString local = data.Path() + "/";
    const QString unc = "//" + QHostInfo::localHostName() + "/ZezoduzuTest/";
    struct Case {
        const char* Name;
        int AddExit, InfoExit;
        QString Expected;
    };
    for (const Case& c : {Case{"shared", 0, 1, unc}, Case{"shared before", 2, 0, unc},
                          Case{"refused", 2, 2, local}}) {
        SCOPED_TRACE(c.Name);
        FakeNet net(c.AddExit, c.InfoExit);
        EXPECT_EQ(GetSharedDataPath(local, "ZezoduzuTest"), c.Expected);
        EXPECT_TRUE(
            net.Calls().value(0).startsWith("usershare add ZezoduzuTest " + data.Path() + " "))
            << net.Calls().value(0).toStdString();
    }
    // Without Samba the folder stays local.
    TempFolder empty;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", empty.Path().toLocal8Bit());
    EXPECT_EQ(GetSharedDataPath(local, "ZezoduzuTest"), local);
    qputenv("PATH", path);
}

TEST(UnitShareTest, EmptyingFolders) {
    TempFolder temp;
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
