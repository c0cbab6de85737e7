#include "components/grids/MOInplaceCalender.h"
#include "GridTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct CellOf {
    int Col, Row;
    bool operator==(const CellOf&) const = default;
};

// Where a day of the shown month stands.
CellOf FindDay(const TMOInplaceCalender& calendar, int day) {
    for (int row = 1; row < 7; ++row)
        for (int col = 0; col < 7; ++col)
            if (calendar.GetCellText(col, row) == QString::number(day))
                return {col, row};
    return {-1, -1};
}

} // namespace

TEST(MOInplaceCalender, LaysAMonthOutUnderItsWeekdays) {
    TMOInplaceCalender calendar;
    EXPECT_EQ(calendar.StartWeek(), Mon);
    calendar.SetDate(EncodeDate(2002, 4, 30));
    EXPECT_EQ(FindDay(calendar, 1), (CellOf{0, 1}));
    EXPECT_EQ(FindDay(calendar, 30), (CellOf{1, 5}));
    EXPECT_EQ(calendar.Col(), 1);
    EXPECT_EQ(calendar.Row(), 5);
    EXPECT_EQ(calendar.GetCellText(0, 0), "月");
    EXPECT_EQ(calendar.GetCellText(6, 0), "日");
    EXPECT_EQ(calendar.GetCellText(2, 5), "");
    EXPECT_EQ(calendar.GetCellText(0, 6), "");
}

TEST(MOInplaceCalender, FirstInTheLastColumnStartsInRowOne) {
    TMOInplaceCalender calendar;
    // September 2002 begins on a Sunday: the last column of a Monday week.
    calendar.SetDate(EncodeDate(2002, 9, 10));
    EXPECT_EQ(FindDay(calendar, 1), (CellOf{6, 1}));
    EXPECT_EQ(FindDay(calendar, 2), (CellOf{0, 2}));
    calendar.SetStartWeek(Sun);
    EXPECT_EQ(calendar.GetCellText(0, 0), "日");
    EXPECT_EQ(FindDay(calendar, 1), (CellOf{0, 1}));
}

TEST(MOInplaceCalender, MonthStepsKeepTheDayWhereTheMonthHasIt) {
    TMOInplaceCalender calendar;
    int changes = 0;
    calendar.OnChange = [&](QObject*) { ++changes; };
    calendar.SetDate(EncodeDate(2002, 1, 31));
    calendar.NextMonth();
    EXPECT_EQ(calendar.Date(), EncodeDate(2002, 2, 28));
    EXPECT_EQ(changes, 1);
    calendar.PrevMonth();
    EXPECT_EQ(calendar.Date(), EncodeDate(2002, 1, 28));
    calendar.SetDate(EncodeDate(2004, 2, 29));
    changes = 0;
    calendar.NextYear();
    EXPECT_EQ(calendar.Date(), EncodeDate(2005, 2, 28));
    EXPECT_EQ(changes, 2);
    calendar.PrevYear();
    EXPECT_EQ(calendar.Date(), EncodeDate(2004, 2, 28));
}

TEST(MOInplaceCalender, PartsOfTheDate) {
    TMOInplaceCalender calendar;
    calendar.SetDate(EncodeDate(2002, 4, 15));
    calendar.SetDay(31); // April has no 31st
    EXPECT_EQ(calendar.Date(), EncodeDate(2002, 4, 15));
    calendar.SetMonth(13);
    calendar.SetMonth(0);
    EXPECT_EQ(calendar.Date(), EncodeDate(2002, 4, 15));
    calendar.SetDate(EncodeDate(2002, 3, 31));
    calendar.SetMonth(4);
    EXPECT_EQ(calendar.Date(), EncodeDate(2002, 4, 30));
    calendar.SetDate(EncodeDate(2004, 2, 29));
    calendar.SetYear(2003); // no 29 February: the last day of the month
    EXPECT_EQ(calendar.Date(), EncodeDate(2003, 2, 28));
    calendar.SetDay(3);
    EXPECT_EQ(calendar.Date(), EncodeDate(2003, 2, 3));
}

TEST(MOInplaceCalender, ClickingSelectsOnlyDays) {
    TMOInplaceCalender calendar;
    calendar.resize(160, 100);
    ASSERT_TRUE(ShowActive(&calendar));
    calendar.SetDate(EncodeDate(2002, 4, 10));
    auto click = [&](int col, int row) {
        const TRect r = calendar.CellRect(col, row);
        QTest::mouseClick(calendar.viewport(), Qt::LeftButton, {},
                          QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    };
    click(3, 4); // the 25th
    EXPECT_EQ(calendar.Date(), EncodeDate(2002, 4, 25));
    click(3, 5); // after the 30th: nothing
    EXPECT_EQ(calendar.Date(), EncodeDate(2002, 4, 25));
    EXPECT_EQ(calendar.DefaultColWidth(), 160 / 7);
    EXPECT_EQ(calendar.DefaultRowHeight(), (100 - 6) / 7);
    SaveLook(&calendar, "TMOInplaceCalender");
}

TEST(MOInplaceCalender, TodayLineShowsTheEra) {
    Clock::SetNow([] { return EncodeDate(2019, 5, 1) + 0.5; });
    EXPECT_EQ(TMOStatusPanel::TodayText(), "今日: 令和 1/5/1");
    Clock::SetNow([] { return EncodeDate(2002, 4, 30); });
    EXPECT_EQ(TMOStatusPanel::TodayText(), "今日: 平成 14/4/30");
    Clock::SetNow(nullptr);
}

TEST(MOInplaceCalender, PopupTitleFollowsTheMonthAndAClickedDayClosesIt) {
    TCalColors colors;
    auto* panel = new TMOPopupPanel(colors, EncodeDate(2002, 4, 30));
    bool closed = false;
    panel->OnClose = [&](bool chosen) { closed = chosen; };
    panel->Popup(QPoint(10, 10));
    QApplication::processEvents(); // the calendar takes its size
    auto* title = panel->findChildren<QLabel*>().first();
    EXPECT_EQ(title->text(), "2002年4月");
    panel->findChild<TMOSpeedButton*>("MONEXTYEAR")->click();
    EXPECT_EQ(title->text(), "2003年4月");
    EXPECT_EQ(panel->findChild<TMOSpeedButton*>("MOPREVMONTH")->toolTip(), "前月");
    TMOInplaceCalender* calendar = panel->Calendar();
    const TRect r = calendar->CellRect(2, 2);
    QTest::mouseClick(calendar->viewport(), Qt::LeftButton, {},
                      QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    EXPECT_TRUE(closed);
}

TEST(MOSpeedButton, RepeatsAfterHalfASecondThenEveryTenth) {
    TMOSpeedButton button;
    EXPECT_TRUE(button.autoRepeat());
    EXPECT_EQ(button.autoRepeatDelay(), 500);
    EXPECT_EQ(button.autoRepeatInterval(), 100);
}
