#include "entrance/liveviews/RoomLog.h"

#include <gtest/gtest.h>

using namespace entrance;

namespace {

TDateTime At(int y, int m, int d, int h, int n, int s = 0) {
    return EncodeDate(y, m, d) + EncodeTime(h, n, s, 0);
}

QString Text(TDateTime value) {
    return FormatDateTime("yyyy/mm/dd hh:nn:ss", value);
}

} // namespace

TEST(RoomLog, CountingDayStartsAtTheDayChangeTime) {
    const struct {
        TDateTime now;
        const char* dayLine;
        const char* start;
        bool previousMonth;
    } cases[] = {
        {At(2026, 3, 10, 12, 30), "5:00", "2026/03/10 05:00:00", false},
        {At(2026, 3, 10, 3, 0), "5:00", "2026/03/09 05:00:00", false},
        {At(2026, 3, 10, 4, 59, 59), "5:00", "2026/03/09 05:00:00", false},
        {At(2026, 3, 10, 5, 0), "5:00", "2026/03/10 05:00:00", false},
        // Now a hair below 07:00:00 is 07:00:00.
        {At(2026, 3, 10, 7, 0) - 1e-10, "7:00", "2026/03/10 07:00:00", false},
        {At(2026, 3, 1, 3, 0), "5:00", "2026/02/28 05:00:00", true},
        {At(2026, 3, 1, 5, 0), "5:00", "2026/03/01 05:00:00", false},
        {At(2026, 1, 1, 3, 0), "5:00", "2025/12/31 05:00:00", true},
        {At(2026, 3, 1, 0, 0), "0:00", "2026/03/01 00:00:00", false},
        {At(2026, 3, 10, 0, 0, 1), "", "2026/03/10 00:00:00", false},
        {At(2026, 3, 10, 23, 58), "25:00", "2026/03/09 23:59:00", false},
        {At(2026, 3, 10, 22, 30), "22:15", "2026/03/10 22:15:00", false},
    };
    for (const auto& c : cases) {
        const TCountingDay day = CountingDayOf(c.now, c.dayLine);
        EXPECT_EQ(Text(day.Start), c.start) << Text(c.now).toStdString() << " " << c.dayLine;
        EXPECT_EQ(day.PreviousMonth, c.previousMonth) << Text(c.now).toStdString();
    }
}

TEST(RoomLog, CountsOverADayOfRecords) {
    const TDateTime start = At(2026, 3, 10, 7, 0);
    auto rec = [](const char* code, int unit, int h, int n, int operation, int result = 1) {
        return TRoomLogRecord{code, unit, At(2026, 3, 10, h, n), operation, result};
    };
    // Newest first; the day starts at 07:00.
    QList<TRoomLogRecord> day = {
        rec("P1", 1, 18, 0, 12), rec("P6", 3, 13, 0, 11),    rec("P1", 2, 12, 0, 22),
        rec("P5", 3, 11, 0, 21), rec("P4", 1, 10, 0, 11, 0), rec("P1", 1, 9, 0, 12),
        rec("P6", 3, 8, 30, 12), rec("P5", 3, 8, 0, 11),     rec("P8", 1, 7, 30, 10),
    };
    // Stored a hair below 07:00:00: still the first second of the day.
    day << TRoomLogRecord{"P2", 2, start - 1e-10, 11, 1} << rec("P3", 1, 6, 59, 11);

    const struct {
        QList<int> units;
        TRoomCounts counts;
    } rooms[] = {
        {{1, 2}, {3, 1, 2}}, // P1 in, out, in again; P2 in at the very start
        {{3}, {3, 1, 1}},    // P5 in and out; P6 in twice
        {{4}, {0, 0, 0}},
        {{1, 3}, {5, 1, 2}}, // a unit counts in every room that holds it
    };
    for (const auto& room : rooms)
        EXPECT_EQ(CountRoom(room.units, day, start), room.counts) << room.units.first();

    // The detail of the persons present lists each one's latest entry.
    const QList<TRoomLogRecord> present = RoomLogLines(RoomLogPresent, {1, 2}, day, start);
    ASSERT_EQ(present.size(), 2);
    EXPECT_EQ(present[0].PersonCode, "P1");
    EXPECT_EQ(Text(present[0].Time), "2026/03/10 18:00:00");
    EXPECT_EQ(present[1].PersonCode, "P2");
}

TEST(RoomLog, CounterTextKeepsTheLastSixDigits) {
    const struct {
        int count;
        const char* text;
    } cases[] = {{0, "     0"}, {7, "     7"}, {123456, "123456"}, {1234567, "234567"}};
    for (const auto& c : cases)
        EXPECT_EQ(CounterText(c.count), c.text);
}
