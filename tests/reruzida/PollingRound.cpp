#include "reruzida/CommDriver.h"
#include "reruzida/CommSession.h"
#include "tests/reruzida/SerialLine.h"
#include "tools/unitsim/UnitSimulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <mutex>
#include <unistd.h>

using namespace reruzida;

// Measures the start-up and one polling round over 1, 8 and 32 simulated units at the
// thread's own pace and prints them beside what the line itself needs.

namespace {

// Takes the protocol thread's messages, as the monitor window does.
class TQuietWindow : public QObject {
public:
    explicit TQuietWindow(TCommDriver& driver) : FDriver(driver) {}

protected:
    bool event(QEvent* event) override {
        if (!TMessageEvent::From(event))
            return QObject::event(event);
        TRecvDataClass record;
        while (DrvReadData(FDriver, record)) {
        }
        return true;
    }

private:
    TCommDriver& FDriver;
};

// CPU time of the protocol thread so far (the program's only QThread).
double ThreadCpuMs() {
    for (const QString& task :
         QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm("/proc/self/task/" + task + "/comm");
        QFile stat("/proc/self/task/" + task + "/stat");
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "QThread" ||
            !stat.open(QIODevice::ReadOnly))
            continue;
        // utime and stime, in clock ticks, follow the command name in parentheses.
        const QList<QByteArray> fields = stat.readAll().split(')').last().split(' ');
        return (fields[12].toDouble() + fields[13].toDouble()) * 1000.0 / sysconf(_SC_CLK_TCK);
    }
    return 0;
}

// When the units heard LRR to unit 1 (the start of each round), and when the last address
// was asked whether a unit is there.
class TRoundClock {
public:
    explicit TRoundClock(TUnitSimulator& sim) {
        sim.OnFrame = [this](const TSimFrame& f) {
            std::lock_guard lock(FLock);
            if (f.Command == LogReadCommand && f.Destination == 1)
                FStarts.append(f.AtMs);
            if (f.Command == ScanCommand && f.Destination == MaxUnitId)
                FLastAsked = f.AtMs;
        };
    }
    QList<qint64> Starts() {
        std::lock_guard lock(FLock);
        return FStarts;
    }
    // The starts after the last address was asked.
    QList<qint64> StartsAfterScan() {
        std::lock_guard lock(FLock);
        QList<qint64> starts;
        for (qint64 start : FStarts)
            if (FLastAsked >= 0 && start > FLastAsked)
                starts.append(start);
        return starts;
    }
    qint64 LastAsked() {
        std::lock_guard lock(FLock);
        return FLastAsked;
    }

private:
    std::mutex FLock;
    QList<qint64> FStarts;
    qint64 FLastAsked = -1;
};

void Pump(const std::function<bool()>& done) {
    while (!done()) {
        ProcessSentMessages(5);
        QCoreApplication::processEvents();
    }
}

void Measure(int units, int rounds) {
    TCommSession session;
    TUnitSimulator sim(units);
    sim.OpenPty();
    UsePort(1, sim.SlavePath());
    TRoundClock clock(sim);
    sim.Start();
    TQuietWindow window(session.Driver);
    DrvOpen(session.Driver, &window);
    // Polling starts after the scan's run and the round of run commands; the addresses above
    // the run are asked one a round; the rounds are timed after that.
    Pump([&] { return clock.Starts().size() >= 1; });
    const qint64 polling = clock.Starts().first();
    Pump([&] { return clock.StartsAfterScan().size() >= 1; });
    const double cpuStart = ThreadCpuMs();
    const qint64 first = clock.StartsAfterScan().first();
    Pump([&] { return clock.StartsAfterScan().size() >= 1 + rounds; });
    const double roundMs = double(clock.StartsAfterScan().last() - first) / rounds;
    const double cpuMs = (ThreadCpuMs() - cpuStart) / rounds;
    DrvClose(session.Driver);
    sim.Stop();
    // Per unit: LRR (10 bytes), the empty LRA (10) and the ACK (8), 10 bits a byte.
    const double lineMs = units * 28 * 10 * 1000.0 / 9600;
    // Per unit: two steps of 100 ms, and the PC's own LRR and ACK on the line.
    const double paceMs = units * (200 + 18 * 10 * 1000.0 / 9600);
    std::printf("| %d | %.1f s | %.1f s | %.0f | %.0f | %.0f | %.1f |\n", units, polling / 1000.0,
                clock.LastAsked() / 1000.0, roundMs, paceMs, lineMs, cpuMs);
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir settings;
    qputenv("ZEZODUZU_REGISTRY", (settings.path() + "/registry.ini").toLocal8Bit());
    QCoreApplication app(argc, argv);
    std::printf("| units | polling starts | last address asked | round (ms) | pace (ms) | line "
                "limit (ms) | protocol thread CPU per round (ms) |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    Measure(1, 20);
    Measure(8, 5);
    Measure(32, 3);
    return 0;
}
