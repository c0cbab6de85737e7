#include "UnitScript.h"
#include "UnitSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <csignal>
#include <cstdio>

// unitsim: authentication units on a pseudo-terminal (or a device), for tests and demos.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Simulated authentication units on a serial line.");
    parser.addHelpOption();
    parser.addOption({{"n", "units"}, "Units 1..N answer (default 3).", "N", "3"});
    parser.addOption({"device", "Use this device instead of a new pseudo-terminal.", "path"});
    parser.addOption({"script", "Timed events to play (see UnitScript.h).", "file"});
    parser.addOption({"quiet", "Do not print the frames received."});
    parser.process(app);

    TUnitSimulator sim(parser.value("units").toInt());
    const bool opened =
        parser.isSet("device") ? sim.OpenDevice(parser.value("device")) : sim.OpenPty();
    if (!opened) {
        std::fprintf(stderr, "unitsim: %s\n", qPrintable(sim.LastError()));
        return 1;
    }
    if (parser.isSet("script")) {
        QFile file(parser.value("script"));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "unitsim: cannot read %s\n", qPrintable(file.fileName()));
            return 1;
        }
        const QString error = ScheduleScript(sim, QString::fromUtf8(file.readAll()));
        if (!error.isEmpty()) {
            std::fprintf(stderr, "unitsim: %s: %s\n", qPrintable(file.fileName()),
                         qPrintable(error));
            return 1;
        }
    }
    if (!parser.isSet("quiet"))
        sim.OnFrame = [](const TSimFrame& f) {
            std::printf("%8lld %2d>%2d %s %s%s\n", f.AtMs, f.Source, f.Destination,
                        f.Command.constData(), f.Parameters.toHex(' ').constData(),
                        f.Valid ? "" : " (bad frame)");
            std::fflush(stdout);
        };
    std::printf("%s\n", qPrintable(sim.SlavePath()));
    std::fflush(stdout);

    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    sim.Start();
    int signal = 0;
    sigwait(&stop, &signal);
    sim.Stop();
    return 0;
}
