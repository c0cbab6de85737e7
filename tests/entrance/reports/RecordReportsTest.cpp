#include "LogReportFixture.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Form_Message.h"
#include "entrance/reports/records/Report_EntranceUserLog.h"
#include "entrance/reports/records/Report_UserEntranceLog.h"

using namespace entrance;

namespace {

// March and April 2026: on 30 March person A1 has 60 records at unit 1 and B2 eight at unit
// 3, seven of them failed; on 1 April B2 has three at unit 1, one failed, and an unknown
// person Z9 one at the unknown unit 7. Room 5 holds unit 3; A1 is in department 1.
struct RecordReports : LogReportFixture {
    RecordReports() {
        Run("INSERT INTO M_部門 VALUES (1, '総務')");
        Run("INSERT INTO M_個人情報 (個人コード,氏名,部門コード) VALUES ('A1','山田',1), "
            "('B2','佐藤',2)");
        Run("INSERT INTO M_認証機グループ (認証機グループコード,認証機ID,認証機グループ名) "
            "VALUES (5,3,'会議室')");
        Run("INSERT INTO entranceState (認証機ID,認証機名) VALUES (1,'正面'), (3,'裏口')", true);
        CreateTempLogTable("ENTRANCE_LOG2026_03");
        CreateTempLogTable("ENTRANCE_LOG2026_04");
        QStringList march;
        for (int i = 0; i < 60; ++i)
            march << Row("A1", i % 2 ? 22 : 12,
                         QString("3/30/2026, 08:%1:00").arg(i, 2, 10, QChar('0')), 1, 1);
        for (int i = 0; i < 8; ++i)
            march << Row("B2", 21, QString("3/30/2026, 10:0%1:00").arg(i), i == 0 ? 1 : 0, 3);
        Insert("ENTRANCE_LOG2026_03", march);
        Insert("ENTRANCE_LOG2026_04", {Row("B2", 11, "4/1/2026, 07:00:00", 1, 1),
                                       Row("B2", 21, "4/1/2026, 18:00:00", 0, 1),
                                       Row("B2", 22, "4/1/2026, 19:00:00", 2, 1),
                                       Row("Z9", 12, "4/1/2026, 06:00:00", 1, 7)});
    }
};

TEST_F(RecordReports, ByPersonDayByDayWithHeadsSumsAndRates) {
    const TReportRun run =
        Print(EntranceSession().Rep_UserEntranceLog, {}, "TRep_UserEntranceLog", 2);
    EXPECT_EQ(run.Caption, "利用者別　入退室記録");
    EXPECT_EQ(run.PreviewPages, 3);
    ASSERT_EQ(run.Printed.value(0).size(), 3);
    EXPECT_EQ(run.Printed.value(1), run.Printed[0]) << "a second print run starts over";
    const QStringList& pages = run.Printed[0];
    for (int i = 0; i < pages.size(); ++i) {
        EXPECT_TRUE(HasText(pages[i], Day(3, 28) + " ～ " + Day(4, 2)));
        EXPECT_TRUE(HasText(pages[i], "事業所名 : 山田工業"));
        EXPECT_TRUE(HasText(pages[i], QString("Page: %1").arg(i + 1)));
    }
    // 60 records: a head and 49 lines, then 11 lines and the sum on the next page.
    EXPECT_TRUE(HasText(pages[0], "【" + Day(3, 30) + "】"));
    EXPECT_TRUE(HasLine(pages[0], "\\n ?A1 山田\\n"));
    EXPECT_EQ(pages[0].count("正面"), 49);
    EXPECT_TRUE(HasText(pages[1], "【" + Day(3, 30) + "】"));
    EXPECT_FALSE(HasLine(pages[1], "A1 山田")) << "no new head line for the same person";
    EXPECT_EQ(pages[1].count("正面"), 11);
    EXPECT_TRUE(HasLine(pages[1], "認証数 60 認証率 100 % エラー数 0 入室数 30 退室数 30"));
    EXPECT_TRUE(HasLine(pages[1], "B2 佐藤"));
    EXPECT_TRUE(HasLine(pages[1], "10:00:00 終退 3 裏口"));
    EXPECT_EQ(pages[1].count("エラー "), 7);
    EXPECT_TRUE(HasLine(pages[1], "認証数 8 認証率 12 % エラー数 7 入室数 0 退室数 1"));
    // The next day starts its own page; an unknown person and unit print a dash.
    EXPECT_TRUE(HasText(pages[2], "【" + Day(4, 1) + "】"));
    EXPECT_TRUE(HasLine(pages[2], "Z9 ―"));
    EXPECT_TRUE(HasLine(pages[2], "6:00:00 入 7 ―"));
    EXPECT_TRUE(HasLine(pages[2], "認証数 3 認証率 67 % エラー数 1 入室数 1 退室数 1"));
    EXPECT_EQ(run.PrintWaitTexts, QStringList{"入退室記録を取得しています。"});
    EXPECT_TRUE(run.PrintHourglass);
    EXPECT_TRUE(EntranceSession().Rep_UserEntranceLog.isNull());

    // Reversed dates give the same pages.
    const TReportRun reversed = Print(EntranceSession().Rep_UserEntranceLog,
                                      {0, "", EncodeDate(2026, 4, 2), EncodeDate(2026, 3, 28)},
                                      "TRep_UserEntranceLog_reversed");
    EXPECT_EQ(reversed.Printed.value(0), run.Printed[0]);
}

TEST_F(RecordReports, FiltersTitlesAndRefusals) {
    const struct {
        const char* what;
        bool byUnit;
        Request request;
        int pages;
        QString title;    // in the preview's caption
        QString contains; // on the first page
        QString message;  // instead of a preview
    } cases[] = {
        {"a department", false, {2, "1"}, 2, "利用者別　入退室記録", "部門名 : 総務", ""},
        {"one person from the live view",
         false,
         {1, "B2", EncodeDate(2026, 4, 1), EncodeDate(2026, 4, 1), true},
         1,
         "利用者別　入退室状況",
         "B2 佐藤",
         ""},
        {"nobody's records", false, {1, "ZZ"}, 0, "", "", NoRecordsMessage},
        {"over two months",
         false,
         {0, "", EncodeDate(2026, 1, 31), EncodeDate(2026, 3, 1)},
         0,
         "",
         "",
         PeriodTooLongMessage},
        {"all units", true, {}, 3, "認証機別　入退室記録", "1 正面", ""},
        {"a room", true, {2, "5"}, 1, "認証機別　入退室記録", "部屋名 : 会議室", ""},
        {"a room without units", true, {2, "6"}, 0, "", "", NoRecordsMessage},
        {"one unit from the live view",
         true,
         {1, "7", EncodeDate(2026, 4, 1), EncodeDate(2026, 4, 1), true},
         1,
         "認証機別　入退室状況",
         "7 ―",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Messages.clear();
        const TReportRun run =
            c.byUnit
                ? Print(EntranceSession().Rep_EntranceUserLog, c.request, "TRep_EntranceUserLog")
                : Print(EntranceSession().Rep_UserEntranceLog, c.request, "RecordReport");
        EXPECT_EQ(run.PreviewPages, c.pages);
        EXPECT_EQ(run.Caption, c.title);
        EXPECT_EQ(Messages, c.message.isEmpty() ? QStringList() : QStringList{c.message});
        // A single day's period line holds the day alone.
        if (c.request.fromNow) {
            EXPECT_FALSE(Folded(run.Printed.value(0).value(0)).contains("～"));
        }
        if (c.pages) {
            EXPECT_TRUE(
                HasLine(run.Printed.value(0).value(0), QRegularExpression::escape(c.contains)))
                << run.Printed.value(0).value(0).toStdString();
        }
    }
}

// Each unit's sums count its own records of the day, over pages too.
TEST_F(RecordReports, ByUnitGroupsInUnitOrder) {
    const TReportRun run =
        Print(EntranceSession().Rep_EntranceUserLog, {}, "TRep_EntranceUserLog_sums");
    ASSERT_EQ(run.Printed.value(0).size(), 3);
    const QStringList& pages = run.Printed[0];
    EXPECT_FALSE(HasLine(pages[0], "認証数"));
    EXPECT_TRUE(HasLine(pages[1], "認証数 60 認証率 100 % エラー数 0 入室数 30 退室数 30"));
    EXPECT_TRUE(HasLine(pages[1], "認証数 8 認証率 12 % エラー数 7 入室数 0 退室数 1"));
    const QString page = Folded(pages[2]);
    const qsizetype unit1 = page.indexOf(QRegularExpression("\\n\\s*1\\s+正面"));
    const qsizetype unit7 = page.indexOf(QRegularExpression("\\n\\s*7\\s+―"));
    EXPECT_GE(unit1, 0);
    EXPECT_GT(unit7, unit1);
    EXPECT_TRUE(HasLine(page, "7:00:00 初入 B2 佐藤"));
    EXPECT_TRUE(HasLine(page, "6:00:00 入 Z9 ―"));
    EXPECT_TRUE(HasLine(page, "認証数 3 認証率 67 % エラー数 1 入室数 1 退室数 1"));
    EXPECT_TRUE(HasLine(page, "認証数 1 認証率 100 % エラー数 0 入室数 1 退室数 0"));
    EXPECT_EQ(run.PrintWaitTexts, QStringList{"入退室記録を取得しています。"});
    EXPECT_TRUE(run.PrintHourglass);
}

// Both record reports leave the wide margin at the left, print their lines in the text font,
// and end the sum line at the grid's right edge, where the last column (480, 223 wide) ends.
TEST_F(RecordReports, LayoutOnThePage) {
    const Request oneDay{0, "", EncodeDate(2026, 4, 1), EncodeDate(2026, 4, 1)};
    for (const TReportRun& run :
         {Print(EntranceSession().Rep_UserEntranceLog, oneDay, "RecordReport"),
          Print(EntranceSession().Rep_EntranceUserLog, oneDay, "RecordReport")}) {
        SCOPED_TRACE(run.Caption.toStdString());
        const QList<TPdfWord> words = PdfWords(run.Pdf);
        EXPECT_NEAR(PdfWord(words, "事業所名").XMin, PagePoints(WideMarginLeft + 2), 0.5);
        EXPECT_FALSE(PdfFonts(run.Pdf).contains("Gothic")) << PdfFonts(run.Pdf).toStdString();
        qsizetype exits = -1;
        for (qsizetype i = 0; i < words.size(); ++i)
            if (words[i].Text == "退室数")
                exits = i;
        ASSERT_GE(exits, 0);
        // The figure is right-aligned inside its frame, less the item's inner margin.
        EXPECT_NEAR(words.value(exits + 1).XMax, PagePoints(WideMarginLeft + 480 + 223 - 1 - 2),
                    0.5);
    }
}

// Each page record both reports store, byte for byte as the preview stored it before text was
// laid out once and the pixels read once: heads, lines, sums, a dash for the unknown, and
// the print date of a set day.
TEST_F(RecordReports, StoredPagesKeepTheirBytes) {
    Clock::SetNow([] { return EncodeDate(2026, 4, 3) + 0.5; });
    const TReportRun byPerson = Print(EntranceSession().Rep_UserEntranceLog, {}, "RecordReport");
    const TReportRun byUnit = Print(EntranceSession().Rep_EntranceUserLog, {}, "RecordReport");
    Clock::SetNow(nullptr);
    EXPECT_EQ(byPerson.PageRecords.join(' ').toStdString(),
              "bda17b562ea75090ef6949c0e7411a985d8f933a 4bb5daa1f1412042914360873178a48eac92d967 "
              "725a833a4c6791de680a81296a213cc2e44a2770");
    EXPECT_EQ(byUnit.PageRecords.join(' ').toStdString(),
              "de966da16cb46199b736f35b593fd7a00f5f4b2a 86d58bf3ef1c1c9c68034023cbbdaae1d9e5d417 "
              "2df788cca4e4e4945da6de64f3822d865b93900b");
}

// The unit report waits in an ordinary window; the person report's stays in front.
TEST_F(RecordReports, WaitWindowStyle) {
    auto staysOnTop = [this](auto& global, const QString& name) {
        std::optional<bool> seen;
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (EntranceSession().frmMessage && !seen)
                seen = bool(EntranceSession().frmMessage->windowFlags() & Qt::WindowStaysOnTopHint);
        });
        watch.start();
        Print(global, {}, name);
        return seen;
    };
    EXPECT_EQ(staysOnTop(EntranceSession().Rep_UserEntranceLog, "RecordReport"), true);
    EXPECT_EQ(staysOnTop(EntranceSession().Rep_EntranceUserLog, "RecordReport"), false);
}

} // namespace
