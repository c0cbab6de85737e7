#include "entrance/common/Unit_CommonTimes.h"
#include "base/SysUtils.h"
#include "entrance/common/Unit_CommonDates.h"

#include <gtest/gtest.h>

using namespace entrance;

namespace {

TEST(CommonTimes, IsTimeStr) {
    const struct {
        const char* text;
        int limit;
        bool expected;
    } cases[] = {
        {"8:30", 0, true},     {"0:05", 0, true},   {"23:59", 23, true}, {"30:00", 0, true},
        {"08:30", 0, false},   {"8:5", 0, false},   {"8.30", 0, false},  {"24:00", 23, false},
        {"8:60", 0, false},    {"8:300", 0, false}, {":30", 0, false},   {"8:", 0, false},
        {"830", 0, false},     {"-8:30", 0, false}, {"a:30", 0, false},  {"", 0, false},
        {"8:30:00", 0, false}, {"+:30", 0, false},  {" :30", 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsTimeStr(c.text, c.limit), c.expected) << c.text << " limit " << c.limit;
}

TEST(CommonTimes, NormalizeTimeStr) {
    const struct {
        const char* text;
        int limit;
        const char* expected;
    } cases[] = {
        {"8:30", 23, "8:30"}, {"830", 0, "830:00"},   {"830", 23, "23:00"},   {"8:", 0, "8:00"},
        {"8:5", 0, "8:05"},   {"25:00", 23, "23:59"}, {"25:00", 0, "25:00"},  {"1:75", 0, "2:15"},
        {"08:30", 0, "8:30"}, {":30", 0, "0:30"},     {":5", 0, "0:05"},      {":75", 0, "1:15"},
        {"ab", 0, "0:00"},    {"", 23, "0:00"},       {"8:3x", 0, "0:00"},    {"8.5", 0, "0:00"},
        {"-5", 0, "0:00"},    {"-1:30", 23, "0:00"},  {"23:75", 23, "23:59"},
    };
    for (const auto& c : cases) {
        QString text = c.text;
        NormalizeTimeStr(text, c.limit);
        EXPECT_EQ(text, c.expected) << c.text << " limit " << c.limit;
        EXPECT_TRUE(IsTimeStr(text, c.limit)) << c.text;
    }
}

TEST(CommonTimes, DaysAndTimesOfTimeTexts) {
    int days;
    TDateTime time;
    TimeStrToDayTime("8:30", days, time);
    EXPECT_EQ(days, 0);
    EXPECT_DOUBLE_EQ(time, EncodeTime(8, 30, 0, 0));
    TimeStrToDayTime("49:90", days, time);
    EXPECT_EQ(days, 2);
    EXPECT_DOUBLE_EQ(time, EncodeTime(2, 30, 0, 0));
    EXPECT_THROW(TimeStrToDayTime("8", days, time), EConvertError);
    EXPECT_THROW(TimeStrToDayTime("x:30", days, time), EConvertError);

    EXPECT_DOUBLE_EQ(TimeStrDiff("8:30", "8:30"), 0);
    EXPECT_NEAR(TimeStrDiff("17:00", "8:30"), EncodeTime(8, 30, 0, 0), 1e-9);
    EXPECT_NEAR(TimeStrDiff("1:75", "25:00"), -1.0 + EncodeTime(1, 15, 0, 0), 1e-9);
    EXPECT_NEAR(TimeStrDiff(":30", "0:30"), 0, 1e-9);
}

TEST(CommonTimes, TimeValuesAreWrittenAsTimeTexts) {
    const struct {
        double days;
        const char* expected;
    } cases[] = {
        {1.25, "30:00"}, {0.3, "7:12"}, {EncodeTime(0, 5, 59, 0), "0:05"},
        {0, "0:00"},     {-1, "0:00"},  {std::nan(""), "0:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TimeValueToStr(c.days), c.expected) << c.days;
        EXPECT_TRUE(IsTimeStr(TimeValueToStr(c.days), 0)) << c.days;
    }
}

// Reading a time text (the unit dialog, the day-change time) changes no time text shown
// later: date-time texts keep their seconds.
TEST(CommonTimes, ReadingATimeTextChangesNoTimeTextShownLater) {
    const TDateTime at = EncodeDate(2001, 9, 14) + EncodeTime(9, 5, 7, 0);
    int days;
    TDateTime time;
    TimeStrToDayTime("5:00", days, time);
    EXPECT_EQ(TimeToStr(at), "9:05:07");
    EXPECT_EQ(DateTimeToStr(at), "2001/09/14 9:05:07");
    EXPECT_EQ(TimeToHMSStr(at), "  9:05:07");
    EXPECT_EQ(FormatDateTime("hh:nn:ss", at), "09:05:07");
}

} // namespace
