#include "base/DateTime.h"
#include "reruzida/CommApplication.h"
#include "reruzida/ConfirmBox.h"
#include "reruzida/Form_TimeAdust.h"
#include "tests/common/TempFolder.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QMessageBox>
#include <QPushButton>
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
    TfrmTimeAdust clock(nullptr);
    Clock::SetNow({});
    auto* month = clock.MonthCalendar1->findChild<QToolButton*>("qt_calendar_monthbutton");
    ASSERT_TRUE(month);
    EXPECT_EQ(month->text(), "12月");
}
