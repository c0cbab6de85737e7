#include "base/SysUtils.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Form_Message.h"
#include "entrance/common/Unit_CommonWait.h"
#include "tests/common/TempFolder.h"
#include "ui/Form.h"
#include "ui/ShowMessage.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMessageBox>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using namespace entrance;

namespace {

void RunDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

// A long operation that fails half-way: the window showed its texts and progress, and the
// failure still closes it, enables the screen and gives the cursor back.
TEST(WaitWindowTest, ExceptionInTheMiddleClosesTheWindow) {
    QWidget screen;
    screen.show();
    QPointer<TfrmMessage> seen;
    try {
        TWaitWindowScope wait(&screen, "データを取得しています。");
        seen = EntranceSession().frmMessage;
        ASSERT_TRUE(seen && seen->isVisible());
        EXPECT_FALSE(screen.isEnabled());
        EXPECT_FALSE(seen->close()) << "the user cannot close it";
        EXPECT_TRUE(seen->isVisible());
        EXPECT_TRUE(seen->windowFlags() & Qt::WindowStaysOnTopHint);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        EXPECT_EQ(seen->Ed_Message->text(), "データを取得しています。");
        EXPECT_EQ(seen->Ed_MainMes->text(), "しばらくお待ち下さい・・・。");
        EXPECT_FALSE(seen->PBar1->isVisible());
        StartWaitProgress(3);
        for (int i = 0; i < 5; ++i) {
            QThread::msleep(60); // the bar takes the count at most every 50 ms
            StepWaitProgress();
        }
        EXPECT_TRUE(seen->PBar1->isVisible());
        EXPECT_EQ(seen->PBar1->value(), 3);
        seen->grab().save(TestOutputFolder() + "/TfrmMessage.png");
        throw Exception("読めません");
    } catch (const Exception&) {
    }
    EXPECT_EQ(EntranceSession().frmMessage, nullptr);
    EXPECT_TRUE(screen.isEnabled());
    ASSERT_TRUE(seen);
    EXPECT_FALSE(seen->isVisible());
    RunDeferredDeletes();
    EXPECT_TRUE(seen.isNull());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Without a window the routines leave everything alone; closing still enables the screen.
// A window closed and shown again at once is a new, working one.
TEST(WaitWindowTest, RoutinesWithoutAWindowAndShowAgain) {
    QWidget screen;
    screen.setEnabled(false);
    SetWaitText("x");
    StartWaitProgress(2);
    StepWaitProgress();
    EXPECT_EQ(EntranceSession().frmMessage, nullptr);
    CloseWaitWindow(&screen);
    EXPECT_TRUE(screen.isEnabled());

    ShowWaitWindow(&screen, true);
    QPointer<TfrmMessage> first = EntranceSession().frmMessage;
    EXPECT_FALSE(first->windowFlags() & Qt::WindowStaysOnTopHint);
    CloseWaitWindow(&screen);
    ShowWaitWindow(&screen);
    EXPECT_NE(EntranceSession().frmMessage, first);
    RunDeferredDeletes();
    ASSERT_NE(EntranceSession().frmMessage, nullptr);
    EXPECT_TRUE(EntranceSession().frmMessage->isVisible());
    SetWaitText("二度目");
    EXPECT_EQ(EntranceSession().frmMessage->Ed_Message->text(), "二度目");
    CloseWaitWindow(&screen);
    RunDeferredDeletes();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Each show puts the hourglass up again, also over a cursor put up meanwhile. A message box
// that comes up finds the window moved above the box, in front, neither hiding the other.
TEST(WaitWindowTest, HourglassOnEveryShowAndClearOfMessageBoxes) {
    QMdiArea area;
    area.setGeometry(0, 0, 1000, 800);
    area.show();
    SetMainArea(&area);
    QWidget screen;
    screen.show();
    ShowWaitWindow(&screen);
    SetWaitText("ネットワーク接続を確認しています。");
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    ShowWaitWindow(&screen);
    ASSERT_NE(EntranceSession().frmMessage, nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

    bool clear = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !EntranceSession().frmMessage)
            return;
        clear = !EntranceSession().frmMessage->frameGeometry().intersects(box->frameGeometry());
        if (clear || poll.property("tries").toInt() > 20)
            box->done(QMessageBox::Ok);
        poll.setProperty("tries", poll.property("tries").toInt() + 1);
    });
    poll.start(10);
    ShowMessage("読めません");
    EXPECT_TRUE(clear);
    CloseWaitWindow(&screen);
    RunDeferredDeletes();
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    SetMainArea(nullptr);
}
