#include "CommProcess.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/data/DataModules.h"
#include "entrance/liveviews/Form_EntranceGroupNowViewList.h"
#include "entrance/liveviews/Frame_EntranceGroupNowView.h"
#include "entrance/login/LogIn.h"
#include "protocol/CommRequests.h"
#include "tools/demodata/DemoData.h"
#include "tools/newdata/NewData.h"
#include "tools/unitsim/UnitSimulator.h"
#include "ui/CopyData.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>

using namespace entrance;

// The system's own figures, run by hand where no other copy of the programs uses their ports
// (for example under `unshare -rn`): each program's start-up to its first window, and a unit's
// record to the room tiles of a management program logged in over the network (loopback), on
// a demo data folder with four simulated units.

namespace {

constexpr int Runs = 7;

void Report(const char* what, QList<qint64> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-58s median %4lld ms, longest %4lld ms (%lld runs)\n", what, ms[ms.size() / 2],
                ms.last(), qint64(ms.size()));
}

// Starts `program` in the data folder until its request socket answers, `Runs` times.
QList<qint64> StartUps(const QString& program, const char* caption, bool terminate) {
    QList<qint64> times;
    for (int i = 0; i < Runs; ++i) {
        QProcess process;
        process.setWorkingDirectory(QFileInfo(program).path());
        QElapsedTimer clock;
        clock.start();
        process.start(program, {});
        if (!process.waitForStarted(5000) ||
            !QTest::qWaitFor([caption] { return FindWindowByCaption(caption); }, 20000)) {
            std::fprintf(stderr, "%s did not start\n", qPrintable(program));
            break;
        }
        times << clock.elapsed();
        if (terminate)
            SendCopyData(caption, CD_TERMINATE, "benchmark", {});
        else
            process.kill();
        if (!process.waitForFinished(20000))
            process.kill();
        process.waitForFinished(5000);
    }
    return times;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir runtime, folder;
    const QDir data(folder.path());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    qputenv("ZEZODUZU_REGISTRY", (runtime.path() + "/registry.ini").toLocal8Bit());
    QApplication app(argc, argv);
    TEntranceSession session;
    const QString build =
        qEnvironmentVariable("ZZ_BUILD_DIR", QCoreApplication::applicationDirPath() + "/../..");
    CreateDataFolder(data.path());
    FillDemoData(data.path());
    for (const char* program : {"reruzida/Reruzida", "entrance/Zezoduzu"})
        QFile::copy(build + "/" + program, data.filePath(QFileInfo(program).fileName()));
    TUnitSimulator sim(DemoUnitCount);
    if (!sim.OpenPty())
        return 1;
    sim.Start();
    UseUnitsOnCom1(sim);

    Report("communication program: start to its window",
           StartUps(data.filePath("Reruzida"), CommCaption, true));
    Report("management program: start to its main window and login",
           StartUps(data.filePath("Zezoduzu"), EntranceCaption, false));

    QProcess comm;
    comm.setWorkingDirectory(data.path());
    comm.start(data.filePath("Reruzida"), {});
    if (!QTest::qWaitFor([&] { return sim.IsRunning(DemoUnitCount); }, 30000))
        return 1;
    TDataModules modules(data.filePath("Zezoduzu"));
    TLogIn login(data.filePath("Zezoduzu"));
    login.NetworkPresent = true;
    bool finished = false, loggedIn = false;
    login.OnFinished = [&](bool ok, TLogInFocus) {
        finished = true;
        loggedIn = ok;
    };
    login.OnMessage = [](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
    login.Login("127.0.0.1", DemoOperator, DemoPassword, DemoPassword);
    if (!QTest::qWaitFor([&] { return finished; }, 20000) || !loggedIn)
        return 1;
    {
        TfrmEntranceGroupNowViewList tiles(nullptr);
        QLabel* entries = tiles.Tiles().first()->Ed_LogINs;
        const QString log =
            data.filePath(QDate::currentDate().toString("'ENTRANCE_LOG'yyyy_MM'.DB'"));
        QList<qint64> stored, shown;
        for (int i = 0; i < Runs * 2; ++i) {
            const QString before = entries->text();
            const QDateTime written = QFileInfo(log).lastModified();
            QElapsedTimer clock;
            clock.start();
            sim.AddLogRecord(1, OpEntry, 1, DemoPersons().first().Code);
            qint64 storedAt = -1;
            if (!QTest::qWaitFor(
                    [&] {
                        if (storedAt < 0 && QFileInfo(log).lastModified() != written)
                            storedAt = clock.elapsed();
                        return entries->text() != before;
                    },
                    10000))
                break;
            shown << clock.elapsed();
            stored << storedAt;
            QTest::qWait(700 + 150 * i % 5);
        }
        Report("unit record stored in the log table", stored);
        Report("unit record to the room tiles over the network", shown);
    }
    SendCopyData(CommCaption, CD_TERMINATE, "benchmark", {});
    comm.waitForFinished(20000);
    sim.Stop();
    return 0;
}
