#include "TotalsFixture.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Unit_CommonDates.h"
#include "entrance/reports/rules/LogReportQueries.h"
#include "entrance/reports/totals/Report_EntranceMonthLogTotal.h"

#include <map>

using namespace entrance;

namespace {

// A count row as the PDF's text gives it: its label, `shown` cells ("-" for none, the
// counts at their 1-based columns), then the row total after the empty cells, if any.
QString CountRow(const QString& label, const std::map<int, int>& counts, int shown, int total) {
    QString row = label;
    for (int column = 1; column <= shown; ++column) {
        const auto it = counts.find(column);
        row += " " + (it == counts.end() ? QString("-") : QString::number(it->second));
    }
    return row + " " + QString::number(total) + "\n";
}

QString HourRow(const QString& label, const std::map<int, int>& counts, int total) {
    return CountRow(label, counts, 24, total);
}

TEST_F(TotalsReports, DayCountsPerUnitAndHourWithGrandTotals) {
    const TReportRun run = PrintDay(29);
    EXPECT_EQ(run.Caption, "認証機別　入退室集計（日報）");
    ASSERT_EQ(run.Printed.value(0).size(), 1);
    const QString page = Folded(run.Printed[0][0]);
    EXPECT_TRUE(HasText(page, "事業所名 : 山田工業"));
    EXPECT_TRUE(HasText(page, "【" + DateToJpWeekStr(EncodeDate(2024, 2, 29)) + "】"));
    EXPECT_FALSE(HasText(page, "部屋名"));
    // Unit 1: 0:30 in the column headed "1", 8:15 in "9".
    EXPECT_TRUE(page.contains(HourRow("入", {{1, 1}}, 1))) << page.toStdString();
    EXPECT_TRUE(page.contains(HourRow("退", {{9, 1}}, 1)));
    EXPECT_TRUE(page.contains(HourRow("計", {{1, 1}, {9, 1}}, 2)));
    // Unit 2: a refused entry is an error, not an entry; 23:59:59 lies in "24"; no entry at
    // all shows "0" as the total.
    EXPECT_TRUE(page.contains(HourRow("エ", {{18, 1}}, 1)));
    EXPECT_TRUE(page.contains(HourRow("退", {{24, 1}}, 1)));
    EXPECT_TRUE(page.contains(HourRow("計", {{18, 1}, {24, 1}}, 2)));
    // Unit 3: 1:00 sharp is in the column headed "2".
    EXPECT_TRUE(page.contains(HourRow("入", {{2, 1}}, 1)));
    // Grand totals.
    EXPECT_TRUE(page.contains(HourRow("入", {{1, 1}, {2, 1}}, 2)));
    EXPECT_TRUE(page.contains(HourRow("退", {{9, 1}, {24, 1}}, 2)));
    EXPECT_TRUE(page.contains(HourRow("計", {{1, 1}, {2, 1}, {9, 1}, {18, 1}, {24, 1}}, 5)));
    EXPECT_EQ(Unspaced(page).count("合計"), 2) << "the heading and the grand-total band";
    // Units in 認証機ID order.
    const qsizetype unit1 = page.indexOf("正面");
    const qsizetype unit2 = page.indexOf("裏口");
    const qsizetype unit3 = page.indexOf("倉庫");
    EXPECT_TRUE(unit1 >= 0 && unit1 < unit2 && unit2 < unit3);
    EXPECT_EQ(run.PrintWaitTexts, QStringList{"入退室記録を取得しています。"});
    EXPECT_TRUE(run.PrintHourglass);
    EXPECT_TRUE(EntranceSession().Rep_EntranceDayLogTotal.isNull());
}

TEST_F(TotalsReports, DayFiltersPagesAndNoData) {
    const struct {
        const char* what;
        int day;
        int mode;
        QString code;
        int pages;
        int sums;         // "合計" on the last page: the heading, and the grand-total band
        QString contains; // on the first page
        QString message;  // instead of a preview
    } cases[] = {
        {"one unit: no grand totals", 29, 1, "2", 1, 1, "裏口", ""},
        {"a room: its units only", 29, 2, "5", 1, 2, "部屋名 : 会議室", ""},
        {"nine bands fill a page; the grand totals stand alone on the next", 15, 0, "", 2, 2, "",
         ""},
        {"nine units, one chosen", 15, 1, "9", 1, 1, "", ""},
        {"a day without records", 14, 0, "", 0, 0, "", NoRecordsMessage},
        {"a room emptied after it was listed", 29, 2, "6", 0, 0, "", NoRecordsMessage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Messages.clear();
        const TReportRun run = PrintDay(c.day, c.mode, c.code, "TotalsReport");
        EXPECT_EQ(run.PreviewPages, c.pages);
        EXPECT_EQ(Messages, c.message.isEmpty() ? QStringList() : QStringList{c.message});
        if (!c.pages)
            continue;
        ASSERT_EQ(run.Printed.value(0).size(), c.pages);
        const QString first = Folded(run.Printed[0].first());
        EXPECT_TRUE(HasText(first, c.contains)) << first.toStdString();
        EXPECT_EQ(Unspaced(Folded(run.Printed[0].last())).count("合計"), c.sums);
    }
}

TEST_F(TotalsReports, RoomLeavesOtherUnitsOut) {
    const TReportRun run = PrintDay(29, 2, "5", "TotalsReport_room");
    const QString page = Folded(run.Printed.value(0).value(0));
    EXPECT_FALSE(page.contains("正面"));
    EXPECT_TRUE(page.contains("裏口"));
    EXPECT_TRUE(page.contains(HourRow("計", {{2, 1}, {18, 1}, {24, 1}}, 3)));
}

TEST_F(TotalsReports, DayCountsTheStartDateOnly) {
    const TReportRun run =
        Print(EntranceSession().Rep_EntranceDayLogTotal,
              {0, {}, EncodeDate(2024, 2, 28), EncodeDate(2024, 2, 29)}, "TotalsReport");
    const QString page = Folded(run.Printed.value(0).value(0));
    EXPECT_TRUE(page.contains(HourRow("計", {{11, 1}}, 1))) << page.toStdString();
    EXPECT_FALSE(page.contains("裏口")) << "the 29th is not counted";
}

TEST_F(TotalsReports, MonthCountsPerDayUpToTheLeapDay) {
    const TReportRun run = Print(EntranceSession().Rep_EntranceMonthLogTotal,
                                 {0, {}, EncodeDate(2024, 2, 1), EncodeDate(2024, 2, 29)},
                                 "TRep_EntranceMonthLogTotal");
    EXPECT_EQ(run.Caption, "認証機別　入退室集計（月報）");
    ASSERT_EQ(run.Printed.value(0).size(), 2) << "nine units with records, then the totals";
    const QString first = Folded(run.Printed[0][0]);
    EXPECT_TRUE(HasText(first, "【2024年 2月】"));
    // The heads run to 29; 30 and 31 stay empty.
    EXPECT_TRUE(first.contains(" 27 28 29\n")) << first.toStdString();
    EXPECT_FALSE(first.contains(" 29 30"));
    // Unit 1: the 15th, the 28th and the 29th (twice); the cells of days 30 and 31 are empty.
    EXPECT_TRUE(first.contains(CountRow("入", {{15, 1}, {28, 1}, {29, 1}}, 29, 3)));
    EXPECT_TRUE(first.contains(CountRow("退", {{29, 1}}, 29, 1)));
    EXPECT_TRUE(first.contains(CountRow("計", {{15, 1}, {28, 1}, {29, 2}}, 29, 4)));
    const QString last = Folded(run.Printed[0][1]);
    EXPECT_TRUE(last.contains(CountRow("入", {{15, 9}, {28, 1}, {29, 2}}, 29, 12)))
        << last.toStdString();
    EXPECT_TRUE(last.contains(CountRow("エ", {{29, 1}}, 29, 1)));
    EXPECT_EQ(run.PrintWaitTexts, QStringList{"入退室記録を取得しています。"});
    EXPECT_TRUE(run.PrintHourglass);
}

} // namespace
