#include "PeriodRules.h"

#include "base/Convert.h"
#include "entrance/common/Unit_CommonDates.h"
#include "entrance/common/Unit_CommonText.h"

#include <utility>

namespace entrance {

namespace {

int MonthIndex(TDateTime date) {
    return YearOf(date) * 12 + MonthOf(date);
}

TPeriodRequest Refused(TPeriodVerdict verdict, const QString& message, TDateTime start,
                       TDateTime end) {
    return {verdict, message, start, end};
}

TPeriodRequest DayRules(bool totals, TDateTime start, TDateTime end,
                        const std::function<bool(TDateTime)>& tableExists) {
    if (totals && start != end)
        return Refused(TPeriodVerdict::SameDateRefused,
                       "日報集計の場合は、同じ日付のみ印刷できます。", start, end);
    if (!tableExists(start) && !tableExists(end))
        return {TPeriodVerdict::NoTable, {}, start, end};
    if (end < start)
        std::swap(start, end);
    if (MonthIndex(end) - MonthIndex(start) > 1)
        return Refused(TPeriodVerdict::SpanTooLong, "記録を表示できるのは、２ヶ月分までです。",
                       start, end);
    return {TPeriodVerdict::Run, {}, start, end};
}

TPeriodRequest MonthRules(TDateTime anyDay, const std::function<bool(TDateTime)>& tableExists) {
    const TDateTime first = EncodeDate(YearOf(anyDay), MonthOf(anyDay), 1);
    const TDateTime last = FromQDate(ToQDate(first).addMonths(1)) - 1;
    const TPeriodVerdict verdict =
        tableExists(first) ? TPeriodVerdict::Run : TPeriodVerdict::NoTable;
    return {verdict, {}, first, last};
}

} // namespace

TPeriodRequest PeriodRules(TPeriodMode mode, bool totals, TDateTime start, TDateTime end,
                           const std::function<bool(TDateTime)>& tableExists) {
    TPeriodRequest request = mode == TPeriodMode::Day
                                 ? DayRules(totals, DateOf(start), DateOf(end), tableExists)
                                 : MonthRules(DateOf(start), tableExists);
    if (request.Verdict == TPeriodVerdict::NoTable)
        request.Message = QString::number(YearOf(request.EndDate)) + "年" +
                          QString::number(MonthOf(request.EndDate)) +
                          "月分の記録がありませんでした。";
    return request;
}

int TypedPosition(const QString& text, int position, int min, int max, int fallback) {
    if (!IsNumber(text, 0))
        return position;
    const int typed = StrToInt(text);
    return typed >= min && typed <= max ? typed : fallback;
}

} // namespace entrance
