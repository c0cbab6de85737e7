#include "base/SingleInstance.h"
#include "tests/common/TempFolder.h"
#include "tools/newdata/NewData.h"

#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The management program copied into a fresh data folder, with this test's registry and
// runtime folder, so its single-instance lock is the test's own.
class ManagementProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_RUNTIME_DIR", FRuntime.Path().toLocal8Bit());
        qputenv("ZEZODUZU_REGISTRY", FRuntime.File("registry.ini").toLocal8Bit());
        CreateDataFolder(FData.Path());
        const QString built = qEnvironmentVariable("ZZ_BUILD_DIR") + "/entrance/Zezoduzu";
        ASSERT_TRUE(QFile::copy(built, FData.File("Zezoduzu"))) << built.toStdString();
    }
    void TearDown() override {
        for (QProcess* process : {&FFirst, &FSecond})
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
    }
    void Start(QProcess& process) {
        process.setWorkingDirectory(FData.Path());
        process.start(FData.File("Zezoduzu"), {});
        ASSERT_TRUE(process.waitForStarted(5000));
    }
    // The running copy listens for later starts.
    static bool Listening() {
        QLocalSocket socket;
        socket.connectToServer(TSingleInstance::SocketName("dIradoRorudiviVerovi"));
        const bool found = socket.waitForConnected(500);
        socket.abort();
        return found;
    }

    TempFolder FRuntime;
    TempFolder FData;
    QProcess FFirst;
    QProcess FSecond;
};

} // namespace

// The first copy waits at its login; a second start hands over to it and ends at once with 0,
// saying nothing.
TEST_F(ManagementProgramTest, SecondStartEndsSilently) {
    Start(FFirst);
    ASSERT_TRUE(QTest::qWaitFor(Listening, 20000));
    Start(FSecond);
    ASSERT_TRUE(FSecond.waitForFinished(10000));
    EXPECT_EQ(FSecond.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(FSecond.exitCode(), 0);
    EXPECT_TRUE(FSecond.readAllStandardOutput().isEmpty());
    EXPECT_EQ(FFirst.state(), QProcess::Running);
}

// Two starts at the same moment: exactly one keeps running.
TEST_F(ManagementProgramTest, TwoStartsAtOnceLeaveOneCopy) {
    Start(FFirst);
    Start(FSecond);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return FFirst.state() == QProcess::NotRunning ||
                   FSecond.state() == QProcess::NotRunning;
        },
        20000));
    QTest::qWait(500);
    QProcess& ended = FFirst.state() == QProcess::NotRunning ? FFirst : FSecond;
    QProcess& running = &ended == &FFirst ? FSecond : FFirst;
    EXPECT_EQ(ended.exitCode(), 0);
    EXPECT_EQ(running.state(), QProcess::Running);
}
