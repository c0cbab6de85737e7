#include "ReportRun.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/reports/persons/Form_PrintRiyosya.h"
#include "entrance/reports/persons/Report_UserNinsyoki.h"
#include "entrance/reports/persons/Report_UserSingleInfo.h"
#include "entrance/reports/persons/Report_UserView.h"
#include "tests/entrance/EntranceFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace entrance;

namespace {

// Two departments, units 1, 2 and 4, and persons with codes that break pasted SQL or a split
// at ":": 0001 with every column and units 1 and 2, O'1 (sex 2, no dates) with unit 4, 0002
// with units 2 and 4 and a removal from unit 1 waiting for the unit, A:1 without a department
// and only a finger-code unit row, and a finger-code person that no report shows.
struct PersonReports : EntranceFixture {
    PersonReports() {
        Run("INSERT INTO entranceState (認証機ID,認証機名) VALUES (1,'正面玄関'),(2,'通用口'),"
            "(4,'倉庫')",
            true);
        Run("INSERT INTO M_部門 (部門コード,部門名) VALUES (1,'総務'), (2,'営業')");
        Run("INSERT INTO M_勤務グループ VALUES (3,'日勤')");
        Run(QString(
                "INSERT INTO M_個人情報 (個人コード,氏名,ﾌﾘｶﾞﾅ,部門コード,有効終了日,郵便番号,"
                "住所①,住所②,電話,生年月日,性別,血液型,給与コード,勤務グループコード,"
                "認証画像) VALUES ('0001','山田太郎','ﾔﾏﾀﾞ',1,%1,'100-0001','東京都','千代田区',"
                "'03-1111-2222',%2,0,'AB','K77',3,randomblob(900))")
                .arg(EncodeDate(2026, 3, 20))
                .arg(EncodeDate(1976, 5, 12)));
        Run("INSERT INTO M_個人情報 (個人コード,氏名,ﾌﾘｶﾞﾅ,部門コード,性別) VALUES "
            "('O''1','佐藤花子','ｻﾄｳ',2,2), ('0002','高橋','ﾀｶﾊｼ',1,1), "
            "('A:1','鈴木','ｽｽﾞｷ',NULL,NULL)");
        Run("INSERT INTO M_個人情報 (個人コード,氏名,指コード) VALUES ('0009','指',1)");
        Run("INSERT INTO M_使用認証機 (個人コード,認証機ID,指コード) VALUES ('0001',1,0),"
            "('0001',2,NULL),('O''1',4,0),('0002',2,0),('0002',4,0),('A:1',1,1)");
        Run("INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除) VALUES ('0002',1,1,1)");
    }
    // `count` persons P000 ... more, in department 2.
    void AddPersons(int count) {
        for (int i = 0; i < count; ++i)
            Run(QString("INSERT INTO M_個人情報 (個人コード,氏名,部門コード) VALUES "
                        "('P%1','多数',2)")
                    .arg(i, 3, 10, QChar('0')));
    }
    template <class T>
    TReportRun Print(QPointer<T>& global, const TPersonReportRequest& request,
                     const QString& name) {
        return RunReportBy([&] { OpenReport(global, nullptr, [&](T& r) { r.Execute(request); }); },
                           name);
    }
};

// The person codes printed on the pages, in page order.
QStringList CodesOn(const QStringList& pages, const QString& pattern) {
    QStringList codes;
    const QRegularExpression code("(?<![\\w'])(" + pattern + ")(?![\\w'])");
    for (const QRegularExpressionMatch& m : code.globalMatch(pages.join('\n')))
        codes << m.captured(1);
    return codes;
}

// The first line of a page that holds `code`.
QString LineOf(const QString& page, const QString& code) {
    for (const QString& line : page.split('\n'))
        if (line.contains(code))
            return line;
    return {};
}

TEST_F(PersonReports, ListWithEveryColumnAndTheDepartmentFilter) {
    TReportRun run = Print(EntranceSession().Rep_UserView, {}, "TRep_UserView");
    EXPECT_EQ(run.Caption, "利用者 基本情報一覧 (個人コード順)");
    ASSERT_EQ(run.Printed.value(0).size(), 1);
    const QString page = run.Printed[0][0];
    for (const char* text : {"0001", "0002", "A:1", "O'1", "〒100-0001", "東京都千代田区",
                             "Tel 03-1111-2222", "2026/03/20", "昭和51年", "画像登録済み",
                             "画像未登録", "ﾔﾏﾀﾞ", "山田太郎", "総務", "営業"})
        EXPECT_TRUE(page.contains(text)) << text;
    EXPECT_TRUE(page.contains(QRegularExpression("2026/03/20\\s+男\\s+AB")));
    EXPECT_FALSE(page.contains("0009"));
    EXPECT_FALSE(page.contains("部門名 : ")) << "no department line without the filter";
    EXPECT_TRUE(LineOf(page, "ﾀｶﾊｼ").contains("女"));
    EXPECT_FALSE(LineOf(page, "ｻﾄｳ").contains("女")) << "sex 2 prints nothing";
    EXPECT_EQ(run.PrintWaitTexts, QStringList{"利用者情報を取得しています。"});
    EXPECT_TRUE(run.PrintHourglass);
    EXPECT_TRUE(EntranceSession().Rep_UserView.isNull());

    run = Print(EntranceSession().Rep_UserView, {2, 1, -1.0, 1}, "TRep_UserView_dept");
    ASSERT_EQ(run.Printed.value(0).size(), 1);
    EXPECT_TRUE(run.Printed[0][0].contains("部門名 : 総務"));
    EXPECT_TRUE(run.Printed[0][0].contains("(フリガナ順)"));
    EXPECT_FALSE(run.Printed[0][0].contains("O'1"));
    EXPECT_LT(run.Printed[0][0].indexOf("高橋"), run.Printed[0][0].indexOf("山田太郎"));
}

// Every person once, in code order, however the persons fill the pages.
TEST_F(PersonReports, ListPagesOfTwenty) {
    Run("DELETE FROM M_個人情報");
    for (const auto& [persons, pages] : {std::pair{20, 1}, std::pair{1, 2}, std::pair{19, 2}}) {
        AddPersons(persons);
        const TReportRun run = Print(EntranceSession().Rep_UserView, {}, "TRep_UserView_pages");
        SCOPED_TRACE(run.Printed.value(0).size());
        EXPECT_EQ(run.PreviewPages, pages);
        ASSERT_EQ(run.Printed.value(0).size(), pages);
        EXPECT_TRUE(run.Printed[0].last().contains(QString("Page: %1").arg(pages, 3)));
        EXPECT_EQ(CodesOn(run.Printed[0], "Q*P\\d{3}"), Column("SELECT 個人コード FROM M_個人情報 "
                                                               "ORDER BY 個人コード"));
        Run("UPDATE M_個人情報 SET 個人コード='Q'||個人コード");
    }
}

// A person code typed to break the SQL selects nobody: the report says so and shows nothing.
TEST_F(PersonReports, OnePersonByItsCodeAndNobodyForAnInjectedCode) {
    TReportRun run =
        Print(EntranceSession().Rep_UserView, {1, 0, -1.0, 0, "O'1"}, "TRep_UserView_one");
    ASSERT_EQ(run.Printed.value(0).size(), 1);
    EXPECT_TRUE(run.Printed[0][0].contains("佐藤花子"));
    EXPECT_FALSE(run.Printed[0][0].contains("山田太郎"));

    QStringList messages;
    TMessageAnswers answers(messages);
    run = Print(EntranceSession().Rep_UserNinsyoki, {1, 0, -1.0, 0, "1') OR ('1'='1"}, "none");
    EXPECT_EQ(messages, QStringList{"利用者は存在しませんでした。"});
    EXPECT_TRUE(run.Printed.isEmpty());
    EXPECT_TRUE(EntranceSession().Rep_UserNinsyoki.isNull());
}

TEST_F(PersonReports, SheetPerPersonWithUnitMarks) {
    const TReportRun run = Print(EntranceSession().Rep_UserSingleInfo, {}, "TRep_UserSingleInfo");
    EXPECT_EQ(run.Caption, "利用者 基 本 台 帳 (個人コード順)");
    ASSERT_EQ(run.Printed.value(0).size(), 4);
    const QString first = run.Printed[0][0];
    for (const char* text :
         {"部門名 : 総務", "山田太郎", "ﾔﾏﾀﾞ", "1：総務", "2026年 03月 20日", "〒100-0001",
          "東京都", "千代田区", "03-1111-2222", "昭和51年", "歳", "男", "AB 型", "K77", "3：日勤",
          " 1: 正面玄関", " 2: 通用口", " 4: 倉庫", "Page:   1"})
        EXPECT_TRUE(first.contains(text)) << text;
    EXPECT_TRUE(first.contains(QRegularExpression("\\[○\\]\\s*1: 正面玄関")));
    EXPECT_TRUE(first.contains(QRegularExpression("\\[○\\]\\s*2: 通用口")));
    EXPECT_TRUE(first.contains(QRegularExpression("\\[\\s+\\]\\s*4: 倉庫")));
    // A:1: no department; its unit row with a finger code marks its unit like any other.
    const QString third = run.Printed[0][2];
    EXPECT_TRUE(third.contains("鈴木"));
    EXPECT_TRUE(third.contains("：-"));
    EXPECT_TRUE(third.contains(QRegularExpression("\\[○\\]\\s*1: 正面玄関")));
    EXPECT_EQ(third.count(QRegularExpression("\\[\\s+\\]")), 2);
    // 0002: the unit it is being removed from has no mark.
    EXPECT_TRUE(run.Printed[0][1].contains(QRegularExpression("\\[\\s+\\]\\s*1: 正面玄関")));
    EXPECT_TRUE(run.Printed[0][3].contains("佐藤花子"));
    EXPECT_EQ(run.Printed[0][3].count("[○]"), 1);
    EXPECT_EQ(run.PrintWaitTexts, QStringList{"利用者情報を取得しています。"});
    EXPECT_TRUE(run.PrintHourglass);
}

// Column 4 keeps its caption and its marks though unit 3 does not exist.
TEST_F(PersonReports, MatrixMarksEveryUnitAPersonMayUse) {
    const TReportRun run = Print(EntranceSession().Rep_UserNinsyoki, {0, 2}, "TRep_UserNinsyoki");
    EXPECT_EQ(run.Caption, "利用者 使用認証機一覧 (有効終了日順)");
    ASSERT_EQ(run.Printed.value(0).size(), 1);
    const QString page = run.Printed[0][0];
    for (const char* text :
         {"【 認証機一覧 】", " 1:正面玄関", " 2:通用口", " 4:倉庫", "2026/03/20"})
        EXPECT_TRUE(page.contains(text)) << text;
    EXPECT_TRUE(page.contains(QRegularExpression("有効期限\\s+1\\s+2\\s+4\\s*\\n")));
    EXPECT_EQ(LineOf(page, "0001").count("◆"), 2);
    EXPECT_EQ(LineOf(page, "O'1").count("◆"), 1);
    EXPECT_EQ(LineOf(page, "0002").count("◆"), 2) << "not the unit it is being removed from";
    EXPECT_EQ(LineOf(page, "A:1").count("◆"), 1) << "a unit row with a finger code";
    EXPECT_EQ(run.PrintWaitTexts, QStringList{"利用者情報を取得しています。"});
    EXPECT_TRUE(run.PrintHourglass);
}

TEST_F(PersonReports, MatrixPagesOfThirtyTwo) {
    Run("DELETE FROM M_個人情報");
    for (const auto& [persons, pages] : {std::pair{32, 1}, std::pair{1, 2}, std::pair{7, 2}}) {
        AddPersons(persons);
        const TReportRun run =
            Print(EntranceSession().Rep_UserNinsyoki, {}, "TRep_UserNinsyoki_pages");
        SCOPED_TRACE(persons);
        EXPECT_EQ(run.PreviewPages, pages);
        ASSERT_EQ(run.Printed.value(0).size(), pages);
        EXPECT_EQ(CodesOn(run.Printed[0], "Q*P\\d{3}"), Column("SELECT 個人コード FROM M_個人情報 "
                                                               "ORDER BY 個人コード"));
        Run("UPDATE M_個人情報 SET 個人コード='Q'||個人コード");
    }
}

// The person reports leave the wide margin at the left. The sheet and the matrix date their
// pages without leading zeros and the sheet writes the birth date in its era so too; the
// matrix's 32 unit columns still end inside the right margin.
TEST_F(PersonReports, LayoutOnThePage) {
    Clock::SetNow([] { return EncodeDate(2026, 3, 5) + 0.5; });
    for (int id = 5; id <= MatrixColumns; ++id)
        Run(QString("INSERT INTO entranceState (認証機ID,認証機名) VALUES (%1,'予備')").arg(id),
            true);
    const TReportRun list = Print(EntranceSession().Rep_UserView, {}, "TRep_UserView_layout");
    const TReportRun sheet = Print(EntranceSession().Rep_UserSingleInfo, {1, 0, -1.0, 0, "0001"},
                                   "TRep_UserSingleInfo_layout");
    const TReportRun matrix =
        Print(EntranceSession().Rep_UserNinsyoki, {}, "TRep_UserNinsyoki_layout");
    Clock::SetNow(nullptr);
    const double textLeft = PagePoints(WideMarginLeft + 2); // the item's inner margin
    for (const TReportRun* run : {&list, &sheet, &matrix})
        EXPECT_NEAR(PdfWord(PdfWords(run->Pdf), "事業所名").XMin, textLeft, 0.5)
            << run->Caption.toStdString();
    EXPECT_TRUE(list.Printed.value(0).value(0).contains("2026/03/05"));
    EXPECT_TRUE(sheet.Printed.value(0).value(0).contains("2026/3/5"));
    QStringList sheetWords;
    for (const TPdfWord& word : PdfWords(sheet.Pdf))
        sheetWords << word.Text;
    EXPECT_TRUE(sheetWords.join('|').contains("|昭和51年|5月|12日|"));
    EXPECT_TRUE(matrix.Printed.value(0).value(0).contains("2026/3/5"));
    const TPdfWord last = PdfWord(PdfWords(matrix.Pdf), "32");
    EXPECT_GT(last.XMin, 0) << "the caption of column 32";
    EXPECT_LT(last.XMax, PagePoints(1123 - TLightRep::DefaultMargin));
}

// The dialog on a caller, opened on the person 0002.
struct PrintDialog : PersonReports {
    QWidget caller;
    QPointer<TfrmPrintRiyosya> dialog = new TfrmPrintRiyosya;
    QStringList messages;

    PrintDialog() {
        caller.show();
        dialog->ShowDialog(&caller, "0002");
    }
    ~PrintDialog() override { delete dialog.data(); }
    void Leave(const QString& typed) {
        dialog->Ed_StartDate->setFocus();
        dialog->Ed_StartDate->setText(typed);
        TMessageAnswers answers(messages);
        dialog->Ed_StartDateExit();
    }
};

TEST_F(PrintDialog, OpensOnTheCallersPersonAndHandsItsChoicesOver) {
    EXPECT_FALSE(caller.isEnabled());
    EXPECT_EQ(dialog->cmbItem->currentText(), "0002:高橋");
    EXPECT_EQ(dialog->cmbGroup->currentText(), " 1:総務");
    EXPECT_EQ(dialog->cmbItem->count(), 4) << "finger-code persons are not listed";
    EXPECT_FALSE(dialog->cmbGroup->isEnabled());
    EXPECT_FALSE(dialog->Ed_StartDate->isEnabled());
    dialog->grab().save(TestOutputFolder() + "/TfrmPrintRiyosya.png");
    EXPECT_EQ(dialog->FilterMode(), 0);
    EXPECT_EQ(dialog->SortOrder(), 0);
    EXPECT_EQ(dialog->EndDateLimit(), -1.0);

    dialog->RadioBumon->click();
    EXPECT_TRUE(dialog->cmbGroup->isEnabled());
    EXPECT_FALSE(dialog->cmbItem->isEnabled());
    dialog->RadioKigen->click();
    dialog->chkDate->click();
    EXPECT_TRUE(dialog->Ed_StartDate->isEnabled());
    dialog->Ed_sDate->setDate(QDate(2026, 3, 31));
    EXPECT_EQ(dialog->Ed_StartDate->text(), "2026/03/31");
    Leave("2026/03/25");
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(dialog->Request().EndDateLimit, EncodeDate(2026, 3, 25));
    EXPECT_EQ(dialog->FilterMode(), 2);
    EXPECT_EQ(dialog->SortOrder(), 2);

    // Department 1 with the end date on or before 25 March: 0001 only.
    const TReportRun run = RunReportBy([&] { dialog->btnPrint->click(); }, "dialog_list");
    EXPECT_EQ(dialog->DeptCode, 1);
    ASSERT_EQ(run.Printed.value(0).size(), 1);
    EXPECT_TRUE(run.Printed[0][0].contains("山田太郎"));
    EXPECT_FALSE(run.Printed[0][0].contains("高橋"));
    EXPECT_TRUE(dialog->isEnabled());

    dialog->close();
    EXPECT_TRUE(caller.isEnabled());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
}

TEST_F(PrintDialog, TypedLimitLaterOrNoDateShowsTheCalendarsDayAgain) {
    dialog->chkDate->click();
    dialog->Ed_sDate->setDate(QDate(2026, 3, 15));
    Leave("2026/04/01");
    Leave("2026/02/30");
    EXPECT_EQ(messages, QStringList({"カレンダーの日付より後の日付は入力できません。"
                                     "後の日付はカレンダーか「今　日」で選んで下さい。",
                                     "日付を入力して下さい。"}));
    EXPECT_EQ(dialog->Ed_StartDate->text(), "2026/03/15");
    EXPECT_EQ(dialog->EndDateLimit(), EncodeDate(2026, 3, 15));
}

// Opened while a new person is entered: both lists show their first item. Without any
// department, the department filter asks for department 0.
TEST_F(PersonReports, DialogForANewPersonWithoutDepartments) {
    Run("DELETE FROM M_部門");
    Run("UPDATE M_個人情報 SET 部門コード=0 WHERE 個人コード='A:1'");
    QWidget caller;
    QPointer<TfrmPrintRiyosya> dialog = new TfrmPrintRiyosya;
    dialog->ShowDialog(&caller, "");
    EXPECT_EQ(dialog->cmbItem->currentText(), "0001:山田太郎");
    EXPECT_EQ(dialog->cmbGroup->count(), 0);
    dialog->RadioBumon->click();
    const TReportRun run = RunReportBy([&] { dialog->btnPrint->click(); }, "dialog_nodept");
    EXPECT_EQ(dialog->DeptCode, 0);
    ASSERT_EQ(run.Printed.value(0).size(), 1);
    EXPECT_TRUE(run.Printed[0][0].contains("A:1"));
    EXPECT_FALSE(run.Printed[0][0].contains("0001"));
    delete dialog.data();
}

// The person A:1 is chosen whole, though its code holds the list's separator.
TEST_F(PrintDialog, PrintsTheChosenPersonsSheet) {
    dialog->RadioRiyousya->click();
    dialog->RadioDaityou->click();
    dialog->cmbItem->setCurrentIndex(dialog->cmbItem->findText("A:1:鈴木"));
    const TReportRun run = RunReportBy([&] { dialog->btnPrint->click(); }, "dialog_sheet");
    EXPECT_EQ(dialog->PersonCode, "A:1");
    ASSERT_EQ(run.Printed.value(0).size(), 1);
    EXPECT_TRUE(run.Printed[0][0].contains("鈴木"));
}

// The closed preview gives the front back to the dialog, not to the greyed screen behind it.
TEST_F(PersonReports, DialogComesBackInFrontWhenItsPreviewCloses) {
    QMdiArea area;
    area.resize(1000, 700);
    area.show();
    SetMainArea(&area);
    QPointer<TForm> screen = new TForm;
    screen->resize(600, 400);
    screen->ShowMdiChild();
    QPointer<TfrmPrintRiyosya> dialog = new TfrmPrintRiyosya;
    dialog->ShowDialog(screen, "0002");
    RunReportBy([&] { dialog->btnPrint->click(); }, "dialog_front");
    const QList<QMdiSubWindow*> stack = area.subWindowList(QMdiArea::StackingOrder);
    ASSERT_FALSE(stack.isEmpty());
    EXPECT_EQ(stack.last(), dialog->parentWidget());
    EXPECT_EQ(area.activeSubWindow(), dialog->parentWidget());
    dialog->close();
    screen->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetMainArea(nullptr);
}

} // namespace
