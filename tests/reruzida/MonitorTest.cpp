#include "base/Files.h"
#include "base/SingleInstance.h"
#include "reruzida/ALed.h"
#include "reruzida/CommSession.h"
#include "reruzida/DialogSetComm.h"
#include "reruzida/ErrorLog.h"
#include "reruzida/Form_MeinMenu.h"
#include "reruzida/Requests.h"
#include "reruzida/TrayIcon.h"
#include "tests/common/TempFolder.h"
#include "tests/reruzida/SerialLine.h"
#include "tests/reruzida/WaitFor.h"
#include "tools/unitsim/UnitSimulator.h"
#include "ui/CopyData.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace reruzida;

namespace {

// The protocol thread's statements on entranceState are not this test's business.
class TNoStateWriter : public TUnitStateWriter {
public:
    void StopAllUnits() override {}
    void UnitFound(int) override {}
};

// The monitor window on a line of simulated units.
class MonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetErrorLogFolder(FFolder.Path());
        ASSERT_TRUE(FSim.OpenPty());
        UsePort(1, FSim.SlavePath());
        FSim.Start();
        MakeForm();
    }
    void MakeForm() {
        FForm.reset();
        // A monitor on its own, without the data side and its unit jobs.
        FForm = std::make_unique<TfrmMainMenu>(FSession.Driver, FSession.Place, nullptr,
                                               TDrvSetup{std::make_shared<TNoStateWriter>(), 10},
                                               FHasTray);
    }
    void TearDown() override {
        FForm.reset();
        FSim.Stop();
    }
    bool LedLit(int unit, TColor colour) const {
        return FForm->ALed[unit]->Value() && FForm->ALed[unit]->TrueColor() == colour;
    }
    // Clicks `button` in the exit question once it shows.
    static void AnswerExitQuestion(QMessageBox::StandardButton button) {
        QTimer::singleShot(50, [button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), "認証機コミュニケーションの終了");
            box->button(button)->click();
        });
    }

    TCommSession FSession;
    // The desktop has a notification area.
    bool FHasTray = true;
    TempFolder FFolder;
    TUnitSimulator FSim{2};
    std::unique_ptr<TfrmMainMenu> FForm;
};

// The monitor on a desktop without a notification area.
class MaintenanceSafety : public MonitorTest {
protected:
    MaintenanceSafety() { FHasTray = false; }

    // Runs the program's event loop from `action` on; false when the program has not ended
    // within a generous while.
    bool EndsAfter(const std::function<void()>& action) {
        QTimer stuck;
        stuck.setSingleShot(true);
        QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        stuck.start(30000);
        QTimer::singleShot(0, FForm.get(), action);
        return QCoreApplication::exec() == 0;
    }
    // Pops the window's menu up and chooses 終了…, then OK twice, as the operator does.
    void EndFromTheWindowsMenu() {
        AnswerExitQuestion(QMessageBox::Ok);
        // The confirmation shows once the question is answered, however late that is.
        auto* confirm = new QTimer(FForm.get());
        QObject::connect(confirm, &QTimer::timeout, [this, confirm] {
            if (!FForm->PassWD())
                return;
            confirm->stop();
            FForm->PassWD()->BitBtn1->click();
        });
        confirm->start(20);
        QTimer::singleShot(20, FForm.get(), [this] {
            QMenu* menu = FForm->PopupMenu1;
            EXPECT_EQ(QApplication::activePopupWidget(), menu);
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(FForm->N3).center());
        });
        FForm->btnMenu->click();
    }
};

} // namespace

// Without a notification area the monitor shows at start with a task bar button and the tray
// menu on its own button; 閉じる and Esc leave it on the task bar, where メインモニター or a
// second start bring it back.
TEST_F(MaintenanceSafety, WithoutATrayTheMonitorShowsWithTheTrayMenu) {
    EXPECT_TRUE(FForm->isVisible());
    EXPECT_EQ(FForm->windowType(), Qt::Window);
    ASSERT_NE(FForm->btnMenu, nullptr);
    QStringList commands;
    QTimer::singleShot(20, FForm.get(), [&] {
        QMenu* menu = FForm->PopupMenu1;
        EXPECT_EQ(QApplication::activePopupWidget(), menu);
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                commands << action->text();
        menu->close();
    });
    FForm->btnMenu->click();
    EXPECT_EQ(commands, (QStringList{"勤怠管理システムの起動", "入退室管理システムの起動",
                                     "バージョン情報", "メインモニター", "終了…"}));
    QTest::qWait(50);
    const QImage shot = FForm->grab().toImage();
    EXPECT_TRUE(shot.save(TestOutputFolder() + "/TfrmMainMenuWithoutTray.png"));

    FForm->btnClose->click();
    EXPECT_TRUE(FForm->isVisible());
    EXPECT_TRUE(FForm->isMinimized());
    EXPECT_TRUE(FForm->DriverOpened);
    FForm->N2->trigger();
    EXPECT_FALSE(FForm->isMinimized());
    QTest::keyClick(FForm.get(), Qt::Key_Escape);
    EXPECT_TRUE(FForm->isVisible());
    EXPECT_TRUE(FForm->isMinimized());
    EXPECT_FALSE(FForm->DriverOpened);
    FForm->ShowMonitor();
    EXPECT_FALSE(FForm->isMinimized());
}

// The program ends, with or without a tray and whether its window is shown: from the window's
// menu and on the stop request that a restore sends.
TEST_F(MaintenanceSafety, TheProgramEndsFromTheWindowAndOnTheStopRequest) {
    struct TCase {
        const char* How;
        bool HasTray;
        std::function<void()> End;
    };
    auto stopRequest = [this] {
        TCopyData stop;
        stop.Code = CD_TERMINATE;
        FForm->AppMessage(stop);
    };
    const TCase cases[] = {
        {"the window's menu, no tray", false, [this] { EndFromTheWindowsMenu(); }},
        {"the stop request, no tray", false, stopRequest},
        {"the stop request, tray, window shown", true,
         [this, stopRequest] {
             FForm->ShowMonitor();
             stopRequest();
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.How);
        FHasTray = c.HasTray;
        MakeForm();
        ASSERT_TRUE(WaitFor([&] { return LedLit(2, clLime); }));
        EXPECT_TRUE(EndsAfter(c.End));
        EXPECT_FALSE(FForm->DriverOpened);
        EXPECT_FALSE(FForm->isVisible());
    }
}

TEST_F(MonitorTest, UnitsLightTheirLedsAndLedMessagesNameOneUnitOrAll) {
    EXPECT_EQ(FForm->windowTitle(), "認証機コミュニケーション");
    EXPECT_FALSE(FForm->isVisible());
    ASSERT_TRUE(WaitFor([&] { return LedLit(1, clLime) && LedLit(2, clLime); }));
    ASSERT_TRUE(DrvClose(FSession.Driver));
    FForm->DriverOpened = false;

    SendMessage(FForm.get(), WM_UNIT_LED, 7, LedBlue);
    EXPECT_TRUE(LedLit(7, clBlue));
    EXPECT_NE(FForm->ALed[8]->TrueColor(), clBlue);
    SendMessage(FForm.get(), WM_UNIT_LED, MaxUnitId + 1, LedRed);
    for (int unit = 1; unit <= MaxUnitId; ++unit)
        EXPECT_NE(FForm->ALed[unit]->TrueColor(), clRed) << unit;
    SendMessage(FForm.get(), WM_UNIT_LED, 0, LedSilver);
    for (int unit = 1; unit <= MaxUnitId; ++unit)
        EXPECT_TRUE(LedLit(unit, clSilver)) << unit;
    EXPECT_EQ(FForm->findChild<TALed*>("ALed32"), FForm->ALed[32]);
    EXPECT_FALSE(FForm->ALed[32]->Blink());
    EXPECT_EQ(FForm->ALed[32]->LEDStyle(), LEDSqLarge);
}

// 閉じる only hides the window; Esc hides it and stops the communication; F1 then does nothing.
TEST_F(MonitorTest, CloseButtonKeepsTheLineRunningAndEscStopsIt) {
    FForm->ShowMonitor();
    ASSERT_TRUE(WaitFor([&] { return LedLit(2, clLime); }));
    FForm->btnClose->click();
    EXPECT_FALSE(FForm->isVisible());
    EXPECT_TRUE(FForm->DriverOpened);
    FSim.ClearFrames();
    EXPECT_TRUE(WaitFor([&] { return !FSim.Frames().isEmpty(); }));

    FForm->ShowMonitor();
    QTest::keyClick(FForm.get(), Qt::Key_Escape);
    EXPECT_FALSE(FForm->isVisible());
    EXPECT_FALSE(FForm->DriverOpened);
    EXPECT_FALSE(DrvSendCommand(FSession.Driver, 1, TamperResetCommand));
    QTest::keyClick(FForm.get(), Qt::Key_F1);
    EXPECT_FALSE(FForm->DriverOpened);
    FSim.ClearFrames();
    QTest::qWait(150);
    EXPECT_TRUE(FSim.Frames().isEmpty());
}

// F12 and OK in the port dialog: the driver starts again on the chosen port.
TEST_F(MonitorTest, NewPortTakesEffectAtOnce) {
    TUnitSimulator other(3);
    ASSERT_TRUE(other.OpenPty());
    other.Start();
    UsePort(2, other.SlavePath());
    WriteCommSetting(1);
    ASSERT_TRUE(WaitFor([&] { return LedLit(2, clLime); }));
    QTimer::singleShot(50, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QComboBox*>()->setCurrentIndex(1);
        dialog->findChildren<QPushButton*>().first()->click();
    });
    QTest::keyClick(FForm.get(), Qt::Key_F12);
    EXPECT_EQ(ReadCommSetting(), 2);
    EXPECT_TRUE(FForm->DriverOpened);
    EXPECT_TRUE(WaitFor([&] { return LedLit(3, clLime); }));
    DrvClose(FSession.Driver);
    FForm->DriverOpened = false;
    other.Stop();
}

TEST_F(MonitorTest, TrayMenuOffersProgramsThatAreInTheProgramFolder) {
    QStringList captions;
    for (QAction* action : FForm->PopupMenu1->actions())
        if (!action->isSeparator())
            captions.append(action->text());
    EXPECT_EQ(captions, QStringList({"勤怠管理システムの起動", "入退室管理システムの起動",
                                     "バージョン情報", "メインモニター", "終了…"}));
    EXPECT_EQ(FForm->TrayIcon1->RBPopupMenu, FForm->PopupMenu1);
    EXPECT_EQ(FForm->TrayIcon1->TipHelp(), "認証機コミュニケーション");
    EXPECT_TRUE(FForm->TrayIcon1->Visible());

    const QString working = ProgramFolder() + "rudizaz";
    ASSERT_FALSE(QFile::exists(working));
    FForm->PopupMenu1Popup();
    EXPECT_FALSE(FForm->MenuWorking->isEnabled());
    QFile file(working);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    FForm->PopupMenu1Popup();
    QFile::remove(working);
    EXPECT_TRUE(FForm->MenuWorking->isEnabled());
    EXPECT_FALSE(FForm->MenuEntrance->isEnabled());
}

TEST_F(MonitorTest, DoubleClickOnTheTrayAndMainMonitorShowTheWindow) {
    FForm->TrayIcon1->TrayMessage(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(FForm->isVisible());
    FForm->hide();
    FForm->N2->trigger();
    EXPECT_TRUE(FForm->isVisible());
}

TEST_F(MonitorTest, SecondStartBringsTheWindowForward) {
    TSingleInstance first("MonitorTestMutex");
    first.OnActivate = [&] { FForm->ShowMonitor(); };
    ASSERT_TRUE(first.Acquire());
    TSingleInstance second("MonitorTestMutex");
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(QTest::qWaitFor([&] { return FForm->isVisible(); }, 5000));
}

// A picture of the window to look at; its captions are drawn in the IPA Gothic font.
TEST_F(MonitorTest, Screenshot) {
    ASSERT_TRUE(WaitFor([&] { return LedLit(2, clLime); }));
    SendMessage(FForm.get(), WM_UNIT_LED, 3, LedRed);
    SendMessage(FForm.get(), WM_UNIT_LED, 4, LedBlue);
    FForm->ShowMonitor();
    QTest::qWait(50);
    auto* label = FForm->findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(QFontInfo(label->font()).family().contains("IPA"))
        << QFontInfo(label->font()).family().toStdString();
    const QImage shot = FForm->grab().toImage();
    EXPECT_TRUE(shot.save(TestOutputFolder() + "/TfrmMainMenu.png"));
    EXPECT_GT(shot.width(), 16 * 22);
}

// 終了… asks first; the exit confirmation's OK stops the line, キャンセル only closes it.
TEST_F(MonitorTest, ExitIsAskedTwiceAndOkStopsTheLine) {
    AnswerExitQuestion(QMessageBox::Cancel);
    FForm->N3->trigger();
    EXPECT_EQ(FForm->PassWD(), nullptr);

    AnswerExitQuestion(QMessageBox::Ok);
    FForm->N3->trigger();
    ASSERT_NE(FForm->PassWD(), nullptr);
    EXPECT_TRUE(FForm->PassWD()->isVisible());
    FForm->PassWD()->BitBtn2->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return FForm->PassWD() == nullptr; }, 2000));
    EXPECT_TRUE(FForm->DriverOpened);

    AnswerExitQuestion(QMessageBox::Ok);
    FForm->N3->trigger();
    ASSERT_NE(FForm->PassWD(), nullptr);
    FForm->PassWD()->BitBtn1->click();
    EXPECT_FALSE(FForm->DriverOpened);
    EXPECT_FALSE(DrvSendCommand(FSession.Driver, 1, TamperResetCommand));
}

// F2 opens the one clock-setting dialog without waiting; closing it frees it.
TEST_F(MonitorTest, ClockDialogIsMadeOnceAndFreedWhenClosed) {
    QTest::keyClick(FForm.get(), Qt::Key_F2);
    TfrmTimeAdust* dialog = FForm->TimeAdust();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "時計合わせ");
    FForm->btnF2->click();
    EXPECT_EQ(FForm->TimeAdust(), dialog);
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return FForm->TimeAdust() == nullptr; }, 2000));
}
