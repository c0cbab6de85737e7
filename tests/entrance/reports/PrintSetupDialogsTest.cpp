#include "TotalsFixture.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/frame/MdiMainMenu.h"
#include "entrance/reports/printsetup/Form_PrintSetupByEntrance.h"
#include "entrance/reports/printsetup/Form_PrintSetupByRoom.h"
#include "entrance/reports/rules/LogReportQueries.h"
#include "entrance/reports/rules/PeriodRules.h"
#include "ui/UpDown.h"

#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

using namespace entrance;

namespace {

// The dialogs on 29 February 2024 at noon, over the totals' data folder.
struct PrintSetupDialogs : TotalsReports {
    PrintSetupDialogs() {
        Clock::SetNow([] { return EncodeDate(2024, 2, 29) + 0.5; });
    }
    ~PrintSetupDialogs() override { Clock::SetNow({}); }

    template <class T> std::unique_ptr<T> Open() {
        TMessageAnswers answers(Messages);
        auto form = std::make_unique<T>();
        if (form->Closing())
            return form;
        form->show();
        Activate(form.get());
        return form;
    }
    // The dialog active again, as after a message box, so that focus moves reach its boxes.
    static void Activate(QWidget* form) {
        QApplication::setActiveWindow(form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(form));
    }
    // Types `text` over the box's text and leaves the box with Tab.
    static void TypeAndLeave(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        edit->setCursorPosition(0);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
    }
    // Clicks 印刷; a preview that opens is printed as RunReportBy does.
    TReportRun PrintFrom(TfrmPrintSetupLog& form, const QString& name) {
        TMessageAnswers answers(Messages);
        return RunReportBy([&] { QTest::mouseClick(form.btnPrint, Qt::LeftButton); }, name);
    }
};

TEST_F(PrintSetupDialogs, MonthModeIsAlwaysTotals) {
    auto form = Open<TfrmPrintSetupByEntrance>();
    form->grab().save(TestOutputFolder() + "/TfrmPrintSetupByEntrance.png");
    EXPECT_TRUE(form->RadioDay->isChecked());
    EXPECT_TRUE(form->RadioTotal->isChecked());
    EXPECT_FALSE(form->lblPrintType->isEnabled());
    EXPECT_EQ(form->Ed_StartDate->text(), "2024/02/29");
    EXPECT_EQ(form->Ed_Year->text(), "2024");
    EXPECT_EQ(form->Ed_Month->text(), "2");
    EXPECT_EQ(form->cmbItem->itemText(0), " 1:正面");

    form->RadioLog->click();
    EXPECT_TRUE(form->lblPrintType->isEnabled());
    form->RadioMonth->click();
    EXPECT_FALSE(form->RadioLog->isEnabled());
    EXPECT_TRUE(form->RadioTotal->isChecked());
    EXPECT_FALSE(form->lblPrintType->isEnabled());
    EXPECT_TRUE(form->pnlDayDate->isHidden());
    EXPECT_FALSE(form->pnlMonthDate->isHidden());
    form->RadioDay->click();
    EXPECT_TRUE(form->RadioLog->isEnabled());
    EXPECT_TRUE(form->RadioTotal->isChecked()) << "totals stay chosen";

    form->RadioAll->click();
    EXPECT_FALSE(form->cmbItem->isEnabled());
}

TEST_F(PrintSetupDialogs, YearAndMonthBoxesTakeWhatTheirUpDownsAllow) {
    auto form = Open<TfrmPrintSetupByEntrance>();
    form->RadioMonth->click();
    const struct {
        QLineEdit* edit;
        QString typed;
        QString shown;
    } cases[] = {
        {form->Ed_Month, "13", "2"},        // out of bounds: the current month
        {form->Ed_Month, "11", "11"},       // taken
        {form->Ed_Month, "", "11"},         // nothing typed: the previous value
        {form->Ed_Year, "2x0y3z0", "2030"}, // letters are dropped
        {form->Ed_Year, "1999", "2024"},
    };
    for (const auto& c : cases) {
        TypeAndLeave(c.edit, c.typed);
        EXPECT_EQ(c.edit->text(), c.shown) << c.typed.toStdString();
    }
    EXPECT_EQ(form->UpDownMonth->Position(), 11);
    EXPECT_EQ(form->UpDownYear->Position(), 2024);
    // The month wraps, the year does not; Enter moves from the year to the month.
    QTest::mouseClick(form->UpDownMonth->Up, Qt::LeftButton);
    QTest::mouseClick(form->UpDownMonth->Up, Qt::LeftButton);
    EXPECT_EQ(form->Ed_Month->text(), "1");
    // The arrows step from a number typed but not yet left.
    form->Ed_Year->setFocus();
    form->Ed_Year->selectAll();
    QTest::keyClicks(form->Ed_Year, "2020");
    QTest::mouseClick(form->UpDownYear->Up, Qt::LeftButton);
    EXPECT_EQ(form->Ed_Year->text(), "2021");
    form->UpDownYear->SetPosition(9999);
    QTest::mouseClick(form->UpDownYear->Up, Qt::LeftButton);
    EXPECT_EQ(form->Ed_Year->text(), "9999");
    form->Ed_Year->setFocus();
    QTest::keyClick(form->Ed_Year, Qt::Key_Return);
    EXPECT_TRUE(form->Ed_Month->hasFocus());
}

TEST_F(PrintSetupDialogs, TypedDatesGoOverToThePickers) {
    auto form = Open<TfrmPrintSetupByEntrance>();
    TypeAndLeave(form->Ed_StartDate, "20240228");
    EXPECT_EQ(form->Ed_sDate->date(), QDate(2024, 2, 28));
    EXPECT_EQ(form->Ed_StartDate->text(), "2024/02/28");
    // A later date is taken too: these dialogs never keep the period to the picked dates.
    TypeAndLeave(form->Ed_StartDate, "20240301");
    EXPECT_EQ(form->Ed_sDate->date(), QDate(2024, 3, 1));
    TypeAndLeave(form->Ed_StartDate, "20240228");
    // A day that does not exist is refused with a word, never replaced silently.
    {
        TMessageAnswers answers(Messages);
        TypeAndLeave(form->Ed_EndDate, "20240230");
    }
    EXPECT_EQ(Messages, QStringList{"日付を入力して下さい。"});
    EXPECT_EQ(form->Ed_EndDate->text(), "2024/02/29");
    EXPECT_EQ(form->Ed_eDate->date(), QDate(2024, 2, 29));
    Activate(form.get());
    form->Ed_eDate->setDate(QDate(2024, 2, 15));
    EXPECT_EQ(form->Ed_EndDate->text(), "2024/02/15");
    // Enter moves from the start date to the end date, and on to the day mode.
    form->Ed_StartDate->setFocus();
    QTest::keyClick(form->Ed_StartDate, Qt::Key_Return);
    EXPECT_TRUE(form->Ed_EndDate->hasFocus());
    QTest::keyClick(form->Ed_EndDate, Qt::Key_Enter);
    EXPECT_TRUE(form->RadioDay->hasFocus());
}

TEST_F(PrintSetupDialogs, RefusedPeriodsKeepTheDialogAndItsSettings) {
    auto form = Open<TfrmPrintSetupByEntrance>();
    const struct {
        const char* what;
        bool month;
        QString start;
        QString end;
        QString message;
    } cases[] = {
        {"day totals over two dates", false, "20240228", "20240229",
         "日報集計の場合は、同じ日付のみ印刷できます。"},
        {"a day without a table", false, "20230501", "20230501",
         "2023年5月分の記録がありませんでした。"},
        {"a month without a table", true, "", "", "2024年1月分の記録がありませんでした。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Messages.clear();
        if (c.month) {
            form->RadioMonth->click();
            TypeAndLeave(form->Ed_Month, "1");
        } else {
            form->RadioDay->click();
            TypeAndLeave(form->Ed_StartDate, c.start);
            TypeAndLeave(form->Ed_EndDate, c.end);
        }
        const TReportRun run = PrintFrom(*form, "refused");
        EXPECT_EQ(run.PreviewPages, 0);
        EXPECT_EQ(Messages, QStringList{c.message});
        EXPECT_FALSE(form->Closing());
        EXPECT_TRUE(form->isEnabled());
        EXPECT_EQ(form->RadioMonth->isChecked(), c.month);
        if (!c.month) {
            EXPECT_EQ(QString(form->Ed_StartDate->text()).remove('/'), c.start);
        }
    }
}

TEST_F(PrintSetupDialogs, ByUnitRunsTheChosenReport) {
    auto form = Open<TfrmPrintSetupByEntrance>();
    form->cmbItem->setCurrentIndex(1);
    TReportRun run = PrintFrom(*form, "TRep_EntranceDayLogTotal_unit2");
    EXPECT_EQ(run.Caption, "認証機別　入退室集計（日報）");
    const QString day = Folded(run.Printed.value(0).value(0));
    EXPECT_TRUE(day.contains("裏口"));
    EXPECT_FALSE(day.contains("正面"));
    EXPECT_EQ(Unspaced(day).count("合計"), 1) << "one unit: no grand totals";

    form->RadioLog->click();
    form->RadioAll->click();
    TypeAndLeave(form->Ed_StartDate, "20240228");
    run = PrintFrom(*form, "TRep_EntranceUserLog_dialog");
    EXPECT_EQ(run.Caption, "認証機別　入退室記録");
    EXPECT_EQ(run.PreviewPages, 2) << "two days";

    form->RadioMonth->click();
    run = PrintFrom(*form, "TRep_EntranceMonthLogTotal_dialog");
    EXPECT_EQ(run.Caption, "認証機別　入退室集計（月報）");
    EXPECT_TRUE(HasText(run.Printed.value(0).value(0), "【2024年 2月】"));
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('|').toStdString();
}

TEST_F(PrintSetupDialogs, ByRoomRunsTheRoomsReports) {
    Run("INSERT INTO M_認証機グループ (認証機グループコード,認証機ID,認証機グループ名) "
        "VALUES (7,1,'玄関')");
    auto form = Open<TfrmPrintSetupByRoom>();
    form->grab().save(TestOutputFolder() + "/TfrmPrintSetupByRoom.png");
    ASSERT_EQ(form->cmbGroup->count(), 2);
    EXPECT_EQ(form->cmbGroup->itemText(1), "玄関");
    const TReportRun run = PrintFrom(*form, "TRep_EntranceDayLogTotal_room");
    const QString page = run.Printed.value(0).value(0);
    EXPECT_TRUE(HasText(page, "部屋名 : 会議室"));
    EXPECT_TRUE(page.contains("倉庫"));
    EXPECT_FALSE(page.contains("正面"));
    form->RadioLog->click();
    const TReportRun stays = PrintFrom(*form, "TRep_RoomLogView_dialog");
    EXPECT_TRUE(stays.Caption.startsWith("部屋別")) << stays.Caption.toStdString();
    EXPECT_EQ(stays.PreviewPages, 1);

    // The room loses its units while the dialog still lists it.
    Run("DELETE FROM M_認証機グループ WHERE 認証機グループコード=5");
    Messages.clear();
    EXPECT_EQ(PrintFrom(*form, "emptied").PreviewPages, 0);
    EXPECT_EQ(Messages, QStringList{NoRecordsMessage});
}

TEST_F(PrintSetupDialogs, NothingToChooseClosesTheDialog) {
    Run("DELETE FROM M_認証機グループ");
    EXPECT_TRUE(Open<TfrmPrintSetupByRoom>()->Closing());
    EXPECT_EQ(Messages, QStringList{"部屋が登録されていません。"});
    Messages.clear();
    Run("DELETE FROM entranceState", true);
    EXPECT_TRUE(Open<TfrmPrintSetupByEntrance>()->Closing());
    EXPECT_EQ(Messages, QStringList{"認証機が登録されていません。"});
}

// What an operator pastes passes no key filter; leaving the box sorts it out.
TEST_F(PrintSetupDialogs, PastedTextIsTakenOrShownBack) {
    auto form = Open<TfrmPrintSetupByEntrance>();
    TypeAndLeave(form->Ed_Month, "11");
    const struct {
        QLineEdit* edit;
        QString pasted;
        QString shown;
    } cases[] = {
        {form->Ed_Year, "abc", "2024"},                   // no number: the up-down's position
        {form->Ed_Year, "２０３０", "2024"},              // full-width digits are no number
        {form->Ed_Month, "-3", "2"},                      // out of bounds: the current month
        {form->Ed_Month, " 5", "5"},                      //
        {form->Ed_StartDate, "xx", "2024/02/29"},         // no date: the picker's
        {form->Ed_StartDate, "2024-02-10", "2024/02/10"}, // the mask keeps the digits
    };
    TMessageAnswers answers(Messages);
    for (const auto& c : cases) {
        Activate(form.get());
        form->RadioMonth->setChecked(c.edit != form->Ed_StartDate);
        form->RadioDay->setChecked(c.edit == form->Ed_StartDate);
        QGuiApplication::clipboard()->setText(c.pasted);
        c.edit->setFocus();
        c.edit->selectAll();
        // Ctrl+V as a keyboard gives it: a control character, not "v".
        QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QString(QChar(0x16)));
        QApplication::sendEvent(c.edit, &paste);
        QTest::keyClick(c.edit, Qt::Key_Tab);
        EXPECT_EQ(c.edit->text(), c.shown) << c.pasted.toStdString();
    }
    EXPECT_EQ(form->UpDownMonth->Position(), 5);
    EXPECT_EQ(form->Ed_sDate->date(), QDate(2024, 2, 10));
    EXPECT_EQ(Messages, QStringList{"日付を入力して下さい。"}) << "for the pasted xx";
}

// Modes switched back and forth, the same report twice, and the dialog closed while its
// report's preview is open.
TEST_F(PrintSetupDialogs, RunsAgainAndSurvivesBeingClosedUnderItsReport) {
    auto owned = Open<TfrmPrintSetupByEntrance>();
    QPointer<TfrmPrintSetupByEntrance> form = owned.get();
    form->RadioLog->click();
    for (int i = 0; i < 3; ++i) {
        form->RadioMonth->click();
        form->RadioDay->click();
    }
    EXPECT_TRUE(form->RadioTotal->isChecked());
    EXPECT_FALSE(form->pnlDayDate->isHidden());
    EXPECT_TRUE(form->pnlMonthDate->isHidden());
    const TReportRun first = PrintFrom(*form, "again");
    const TReportRun second = PrintFrom(*form, "again");
    EXPECT_EQ(first.PreviewPages, 1);
    EXPECT_EQ(second.Printed, first.Printed);

    // Sooner than the preview's own handling, the dialog is closed.
    QTimer closer;
    bool closedUnder = false;
    closer.setInterval(1);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (rptPreview && rptPreview->isVisible() && form) {
            closer.stop();
            form->close();
            // Whatever the loop does next, the dialog and its report outlive the preview.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            closedUnder = !form.isNull();
        }
    });
    closer.start();
    owned.release(); // the close frees it
    const TReportRun closed = PrintFrom(*form, "closed");
    EXPECT_TRUE(closedUnder);
    EXPECT_EQ(closed.Printed, first.Printed);
    EXPECT_TRUE(EntranceSession().Rep_EntranceDayLogTotal.isNull());
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.isNull(); }, 2000))
        << "freed once back in the loop";
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('|').toStdString();
}

// The menu's buttons open each dialog once; closing it shows the menu on its category again.
TEST_F(PrintSetupDialogs, OpenedFromTheMenu) {
    TmdiMainMenu main;
    main.show();
    const struct {
        QPushButton* button;
        std::function<TForm*()> dialog;
    } cases[] = {
        {main.BitBtn18, [] { return EntranceSession().frmPrintSetupByEntrance.data(); }},
        {main.BitBtn21, [] { return EntranceSession().frmPrintSetupByRoom.data(); }},
    };
    for (const auto& c : cases) {
        main.SelectCategory(3);
        c.button->click();
        TForm* opened = c.dialog();
        ASSERT_TRUE(opened);
        c.button->click();
        EXPECT_EQ(c.dialog(), opened) << "one instance at a time";
        EXPECT_NE(main.Category(), 1);
        opened->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(c.dialog(), nullptr);
        EXPECT_EQ(main.Category(), 1);
    }
}

using TwoOperators = PrintSetupDialogs;

// Tab goes from the period to what the report covers, then to the buttons, as the dialog shows
// them.
TEST_F(TwoOperators, TabFollowsThePrintDialogs) {
    const auto tabbing = [](TfrmPrintSetupLog& form, const QList<QWidget*>& watched) {
        form.RadioMonth->click();
        form.Ed_Month->setFocus();
        QList<QWidget*> reached;
        for (int i = 0; i < 12 && !reached.contains(form.btnCLOSE); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (watched.contains(QApplication::focusWidget()))
                reached << QApplication::focusWidget();
        }
        return reached;
    };
    auto byUnit = Open<TfrmPrintSetupByEntrance>();
    EXPECT_EQ(
        tabbing(*byUnit, {byUnit->RadioItem, byUnit->RadioAll, byUnit->cmbItem, byUnit->btnPrint,
                          byUnit->btnCLOSE}),
        (QList<QWidget*>{byUnit->RadioItem, byUnit->cmbItem, byUnit->btnPrint, byUnit->btnCLOSE}));
    auto byRoom = Open<TfrmPrintSetupByRoom>();
    EXPECT_EQ(tabbing(*byRoom, {byRoom->cmbGroup, byRoom->btnPrint, byRoom->btnCLOSE}),
              (QList<QWidget*>{byRoom->cmbGroup, byRoom->btnPrint, byRoom->btnCLOSE}));
}

} // namespace
