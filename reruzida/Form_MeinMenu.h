#pragma once

#include "reruzida/CommDriver.h"
#include "reruzida/Form_PassWD.h"
#include "reruzida/Form_TimeAdust.h"
#include "ui/WindowMessage.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class TCopyDataServer;
struct TCopyData;

namespace reruzida {

class TALed;
class TTrayIcon;
struct TUnitJobs;
struct TDataPlace;

// The tray menu's two programs, started from the program folder.
inline constexpr char WorkingProgram[] = "Rudizaz.exe";
inline constexpr char EntranceProgram[] = "Zezoduzu.exe";

// What the operator must know of at once, one line each: a data folder that cannot be
// written, a serial port of `driver` that does not open, records that cannot be taken from
// the units, records that wait to be stored in `jobs` (none: no data side); empty when all is
// well.
QString MonitorAlerts(const TDataPlace& place, TCommDriver& driver, const TUnitJobs* jobs);

// The monitor window: one LED per unit, the tray icon and its menu. It takes the protocol
// thread's messages and the other programs' requests and hands them to the unit jobs; closing
// it only hides it.
// Where the desktop has no notification area, the window stands in for the icon: it shows at
// start with a task bar button, offers the tray menu on its own button, and closing it only
// minimizes it, so the program can always be ended.
class TfrmMainMenu : public QWidget {
public:
    // The session's driver and data place, and its unit jobs: none for a monitor without the
    // data side, which leaves records, ticks and requests alone. `driverSetup` without a state
    // writer gets one on the program folder. `hasTray`: the desktop has a notification area
    // for the program's icon.
    TfrmMainMenu(TCommDriver& driver, const TDataPlace& place, TUnitJobs* jobs,
                 TDrvSetup driverSetup = {}, bool hasTray = true);
    ~TfrmMainMenu() override;
    Q_DISABLE_COPY(TfrmMainMenu)

    // The unit LEDs by unit ID; index 0 is unused.
    std::array<TALed*, MaxUnitId + 1> ALed{};
    QPushButton* btnClose;
    QPushButton* btnF1;
    QPushButton* btnF2;
    QPushButton* btnF12;
    // The tray menu on the window; only without a notification area.
    QPushButton* btnMenu = nullptr;
    // MonitorAlerts, shown in red while there are any.
    QLabel* lblAlerts;
    TTrayIcon* TrayIcon1;
    QMenu* PopupMenu1;
    QAction* MenuWorking;
    QAction* MenuEntrance;
    QAction* About1;
    QAction* N2;
    QAction* N3;

    bool DriverOpened = false;

    void btnCloseClick();
    void btnF1Click();
    void btnF2Click();
    void btnF12Click();
    void TrayIcon1DblClick() { ShowMonitor(); }
    void PopupMenu1Popup();
    void MenuWorkingClick() { StartFromFolder(WorkingProgram); }
    void MenuEntranceClick() { StartFromFolder(EntranceProgram); }
    void About1Click();
    void N2Click() { ShowMonitor(); }
    void N3Click();

    void WMUnitLed(WPARAM wParam, LPARAM lParam);
    // A request of another program (WM_COPYDATA).
    void AppMessage(const TCopyData& request);
    // Writes an exception that reached the program to the error log; nothing is shown.
    void CatchExcept(const QString& message);
    // Shows the window in front: the tray, or a second start of the program.
    void ShowMonitor();
    // Every AlertIntervalMs: waiting records whose pause is over are tried again, and the
    // alerts go to the window and the tray tip.
    void AlertTimerTick();
    static constexpr int AlertIntervalMs = 1000;

    // The dialogs while they are open.
    TfrmTimeAdust* TimeAdust() const { return FTimeAdust; }
    TfrmPassWD* PassWD() const { return FPassWD; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void CreateControls();
    QWidget* CreateLedPanel();
    QWidget* CreateLegend();
    QWidget* CreateButtons();
    void CreatePopupMenu();
    void ShowBehind();
    void OpenDriver();
    void CloseDriver();
    void StopCommunication();
    void EndProgram();
    // The unit jobs' last handling of the records before the program ends.
    void FinishUnitJobs();
    void Terminate();
    void Quit();
    void Restart();
    void StartFromFolder(const QString& exeName);

    void ShowAlerts();

    TCommDriver& FDriver;
    const TDataPlace& FPlace;
    TUnitJobs* const FJobs;
    TDrvSetup FDriverSetup;
    const bool FHasTray;
    bool FCloseButton = false;
    // The program is ending: closes are no longer turned into hiding.
    bool FEnding = false;
    std::unique_ptr<TCopyDataServer> FRequests;
    QPointer<TfrmTimeAdust> FTimeAdust;
    QPointer<TfrmPassWD> FPassWD;
};

} // namespace reruzida
