#include "PeriodRules.h"

#include "base/Convert.h"
#include "entrance/common/Unit_CommonDates.h"
#include "entrance/common/Unit_CommonText.h"

namespace entrance {

namespace {

int MonthIndex(TDateTime date) {
    return YearOf(date) * 12 + MonthOf(date);
}

// Names the month of `date`, the end date as it was given.
QString NoTableMessage(TDateTime date) {
    return QString::number(YearOf(date)) + "年" + QString::number(MonthOf(date)) +
           "月分の記録がありませんでした。";
}

TPeriodRequest DayRules(bool totals, TDateTime start, TDateTime end,
                        const std::function<bool(TDateTime)>& tableExists) {
    const TReportPeriod period(start, end);
    if (totals && start != end)
        return {TPeriodVerdict::SameDateRefused, "日報集計の場合は、同じ日付のみ印刷できます。",
                period};
    if (!tableExists(start) && !tableExists(end))
        return {TPeriodVerdict::NoTable, NoTableMessage(end), period};
    if (MonthIndex(period.End()) - MonthIndex(period.Start()) > 1)
        return {TPeriodVerdict::SpanTooLong, PeriodTooLongMessage, period};
    return {TPeriodVerdict::Run, {}, period};
}

TPeriodRequest MonthRules(TDateTime anyDay, const std::function<bool(TDateTime)>& tableExists) {
    const TDateTime first = EncodeDate(YearOf(anyDay), MonthOf(anyDay), 1);
    const TDateTime last = FromQDate(ToQDate(first).addMonths(1)) - 1;
    if (!tableExists(first))
        return {TPeriodVerdict::NoTable, NoTableMessage(last), {first, last}};
    return {TPeriodVerdict::Run, {}, {first, last}};
}

} // namespace

TPeriodRequest PeriodRules(TPeriodMode mode, bool totals, TDateTime start, TDateTime end,
                           const std::function<bool(TDateTime)>& tableExists) {
    return mode == TPeriodMode::Day ? DayRules(totals, DateOf(start), DateOf(end), tableExists)
                                    : MonthRules(DateOf(start), tableExists);
}

int TypedPosition(const QString& text, int position, int min, int max, int fallback) {
    if (!IsNumber(text, 0))
        return position;
    const int typed = StrToInt(text);
    return typed >= min && typed <= max ? typed : fallback;
}

} // namespace entrance
