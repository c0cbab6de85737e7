#include "entrance/reports/rules/RoomStays.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace entrance;

namespace {

// Records of February/March 2024 written "person unit day hh:mm:ss operation".
TStayRecord R(const char* person, int unit, int day, const char* time, int operation) {
    const TDateTime date = day > 29 ? EncodeDate(2024, 3, day - 29) : EncodeDate(2024, 2, day);
    return {person, unit, date + StrToTime(time), operation};
}

// A person's day as text: "in-unit in-time / out-time out-unit = stay" per line, then the total.
QString Lines(const TStayPerson& person) {
    QStringList lines;
    for (const TStayLine& l : person.Lines) {
        const QString in =
            l.InUnit == 0 ? "-"
                          : QString::number(l.InUnit) + " " +
                                (l.InMarked ? FormatTimeMarked(l.InTime) : TimeToStr(l.InTime));
        const QString out =
            l.OutUnit == 0 ? "-"
                           : (l.OutMarked ? FormatTimeMarked(l.OutTime) : TimeToStr(l.OutTime)) +
                                 " " + QString::number(l.OutUnit);
        const QString stay =
            l.Marked() ? FormatStayMarked(l.StaySeconds) : FormatStayLine(l.StaySeconds);
        lines << in + " / " + out + " = " + stay;
    }
    return person.PersonCode + ": " + lines.join(", ") + " | " +
           FormatStayTime(person.TotalSeconds);
}

} // namespace

TEST(RoomStays, PairsEachEntryWithTheSamePersonsNextExit) {
    const QList<TStayRecord> previous{
        R("B", 1, 9, "22:00:00", 11),
        R("C", 1, 9, "21:00:00", 12),
        R("A", 1, 9, "23:00:00", 21),
        R("E", 2, 9, "06:00:00", 11),
    };
    const QList<TStayRecord> day{
        // A plain stay, listed out of order.
        R("A", 2, 10, "17:30:00", 21),
        R("A", 1, 10, "09:00:00", 11),
        // Two entries in a row: the first is lone.
        R("D", 1, 10, "08:00:00", 11),
        R("D", 1, 10, "09:00:00", 12),
        R("D", 2, 10, "10:15:30", 22),
        // Two persons staying overnight, and one leaving for the next day: each day's total
        // holds a stay across midnight whole, as its line shows it.
        R("B", 2, 10, "07:00:00", 21),
        R("C", 2, 10, "06:30:00", 22),
        R("C", 1, 10, "20:00:00", 11),
        // Only lone records, while the previous day ends on another person's entry.
        R("F", 2, 10, "07:00:00", 21),
        R("F", 1, 10, "23:00:00", 21),
        // A stay of 24 h and more prints all its hours; the day counts them all.
        R("E", 2, 10, "07:00:00", 21),
    };
    const QList<TStayRecord> next{R("C", 2, 11, "05:00:00", 21), R("D", 2, 11, "01:00:00", 21)};
    QStringList texts;
    for (const TStayPerson& p : RoomStaysOfDay(day, previous, next))
        texts << Lines(p);
    const QStringList expected{
        "A: 1 9:00:00 / 17:30:00 2 =   8:30:00 |   8:30:00",
        "B: 1 *22:00:00 / 7:00:00 2 = * 9:00:00 |   9:00:00",
        "C: 1 *21:00:00 / 6:30:00 2 = * 9:30:00, 1 20:00:00 / * 5:00:00 2 = * 9:00:00 |  18:30:00",
        "D: 1 8:00:00 / - = , 1 9:00:00 / 10:15:30 2 =   1:15:30 |   1:15:30",
        "E: 2 * 6:00:00 / 7:00:00 2 = *25:00:00 |  25:00:00",
        "F: - / 7:00:00 2 = , - / 23:00:00 1 =  |   0:00:00",
    };
    ASSERT_EQ(texts.size(), expected.size());
    for (qsizetype i = 0; i < texts.size(); ++i)
        EXPECT_EQ(texts[i].toStdString(), expected[i].toStdString());
}

TEST(RoomStays, CompletesAStayAcrossTheTurnOfAMonth) {
    const QList<TStayRecord> february{R("A", 1, 29, "22:00:00", 11)};
    const QList<TStayRecord> march{R("A", 2, 30, "07:00:00", 21)};
    const QList<TStayPerson> first = RoomStaysOfDay(february, {}, march);
    const QList<TStayPerson> second = RoomStaysOfDay(march, february, {});
    ASSERT_EQ(first.size(), 1);
    ASSERT_EQ(second.size(), 1);
    // Listed on both days, the stay counts its 9 hours in each day's total.
    EXPECT_EQ(Lines(first[0]), "A: 1 22:00:00 / * 7:00:00 2 = * 9:00:00 |   9:00:00");
    EXPECT_EQ(Lines(second[0]), "A: 1 *22:00:00 / 7:00:00 2 = * 9:00:00 |   9:00:00");
}

TEST(RoomStays, DurationFormats) {
    EXPECT_EQ(FormatStayTime(-5), "  0:00:00");
    EXPECT_EQ(FormatStayTime(0), "  0:00:00");
    EXPECT_EQ(FormatStayTime(100 * 3600 + 61), "100:01:01");
    EXPECT_EQ(FormatStayLine(0), "");
    EXPECT_EQ(FormatStayLine(3600), "  1:00:00");
    EXPECT_EQ(FormatTimeMarked(0), "");
    // 01:00 stored a hair below the hour is 01:00:00.
    EXPECT_EQ(FormatTimeMarked(EncodeDate(2024, 2, 29) + 1.0 / 24 - 1e-12), "* 1:00:00");
    EXPECT_EQ(FormatStayMarked(9 * 3600), "* 9:00:00");
}
