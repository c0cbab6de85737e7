#include "entrance/reports/rules/RecordRules.h"
#include "entrance/common/Unit_CommonDates.h"

#include <gtest/gtest.h>

using namespace entrance;

namespace {

TEST(RecordRules, OperationAndResultGiveTextCountAndColour) {
    using R = TResultRule;
    using K = TRecordKind;
    const struct {
        int operation, result;
        R rule;
        K kind;
        const char* line;
        const char* summary;
        TColor color;
    } cases[] = {
        {11, 1, R::OneSucceeds, K::Entry, "初入", "初入室", clBlue},
        {12, 1, R::OneSucceeds, K::Entry, "入", "入　室", clBlue},
        {21, 1, R::OneSucceeds, K::Exit, "終退", "終退室", clRed},
        {22, 1, R::OneSucceeds, K::Exit, "退", "退　室", clRed},
        {12, 0, R::OneSucceeds, K::Error, "エラー", "エラー", 0x00829295},
        {21, 2, R::OneSucceeds, K::Error, "エラー", "エラー", 0x00829295},
        // The reports take every result but 0 as good.
        {21, 2, R::ZeroFails, K::Exit, "終退", "終退室", clRed},
        {21, 0, R::ZeroFails, K::Error, "エラー", "エラー", 0x00829295},
        {10, 1, R::OneSucceeds, K::None, "", "", clBlack},
        {13, 1, R::ZeroFails, K::None, "", "", clBlack},
        {20, 0, R::ZeroFails, K::None, "", "", clBlack},
        {23, 1, R::OneSucceeds, K::None, "", "", clBlack},
    };
    for (const auto& c : cases) {
        const TRecordClass got = ClassifyRecord(c.operation, c.result, c.rule);
        SCOPED_TRACE(QString("%1/%2").arg(c.operation).arg(c.result).toStdString());
        EXPECT_EQ(got.Kind, c.kind);
        EXPECT_EQ(got.LineText, c.line);
        EXPECT_EQ(got.SummaryText, c.summary);
        EXPECT_EQ(got.Color, c.color);
    }
}

TEST(RecordRules, RateRoundsHalvesToEven) {
    const struct {
        int in, out, error, rate;
    } cases[] = {
        {1, 0, 7, 12},  // 12.5
        {4, 3, 1, 88},  // 87.5
        {1, 1, 1, 67},  // 66.7
        {0, 0, 3, 0},   // errors only
        {0, 0, 0, 0},   // nothing counted
        {3, 0, 0, 100}, // no error
        {1, 0, 39, 2},  // 2.5
        {3, 0, 37, 8},  // 7.5
    };
    for (const auto& c : cases) {
        TRecordCounts counts{c.in, c.out, c.error};
        EXPECT_EQ(counts.Rate(), c.rate) << c.in << "+" << c.out << " of " << counts.All();
    }
}

TEST(RecordRules, CountsAddByKind) {
    TRecordCounts counts;
    for (TRecordKind kind : {TRecordKind::Entry, TRecordKind::Exit, TRecordKind::Error,
                             TRecordKind::Entry, TRecordKind::None})
        counts.Add(kind);
    EXPECT_EQ(counts.In, 2);
    EXPECT_EQ(counts.Out, 1);
    EXPECT_EQ(counts.Error, 1);
    EXPECT_EQ(counts.All(), 4);
}

TEST(RecordRules, ElapsedTimeComparesFullDateAndTime) {
    const TDateTime today = EncodeDate(2026, 5, 10);
    const TDateTime at10 = today + EncodeTime(10, 0, 0, 0);
    const struct {
        const char* what;
        TDateTime latest, now, shown;
        const char* text;
    } cases[] = {
        {"minutes later", at10, today + EncodeTime(10, 5, 12, 0), today, "0時間5分12秒"},
        {"an hour later", at10, today + EncodeTime(11, 0, 0, 0), today, "1時間0分0秒"},
        {"yesterday's record", at10 - 1, today + EncodeTime(11, 0, 0, 0), today - 1, ""},
        {"yesterday shown, now a day on", at10 - 1, today + EncodeTime(11, 0, 0, 0), today,
         "25時間0分0秒"},
        {"same second", at10, at10, today, ""},
        {"record after now", at10, at10 - 1.0 / 86400, today, ""},
        // A stored time a hair below the second counts as that second.
        {"rounded, not truncated", at10 - 0.4 / 86400, at10 + 1.0 / 86400, today, "0時間0分1秒"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ElapsedText(c.latest, c.now, c.shown), c.text) << c.what;
}

TEST(RecordRules, TimeTextRoundsToTheSecond) {
    EXPECT_EQ(TimeToHMSStr(EncodeDate(2026, 5, 10) + EncodeTime(8, 5, 3, 0) - 0.3 / 86400),
              "  8:05:03");
    EXPECT_EQ(TimeToHMSStr(EncodeDate(2026, 5, 10) + EncodeTime(23, 59, 59, 0)), " 23:59:59");
}

TEST(RecordRules, PeriodsOfAtMostTwoCalendarMonths) {
    EXPECT_TRUE(WithinTwoMonths(EncodeDate(2026, 12, 31), EncodeDate(2027, 1, 1)));
    EXPECT_TRUE(WithinTwoMonths(EncodeDate(2026, 12, 1), EncodeDate(2027, 1, 31)));
    EXPECT_TRUE(WithinTwoMonths(EncodeDate(2027, 1, 31), EncodeDate(2026, 12, 1)));
    EXPECT_FALSE(WithinTwoMonths(EncodeDate(2026, 11, 30), EncodeDate(2027, 1, 1)));
    EXPECT_FALSE(WithinTwoMonths(EncodeDate(2027, 1, 1), EncodeDate(2026, 11, 30)));
}

// Lays out a day of records, one group key per record, and returns its pages as cell letters:
// H head, R record, S sum, "." blank.
QStringList LayOut(const QStringList& keys, int rows) {
    TRecordCellSequencer sequencer(rows);
    sequencer.StartDay(keys.value(0));
    QStringList pages;
    qsizetype next = 0;
    while (!sequencer.DayEnded()) {
        QString page;
        for (int row = 0; row < rows; ++row) {
            const auto key = next < keys.size() ? std::optional<QString>(keys[next]) : std::nullopt;
            const TCellKind kind = sequencer.Next(key, row);
            page += "HRS."[int(kind)];
            if (kind == TCellKind::Record)
                ++next;
        }
        pages << page;
    }
    return pages;
}

QStringList Keys(std::initializer_list<std::pair<const char*, int>> groups) {
    QStringList keys;
    for (const auto& [key, count] : groups)
        for (int i = 0; i < count; ++i)
            keys << key;
    return keys;
}

TEST(RecordRules, CellsOfADay) {
    const struct {
        const char* what;
        QStringList keys;
        QStringList pages;
    } cases[] = {
        {"three persons",
         Keys({{"A", 2}, {"B", 1}, {"C", 3}}),
         {"HRRSHRSHRRRS" + QString(38, '.')}},
        {"60 records of one person",
         Keys({{"A", 60}}),
         {"H" + QString(49, 'R'), QString(11, 'R') + "S" + QString(38, '.')}},
        {"the last record in the last cell",
         Keys({{"A", 49}}),
         {"H" + QString(49, 'R'), "S" + QString(49, '.')}},
        {"the sum in the last cell", Keys({{"A", 48}}), {"H" + QString(48, 'R') + "S"}},
        {"a group's sum in the last cell, the next group heads the next page",
         Keys({{"A", 48}, {"B", 2}}),
         {"H" + QString(48, 'R') + "S", "HRRS" + QString(46, '.')}},
        {"a head in the last cell",
         Keys({{"A", 47}, {"B", 2}}),
         {"H" + QString(47, 'R') + "SH", "RRS" + QString(47, '.')}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LayOut(c.keys, 50), c.pages) << c.what;
}

} // namespace
