#include "base/Registry.h"
#include "reruzida/CommApplication.h"
#include "reruzida/CommDriver.h"
#include "reruzida/CommSession.h"
#include "reruzida/DialogSetComm.h"
#include "reruzida/Form_PassWD.h"
#include "reruzida/Form_TimeAdust.h"
#include "reruzida/Form_Version.h"
#include "reruzida/RsDrv.h"
#include "tests/reruzida/SerialLine.h"
#include "tools/unitsim/UnitSimulator.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace reruzida;

namespace {

// Answers the next message box with `button` once it is up.
void AnswerMessageBox(QMessageBox::StandardButton button) {
    QTimer::singleShot(50, [button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->button(button)->click();
    });
}

void SetCommValue(const QString& value) {
    TRegistry reg;
    reg.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    reg.OpenKey(AppRegistryKey, true);
    reg.WriteString("Comm", value);
}

// A window that takes the protocol thread's messages and does nothing with them.
class TQuietWindow : public QObject {
protected:
    bool event(QEvent* event) override {
        return TMessageEvent::From(event) || QObject::event(event);
    }
};

} // namespace

TEST(TimeAdustTest, DigitsOfTheDateAndTime) {
    const struct {
        TDateTime Time;
        const char* Digits;
    } cases[] = {
        {EncodeDate(2007, 3, 4) + EncodeTime(5, 6, 7, 0), "070304050607"},
        {EncodeDate(2026, 12, 10) + EncodeTime(23, 59, 59, 999), "261210235959"},
        {EncodeDate(2100, 1, 1), "000101000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClockSetDigits(c.Time), QByteArray(c.Digits));
}

// The dialog on a line with two simulated units: 設定 sets both clocks to one time, once
// the question is answered OK.
TEST(TimeAdustTest, SetSendsOneTimeToEveryPresentUnit) {
    TCommSession session;
    TUnitSimulator sim(2);
    ASSERT_TRUE(sim.OpenPty());
    UsePort(3, sim.SlavePath());
    sim.Start();
    TQuietWindow window;
    ASSERT_TRUE(DrvOpen(session.Driver, &window, {nullptr, 10}));
    const TUnitPresence& present = session.Driver.UnitPresent;
    ASSERT_TRUE(QTest::qWaitFor([&] { return present[1] && present[2]; }, 10000));
    Clock::SetNow([] { return EncodeDate(2007, 5, 6) + EncodeTime(7, 8, 9, 0); });

    TfrmTimeAdust dialog(session.Driver, nullptr);
    dialog.show();
    EXPECT_EQ(dialog.MonthCalendar1->selectedDate(), QDate(2007, 5, 6));
    EXPECT_FALSE(dialog.MonthCalendar1->isEnabled());
    AnswerMessageBox(QMessageBox::Cancel);
    dialog.btnExec->click();
    AnswerMessageBox(QMessageBox::Ok);
    dialog.btnExec->click();
    EXPECT_TRUE(dialog.isVisible());
    auto csr = [&] {
        QList<TSimFrame> frames;
        for (const TSimFrame& f : sim.Frames())
            if (f.Command == ClockSetCommand)
                frames.append(f);
        return frames;
    };
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            ProcessSentMessages(5);
            return csr().size() == 2;
        },
        5000));
    Clock::SetNow(nullptr);
    DrvClose(session.Driver);
    sim.Stop();
    const QList<TSimFrame> frames = csr();
    ASSERT_EQ(frames.size(), 2);
    EXPECT_EQ(frames[0].Destination, 1);
    EXPECT_EQ(frames[1].Destination, 2);
    EXPECT_EQ(frames[0].Parameters, QByteArray("070506070809"));
    EXPECT_EQ(frames[1].Parameters, QByteArray("070506070809"));
}

TEST(SetCommDialogTest, ShowsTheStoredPortAndStoresTheChoice) {
    const struct {
        const char* Stored;
        int Index;
    } cases[] = {{"3", 2}, {"7", -1}, {"", 0}, {"x", 0}};
    for (const auto& c : cases) {
        SetCommValue(c.Stored);
        TfrmSetCommDialog dialog;
        EXPECT_EQ(dialog.windowTitle(), "ＰＣ設定");
        EXPECT_EQ(dialog.CommPortComboBox->count(), 4);
        EXPECT_EQ(dialog.CommPortComboBox->itemText(3), "ＣＯＭ４");
        EXPECT_EQ(dialog.CommPortComboBox->currentIndex(), c.Index) << c.Stored;
        dialog.OkBtn->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(ReadCommSetting(), c.Index + 1) << c.Stored;
    }
}

// A window system appends Qt's application display name to every caption that does not end
// with it; the program leaves it unset, so each dialog shows exactly its own caption.
TEST(CaptionsTest, EachDialogShowsItsOwnCaptionOnly) {
    SetUpCommApplication();
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    TCommDriver driver;
    TfrmTimeAdust clock(driver, nullptr);
    TfrmSetCommDialog port;
    TfrmPassWD exit(nullptr, [] {});
    for (const auto& [dialog, caption] : {std::pair<QWidget*, QString>{&clock, "時計合わせ"},
                                          {&port, "ＰＣ設定"},
                                          {&exit, "認証機コミュニケーション"}})
        EXPECT_EQ(dialog->windowTitle(), caption);
}

TEST(SetCommDialogTest, IsCentredOnTheScreen) {
    QWidget monitor;
    monitor.setGeometry(0, 0, 200, 150);
    monitor.show();
    TfrmSetCommDialog dialog(&monitor);
    dialog.show();
    const QPoint offset = dialog.frameGeometry().center() -
                          QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 10) << "a frame's width off at most";
}

TEST(SetCommDialogTest, ShowsTheDeviceOfThePortAndCancelKeepsTheSetting) {
    UsePort(2, "/dev/pts/77");
    TfrmSetCommDialog dialog;
    EXPECT_EQ(dialog.DevicePathLabel->text(), "/dev/pts/77");
    dialog.CommPortComboBox->setCurrentIndex(3);
    EXPECT_EQ(dialog.DevicePathLabel->text(), PortDevicePath(4));
    dialog.CancelBtn->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(ReadCommSetting(), 2);
}

TEST(VersionTest, LabelTakesTheFirstThreeNumbers) {
    EXPECT_EQ(VersionLabel("1.1.8"), "Version 1.1.8");
    EXPECT_EQ(VersionLabel("2.10.3.4"), "Version 2.10.3");
    EXPECT_EQ(VersionLabel(""), "Version 0.0.0");
    EXPECT_EQ(VersionLabel("beta"), "Version 0.0.0");
    TfrmVersion dialog;
    EXPECT_EQ(dialog.windowTitle(), "バージョン情報");
    EXPECT_EQ(dialog.lblVersion->text(), VersionLabel(ZZ_VERSION));
}
