#pragma once

#include "base/DateTime.h"

#include <QString>
#include <algorithm>

namespace entrance {

// The message of a period longer than the reports read.
inline constexpr char PeriodTooLongMessage[] = "記録を表示できるのは、２ヶ月分までです。";

// The days a log report covers, the earlier date first whichever way round they were given:
// the one place the dates are put in order.
class TReportPeriod {
public:
    TReportPeriod() = default;
    TReportPeriod(TDateTime a, TDateTime b) : FStart(std::min(a, b)), FEnd(std::max(a, b)) {}

    TDateTime Start() const { return FStart; }
    TDateTime End() const { return FEnd; }

private:
    TDateTime FStart = 0;
    TDateTime FEnd = 0;
};

// What a log report runs on, as its print dialog or a live view asks for it.
struct TLogReportRequest {
    TReportPeriod Period;
    // 0 all; 1 one person or unit; 2 one department or room.
    int FilterMode = 0;
    QString FilterCode{};
    // A live view asks: the report's own title, no department or room line.
    bool FromNowView = false;
};

} // namespace entrance
