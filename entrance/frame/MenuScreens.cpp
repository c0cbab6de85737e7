#include "entrance/frame/MdiMainMenu.h"

#include "entrance/common/EntranceSession.h"
#include "entrance/liveviews/Form_EntranceGroupNowViewList.h"
#include "entrance/liveviews/Form_EntranceNowView.h"
#include "entrance/maintenance/Form_BackupSetup.h"
#include "entrance/maintenance/Form_CategorySetup.h"
#include "entrance/maintenance/Form_CompanySetup.h"
#include "entrance/maintenance/Form_LogDelete.h"
#include "entrance/maintenance/Form_OperatorSetup.h"
#include "entrance/persons/Form_UserEntry.h"
#include "entrance/reports/logview/Form_EntranceUserLogViewPrint.h"
#include "entrance/reports/printsetup/Form_PrintSetupByEntrance.h"
#include "entrance/reports/printsetup/Form_PrintSetupByRoom.h"
#include "entrance/rooms/Form_EntranceGroupSetup.h"
#include "entrance/units/Form_EntranceItemSetup.h"
#include "ui/Form.h"

namespace entrance {

namespace {

// A screen opened from the menu gives the menu of `category` back when it goes.
TForm* ReturnsToMenu(TmdiMainMenu* m, TForm* form, QWidget* category) {
    if (form)
        QObject::connect(form, &QObject::destroyed, m, [m, category] {
            m->ShowMenu();
            m->ReselectCategory(category);
        });
    return form;
}

} // namespace

// Which screen each menu button opens. A screen's row gets its opener once the screen is
// built, for example
//     [](TmdiMainMenu* m) -> TForm* { return OpenMdiChild(frmCategorySetup, m); }
// A row without an opener leaves its button unconnected.
void ConnectMenuScreens(TmdiMainMenu* menu) {
    const struct {
        QPushButton* TmdiMainMenu::*Button;
        TmdiMainMenu::TOpener Open;
    } screens[] = {
        {&TmdiMainMenu::BitBtn18,
         [](TmdiMainMenu* m) -> TForm* {
             return ReturnsToMenu(m, OpenMdiChild(EntranceSession().frmPrintSetupByEntrance, m),
                                  m->Panel5);
         }},
        {&TmdiMainMenu::BitBtn2,
         [](TmdiMainMenu* m) -> TForm* {
             return ReturnsToMenu(m, OpenMdiChild(EntranceSession().frmEntranceNowView, m),
                                  m->Panel5);
         }},
        {&TmdiMainMenu::BitBtn13,
         [](TmdiMainMenu* m) -> TForm* {
             return ReturnsToMenu(m, OpenMdiChild(EntranceSession().frmEntranceUserLogViewPrint, m),
                                  m->Panel5);
         }},
        {&TmdiMainMenu::BitBtn19,
         [](TmdiMainMenu* m) -> TForm* {
             return ReturnsToMenu(m, OpenMdiChild(EntranceSession().frmEntranceGroupNowViewList, m),
                                  m->Panel5);
         }},
        {&TmdiMainMenu::BitBtn21,
         [](TmdiMainMenu* m) -> TForm* {
             return ReturnsToMenu(m, OpenMdiChild(EntranceSession().frmPrintSetupByRoom, m),
                                  m->Panel5);
         }},
        {&TmdiMainMenu::BitBtn9,
         [](TmdiMainMenu* m) -> TForm* {
             return ReturnsToMenu(m, OpenMdiChild(EntranceSession().frmCategorySetup, m),
                                  m->Panel7);
         }},
        {&TmdiMainMenu::BitBtn5,
         [](TmdiMainMenu* m) -> TForm* {
             TForm* form =
                 ReturnsToMenu(m, OpenMdiChild(EntranceSession().frmCompanySetup, m), m->Panel7);
             // The office's name may have changed: the main window shows the stored one.
             if (form)
                 QObject::connect(form, &QObject::destroyed, m, [m] { m->ShowCompanyName(); });
             return form;
         }},
        {&TmdiMainMenu::BitBtn11,
         [](TmdiMainMenu* m) -> TForm* {
             return ReturnsToMenu(m, OpenMdiChild(EntranceSession().frmUserEntry, m), m->Panel7);
         }},
        {&TmdiMainMenu::BitBtn23, // the restore, no screen
         [](TmdiMainMenu* m) -> TForm* {
             RestoreData(m);
             return nullptr;
         }},
        {&TmdiMainMenu::BitBtn25,
         [](TmdiMainMenu* m) -> TForm* {
             return ReturnsToMenu(m, OpenMdiChild(EntranceSession().frmBackupSetup, m), m->Panel8);
         }},
        {&TmdiMainMenu::BitBtn10,
         [](TmdiMainMenu* m) -> TForm* {
             return ReturnsToMenu(m, OpenMdiChild(EntranceSession().frmOperatorSetup, m),
                                  m->Panel8);
         }},
        {&TmdiMainMenu::BitBtn20,
         [](TmdiMainMenu* m) -> TForm* {
             return ReturnsToMenu(m, OpenMdiChild(EntranceSession().frmLogDelete, m), m->Panel8);
         }},
        {&TmdiMainMenu::BitBtn6,
         [](TmdiMainMenu* m) -> TForm* {
             return ReturnsToMenu(m, OpenMdiChild(EntranceSession().frmEntranceItemSetup, m),
                                  m->Panel9);
         }},
        {&TmdiMainMenu::BitBtn1,
         [](TmdiMainMenu* m) -> TForm* {
             return ReturnsToMenu(m, OpenMdiChild(EntranceSession().frmEntranceGroupSetup, m),
                                  m->Panel9);
         }},
    };
    for (const auto& s : screens)
        if (s.Open)
            menu->ConnectMenuButton(menu->*s.Button, s.Open);
}

} // namespace entrance
