#include "Report_EntranceMonthLogTotal.h"

#include "entrance/common/Unit_CommonDates.h"
#include "entrance/common/Unit_CommonText.h"

namespace entrance {

namespace {

// The days a row prints: the longest month's.
constexpr int PrintedDays = 31;

} // namespace

TRep_EntranceMonthLogTotal::TRep_EntranceMonthLogTotal(QWidget* owner)
    : TRep_LogTotal(
          {"認証機別　入退室集計（月報）", DayColumns, PrintedDays, "単位 （日）", 80, 27}, owner) {
}

TDateTime TRep_EntranceMonthLogTotal::LastDayOfPeriod() const {
    return Request.Period.End();
}

int TRep_EntranceMonthLogTotal::LastDay() const {
    return DayOf(Request.Period.End());
}

QString TRep_EntranceMonthLogTotal::PeriodText() const {
    int year, month, day;
    DecodeDate(Request.Period.Start(), year, month, day);
    return QString::number(year) + "年 " + IntToStrPadSpace(month, 2) + "月";
}

} // namespace entrance
