#include "Zezoduzu.h"

#include "base/Files.h"
#include "base/QtFaults.h"
#include "base/SingleInstance.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/data/DataModules.h"
#include "entrance/frame/MdiMainMenu.h"
#include "entrance/frame/ProgramLook.h"
#include "entrance/login/Form_LogIN.h"
#include "odbc/ODBCScreen.h"
#include "ui/Application.h"
#include "ui/ApplicationTitle.h"
#include "ui/Form.h"
#include "ui/ShowMessage.h"
#include "ui/WaitCursor.h"

namespace entrance {

void LogQtFaultsBeside(const QString& programFile) {
    LogQtFaults([log = ExtractFilePath(programFile) + ErrorLogName](const QString& message, bool) {
        WriteToLogFile(log, message);
    });
}

int RunZezoduzu(const QString& programFile) {
    TSingleInstance instance("dIradoRorudiviVerovi");
    if (!instance.Acquire())
        return 0;
    LogQtFaultsBeside(programFile);
    SetApplicationTitle("入退室管理");
    SetProgramLook();
    SetODBCScreen({SetWaitCursor, ShowMessage});
    if (auto* app = dynamic_cast<TApplication*>(QCoreApplication::instance()))
        app->OnException = [](const QString& message) { ShowMessage(message); };
    TEntranceSession session;
    TDataModules modules(programFile);
    TmdiMainMenu main;
    instance.OnActivate = [&main] {
        main.setWindowState(main.windowState() & ~Qt::WindowMinimized);
        main.raise();
        main.activateWindow();
    };
    if (!main.FormCreate([] { return ExecuteLogIn(nullptr) ? int(mrOk) : int(mrCancel); }))
        return 0;
    main.showMaximized();
    return QApplication::exec();
}

} // namespace entrance
