#pragma once

#include "base/DateTime.h"
#include "entrance/reports/rules/LogReportRequest.h"

#include <QString>
#include <functional>

namespace entrance {

// What the print dialogs check before a log report runs.
enum class TPeriodMode { Day, Month };

enum class TPeriodVerdict {
    Run,             // the request holds the period to report
    SameDateRefused, // day totals cover one date only
    NoTable,         // no month table for the period
    SpanTooLong,     // more than two calendar months
};

struct TPeriodRequest {
    TPeriodVerdict Verdict = TPeriodVerdict::Run;
    // The message to show; empty when the report runs.
    QString Message;
    TReportPeriod Period;
};

// Day mode takes the two picked dates; month mode takes any day of the chosen month in
// `start` and ignores `end`. `tableExists` says whether the month of a date has its log
// table. The period of the answer carries no time of day.
TPeriodRequest PeriodRules(TPeriodMode mode, bool totals, TDateTime start, TDateTime end,
                           const std::function<bool(TDateTime)>& tableExists);

// The position an up-down takes from the text typed into its box when the box is left: its
// own when the text is no whole number, the number when it lies within `min` to `max`, else
// `fallback` (the current year or month).
int TypedPosition(const QString& text, int position, int min, int max, int fallback);

} // namespace entrance
