#include "CommProcess.h"
#include "storage/Connection.h"
#include "storage/Statement.h"
#include "tools/newdata/NewData.h"
#include "tools/unitsim/UnitSimulator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>

// Removals waiting for unit 1 when the communication program starts, with three simulated
// units on the line, at the program's own pace: when each unit gets its run command, how long
// the removals take, and how often each unit is read for records meanwhile. Run by hand where
// no other copy of the program uses its ports (for example under `unshare -rn`); the argument
// is the number of removals (1000 when none is given).

namespace {

constexpr int Units = 3;

// The removals still kept; -1 while the file cannot be read.
int CountRows(const QString& database) {
    try {
        const auto connection = SqlConnection::OpenDatabase(database);
        auto statement = connection->Prepare("SELECT count(*) FROM M_使用認証機 WHERE 削除");
        return statement->Step() ? statement->Value(0).toInt() : -1;
    } catch (const Exception&) {
        return -1;
    }
}

qint64 Median(QList<qint64> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir runtime, folder;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    qputenv("ZEZODUZU_REGISTRY", (runtime.path() + "/registry.ini").toLocal8Bit());
    QApplication app(argc, argv);
    const int removals = argc > 1 ? QString(argv[1]).toInt() : 1000;
    // Where StartCommProgram finds the program.
    if (qEnvironmentVariableIsEmpty("ZZ_BUILD_DIR"))
        qputenv("ZZ_BUILD_DIR", (QCoreApplication::applicationDirPath() + "/../..").toLocal8Bit());
    const QDir data(folder.path());
    CreateDataFolder(data.path());
    QStringList rows;
    for (int i = 1; i <= removals; ++i)
        rows << QString("('%1',1,1,1,0)").arg(i, 7, 10, QChar('0'));
    const QString database = data.filePath(DatabaseFileName);
    SqlConnection::OpenDatabase(database)->Execute(
        "INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除,登録不可) VALUES " +
        rows.join(','));
    TUnitSimulator sim(Units);
    if (!sim.OpenPty())
        return 1;
    sim.Start();
    UseUnitsOnCom1(sim);

    QProcess comm;
    if (!StartCommProgram(comm, data.path(), 30000))
        return 1;
    QElapsedTimer clock;
    clock.start();
    while (CountRows(database) != 0 && clock.elapsed() < 3600000)
        QTest::qWait(500);
    if (CountRows(database) != 0)
        std::fprintf(stderr, "removals left: %d\n", CountRows(database));
    const qint64 drained = clock.elapsed();
    SendCopyData(CommCaption, CD_TERMINATE, "benchmark", {});
    comm.waitForFinished(20000);
    sim.Stop();

    const QList<TSimFrame> frames = sim.Frames();
    QMap<int, qint64> running, lastPoll, longestGap;
    qint64 firstRemoval = -1, lastRemoval = -1;
    for (const TSimFrame& frame : frames) {
        if (frame.Command == RunCommand && !running.contains(frame.Destination))
            running[frame.Destination] = frame.AtMs;
        if (frame.Command == RemovalCommand) {
            firstRemoval = firstRemoval < 0 ? frame.AtMs : firstRemoval;
            lastRemoval = frame.AtMs;
        }
    }
    QMap<int, QList<qint64>> gaps;
    for (const TSimFrame& frame : frames) {
        const int unit = frame.Destination;
        if (frame.Command != LogReadCommand || frame.AtMs < firstRemoval ||
            frame.AtMs > lastRemoval)
            continue;
        if (lastPoll.contains(unit)) {
            gaps[unit] << frame.AtMs - lastPoll[unit];
            longestGap[unit] = std::max(longestGap[unit], gaps[unit].last());
        }
        lastPoll[unit] = frame.AtMs;
    }
    std::printf("%d removals for unit 1, %d units on the line\n", removals, Units);
    for (int unit = 1; unit <= Units; ++unit)
        std::printf("unit %d: run command %s; polled while removals drain every %lld ms (median), "
                    "longest %lld ms\n",
                    unit,
                    running.contains(unit)
                        ? qPrintable(QString::number(running[unit] - firstRemoval) +
                                     " ms after the first removal")
                        : "never",
                    Median(gaps[unit]), longestGap.value(unit, -1));
    std::printf("removals sent over %lld ms, %.0f ms a removal; all confirmed %lld ms after the "
                "program's window came up\n",
                lastRemoval - firstRemoval, double(lastRemoval - firstRemoval) / removals, drained);
    return 0;
}
