#include "DemoData.h"

#include "base/SysUtils.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

// demodata <data folder>: fills a folder made by newdata with the demo data.
// demodata --script <file> [minutes]: writes the simulated units' script that goes with it.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args.size() <= 4 && args[1] == "--script") {
        QFile script(args[2]);
        if (!script.open(QIODevice::WriteOnly) ||
            script.write(DemoUnitScript(args.value(3, "60").toInt()).toUtf8()) < 0) {
            err << "demodata: cannot write " << args[2] << "\n";
            return 1;
        }
        return 0;
    }
    if (args.size() != 2) {
        err << "usage: demodata <data folder>\n"
               "       demodata --script <file> [minutes, default 60]\n";
        return 2;
    }
    try {
        FillDemoData(args[1]);
    } catch (const Exception& e) {
        err << "demodata: " << e.Message() << "\n";
        return 1;
    }
    return 0;
}
