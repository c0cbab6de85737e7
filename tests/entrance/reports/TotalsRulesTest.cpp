#include "entrance/reports/rules/LogCounts.h"
#include "entrance/reports/rules/PeriodRules.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace entrance;

namespace {

TDateTime Day(int y, int m, int d) {
    return EncodeDate(y, m, d);
}

QString Text(TDateTime value) {
    return FormatDateTime("yyyy/mm/dd", value);
}

} // namespace

TEST(PeriodRules, DecideVerdictAndPeriod) {
    // Months with a log table: 2024/02, 2024/12, 2025/01.
    const auto tableExists = [](TDateTime date) {
        static const QSet<QString> months{"2024/02", "2024/12", "2025/01"};
        return months.contains(FormatDateTime("yyyy/mm", date));
    };
    const struct {
        TPeriodMode mode;
        bool totals;
        TDateTime start;
        TDateTime end;
        TPeriodVerdict verdict;
        const char* message;
        const char* runStart;
        const char* runEnd;
    } cases[] = {
        // Day totals cover one date; refused first, even without any table.
        {TPeriodMode::Day, true, Day(2023, 5, 1), Day(2023, 5, 2), TPeriodVerdict::SameDateRefused,
         "日報集計の場合は、同じ日付のみ印刷できます。", "2023/05/01", "2023/05/02"},
        {TPeriodMode::Day, true, Day(2024, 2, 29) + 0.75, Day(2024, 2, 29), TPeriodVerdict::Run, "",
         "2024/02/29", "2024/02/29"},
        // Records: reversed dates are swapped; the end month's table is enough.
        {TPeriodMode::Day, false, Day(2025, 1, 10), Day(2024, 12, 20), TPeriodVerdict::Run, "",
         "2024/12/20", "2025/01/10"},
        {TPeriodMode::Day, false, Day(2024, 11, 30), Day(2024, 12, 1), TPeriodVerdict::Run, "",
         "2024/11/30", "2024/12/01"},
        {TPeriodMode::Day, false, Day(2024, 12, 31), Day(2025, 1, 1), TPeriodVerdict::Run, "",
         "2024/12/31", "2025/01/01"},
        {TPeriodMode::Day, false, Day(2024, 11, 30), Day(2025, 1, 1), TPeriodVerdict::SpanTooLong,
         "記録を表示できるのは、２ヶ月分までです。", "2024/11/30", "2025/01/01"},
        {TPeriodMode::Day, false, Day(2025, 1, 10), Day(2024, 11, 15), TPeriodVerdict::SpanTooLong,
         "記録を表示できるのは、２ヶ月分までです。", "2024/11/15", "2025/01/10"},
        // No table: the month of the end date as given is named.
        {TPeriodMode::Day, false, Day(2023, 8, 5), Day(2023, 7, 1), TPeriodVerdict::NoTable,
         "2023年7月分の記録がありませんでした。", "2023/07/01", "2023/08/05"},
        // Month mode: first to last day of the month, leap February included.
        {TPeriodMode::Month, true, Day(2024, 2, 17), 0, TPeriodVerdict::Run, "", "2024/02/01",
         "2024/02/29"},
        {TPeriodMode::Month, true, Day(2024, 12, 1), 0, TPeriodVerdict::Run, "", "2024/12/01",
         "2024/12/31"},
        {TPeriodMode::Month, true, Day(2023, 2, 1), 0, TPeriodVerdict::NoTable,
         "2023年2月分の記録がありませんでした。", "2023/02/01", "2023/02/28"},
    };
    for (const auto& c : cases) {
        const TPeriodRequest r = PeriodRules(c.mode, c.totals, c.start, c.end, tableExists);
        const std::string label = Text(c.start).toStdString() + " " + Text(c.end).toStdString();
        EXPECT_EQ(r.Verdict, c.verdict) << label;
        EXPECT_EQ(r.Message, QString(c.message)) << label;
        EXPECT_EQ(Text(r.Period.Start()), c.runStart) << label;
        EXPECT_EQ(Text(r.Period.End()), c.runEnd) << label;
        EXPECT_EQ(r.Period.Start(), DateOf(r.Period.Start())) << label;
    }
}

TEST(ReportPeriod, TheEarlierDateStartsWhicheverWayRound) {
    const TDateTime early = Day(2026, 3, 29) + 0.25, late = Day(2026, 4, 2) + 0.75;
    const struct {
        TDateTime a;
        TDateTime b;
    } cases[] = {{early, late}, {late, early}, {late, late}};
    for (const auto& c : cases) {
        const TLogReportRequest request{{c.a, c.b}, 1, "A1"};
        EXPECT_EQ(request.Period.Start(), std::min(c.a, c.b)) << Text(c.a).toStdString();
        EXPECT_EQ(request.Period.End(), std::max(c.a, c.b)) << Text(c.a).toStdString();
    }
}

TEST(LogCounts, CountRecordsByRuleAndColumn) {
    const TDateTime day = Day(2024, 2, 29);
    const struct {
        TDateTime time;
        int operation;
        int result;
        int hourColumn;
        const char* row; // the row that counts it
    } cases[] = {
        {day + EncodeTime(0, 30, 0, 0), 11, 1, 0, "in"},
        // 01:00 and 22:00 stored a hair below the hour stay in their hour.
        {day + 1.0 / 24 - 1e-12, 12, 1, 1, "in"},
        {day + 22.0 / 24 - 1e-12, 21, 1, 22, "out"},
        {day + EncodeTime(23, 59, 59, 0), 22, 1, 23, "out"},
        // A refused entry is an error, not an entry.
        {day + EncodeTime(8, 15, 0, 0), 11, 0, 8, "error"},
        {day + EncodeTime(17, 5, 0, 0), 21, 2, 17, "error"},
    };
    TLogCounts grand(HourColumns);
    for (const auto& c : cases) {
        TLogCounts unit(HourColumns);
        const int column = HourColumnOf(c.time);
        EXPECT_EQ(column, c.hourColumn) << c.hourColumn;
        CountRecord(unit, column, c.operation, c.result);
        const QString row = unit.InCount[column]      ? "in"
                            : unit.OutCount[column]   ? "out"
                            : unit.ErrorCount[column] ? "error"
                                                      : "";
        EXPECT_EQ(row, QString(c.row)) << c.hourColumn;
        EXPECT_EQ(unit.TotalCount[column], 1) << c.hourColumn;
        AddToTotals(unit, grand);
        EXPECT_EQ(unit.TotalSum, 1);
    }
    EXPECT_EQ(grand.InSum, 2);
    EXPECT_EQ(grand.OutSum, 2);
    EXPECT_EQ(grand.ErrorSum, 2);
    EXPECT_EQ(grand.TotalSum, 6);
    EXPECT_EQ(CellTexts(grand.InCount, HourColumns).mid(0, 3), (QStringList{"1", "1", "-"}));
    ClearCounts(grand);
    EXPECT_EQ(grand.TotalSum, 0);
    EXPECT_EQ(CellTexts(grand.TotalCount, HourColumns), QStringList(HourColumns, "-"));

    EXPECT_EQ(DayColumnOf(day + EncodeTime(23, 59, 59, 0)), 28);
    EXPECT_EQ(DayColumnOf(Day(2024, 3, 1) - 1e-12), 0);
}

TEST(LogCounts, MonthsLastDayDecidesTheDayColumns) {
    const struct {
        int lastDay;
        const char* head29;
        const char* head31;
        int shown;
    } cases[] = {{28, "", "", 28}, {29, "29", "", 29}, {30, "29", "", 30}, {31, "29", "31", 31}};
    for (const auto& c : cases) {
        EXPECT_EQ(DayHeadText(29, c.lastDay), QString(c.head29)) << c.lastDay;
        EXPECT_EQ(DayHeadText(31, c.lastDay), QString(c.head31)) << c.lastDay;
        TLogCounts counts(DayColumns);
        counts.InCount[28] = 3;
        const QStringList texts = CellTexts(counts.InCount, ShownDayColumns(c.lastDay));
        EXPECT_EQ(texts[27], "-");
        EXPECT_EQ(texts[28], c.lastDay >= 29 ? "3" : "") << c.lastDay;
        EXPECT_EQ(texts.count(QString()), DayColumns - c.shown) << c.lastDay;
    }
}

TEST(PeriodRules, TypedYearAndMonthTakenWhenTheBoxIsLeft) {
    const struct {
        const char* text;
        int min, max, expected;
    } cases[] = {
        {"2030", 2001, 9999, 2030},
        {"2000", 2001, 9999, 2026},
        {"", 2001, 9999, 2019},
        {"20x1", 2001, 9999, 2019},
        {"12", 1, 12, 12},
        {"13", 1, 12, 7},
        {"0", 1, 12, 7},
        {"", 1, 12, 3},
    };
    for (const auto& c : cases) {
        // Position 2019 (or 3 for the months); the current year 2026, the current month 7.
        const int position = c.min == 1 ? 3 : 2019;
        const int fallback = c.min == 1 ? 7 : 2026;
        EXPECT_EQ(TypedPosition(c.text, position, c.min, c.max, fallback), c.expected) << c.text;
    }
}
