#include "entrance/Zezoduzu.h"

#include "base/SingleInstance.h"
#include "entrance/DataModules.h"
#include "entrance/MdiMainMenu.h"
#include "ui/Application.h"
#include "ui/ApplicationTitle.h"
#include "ui/ShowMessage.h"

int RunZezoduzu(TApplication& app, const QString& programFile, const std::function<int()>& login) {
    TSingleInstance instance("dIradoRorudiviVerovi");
    if (!instance.Acquire())
        return 0;
    SetApplicationTitle("入退室管理");
    app.OnException = [](const QString& message) { ShowMessage(message); };
    TDataModules modules(programFile);
    TmdiMainMenu main;
    instance.OnActivate = [&main] {
        main.setWindowState(main.windowState() & ~Qt::WindowMinimized);
        main.raise();
        main.activateWindow();
    };
    if (!main.FormCreate(login))
        return 0;
    main.showMaximized();
    return app.exec();
}
