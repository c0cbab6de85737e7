#include "ReportRun.h"
#include "components/grids/MOStringGrid.h"
#include "components/grids/StrSortGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/PickedDate.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/data/Unit_TempTables.h"
#include "entrance/frame/MdiMainMenu.h"
#include "entrance/reports/logview/Form_EntranceUserLogViewPrint.h"
#include "entrance/reports/logview/Form_PrintSetupByUser.h"
#include "entrance/reports/logview/Form_UserListUp.h"
#include "tests/entrance/EntranceFixture.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace entrance;

namespace {

void RunDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Runs `act` once the modal form that `global` holds shows; `open` opens it and returns once
// it has closed.
template <class T, class Open, class Act>
void WhenShown(QPointer<T>& global, Open&& open, Act&& act) {
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!global || !global->isVisible())
            return;
        poll.stop();
        act(*global);
    });
    poll.start();
    open();
}

// Today is 31 March 2026. Units 1, 2 and 4; departments 1 and 3. Person 0012 (department 3)
// has on 30 March entries at units 1 and 2, an exit at unit 2, an entry at unit 3, which is
// not in the unit list, a failed entry and an operation that is no entry or exit; on 31 March
// one more entry. Persons O'1 and A:1 (department 1) have one record each on 30 March. Only
// March has a log table.
struct UserLogScreens : EntranceFixture {
    UserLogScreens() {
        Clock::SetNow([] { return EncodeDate(2026, 3, 31) + 0.5; });
        Run("INSERT INTO M_部門 (部門コード,部門名) VALUES (1,'総務'), (3,'営業')");
        Run("INSERT INTO M_個人情報 (個人コード,氏名,ﾌﾘｶﾞﾅ,部門コード,勤務グループコード) VALUES "
            "('0012','山田','ﾔﾏﾀﾞ',3,1), ('O''1','小野','ｵﾉ',0,0), ('1001','加藤','ｶﾄｳ',1,0), "
            "('1002','木村','ｷﾑﾗ',NULL,2), ('A:1','鈴木','ｽｽﾞｷ',1,0)");
        Run("INSERT INTO entranceState (認証機ID,認証機名) VALUES (1,'正面'), (2,'裏口'), "
            "(4,'倉庫')",
            true);
        const QString table = "ENTRANCE_LOG2026_03";
        CreateTempLogTable(table);
        AddLog(table, "0012", 11, "3/30/2026, 08:00:00", 1, 1);
        AddLog(table, "0012", 12, "3/30/2026, 09:05:07", 1, 2);
        AddLog(table, "0012", 12, "3/30/2026, 10:00:00", 1, 3);
        AddLog(table, "0012", 11, "3/30/2026, 11:00:00", 0, 1);
        AddLog(table, "0012", 31, "3/30/2026, 12:00:00", 1, 1);
        AddLog(table, "0012", 21, "3/30/2026, 17:00:00", 1, 2);
        AddLog(table, "0012", 12, "3/31/2026, 08:00:00", 1, 4);
        AddLog(table, "O'1", 22, "3/30/2026, 18:30:00", 1, 4);
        AddLog(table, "A:1", 11, "3/30/2026, 07:15:00", 1, 2);
    }
    ~UserLogScreens() override {
        RunDeferredDeletes();
        Clock::SetNow(nullptr);
    }

    // The viewer as the menu opens it.
    TfrmEntranceUserLogViewPrint& OpenViewer() {
        Main.resize(1100, 800);
        Main.show();
        Main.BitBtn13->click();
        EXPECT_TRUE(EntranceSession().frmEntranceUserLogViewPrint);
        return *EntranceSession().frmEntranceUserLogViewPrint;
    }
    // Types into the box and leaves it with Tab.
    static void TypeDate(TPickedDate& date, const QString& text) {
        QApplication::setActiveWindow(date.Box->window());
        ASSERT_TRUE(QTest::qWaitForWindowActive(date.Box->window()));
        date.Box->setFocus();
        date.Box->selectAll();
        QTest::keyClicks(date.Box, text);
        QTest::keyClick(date.Box, Qt::Key_Tab);
        EXPECT_FALSE(date.Box->hasFocus());
    }
    static QList<QStringList> Lines(TStringGrid& grid) {
        QList<QStringList> lines;
        for (int row = 1; row < grid.RowCount(); ++row)
            lines << grid.Rows(row);
        return lines;
    }

    TmdiMainMenu Main;
    QStringList Messages;
    TMessageAnswers Answers{Messages};
};

// The person's valid entries and exits of the day in time order; the record of the unit that
// is missing from the unit list has its line but is counted for no unit.
TEST_F(UserLogScreens, ShowsThePersonsValidRecordsOfTheDayWithCountsPerUnit) {
    TfrmEntranceUserLogViewPrint& viewer = OpenViewer();
    EXPECT_EQ(viewer.cmbName->itemText(0), "0012:山田");
    EXPECT_EQ(viewer.Ed_EnterDate->text(), "2026/03/31");
    auto* date = viewer.findChild<TPickedDate*>();
    TypeDate(*date, "2026/03/30");
    EXPECT_EQ(viewer.Ed_sDate->date(), QDate(2026, 3, 30));
    viewer.btnLogView->click();
    EXPECT_EQ(Lines(*viewer.LogGrid), (QList<QStringList>{{"1", "正面", "入室", "08:00:00"},
                                                          {"2", "裏口", "入室", "09:05:07"},
                                                          {"3", "", "入室", "10:00:00"},
                                                          {"2", "裏口", "退室", "17:00:00"}}));
    EXPECT_EQ(Lines(*viewer.EntGrid1),
              (QList<QStringList>{
                  {"1", "正面", "1", ""}, {"2", "裏口", "1", "1"}, {"4", "倉庫", "", ""}}));
    viewer.grab().save(TestOutputFolder() + "/TfrmEntranceUserLogViewPrint.png");

    // A code with a quote is bound: its one exit shows, the counts of 0012 are gone. Enter
    // in the name box shows the records.
    viewer.cmbName->setCurrentIndex(viewer.cmbName->findText("O'1:小野"));
    QTest::keyClick(viewer.cmbName->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(Lines(*viewer.LogGrid), (QList<QStringList>{{"4", "倉庫", "退室", "18:30:00"}}));
    EXPECT_EQ(
        Lines(*viewer.EntGrid1),
        (QList<QStringList>{{"1", "正面", "", ""}, {"2", "裏口", "", ""}, {"4", "倉庫", "", "1"}}));
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join("|").toStdString();

    // Typed codes not in the list, and a month without log table, change nothing.
    for (const QString& typed : {QString("x') OR ('1'='1"), QString("9999")}) {
        viewer.cmbName->setEditText(typed);
        viewer.btnLogView->click();
        EXPECT_EQ(Messages.value(Messages.size() - 1), LoadStr(65144));
    }
    viewer.cmbName->setCurrentIndex(0);
    TypeDate(*date, "2026/02/10");
    viewer.btnLogView->click();
    EXPECT_EQ(Messages.value(Messages.size() - 1), LoadStr(65143));
    EXPECT_EQ(Messages.size(), 3);
    EXPECT_EQ(viewer.LogGrid->Cells(3, 1), "18:30:00");

    // Closing gives the menu back.
    viewer.btnCLOSE->click();
    RunDeferredDeletes();
    EXPECT_FALSE(EntranceSession().frmEntranceUserLogViewPrint);
    EXPECT_TRUE(Main.PanelMain->isVisible());
}

// The picker's filters take typed text as values: hostile text selects nothing. The chosen
// person's records show at once; cancelling changes nothing.
TEST_F(UserLogScreens, PickerFiltersByBoundValuesAndHandsBackTheChosenPerson) {
    TfrmEntranceUserLogViewPrint& viewer = OpenViewer();
    TypeDate(*viewer.findChild<TPickedDate*>(), "2026/03/30");
    viewer.cmbName->setCurrentIndex(2);
    const struct {
        QString Dept, Kana, Code;
        QStringList Codes;
    } cases[] = {
        {"", "", "", {"0012", "1001", "1002", "A:1", "O'1"}},
        {"<未登録>", "", "", {"1002", "O'1"}},
        {"3:営業", "", "", {"0012"}},
        {"3", "", "", {"0012"}},
        {"x:営業", "", "", {}},
        {"1.5:総務", "", "", {}},
        {"1) OR (1=1:a", "", "", {}},
        {"", "[ｶ-ｺ]", "", {"1001", "1002"}},
        {"", "ｶ' OR '1'='1", "", {}},
        {"", "", "1", {"1001", "1002"}},
        {"", "", "1' OR '", {}},
        {"1:総務", "[ｶ-ｺ]", "1", {"1001"}},
    };
    bool shown = false;
    WhenShown(
        EntranceSession().frmUserListUp, [&] { viewer.btnUserSearch->click(); },
        [&](TfrmUserListUp& picker) {
            shown = true;
            EXPECT_FALSE(viewer.isEnabled());
            for (const auto& c : cases) {
                picker.btnClear->click();
                picker.cmbCategory->setEditText(c.Dept);
                picker.cmbKana->setEditText(c.Kana);
                picker.cmbUserCode->lineEdit()->setFocus();
                QTest::keyClicks(picker.cmbUserCode->lineEdit(), c.Code);
                QStringList codes = picker.UserGrid->Cols(0).mid(1);
                codes.removeAll("");
                codes.sort();
                EXPECT_EQ(codes, c.Codes) << c.Dept.toStdString() << " " << c.Kana.toStdString()
                                          << " " << c.Code.toStdString();
            }
            picker.btnClear->click();
            picker.cmbCategory->setEditText("3:営業");
            picker.grab().save(TestOutputFolder() + "/TfrmUserListUp.png");
            picker.UserGrid->setFocus();
            QTest::keyClick(picker.UserGrid, Qt::Key_Return);
        });
    EXPECT_TRUE(shown);
    EXPECT_TRUE(viewer.isEnabled());
    EXPECT_EQ(viewer.cmbName->currentText(), "0012:山田");
    EXPECT_EQ(viewer.LogGrid->RowCount(), 5);

    WhenShown(
        EntranceSession().frmUserListUp, [&] { viewer.btnUserSearch->click(); },
        [](TfrmUserListUp& picker) { picker.btnCancel->click(); });
    EXPECT_EQ(viewer.cmbName->currentText(), "0012:山田");
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join("|").toStdString();
}

// A code that holds the list's ":" is read whole: the viewer shows its records, the picker
// hands it back, and the dialog prints its records only.
TEST_F(UserLogScreens, ACodeWithAColonIsReadWhole) {
    TfrmEntranceUserLogViewPrint& viewer = OpenViewer();
    TypeDate(*viewer.findChild<TPickedDate*>(), "2026/03/30");
    WhenShown(
        EntranceSession().frmUserListUp, [&] { viewer.btnUserSearch->click(); },
        [](TfrmUserListUp& picker) {
            picker.cmbUserCode->setEditText("A");
            picker.btnOk->click();
        });
    EXPECT_EQ(viewer.cmbName->currentText(), "A:1:鈴木");
    EXPECT_EQ(Lines(*viewer.LogGrid), (QList<QStringList>{{"2", "裏口", "入室", "07:15:00"}}));
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join("|").toStdString();

    TReportRun run;
    WhenShown(
        EntranceSession().frmPrintSetupByUser, [&] { viewer.btnDayPrint->click(); },
        [&](TfrmPrintSetupByUser& dialog) {
            EXPECT_EQ(dialog.cmbItem->currentText(), "A:1:鈴木");
            EXPECT_EQ(dialog.cmbGroup->currentText(), "1:総務");
            dialog.Ed_sDate->setDate({2026, 3, 30});
            run = RunReportBy([&] { dialog.btnPrint->click(); }, "TfrmPrintSetupByUser_Colon");
            dialog.btnCLOSE->click();
        });
    ASSERT_EQ(run.Printed.value(0).size(), 1);
    EXPECT_TRUE(Unspaced(run.Printed[0][0]).contains("7:15:00初入2裏口"))
        << run.Printed[0][0].toStdString();
    EXPECT_FALSE(run.Printed[0][0].contains("0012"));
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join("|").toStdString();
}

// The dialog preselects the viewer's person and department, takes over a typed date only
// when it is not later than its picker's, refuses what the period rules refuse, and runs
// the record report by person on the period put in order.
TEST_F(UserLogScreens, PrintDialogChecksThePeriodAndPrintsThePersonsRecords) {
    TfrmEntranceUserLogViewPrint& viewer = OpenViewer();
    TReportRun run;
    WhenShown(
        EntranceSession().frmPrintSetupByUser, [&] { viewer.btnDayPrint->click(); },
        [&](TfrmPrintSetupByUser& dialog) {
            EXPECT_FALSE(viewer.isEnabled());
            EXPECT_EQ(dialog.cmbItem->currentText(), "0012:山田");
            EXPECT_EQ(dialog.cmbGroup->currentText(), "3:営業");
            EXPECT_TRUE(dialog.RadioItem->isChecked());
            EXPECT_FALSE(dialog.cmbGroup->isEnabled());
            EXPECT_EQ(dialog.Ed_StartDate->text(), "2026/03/31");
            dialog.grab().save(TestOutputFolder() + "/TfrmPrintSetupByUser.png");
            const QList<TPickedDate*> dates = dialog.findChildren<TPickedDate*>();
            TPickedDate& start = *dates[0];
            TPickedDate& end = *dates[1];
            // Typed dates: an earlier one is taken, a later or impossible one is not.
            TypeDate(start, "2026/03/30");
            EXPECT_EQ(dialog.Ed_sDate->date(), QDate(2026, 3, 30));
            for (const QString& typed : {QString("2026/03/31"), QString("2026/13/45")}) {
                TypeDate(start, typed);
                EXPECT_EQ(dialog.Ed_StartDate->text(), "2026/03/30");
                EXPECT_EQ(dialog.Ed_sDate->date(), QDate(2026, 3, 30));
            }
            // Enter moves on from the start box to the end box.
            dialog.Ed_StartDate->setFocus();
            QTest::keyClick(dialog.Ed_StartDate, Qt::Key_Return);
            EXPECT_TRUE(dialog.Ed_EndDate->hasFocus());

            const struct {
                QDate Start, End;
                QString Message;
            } refused[] = {
                {{2026, 2, 10}, {2026, 2, 20}, "記録データがありませんでした。"},
                {{2026, 1, 15}, {2026, 3, 10}, "記録を表示できるのは、２ヶ月分までです。"},
                {{2026, 3, 10}, {2026, 1, 15}, "記録を表示できるのは、２ヶ月分までです。"},
            };
            for (const auto& r : refused) {
                dialog.Ed_sDate->setDate(r.Start);
                dialog.Ed_eDate->setDate(r.End);
                dialog.btnPrint->click();
                EXPECT_EQ(Messages.value(Messages.size() - 1), r.Message);
            }
            dialog.RadioGroup->setChecked(true);
            dialog.cmbGroup->setCurrentIndex(-1);
            dialog.btnPrint->click();
            EXPECT_EQ(Messages.value(Messages.size() - 1), "部門を選択してください。");
            EXPECT_EQ(Messages.size(), 4);

            // Reversed dates run in order, for the one person.
            dialog.RadioItem->setChecked(true);
            dialog.Ed_sDate->setDate({2026, 3, 31});
            dialog.Ed_eDate->setDate({2026, 3, 31});
            TypeDate(end, "2026/03/29");
            run = RunReportBy([&] { dialog.btnPrint->click(); }, "TfrmPrintSetupByUser_Report");
            EXPECT_TRUE(dialog.isEnabled());
            dialog.btnCLOSE->click();
        });
    EXPECT_TRUE(viewer.isEnabled());
    EXPECT_EQ(Messages.size(), 4) << Messages.join("|").toStdString();
    ASSERT_EQ(run.Printed.value(0).size(), 2);
    // The PDF's font gives the wave dash back as U+301C.
    const QString all = Unspaced(run.Printed[0].join("")).replace(QChar(0x301C), QChar(0xFF5E));
    EXPECT_TRUE(all.contains(Unspaced(DateToJpWeekStr(EncodeDate(2026, 3, 29)) + " ～ " +
                                      DateToJpWeekStr(EncodeDate(2026, 3, 31)))));
    EXPECT_TRUE(Unspaced(run.Printed[0][0]).contains("0012山田"));
    EXPECT_TRUE(Unspaced(run.Printed[0][0]).contains("17:00:00終退2裏口"));
    EXPECT_TRUE(Unspaced(run.Printed[0][1]).contains("8:00:00入4倉庫"));
    EXPECT_FALSE(all.contains("小野"));
}

} // namespace
