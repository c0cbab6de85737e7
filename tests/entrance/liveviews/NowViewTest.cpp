#include "components/grids/MOStringGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/data/Unit_TempTables.h"
#include "entrance/frame/MdiMainMenu.h"
#include "entrance/liveviews/Form_EntranceNowView.h"
#include "entrance/reports/records/Report_EntranceUserLog.h"
#include "entrance/reports/records/Report_UserEntranceLog.h"
#include "tests/entrance/EntranceFixture.h"
#include "tests/entrance/reports/ReportRun.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace entrance;

namespace {

const QString March = "ENTRANCE_LOG2026_03";

TDateTime At(int d, int h, int n, int s = 0) {
    return EncodeDate(2026, 3, d) + EncodeTime(h, n, s, 0);
}

// 10 March 2026, 12:30 by the test's clock. Units 1 正面, 2 裏口, 3 会議室. A1 enters at 8:00,
// is refused at 9:00 and leaves at 12:00; B1 enters first at 7:00 at unit 2; O'1 enters at
// 10:00; an operation 10 of A1 never shows. Yesterday A1 left last at unit 3.
class NowView : public EntranceFixture {
protected:
    NowView() {
        Run("INSERT INTO M_部門 (部門コード,部門名) VALUES (1,'総務'), (2,'営業')");
        Run("INSERT INTO M_個人情報 (個人コード,氏名,ﾌﾘｶﾞﾅ,部門コード) VALUES "
            "('A1','山田','ﾔﾏﾀﾞ',1), ('A2','阿部','ｱﾍﾞ',2), ('B1','佐藤','ｻﾄｳ',1), "
            "('O''1','尾','ｵ',1), ('C1','木村','ｷﾑﾗ',NULL)");
        Run("INSERT INTO entranceState (認証機ID,認証機名) VALUES (1,'正面'), (2,'裏口'), "
            "(3,'会議室')",
            true);
        CreateTempLogTable(March);
        AddLog(March, "A1", 12, "3/10/2026, 08:00:00", 1, 1);
        AddLog(March, "A1", 12, "3/10/2026, 09:00:00", 0, 1);
        AddLog(March, "A1", 10, "3/10/2026, 10:00:00", 1, 1);
        AddLog(March, "A1", 22, "3/10/2026, 12:00:00", 1, 2);
        AddLog(March, "B1", 11, "3/10/2026, 07:00:00", 1, 2);
        AddLog(March, "O'1", 12, "3/10/2026, 10:00:00", 1, 1);
        AddLog(March, "A1", 21, "3/9/2026, 10:00:00", 1, 3);
        Clock::SetNow([this] { return FNow; });
        View = new TfrmEntranceNowView;
        View->resize(1000, 640);
        View->show();
    }
    ~NowView() override {
        delete View.data();
        Clock::SetNow({});
    }

    QStringList Listed() const {
        QStringList codes;
        for (int row = 1; row < View->UserGrid->RowCount(); ++row)
            codes << View->UserGrid->Cells(0, row);
        return codes;
    }
    QStringList Records() const {
        QStringList lines;
        for (int row = 1; row < View->LogGrid->RowCount(); ++row)
            lines << View->LogGrid->Rows(row).mid(0, 5).join(' ');
        return lines;
    }
    // Latest unit, code, name, summary text, time, elapsed; entries, exits, errors, rate.
    QString Summary() const {
        QStringList texts;
        for (QLabel* panel :
             {View->pnlEntranceName, View->pnlUserCode, View->pnlUserName, View->pnlINorOUT,
              View->pnlOpeTime, View->pnlLivingTime, View->pnlINCount, View->pnlOUTCount,
              View->pnlErrorCount, View->pnlOpeRate})
            texts << panel->text();
        return texts.join('|');
    }
    void Pick(TMOStringGrid* grid, const QString& key) {
        for (int row = 1; row < grid->RowCount(); ++row)
            if (grid->Cells(0, row) == key) {
                grid->SetRow(row);
                QTest::keyClick(grid, Qt::Key_Return);
                return;
            }
        ADD_FAILURE() << "not listed: " << key.toStdString();
    }
    // A log row written later, as the communication program writes it: the file's time moves.
    void AddLater(const QString& code, int operation, const QString& time, int result, int unit) {
        QTest::qWait(20);
        AddLog(March, code, operation, time, result, unit);
    }

    TDateTime FNow = At(10, 12, 30);
    QPointer<TfrmEntranceNowView> View;
};

// Typed filter values are bound: a quote or a department that is no whole number selects
// nobody rather than changing the SQL.
TEST_F(NowView, PersonListFilters) {
    EXPECT_EQ(View->pnlDate->text(), "2026年 3月 10日");
    EXPECT_EQ(Listed(), QStringList({"A1", "B1", "O'1"})) << "persons with records today";
    const struct {
        const char* category;
        const char* kana;
        const char* code;
        bool withRecordsOnly;
        QStringList codes;
    } cases[] = {
        {"", "", "", false, {"A1", "A2", "B1", "C1", "O'1"}},
        {"1:総務", "", "", true, {"A1", "B1", "O'1"}},
        {"2", "", "", false, {"A2"}},
        {"<未登録>", "", "", false, {"C1"}},
        {"0:全て指定", "[ｱ-ｵ]", "", false, {"A2", "O'1"}},
        {"", "", "A", false, {"A1", "A2"}},
        {"", "", "O'", false, {"O'1"}},
        {"x:総務", "", "", false, {""}},
        {"1) OR (1=1:", "", "", false, {""}},
        {"2", "", "", true, {""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.category) + "/" + c.kana + "/" + c.code);
        View->ChkIsLogSerch->setChecked(c.withRecordsOnly);
        View->cmbKana->setEditText(c.kana);
        View->cmbUserCode->setEditText(c.code);
        View->cmbCategory->setEditText(c.category);
        QTest::keyClick(View->cmbCategory->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(Listed(), c.codes);
    }
    View->btnClear->click();
    EXPECT_EQ(View->cmbCategory->currentText(), "");
    EXPECT_EQ(Listed(), QStringList({"A1", "B1", "O'1"}));
}

// A person's day: the records in time order with their kinds, the summary of the latest, the
// elapsed time advancing with the clock and new records followed; errors can be left out.
TEST_F(NowView, PersonDayAndItsSummary) {
    Pick(View->UserGrid, "A1");
    EXPECT_EQ(Records(), QStringList({"  8:00:00 入 A1 山田 正面", "  9:00:00 エラー A1 山田 正面",
                                      " 12:00:00 退 A1 山田 裏口"}));
    EXPECT_EQ(Summary(), "裏口|A1|山田|退　室| 12:00:00|0時間30分0秒|1|1|1|67");
    View->grab().save(TestOutputFolder() + "/TfrmEntranceNowView.png");

    FNow = At(10, 12, 30, 5);
    View->Timer1Timer();
    EXPECT_EQ(View->pnlLivingTime->text(), "0時間30分5秒");
    AddLater("A1", 12, "3/10/2026, 12:30:02", 0, 1);
    View->Timer1Timer();
    EXPECT_EQ(Records().size(), 4);
    EXPECT_EQ(Summary(), "正面|A1|山田|エラー| 12:30:02|0時間0分3秒|1|1|2|50");

    View->ChkErrorView->setChecked(false);
    Pick(View->UserGrid, "A1");
    EXPECT_EQ(Records().size(), 2);
    EXPECT_EQ(Summary(), "裏口|A1|山田|退　室| 12:00:00|0時間30分5秒|1|1|0|100");

    Pick(View->UserGrid, "O'1");
    EXPECT_EQ(Records(), QStringList({" 10:00:00 入 O'1 尾 正面"}));

    // Only refused records: no rate.
    View->ChkErrorView->setChecked(true);
    AddLog(March, "C1", 21, "3/10/2026, 11:00:00", 0, 3);
    View->btnSearchClick();
    Pick(View->UserGrid, "C1");
    EXPECT_EQ(Summary(), "会議室|C1|木村|エラー| 11:00:00|1時間30分5秒|0|0|1|");
}

// A record stamped in the very second of the reload, or a little ahead of this PC's clock,
// has no elapsed time yet; it starts counting once the clock passes it.
TEST_F(NowView, ElapsedTimeStartsOnceTheClockPassesTheRecord) {
    Pick(View->UserGrid, "A1");
    FNow = At(10, 12, 30, 5);
    AddLater("A1", 22, "3/10/2026, 12:30:07", 1, 1);
    View->Timer1Timer();
    EXPECT_EQ(View->pnlOpeTime->text(), " 12:30:07");
    EXPECT_EQ(View->pnlLivingTime->text(), "");
    FNow = At(10, 12, 30, 9);
    View->Timer1Timer();
    EXPECT_EQ(View->pnlLivingTime->text(), "0時間0分2秒");
}

// An operator who types, pastes and clicks in any order: odd filter text keeps what was typed
// and lists nobody it should not, a month without a log table shows nothing, printing without
// a day shown only says so, and closing with the poll running frees the screen.
TEST_F(NowView, OperatorInAnyOrder) {
    QStringList messages;
    TMessageAnswers answers(messages);
    const QString printFirst = "記録を表示させて印刷して下さい。";

    View->btnEntView->click();
    View->BitBtn2->click();
    Pick(View->EntGrid1, "1");
    View->btnUserView->click();
    EXPECT_EQ(View->LogGrid->Cells(0, 1), "");
    View->BitBtn2->click();
    EXPECT_EQ(messages, QStringList({printFirst, printFirst}));

    // Typed, then pasted; the box takes 7 bytes.
    const struct {
        const char *typed, *pasted, *kept;
        QStringList codes;
    } odd[] = {
        {"[", "", "[", {""}},           {"A1' OR '1'='1", "", "A1' OR ", {""}},
        {"%", "", "%", {""}},           {"O", "'1", "O'1", {"O'1"}},
        {"B", "ＸＸＸＸ", "B", {"B1"}}, {"*", "", "*", {"A1", "B1", "O'1"}},
    };
    QLineEdit* code = View->cmbUserCode->lineEdit();
    for (const auto& c : odd) {
        SCOPED_TRACE(c.typed);
        code->clear();
        code->setFocus();
        QTest::keyClicks(code, c.typed);
        code->insert(QString::fromUtf8(c.pasted));
        QTest::keyClick(code, Qt::Key_Return);
        EXPECT_EQ(View->cmbUserCode->currentText(), QString::fromUtf8(c.kept));
        EXPECT_EQ(Listed(), c.codes);
    }
    View->btnClear->click();

    // February has no log table.
    View->Ed_sDate->setDate(QDate(2026, 2, 10));
    EXPECT_EQ(Listed(), QStringList({""}));
    View->ChkIsLogSerch->setChecked(false);
    View->btnSearchClick();
    EXPECT_EQ(Listed(), QStringList({"A1", "A2", "B1", "C1", "O'1"}));
    Pick(View->UserGrid, "A1");
    EXPECT_EQ(Summary(), "|||||||||");
    View->Timer1Timer();
    View->BitBtn2->click();
    View->btnEntView->click();
    EXPECT_EQ(View->LogGrid->Cells(0, 1), "");
    View->BitBtn2->click();
    EXPECT_EQ(messages.size(), 4);
    EXPECT_EQ(messages.value(3), printFirst);

    // Back to today in unit mode: the unit picked before.
    View->btnMoveToday->click();
    EXPECT_EQ(Records(), QStringList({"  8:00:00 入 A1 山田 正面", "  9:00:00 エラー A1 山田 正面",
                                      " 10:00:00 入 O'1 尾 正面"}));

    ASSERT_TRUE(View->Timer1->isActive());
    View->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(View.isNull());
}

// Another day shows its records once: no elapsed time, no reload when the log changes.
TEST_F(NowView, AnotherDayIsNotFollowed) {
    View->Ed_sDate->setDate(QDate(2026, 3, 9));
    EXPECT_EQ(View->pnlDate->text(), "2026年 3月 9日");
    EXPECT_EQ(Listed(), QStringList({"A1"}));
    Pick(View->UserGrid, "A1");
    EXPECT_EQ(Summary(), "会議室|A1|山田|終退室| 10:00:00||0|1|0|100");
    AddLater("A1", 22, "3/9/2026, 11:00:00", 1, 3);
    View->Timer1Timer();
    EXPECT_EQ(Records().size(), 1);

    View->btnMoveToday->click();
    EXPECT_EQ(View->pnlDate->text(), "2026年 3月 10日");
    EXPECT_EQ(Summary(), "|||||||||");
}

// A typed day is the day shown; a day that does not exist is refused with a word and the day
// shown stays.
TEST_F(NowView, TypedDayIsShownAndAnImpossibleOneRefused) {
    QApplication::setActiveWindow(View);
    ASSERT_TRUE(QTest::qWaitForWindowActive(View));
    QStringList messages;
    TMessageAnswers answers(messages);
    const auto typeDay = [this](const QString& day) {
        View->Ed_sDateBox->setFocus();
        View->Ed_sDateBox->setText(day);
        QTest::keyClick(View->Ed_sDateBox, Qt::Key_Return);
    };
    typeDay("2026/03/09");
    EXPECT_EQ(View->pnlDate->text(), "2026年 3月 9日");
    EXPECT_EQ(Listed(), QStringList({"A1"}));
    typeDay("2026/02/30");
    EXPECT_EQ(messages, QStringList{"日付を入力して下さい。"});
    EXPECT_EQ(View->pnlDate->text(), "2026年 3月 9日");
    EXPECT_EQ(View->Ed_sDateBox->text(), "2026/03/09");
    EXPECT_EQ(View->ShownDate(), EncodeDate(2026, 3, 9));
}

// Two commits within one tick of the log file's time: its size tells the poll to reload.
TEST_F(NowView, ARecordWithinOneTickOfTheFileTimeIsFollowed) {
    Pick(View->UserGrid, "A1");
    View->Timer1Timer();
    const QString file = Temp.File(March + ".DB");
    const QDateTime before = QFileInfo(file).lastModified();
    QStringList rows;
    // Enough rows that the file grows; only the first is A1's of today.
    for (int i = 0; i < 200; ++i)
        rows << QString("('%1',12,46091.5,1,1)").arg(i == 0 ? "A1" : "Z" + QString::number(i));
    Run("INSERT INTO " + March + " (個人コード,操作種別,操作日時,エラー種別,認証機ID) VALUES " +
            rows.join(','),
        true);
    QFile log(file);
    ASSERT_TRUE(log.open(QIODevice::ReadWrite));
    ASSERT_TRUE(log.setFileTime(before, QFileDevice::FileModificationTime));
    log.close();
    View->Timer1Timer();
    EXPECT_EQ(Records().size(), 4);
}

// Each mode says what a double-click, the search and the print button do.
TEST_F(NowView, ModeTexts) {
    EXPECT_EQ(View->windowTitle(), "現在の入退室状況");
    const struct {
        QPushButton* button;
        const char *grid, *message, *print;
    } modes[] = {
        {View->btnEntView, "認証機をダブルクリックすると記録を表示します。",
         "認証機を最後に使用した利用者を検索することが出来ます。",
         "現在表示中の認証機で印刷します。"},
        {View->btnUserView, "利用者をダブルクリックすると記録を表示します。",
         "利用者が最後に利用した認証機を検索することが出来ます。",
         "現在表示中の利用者で印刷します。"},
    };
    for (const auto& m : modes) {
        m.button->click();
        EXPECT_EQ(View->PanelGridMsg->text(), m.grid);
        EXPECT_EQ(View->pnlMessage->text(), m.message);
        EXPECT_EQ(View->pnlPrintView->text(), m.print);
    }
}

// A unit's day lists everybody who used it; the unit picked stays the unit shown when it has
// no record, so a date change shows that unit's day.
TEST_F(NowView, UnitDay) {
    View->btnEntView->click();
    EXPECT_EQ(View->EntGrid1->Rows(2), QStringList({"2", "裏口"}));
    Pick(View->EntGrid1, "2");
    EXPECT_EQ(Records(), QStringList({"  7:00:00 初入 B1 佐藤 裏口", " 12:00:00 退 A1 山田 裏口"}));
    EXPECT_EQ(Summary(), "裏口|A1|山田|退　室| 12:00:00|0時間30分0秒|1|1|0|100");

    Pick(View->EntGrid1, "3");
    EXPECT_EQ(Summary(), "|||||||||");
    View->Ed_sDate->setDate(QDate(2026, 3, 9));
    EXPECT_EQ(Records(), QStringList({" 10:00:00 終退 A1 山田 会議室"}));
}

// Printing goes through the record reports, titled as the live view's, for the one person or
// unit and the day shown; nothing shown, nothing printed.
TEST_F(NowView, PrintsThroughTheRecordReports) {
    QStringList messages;
    TMessageAnswers answers(messages);
    View->BitBtn2->click();
    EXPECT_EQ(messages, QStringList({"記録を表示させて印刷して下さい。"}));

    Pick(View->UserGrid, "A1");
    const TReportRun person =
        RunReportBy([this] { View->BitBtn2->click(); }, "TfrmEntranceNowView_person");
    EXPECT_EQ(person.Caption, "利用者別　入退室状況");
    ASSERT_EQ(person.Printed.value(0).size(), 1);
    const QString page = Unspaced(person.Printed[0][0]);
    EXPECT_TRUE(page.contains("A1山田")) << page.toStdString();
    EXPECT_TRUE(page.contains("認証数3認証率67%エラー数1入室数1退室数1"));
    EXPECT_FALSE(page.contains("B1"));

    View->btnEntView->click();
    Pick(View->EntGrid1, "2");
    const TReportRun unit =
        RunReportBy([this] { View->BitBtn2->click(); }, "TfrmEntranceNowView_unit");
    EXPECT_EQ(unit.Caption, "認証機別　入退室状況");
    ASSERT_EQ(unit.Printed.value(0).size(), 1);
    const QString unitPage = Unspaced(unit.Printed[0][0]);
    EXPECT_TRUE(unitPage.contains("2裏口"));
    EXPECT_TRUE(unitPage.contains("B1佐藤"));
    EXPECT_FALSE(unitPage.contains("正面"));
    EXPECT_TRUE(View->Timer1->isActive());
    EXPECT_TRUE(View->isEnabled());
}

// The menu's button opens the live view once; its close shows the menu on its category.
TEST_F(NowView, OpenedFromTheMenu) {
    delete View.data();
    TmdiMainMenu main;
    main.show();
    main.SelectCategory(3);
    main.BitBtn2->click();
    ASSERT_TRUE(EntranceSession().frmEntranceNowView);
    EXPECT_TRUE(EntranceSession().frmEntranceNowView->isVisible());
    EntranceSession().frmEntranceNowView->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(EntranceSession().frmEntranceNowView.isNull());
    EXPECT_EQ(main.Category(), 1);
}

// The live view as an operator meets it.
using OperatorScreens = NowView;

// The operator picks O'1 with the arrow keys and Enter; new records come in, one of them
// of a person not listed yet: the highlight stays on O'1, and Enter loads O'1 again.
TEST_F(OperatorScreens, NowViewHighlightStaysOnItsPersonAcrossARefresh) {
    View->UserGrid->setFocus();
    View->UserGrid->SetRow(1);
    QTest::keyClick(View->UserGrid, Qt::Key_Down);
    QTest::keyClick(View->UserGrid, Qt::Key_Down);
    QTest::keyClick(View->UserGrid, Qt::Key_Return);
    ASSERT_EQ(View->pnlUserCode->text(), "O'1");
    for (const char* code : {"C1", "A2"}) {
        SCOPED_TRACE(code);
        AddLater(code, 12, "3/10/2026, 12:29:00", 1, 1);
        View->Timer1Timer();
        EXPECT_EQ(Listed().size(), code == QString("C1") ? 4 : 5);
        EXPECT_EQ(View->UserGrid->Cells(0, View->UserGrid->Row()), "O'1");
        EXPECT_EQ(View->pnlUserCode->text(), "O'1");
    }
    QTest::keyClick(View->UserGrid, Qt::Key_Return);
    EXPECT_EQ(View->pnlUserCode->text(), "O'1");
    View->grab().save(TestOutputFolder() + "/TfrmEntranceNowView_highlight.png");
}

} // namespace
