#include "base/Files.h"
#include "base/SingleInstance.h"
#include "reruzida/CommApplication.h"
#include "reruzida/CommSession.h"
#include "reruzida/DataModule1.h"
#include "reruzida/ErrorLog.h"
#include "reruzida/Form_MeinMenu.h"
#include "ui/Application.h"

#include <QSystemTrayIcon>
#include <memory>

// The communication program: one copy per user, in the tray, with its monitor window
// hidden until asked for; where the desktop has no tray, the monitor window shows instead.
int main(int argc, char** argv) {
    using namespace reruzida;
    TApplication app(argc, argv);
    TSingleInstance instance("hMutexZentoria");
    if (!instance.Acquire()) {
        // A copy that answered shows its window; one that did not leaves only this line.
        if (!instance.OtherCopyAnswered())
            ErrorLog().WriteErrorLog(instance.EndReason(), Now());
        return 0;
    }
    SetUpCommApplication();
    LogQtFaultsToErrorLog();

    TCommSession session;
    session.StartDataSide(std::make_unique<TDM1>(session.Place), DriverQueue(session.Driver));
    TDrvSetup driverSetup;
    driverSetup.JournalFile = ProgramFolder() + ReceivedRecordsFile;
    TfrmMainMenu frmMainMenu(session.Driver, session.Place, session.UnitJobs.get(), driverSetup,
                             QSystemTrayIcon::isSystemTrayAvailable());
    instance.OnActivate = [&frmMainMenu] { frmMainMenu.ShowMonitor(); };
    return app.exec();
}
