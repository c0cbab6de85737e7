#include "reruzida/Form_MeinMenu.h"

#include "base/DateTime.h"
#include "base/Files.h"
#include "base/Process.h"
#include "reruzida/ALed.h"
#include "reruzida/ConfirmBox.h"
#include "reruzida/DataModule1.h"
#include "reruzida/DialogSetComm.h"
#include "reruzida/ErrorLog.h"
#include "reruzida/Form_PassWD.h"
#include "reruzida/Form_TimeAdust.h"
#include "reruzida/Form_Version.h"
#include "reruzida/ProgramIcon.h"
#include "reruzida/Requests.h"
#include "reruzida/TrayIcon.h"
#include "reruzida/UnitJobs.h"
#include "reruzida/UnitStateTable.h"
#include "shared/UnitShare.h"
#include "ui/Application.h"
#include "ui/CopyData.h"
#include "ui/Font.h"
#include "ui/WaitCursor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace reruzida {

namespace {

// "１" … "３２"
QString FullWidthNumber(int number) {
    QString text;
    for (const QChar digit : QString::number(number))
        text += QChar(digit.unicode() - '0' + 0xFF10);
    return text;
}

// A lamp of the window: square, large, steady.
TALed* NewLed(QWidget* parent, TLEDStyle style) {
    auto* led = new TALed(parent);
    led->SetLEDStyle(style);
    led->SetBlink(false);
    return led;
}

} // namespace

// A tool window has no task bar button: the tray icon is the program's face.
TfrmMainMenu::TfrmMainMenu(TCommDriver& driver, const TDataPlace& place, TUnitJobs* jobs,
                           TDrvSetup driverSetup, bool hasTray)
    : QWidget(nullptr, hasTray ? Qt::Window | Qt::Tool : Qt::Window), FDriver(driver),
      FPlace(place), FJobs(jobs), FDriverSetup(std::move(driverSetup)), FHasTray(hasTray) {
    // The program folder is the data folder, also when the data start-up stopped early.
    if (!FDriverSetup.StateWriter)
        FDriverSetup.StateWriter = std::make_shared<TUnitStateTable>(ProgramFolder());
    CreateControls();
    FormCreate();
}

TfrmMainMenu::~TfrmMainMenu() {
    CloseDriver();
}

void TfrmMainMenu::CreateControls() {
    CreatePopupMenu();
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(CreateLedPanel());
    lblAlerts = new QLabel(this);
    QPalette alertColours = lblAlerts->palette();
    alertColours.setColor(QPalette::WindowText, Qt::red);
    lblAlerts->setPalette(alertColours);
    lblAlerts->setWordWrap(true);
    lblAlerts->hide();
    layout->addWidget(lblAlerts);
    layout->addWidget(CreateLegend());
    layout->addWidget(CreateButtons());
    TrayIcon1 = new TTrayIcon(this);
    TrayIcon1->SetIcon(ProgramIcon());
    TrayIcon1->RBPopupMenu = PopupMenu1;
    TrayIcon1->OnDblClick = [this](QObject*) { TrayIcon1DblClick(); };
}

QWidget* TfrmMainMenu::CreateLedPanel() {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    for (int unit = 1; unit <= MaxUnitId; ++unit) {
        const int row = (unit - 1) / 16 * 2;
        const int column = (unit - 1) % 16;
        auto* label = new QLabel(FullWidthNumber(unit), panel);
        label->setAlignment(Qt::AlignCenter);
        ALed[unit] = NewLed(panel, LEDSqLarge);
        ALed[unit]->setObjectName("ALed" + QString::number(unit));
        grid->addWidget(label, row, column, Qt::AlignCenter);
        grid->addWidget(ALed[unit], row + 1, column, Qt::AlignCenter);
    }
    return panel;
}

QWidget* TfrmMainMenu::CreateLegend() {
    struct TLegend {
        TColor Color;
        const char* Text;
    };
    const TLegend legend[] = {{clBlue, "アクセス中"},
                              {clRed, "アクセス異常"},
                              {clLime, "認証機接続中"},
                              {clSilver, "認証機未接続"}};
    auto* panel = new QWidget(this);
    auto* row = new QHBoxLayout(panel);
    for (const TLegend& item : legend) {
        TALed* led = NewLed(panel, LEDHorizontal);
        led->SetTrueColor(item.Color);
        led->SetValue(true);
        row->addWidget(led);
        row->addWidget(new QLabel(item.Text, panel));
        row->addSpacing(12);
    }
    row->addStretch();
    return panel;
}

QWidget* TfrmMainMenu::CreateButtons() {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    auto add = [&](int column, const char* key, const char* caption) {
        auto* label = new QLabel(key, panel);
        label->setAlignment(Qt::AlignCenter);
        auto* button = new QPushButton(caption, panel);
        button->setFocusPolicy(Qt::NoFocus);
        grid->addWidget(label, 0, column);
        grid->addWidget(button, 1, column);
        return button;
    };
    btnClose = add(0, "( ＥＳＣ )", "閉じる");
    btnF1 = add(1, "( Ｆ１ )", "初期化");
    btnF2 = add(2, "( Ｆ２ )", "時計合わせ");
    btnF12 = add(3, "( Ｆ１２ )", "通信ポート");
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
    connect(btnF1, &QPushButton::clicked, this, [this] { btnF1Click(); });
    connect(btnF2, &QPushButton::clicked, this, [this] { btnF2Click(); });
    connect(btnF12, &QPushButton::clicked, this, [this] { btnF12Click(); });
    if (!FHasTray) {
        btnMenu = add(4, "", "メニュー");
        btnMenu->setMenu(PopupMenu1);
    }
    return panel;
}

void TfrmMainMenu::CreatePopupMenu() {
    PopupMenu1 = new QMenu(this);
    MenuWorking =
        PopupMenu1->addAction("勤怠管理システムの起動", this, [this] { MenuWorkingClick(); });
    MenuEntrance =
        PopupMenu1->addAction("入退室管理システムの起動", this, [this] { MenuEntranceClick(); });
    PopupMenu1->addSeparator();
    About1 = PopupMenu1->addAction("バージョン情報", this, [this] { About1Click(); });
    N2 = PopupMenu1->addAction("メインモニター", this, [this] { N2Click(); });
    PopupMenu1->addSeparator();
    N3 = PopupMenu1->addAction("終了…", this, [this] { N3Click(); });
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { PopupMenu1Popup(); });
}

void TfrmMainMenu::FormCreate() {
    FCloseButton = false;
    setWindowTitle(CommCaption);
    setFont(TFont().ToQFont());
    setWindowIcon(ProgramIcon());
    if (auto* app = dynamic_cast<TApplication*>(QCoreApplication::instance()))
        app->OnException = [this](const QString& message) { CatchExcept(message); };
    ErrorLog().LoadErrorLog();
    TrayIcon1->SetTipHelp(CommCaption);
    TrayIcon1->SetVisible(true);
    move(screen()->availableGeometry().topLeft());
    FRequests = std::make_unique<TCopyDataServer>(
        CommCaption, [this](const TCopyData& request) { AppMessage(request); });
    FRequests->Start();
    OpenDriver();
    auto* alertTimer = new QTimer(this);
    connect(alertTimer, &QTimer::timeout, this, [this] { AlertTimerTick(); });
    alertTimer->start(AlertIntervalMs);
    ShowAlerts();
    if (!FHasTray)
        ShowBehind();
}

QString MonitorAlerts(const TDataPlace& place, TCommDriver& driver, const TUnitJobs* jobs) {
    QStringList alerts{place.Fault(), DrvPortFault(driver), DrvJournalFault(driver),
                       jobs ? jobs->Records.PendingRecordStatus() : QString()};
    alerts.removeAll(QString());
    return alerts.join('\n');
}

void TfrmMainMenu::AlertTimerTick() {
    if (FJobs)
        RunLogged([this] { FJobs->Records.RetryPendingRecords(); });
    ShowAlerts();
}

void TfrmMainMenu::ShowAlerts() {
    const QString alerts = MonitorAlerts(FPlace, FDriver, FJobs);
    lblAlerts->setText(alerts);
    lblAlerts->setVisible(!alerts.isEmpty());
    TrayIcon1->SetTipHelp(alerts.isEmpty() ? QString(CommCaption)
                                           : QString(CommCaption) + "\n" + alerts);
}

void TfrmMainMenu::OpenDriver() {
    DriverOpened = DrvOpen(FDriver, this, FDriverSetup);
}

void TfrmMainMenu::CloseDriver() {
    if (DriverOpened)
        DrvClose(FDriver);
    DriverOpened = false;
}

void TfrmMainMenu::CatchExcept(const QString& message) {
    ErrorLog().WriteErrorLog(message, Now());
}

// Shown by the program itself, at its start where there is no tray: behind the other windows
// and without the focus, so that it takes neither the keys typed into the window the operator
// works in nor the clicks meant for the management program that started it again.
void TfrmMainMenu::ShowBehind() {
    setAttribute(Qt::WA_ShowWithoutActivating);
    show();
    lower();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void TfrmMainMenu::ShowMonitor() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

bool TfrmMainMenu::event(QEvent* event) {
    const TMessageEvent* message = TMessageEvent::From(event);
    if (!message)
        return QWidget::event(event);
    switch (message->Msg) {
    case WM_UNIT_LED:
        WMUnitLed(message->WParam, message->LParam);
        break;
    case WM_RECV_DATA:
        if (FJobs)
            FJobs->Records.ProcessRecvData();
        break;
    case WM_TICK_UNITSTATE:
    case WM_TICK_REGISTER:
    case WM_TICK_EXPIRE:
        if (FJobs)
            FJobs->Periodic.ProcessTick(message->Msg);
        break;
    case WM_UNIT_FOUND:
        // Without the data side (a monitor on its own) there is nothing kept to send.
        if (FJobs)
            RunLogged(
                [this, unit = int(message->WParam)] { FJobs->Answers.SendPendingRemovals(unit); });
        break;
    default:
        break;
    }
    return true;
}

void TfrmMainMenu::WMUnitLed(WPARAM wParam, LPARAM lParam) {
    if (wParam > MaxUnitId)
        return;
    const int first = wParam == 0 ? 1 : int(wParam);
    const int last = wParam == 0 ? MaxUnitId : int(wParam);
    for (int unit = first; unit <= last; ++unit) {
        ALed[unit]->SetValue(true);
        ALed[unit]->SetTrueColor(TColor(lParam));
    }
}

void TfrmMainMenu::AppMessage(const TCopyData& request) {
    if (FJobs && HandleCopyData(*FJobs, request.Code, request.Payload))
        return;
    if (request.Code == CD_TERMINATE)
        Terminate();
    else if (request.Code == CD_RESTART)
        Restart();
}

void TfrmMainMenu::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_F1:
        btnF1->click();
        break;
    case Qt::Key_F2:
        btnF2->click();
        break;
    case Qt::Key_F12:
        btnF12->click();
        break;
    case Qt::Key_Escape:
        close();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TfrmMainMenu::btnCloseClick() {
    FCloseButton = true;
    close();
}

// Every close but the 閉じる button stops the communication; none ends the program. Without a
// notification area the window goes to the task bar, where it can still be reached.
void TfrmMainMenu::closeEvent(QCloseEvent* event) {
    if (FEnding) {
        event->accept();
        return;
    }
    if (!FCloseButton)
        RunLogged([this] { StopCommunication(); });
    FCloseButton = false;
    event->ignore();
    if (FHasTray)
        hide();
    else
        showMinimized();
}

void TfrmMainMenu::StopCommunication() {
    CloseDriver();
    CloseDataSession(FPlace.Folder());
}

void TfrmMainMenu::btnF1Click() {
    if (DriverOpened)
        DrvRescan(FDriver);
}

void TfrmMainMenu::btnF2Click() {
    if (!FTimeAdust) {
        FTimeAdust = new TfrmTimeAdust(FDriver, this);
        FTimeAdust->setAttribute(Qt::WA_DeleteOnClose);
    }
    FTimeAdust->show();
}

// The port is in the registry once the dialog says OK; a new driver takes it up.
void TfrmMainMenu::btnF12Click() {
    TfrmSetCommDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    CloseDriver();
    OpenDriver();
}

void TfrmMainMenu::PopupMenu1Popup() {
    const QString folder = ProgramFolder();
    MenuWorking->setEnabled(!FindProgram(folder, WorkingProgram).isEmpty());
    MenuEntrance->setEnabled(!FindProgram(folder, EntranceProgram).isEmpty());
}

void TfrmMainMenu::StartFromFolder(const QString& exeName) {
    SetWaitCursor(true);
    const QString file = FindProgram(ProgramFolder(), exeName);
    ExecProgram(file.isEmpty() ? ProgramFolder() + exeName : file);
    SetWaitCursor(false);
}

void TfrmMainMenu::About1Click() {
    TfrmVersion(this).exec();
}

void TfrmMainMenu::N3Click() {
    if (!Confirm("認証機コミュニケーションの終了", "認証機コミュニケーションを終了しますか？",
                 this))
        return;
    if (!FPassWD)
        FPassWD = new TfrmPassWD(this, [this] { EndProgram(); });
    FPassWD->show();
}

// A failure on the way is logged and the program keeps running. Records the units were
// told are taken are stored before the program goes, and unconfirmed removals logged.
void TfrmMainMenu::EndProgram() {
    RunLogged([this] {
        CloseDriver();
        FinishUnitJobs();
        CloseDataSession(FPlace.Folder());
        Quit();
    });
}

void TfrmMainMenu::FinishUnitJobs() {
    if (FJobs)
        FJobs->Finish();
}

// The sender waits for this window to go, so the program ends whatever fails.
void TfrmMainMenu::Terminate() {
    RunLogged([this] { CloseDriver(); });
    RunLogged([this] { FinishUnitJobs(); });
    RunLogged([this] { CloseDataSession(FPlace.Folder()); });
    Quit();
}

// Qt ends the event loop only once every shown window has agreed to close; this one, which
// otherwise refuses, agrees from now on.
void TfrmMainMenu::Quit() {
    FEnding = true;
    QApplication::quit();
}

void TfrmMainMenu::Restart() {
    RunLogged([] { OpenDataSession(); });
    if (!DriverOpened)
        OpenDriver();
}

} // namespace reruzida
