#include "base/DateTime.h"
#include "reruzida/CommApplication.h"
#include "reruzida/CommSession.h"
#include "reruzida/ConfirmBox.h"
#include "reruzida/ErrorLog.h"
#include "reruzida/Form_MeinMenu.h"
#include "reruzida/Form_TimeAdust.h"
#include "tests/common/TempFolder.h"
#include "tests/reruzida/SerialLine.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace reruzida;

// Set up as at its start, the communication program speaks Japanese beyond its own texts: the
// standard buttons of its confirm box and the month of its clock dialog's calendar.
TEST(OperatorScreens, ConfirmBoxAndCalendarSpeakJapanese) {
    SetUpCommApplication();
    QString ok, cancel;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        ok = box->button(QMessageBox::Ok)->text();
        cancel = box->button(QMessageBox::Cancel)->text();
        box->grab().save(TestOutputFolder() + "/ConfirmBox.png");
        box->button(QMessageBox::Cancel)->click();
    });
    poll.start(10);
    EXPECT_FALSE(
        Confirm("認証機コミュニケーションの終了", "認証機コミュニケーションを終了しますか？"));
    EXPECT_EQ(ok, "OK");
    EXPECT_EQ(cancel, "キャンセル");

    Clock::SetNow([] { return EncodeDate(2026, 12, 11) + 0.5; });
    TCommDriver driver;
    TfrmTimeAdust clock(driver, nullptr);
    Clock::SetNow({});
    auto* month = clock.MonthCalendar1->findChild<QToolButton*>("qt_calendar_monthbutton");
    ASSERT_TRUE(month);
    EXPECT_EQ(month->text(), "12月");
}

namespace {

// The protocol thread's statements on entranceState are not this test's business.
class TNoStateWriter : public TUnitStateWriter {
public:
    void StopAllUnits() override {}
    void UnitFound(int) override {}
};

} // namespace

// On a desktop without a notification area the monitor shows as the program starts (also when
// the management program's backup starts it again): its frame, title bar included, at the
// screen's top left corner; asked for after a close, it comes back in front with the focus.
// (That it first shows behind the window the operator works in, without the focus, is the
// window manager's to do, which an offscreen screen does not have.)
TEST(OperatorScreens, MonitorFrameOnScreenAndInFrontWhenAskedFor) {
    TempFolder folder;
    SetErrorLogFolder(folder.Path());
    UsePort(1, folder.File("no-port"));
    TCommSession session;
    TfrmMainMenu monitor(session.Driver, session.Place, nullptr,
                         TDrvSetup{std::make_shared<TNoStateWriter>(), 10}, false);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&monitor));
    const QRect screen = monitor.screen()->availableGeometry();
    EXPECT_EQ(monitor.frameGeometry().topLeft(), screen.topLeft());
    EXPECT_GT(monitor.geometry().top(), screen.top()) << "the title bar on the screen";
    monitor.grab().save(TestOutputFolder() + "/TfrmMainMenu.png");

    monitor.btnClose->click();
    EXPECT_TRUE(monitor.isMinimized()) << "to the task bar, without a tray";
    monitor.N2->trigger(); // メインモニター
    EXPECT_FALSE(monitor.isMinimized());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&monitor));
}
