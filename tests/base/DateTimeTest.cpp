#include "base/DateTime.h"
#include "base/SysUtils.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

struct DayCase {
    int y, m, d;
    double days;
};

TEST(DateTime, DayNumbersOfDates) {
    const DayCase cases[] = {
        {1899, 12, 30, 0},    {1899, 12, 31, 1},  {1900, 1, 1, 2},       {2002, 3, 30, 37345},
        {2000, 2, 29, 36585}, {1899, 12, 29, -1}, {2026, 12, 10, 46366},
    };
    for (const DayCase& c : cases) {
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.days) << c.y << "/" << c.m << "/" << c.d;
        int y, m, d;
        DecodeDate(c.days, y, m, d);
        EXPECT_EQ(std::tie(y, m, d), std::tie(c.y, c.m, c.d));
    }
    EXPECT_THROW(EncodeDate(2001, 2, 29), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
}

TEST(DateTime, DatesAgreeWithTheCalendarOverTheCenturies) {
    // Every day from 0001-01-01 to 9999-12-31 both ways; after 1899-12-30 some with a time.
    const QDate epoch(1899, 12, 30);
    for (qint64 n = epoch.daysTo(QDate(1, 1, 1)); n <= 2958465; ++n) {
        const QDate expected = epoch.addDays(n);
        ASSERT_EQ(EncodeDate(expected.year(), expected.month(), expected.day()), double(n));
        if (n % 3)
            continue;
        const bool evening = n > 0 && n % 2;
        int y, m, d, h, min, s, ms;
        DecodeDate(double(n) + (evening ? 0.75 : 0), y, m, d);
        ASSERT_EQ(std::tie(y, m, d),
                  std::make_tuple(expected.year(), expected.month(), expected.day()))
            << n;
        DecodeDateTime(double(n) + (evening ? 0.75 : 0), y, m, d, h, min, s, ms);
        ASSERT_EQ(std::tie(y, m, d, h, min, s, ms),
                  std::make_tuple(expected.year(), expected.month(), expected.day(),
                                  evening ? 18 : 0, 0, 0, 0))
            << n;
    }
}

TEST(DateTime, DatesThatDoNotExistAreRefused) {
    const int cases[][3] = {{2001, 2, 29}, {1900, 2, 29}, {2000, 2, 30}, {2026, 4, 31},
                            {2026, 13, 1}, {2026, 0, 1},  {2026, 1, 0},  {0, 1, 1},
                            {10000, 1, 1}, {-1, 1, 1},    {2026, 1, 32}, {2026, -3, 5}};
    for (const auto& c : cases) {
        TDateTime result = -7;
        EXPECT_FALSE(TryEncodeDate(c[0], c[1], c[2], result)) << c[0] << "/" << c[1] << "/" << c[2];
        EXPECT_EQ(result, -7);
    }
    TDateTime leap;
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, leap));
    EXPECT_EQ(leap, 36585);
}

TEST(DateTime, FirstValueOfDayIsWhereTheDateChanges) {
    for (const qint64 day : {-700000LL, -2LL, -1LL, 0LL, 1LL, 46366LL, 2958465LL}) {
        const TDateTime first = FirstValueOfDay(day);
        EXPECT_EQ(DateOf(first), double(day)) << day;
        EXPECT_EQ(DateOf(std::nextafter(first, -1e300)), double(day - 1)) << day;
    }
    // 23:59:59.9996 is already the next day; 23:59:59.999 is not.
    EXPECT_LT(FirstValueOfDay(46367), 46367.0);
    EXPECT_GT(FirstValueOfDay(46367), 46366 + EncodeTime(23, 59, 59, 999));
}

TEST(DateTime, TimesAreFractionsOfADay) {
    EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(EncodeTime(6, 0, 0, 0), 0.25);
    const TDateTime v = EncodeDate(2002, 3, 30) + EncodeTime(23, 59, 59, 999);
    int h, n, s, ms;
    DecodeTime(v, h, n, s, ms);
    EXPECT_EQ(std::tie(h, n, s, ms), std::make_tuple(23, 59, 59, 999));
    EXPECT_EQ(DateOf(v), 37345);
    // Before 1899-12-30 the fraction is still the time of day.
    DecodeTime(-1.25, h, n, s, ms);
    EXPECT_EQ(h, 6);
    // A time a hair below midnight rounds into the next day, not to 24:00.
    const TDateTime almost = 37345 + (MSecsPerDay - 0.2) / MSecsPerDay;
    DecodeTime(almost, h, n, s, ms);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(DateOf(almost), 37346);
}

TEST(DateTime, QtConversionsRoundTrip) {
    const QDateTime qdt(QDate(2026, 12, 10), QTime(13, 5, 7, 250));
    const TDateTime v = FromQDateTime(qdt);
    EXPECT_EQ(ToQDateTime(v), qdt);
    EXPECT_EQ(ToQDate(37345), QDate(2002, 3, 30));
}

TEST(DateTime, FormatDateTimeLetters) {
    const TDateTime v = EncodeDate(2002, 3, 5) + EncodeTime(7, 8, 9, 45);
    const std::pair<const char*, const char*> cases[] = {
        {"yyyy/mm/dd", "2002/03/05"},
        {"yy/m/d", "02/3/5"},
        {"hh:nn:ss", "07:08:09"},
        {"h:n:s", "7:8:9"},
        {"hh:mm", "07:08"}, // m right after an hour is the minute
        {"yyyy'年'm'月'd'日'", "2002年3月5日"},
        {"yyyymmddhhnnsszzz", "20020305070809045"},
        {"\"MM\"mm", "MM03"},
        {"c", "2002/03/05 7:08:09"},
        {"ddddd", "2002/03/05"},
    };
    for (const auto& [format, expected] : cases)
        EXPECT_EQ(FormatDateTime(format, v), QString::fromUtf8(expected)) << format;
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2002, 3, 5)), "2002/03/05");
}

TEST(DateTime, StrToDateAndTime) {
    EXPECT_EQ(StrToDate("2002/03/30"), 37345);
    EXPECT_EQ(StrToDate("2002/3/30"), 37345);
    TDateTime v;
    EXPECT_FALSE(TryStrToDate("2002/02/30", v));
    EXPECT_FALSE(TryStrToDate("abc", v));
    EXPECT_THROW(StrToDate(""), EConvertError);
    EXPECT_DOUBLE_EQ(StrToTime("6:30"), EncodeTime(6, 30, 0, 0));
    EXPECT_FALSE(TryStrToTime("25:00", v));
}

TEST(DateTime, ClockCanBeSetByTests) {
    Clock::SetNow([] { return 37345.75; });
    Clock::SetTicks([] { return 1234u; });
    EXPECT_EQ(Now(), 37345.75);
    EXPECT_EQ(Date(), 37345);
    EXPECT_EQ(GetTickCount(), 1234u);
    Clock::SetNow({});
    Clock::SetTicks({});
    EXPECT_GT(Now(), 46000);
}

} // namespace
