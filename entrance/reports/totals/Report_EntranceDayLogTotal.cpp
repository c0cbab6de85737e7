#include "Report_EntranceDayLogTotal.h"

#include "entrance/common/Unit_CommonDates.h"

namespace entrance {

TRep_EntranceDayLogTotal::TRep_EntranceDayLogTotal(QWidget* owner)
    : TRep_LogTotal(
          {"認証機別　入退室集計（日報）", HourColumns, HourColumns, "単位 （時）", 120, 34},
          owner) {}

TDateTime TRep_EntranceDayLogTotal::LastDayOfPeriod() const {
    return Request.Period.Start();
}

QString TRep_EntranceDayLogTotal::PeriodText() const {
    return DateToJpWeekStr(Request.Period.Start());
}

} // namespace entrance
