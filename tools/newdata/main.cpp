#include "NewData.h"

#include "base/SysUtils.h"

#include <QCoreApplication>
#include <QTextStream>

// newdata <folder>: creates an empty data folder.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    if (app.arguments().size() != 2) {
        err << "usage: newdata <data folder>\n";
        return 2;
    }
    try {
        CreateDataFolder(app.arguments().at(1));
    } catch (const Exception& e) {
        err << "newdata: " << e.Message() << "\n";
        return 1;
    }
    return 0;
}
