#include "entrance/common/Unit_CommonDates.h"
#include "base/SysUtils.h"

#include <gtest/gtest.h>

using namespace entrance;

namespace {

QString U(const char* s) {
    return QString::fromUtf8(s);
}

// Sets the program's clock for one test.
class FixedToday {
public:
    explicit FixedToday(TDateTime today) {
        Clock::SetNow([today] { return today + 0.5; });
    }
    ~FixedToday() { Clock::SetNow({}); }
};

TEST(CommonDates, PartsAndWesternTexts) {
    const TDateTime date = EncodeDate(2001, 4, 1) + EncodeTime(8, 5, 3, 0);
    EXPECT_EQ(YearOf(date), 2001);
    EXPECT_EQ(MonthOf(date), 4);
    EXPECT_EQ(DayOf(date), 1);
    EXPECT_EQ(HourOf(date), 8);
    EXPECT_EQ(DateToYmd(date), 20010401);
    EXPECT_EQ(DateToSlashStr(date), "2001/04/01");
    EXPECT_EQ(DateToAccessLiteral(date), "#4/1/2001#");
    EXPECT_EQ(DateToAccessLiteral(EncodeDate(2026, 12, 10)), "#12/10/2026#");
    EXPECT_EQ(DateToJpWeekStr(date), U("2001年  4月  1日(日)"));
    EXPECT_EQ(DateToJpWeekStr(EncodeDate(2026, 12, 12)), U("2026年 12月 12日(土)"));
}

TEST(CommonDates, TimeOfDayTexts) {
    EXPECT_EQ(TimeToHMSStr(0), "");
    EXPECT_EQ(TimeToHMSStr(EncodeDate(2001, 4, 1) + EncodeTime(8, 5, 3, 0)), "  8:05:03");
    EXPECT_EQ(TimeToHMSStr(EncodeTime(23, 59, 59, 0)), " 23:59:59");
    EXPECT_EQ(TimeToHMSStr(EncodeDate(2001, 4, 1)), "  0:00:00");
}

TEST(CommonDates, EraTextsAroundEachChange) {
    const struct {
        int y, m, d;
        const char* text;
        int era, eraYmd;
    } cases[] = {
        {1868, 9, 8, "明治 1年 9月 8日", 0, 10908},   {1926, 12, 24, "大正15年12月24日", 1, 151224},
        {1926, 12, 25, "昭和 1年12月25日", 2, 11225}, {1976, 5, 12, "昭和51年 5月12日", 2, 510512},
        {1989, 1, 7, "昭和64年 1月 7日", 2, 640107},  {1989, 1, 8, "平成 1年 1月 8日", 3, 10108},
        {2001, 4, 1, "平成13年 4月 1日", 3, 130401},  {2019, 4, 30, "平成31年 4月30日", 3, 310430},
        {2019, 5, 1, "令和 1年 5月 1日", 4, 10501},   {2025, 6, 30, "令和 7年 6月30日", 4, 70630},
        {1868, 9, 7, "明治 0年 0月 0日", 0, 0},
    };
    for (const auto& c : cases) {
        const TDateTime date = EncodeDate(c.y, c.m, c.d);
        EXPECT_EQ(DateToEraStr(date), U(c.text)) << c.text;
        int era = -1, eraYmd = -1;
        YmdToEra(DateToYmd(date), era, eraYmd);
        EXPECT_EQ(era, c.era) << c.text;
        EXPECT_EQ(eraYmd, c.eraYmd) << c.text;
        if (c.eraYmd != 0) {
            EXPECT_EQ(EraYmdToYmd(era, eraYmd), DateToYmd(date)) << c.text;
        }
    }
    EXPECT_EQ(DateToEraStr(0), "");
    ASSERT_EQ(EraTable().size(), 5);
    EXPECT_EQ(EraTable()[4].Name, U("令和"));
}

TEST(CommonDates, EraStringsToDates) {
    const struct {
        TEraStr eraStr;
        int expected;
    } cases[] = {
        {{"S", "51", "05", "12"}, 19760512}, {{"H", "01", "01", "08"}, 19890108},
        {{"H", "31", "04", "30"}, 20190430}, {{"R", "07", "01", "01"}, 20250101},
        {{"M", "45", "07", "29"}, 19120729}, {{"X", "01", "01", "01"}, 123}, // unknown: unchanged
        {{"s", "51", "05", "12"}, 123}, // the caller upper-cases the initial
    };
    for (const auto& c : cases) {
        int ymd = 123;
        EraStrToYmd(c.eraStr, ymd);
        EXPECT_EQ(ymd, c.expected) << c.eraStr.Era.toStdString() << c.eraStr.Year.toStdString();
    }
    int ymd = 0;
    EXPECT_THROW(EraStrToYmd({"S", "5x", "05", "12"}, ymd), EConvertError);
}

TEST(CommonDates, AgesCountFullYears) {
    const struct {
        int birth, reference, age;
    } cases[] = {
        {19800229, 20010228, 20}, {19800229, 20010301, 21}, {19800229, 20040229, 24},
        {19760512, 20260511, 49}, {19760512, 20260512, 50}, {20260101, 20260601, 0},
        {0, 20260101, 0},         {-5, 20260101, 0},        {20300101, 20260101, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcAge(c.birth, c.reference), c.age) << c.birth << " " << c.reference;

    FixedToday today(EncodeDate(2026, 12, 10));
    EXPECT_EQ(CalcAge(19761210, 0), 50);
    EXPECT_EQ(CalcAge(19761211, 0), 49);
    EXPECT_EQ(AgeOf(EncodeDate(1976, 12, 10)), 50);
    EXPECT_EQ(AgeOf(0), 0);
}

TEST(CommonDates, ProcessingPeriodByClosingDay) {
    const struct {
        int year, month, closingDay;
        int startY, startM, startD, endD;
        const char* startText;
        const char* endText;
    } cases[] = {
        {2001, 7, 20, 2001, 6, 21, 20, "2001年  6月", "2001年  7月"},
        {2001, 7, 31, 2001, 7, 1, 31, "2001年  7月", "2001年  7月"},
        {2026, 3, 15, 2026, 2, 16, 15, "2026年  2月", "2026年  3月"},
        {2026, 1, 15, 2025, 12, 16, 15, "2025年 12月", "2026年  1月"},
        {2026, 3, 28, 2026, 3, 1, 28, "2026年  3月", "2026年  3月"},
        {2024, 3, 28, 2024, 2, 29, 28, "2024年  2月", "2024年  3月"},
        {2024, 2, 31, 2024, 2, 1, 29, "2024年  2月", "2024年  2月"},
        {2026, 2, 29, 2026, 2, 1, 28, "2026年  2月", "2026年  2月"},
        {2026, 4, 31, 2026, 4, 1, 30, "2026年  4月", "2026年  4月"},
    };
    for (const auto& c : cases) {
        TDisposalDayD period;
        CalcPeriodDates(period, c.year, c.month, c.closingDay);
        const std::string label = std::to_string(c.year) + "-" + std::to_string(c.month) +
                                  " closing " + std::to_string(c.closingDay);
        EXPECT_EQ(period.StartDate, EncodeDate(c.startY, c.startM, c.startD)) << label;
        EXPECT_EQ(period.EndDate, EncodeDate(c.year, c.month, c.endD)) << label;
        EXPECT_EQ(period.StartYear, c.startY) << label;
        EXPECT_EQ(period.StartMonth, c.startM) << label;
        EXPECT_EQ(period.StartDay, c.startD) << label;
        EXPECT_EQ(period.EndDay, c.endD) << label;
        EXPECT_EQ(period.StartText, U(c.startText)) << label;
        EXPECT_EQ(period.EndText, U(c.endText)) << label;
    }
}

} // namespace
