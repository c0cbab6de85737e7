#include "tests/entrance/LogInFixture.h"

#include "base/Registry.h"
#include "dbengine/Database.h"
#include "entrance/common/EntranceSession.h"
#include "protocol/CommRequests.h"
#include "ui/CopyData.h"

#include <QHostInfo>
#include <QProcess>

using namespace entrance;

// The communication program on this machine stands for the one on the data PC: its folder is
// shared (a "net" that accepts every share stands in for Samba), so port 11123 sends the
// share's path, which this PC maps to its mount of the folder.
class RemoteLogInTest : public LogInFixture {
protected:
    TempFolder Runtime, Data, Bin;
    QProcess Comm;

    void SetUp() override {
        qputenv("XDG_RUNTIME_DIR", Runtime.Path().toLocal8Bit());
        LogInFixture::SetUp();
        CreateDataFolder(Data.Path());
        const QString built = qEnvironmentVariable("ZZ_BUILD_DIR") + "/reruzida/Reruzida";
        ASSERT_TRUE(QFile::copy(built, Data.File("Reruzida"))) << built.toStdString();
        QFile net(Bin.File("net"));
        ASSERT_TRUE(net.open(QIODevice::WriteOnly));
        net.write("#!/bin/sh\nexit 0\n");
        net.close();
        net.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", Bin.Path() + ":" + environment.value("PATH"));
        Comm.setProcessEnvironment(environment);
        Comm.setWorkingDirectory(Data.Path());
        Comm.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        Comm.start(Data.File("Reruzida"), {});
        ASSERT_TRUE(Comm.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor([] { return FindWindowByCaption(CommCaption); }, 20000));
    }
    void TearDown() override {
        Comm.kill();
        Comm.waitForFinished(5000);
        LogInFixture::TearDown();
    }
};

TEST_F(RemoteLogInTest, TheDataOpensThroughTheMountOfTheSharedFolder) {
    WriteAppRegistry("UserPassWD", "abc");
    Run(Data.Path(), "INSERT INTO M_オペレーター (オペレーターコード,オペレーター名,ランク,passWD) "
                     "VALUES (3,'遠隔',1,'pw3')");
    // This PC's mount of the share: another path to the same folder.
    const QString mount = Runtime.File("mnt");
    ASSERT_TRUE(QFile::link(Data.Path(), mount));
    TRegistry mounts;
    mounts.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    mounts.OpenKey(MountsRegistryKey, true);
    mounts.WriteString("//" + QHostInfo::localHostName() + "/Zezoduzu", mount);
    const auto login = NewLogIn();
    login->NetworkPresent = true;
    ASSERT_TRUE(Attempt(*login, "127.0.0.1", "遠隔", "pw3")) << Messages.join("\n").toStdString();
    EXPECT_TRUE(EntranceSession().NetworkMode);
    EXPECT_EQ(EntranceSession().RemotePCName, "127.0.0.1");
    EXPECT_EQ(EntranceSession().DataPath, mount + "/Zezoduzu");
    EXPECT_EQ(EntranceSession().DM1->DB1->Path(), mount + "/VODURAVIRIVE.MDB");
    EXPECT_EQ(EntranceSession().CurrentOperator.Code, 3);
}
