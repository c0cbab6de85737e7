#include "LogReportFixture.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/reports/rooms/Report_RoomLogView.h"

using namespace entrance;

namespace {

// Room 5 "会議室" holds the units 3 表口 and 4 裏口; unit 1 正面 lies outside it. The period
// is 31 March and 1 April 2026, across the turn of the month; the days around it (30 March,
// 2 April) complete the stays that cross its first and last midnight. A stay across midnight
// is listed on both its days and counts whole in each day's total.
struct RoomLogView : LogReportFixture {
    RoomLogView() {
        Run("INSERT INTO M_個人情報 (個人コード,氏名,部門コード) VALUES ('P1','山田',1), "
            "('P2','佐藤',1), ('P3','鈴木',1), ('P4','田中',1), ('P5','伊藤',1), "
            "('P6','高橋',1), ('P7','小林',1)");
        Run("INSERT INTO M_認証機グループ (認証機グループコード,認証機ID,認証機グループ名) "
            "VALUES (5,3,'会議室'), (5,4,'会議室')");
        Run("INSERT INTO entranceState (認証機ID,認証機名) VALUES (1,'正面'), (3,'表口'), "
            "(4,'裏口')",
            true);
        CreateTempLogTable("ENTRANCE_LOG2026_03");
        CreateTempLogTable("ENTRANCE_LOG2026_04");
        Insert(
            "ENTRANCE_LOG2026_03",
            {// P1 stays overnight into the period's first day, then once more within it.
             Row("P1", 11, "3/30/2026, 22:00:00", 1, 3), Row("P1", 21, "3/31/2026, 07:00:00", 1, 4),
             Row("P1", 12, "3/31/2026, 09:00:00", 1, 3), Row("P1", 22, "3/31/2026, 17:30:00", 1, 4),
             // P2 and P3 both stay overnight into April.
             Row("P2", 11, "3/31/2026, 20:00:00", 1, 3), Row("P3", 11, "3/31/2026, 21:00:00", 1, 3),
             // P4's entry is lone: the failed exit and the exit outside the room do not count.
             Row("P4", 11, "3/31/2026, 10:00:00", 1, 3), Row("P4", 21, "3/31/2026, 11:00:00", 0, 4),
             Row("P4", 21, "3/31/2026, 12:00:00", 1, 1),
             // P5 enters twice in a row: the first entry is lone.
             Row("P5", 11, "3/31/2026, 13:00:00", 1, 3), Row("P5", 12, "3/31/2026, 13:30:00", 1, 4),
             Row("P5", 22, "3/31/2026, 15:00:00", 1, 4),
             // P7 stays 25 hours, into April.
             Row("P7", 11, "3/31/2026, 05:00:00", 1, 3)});
        QStringList april{
            Row("P2", 21, "4/1/2026, 06:30:00", 1, 4), Row("P3", 22, "4/1/2026, 07:00:00", 1, 4),
            Row("P7", 21, "4/1/2026, 06:00:00", 1, 4),
            // An unregistered person leaving after the period's last day.
            Row("Z9", 11, "4/1/2026, 23:00:00", 1, 3), Row("Z9", 21, "4/2/2026, 01:00:00", 1, 4)};
        // P6's fifty short stays do not fit on the day's first page.
        for (int i = 0; i < 100; ++i)
            april << Row(
                "P6", i % 2 ? 21 : 11,
                QString("4/1/2026, %1:%2:00").arg(8 + i / 60).arg(i % 60, 2, 10, QChar('0')), 1,
                i % 2 ? 4 : 3);
        Insert("ENTRANCE_LOG2026_04", april);
    }
    TReportRun PrintRoom(const QString& room, TDateTime start, TDateTime end, int prints = 1) {
        return Print(EntranceSession().Rep_RoomLogView, {2, room, start, end}, "TRep_RoomLogView",
                     prints);
    }
};

bool HasLineText(const QString& page, const QString& text) {
    return HasLine(page, "\\n ?" + QRegularExpression::escape(text) + " ?\\n");
}

TEST_F(RoomLogView, StaysPersonByPersonCompletedFromTheNeighbouringDays) {
    const TReportRun run =
        PrintRoom("5", EncodeDate(2026, 3, 31), EncodeDate(2026, 4, 1), /*prints=*/2);
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join("|").toStdString();
    EXPECT_EQ(run.Caption, "部屋別 入退室記録");
    EXPECT_EQ(run.PreviewPages, 3);
    ASSERT_EQ(run.Printed.size(), 2);
    ASSERT_EQ(run.Printed[0].size(), 3);
    EXPECT_EQ(run.Printed[1], run.Printed[0]) << "the second print run prints the same pages";
    const QStringList& pages = run.Printed[0];
    for (const QString& page : pages) {
        EXPECT_TRUE(HasText(page, Day(3, 31) + " ～ " + Day(4, 1)));
        EXPECT_TRUE(HasText(page, "部屋名 : 会議室"));
        EXPECT_TRUE(HasText(page, "事業所名 : 山田工業"));
    }

    const QString& march31 = pages[0];
    EXPECT_TRUE(HasText(march31, "【" + Day(3, 31) + "】"));
    const QStringList march31Lines{
        "P1 山田",
        "表口 *22:00:00 7:00:00 裏口 * 9:00:00",
        "表口 9:00:00 17:30:00 裏口 8:30:00",
        "在室時間計 17:30:00",
        "P2 佐藤",
        "表口 20:00:00 * 6:30:00 裏口 *10:30:00",
        "在室時間計 10:30:00",
        "P3 鈴木",
        "表口 21:00:00 * 7:00:00 裏口 *10:00:00",
        "在室時間計 10:00:00",
        "P4 田中",
        "表口 10:00:00 ― ― ―",
        "在室時間計 0:00:00",
        "P5 伊藤",
        "表口 13:00:00 ― ― ―",
        "裏口 13:30:00 15:00:00 裏口 1:30:00",
        "在室時間計 1:30:00",
        "P7 小林",
        "表口 5:00:00 * 6:00:00 裏口 *25:00:00",
        "在室時間計 25:00:00",
    };
    for (const QString& line : march31Lines)
        EXPECT_TRUE(HasLineText(march31, line)) << line.toStdString() << "\n"
                                                << march31.toStdString();
    EXPECT_FALSE(march31.contains("11:00:00")) << "a failed authentication";
    EXPECT_FALSE(march31.contains("正面")) << "a unit outside the room";

    // The next day begins a page; P6's lines go on at the top of the next without a head.
    const QStringList april1Lines{
        "P2 佐藤", "― *20:00:00 6:30:00 裏口 *10:30:00", "在室時間計 10:30:00",
        "P3 鈴木", "― *21:00:00 7:00:00 裏口 *10:00:00", "在室時間計 10:00:00",
        "P6 高橋",
    };
    EXPECT_TRUE(HasText(pages[1], "【" + Day(4, 1) + "】"));
    for (const QString& line : april1Lines)
        EXPECT_TRUE(HasLineText(pages[1], line.startsWith("―") ? "表口 " + line.mid(2) : line))
            << line.toStdString() << "\n"
            << pages[1].toStdString();
    EXPECT_EQ(Folded(pages[1]).count("裏口 0:01:00"), 45);
    EXPECT_TRUE(HasText(pages[2], "【" + Day(4, 1) + "】"));
    EXPECT_FALSE(pages[2].contains("高橋"));
    EXPECT_EQ(Folded(pages[2]).count("裏口 0:01:00"), 5);
    for (const char* line : {"在室時間計 0:50:00", "P7 小林",
                             "表口 * 5:00:00 6:00:00 裏口 *25:00:00", "在室時間計 25:00:00", "Z9 ―",
                             "表口 23:00:00 * 1:00:00 裏口 * 2:00:00", "在室時間計 2:00:00"})
        EXPECT_TRUE(HasLineText(pages[2], line)) << line << "\n" << pages[2].toStdString();
    EXPECT_FALSE(PdfFonts(run.Pdf).contains("Gothic")) << "the lines in the text font";
    EXPECT_EQ(run.PrintWaitTexts, QStringList{"入退室記録を取得しています。"});
    EXPECT_TRUE(run.PrintHourglass);
    EXPECT_TRUE(EntranceSession().Rep_RoomLogView.isNull());
}

TEST_F(RoomLogView, PrintsNothingForAnEmptiedRoomOrALongPeriod) {
    const struct {
        const char* what;
        QString room;
        TDateTime start;
        QString message;
    } cases[] = {
        {"a room emptied after the dialog listed it", "6", EncodeDate(2026, 3, 1),
         NoRecordsMessage},
        {"over two months", "5", EncodeDate(2026, 1, 31), PeriodTooLongMessage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Messages.clear();
        const TReportRun run = PrintRoom(c.room, c.start, EncodeDate(2026, 4, 30));
        EXPECT_EQ(run.PreviewPages, 0);
        EXPECT_EQ(Messages, QStringList{c.message});
        EXPECT_TRUE(EntranceSession().Rep_RoomLogView.isNull());
    }
}

} // namespace
