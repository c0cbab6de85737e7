#include "entrance/common/EntranceSession.h"
#include "entrance/data/DataModules.h"
#include "entrance/frame/MdiMainMenu.h"
#include "entrance/login/LogIn.h"
#include "odbc/ODBCScreen.h"
#include "tools/demodata/DemoData.h"
#include "ui/Application.h"
#include "ui/ApplicationTitle.h"
#include "ui/Form.h"
#include "ui/ShowMessage.h"
#include "ui/WaitCursor.h"

#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

using namespace entrance;

namespace {

// The local login as the demo administrator, without the login window.
bool LogInAsDemoOperator(const QString& programFile) {
    TLogIn login(programFile);
    bool loggedIn = false;
    login.OnMessage = [](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
    login.OnFinished = [&loggedIn](bool ok, TLogInFocus) { loggedIn = ok; };
    login.Login(login.LocalPCName(), DemoOperator, DemoPassword, DemoPassword);
    return loggedIn;
}

} // namespace

// demoview <management program file in the data folder> <pictures folder>: the management
// program's main window where there is no display, logged in as the demo administrator. It
// saves a picture of the menu, opens the room tiles and saves their picture every five
// seconds, until it is stopped.
int main(int argc, char** argv) {
    TApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: demoview <data folder>/Zezoduzu <pictures folder>\n");
        return 2;
    }
    const QDir pictures(args[2]);
    QDir().mkpath(pictures.path());
    SetApplicationTitle("入退室管理");
    SetODBCScreen({SetWaitCursor, ShowMessage});
    TEntranceSession session;
    TDataModules modules(args[1]);
    TmdiMainMenu main;
    if (!main.FormCreate([&] { return LogInAsDemoOperator(args[1]) ? int(mrOk) : int(mrCancel); }))
        return 1;
    main.resize(1024, 768);
    main.show();
    main.grab().save(pictures.filePath("menu.png"));
    main.BitBtn19->click();
    QTimer every;
    QObject::connect(&every, &QTimer::timeout,
                     [&] { main.grab().save(pictures.filePath("rooms.png")); });
    every.start(5000);
    return QApplication::exec();
}
