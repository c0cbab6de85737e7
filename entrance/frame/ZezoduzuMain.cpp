#include "entrance/frame/Zezoduzu.h"
#include "ui/Application.h"

// The management program.
int main(int argc, char** argv) {
    TApplication app(argc, argv);
    return entrance::RunZezoduzu(QCoreApplication::applicationFilePath());
}
