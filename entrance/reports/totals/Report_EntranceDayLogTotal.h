#pragma once

#include "entrance/reports/totals/Report_LogTotal.h"

namespace entrance {

// The totals of one day per unit and hour: the column headed "1" counts 0:00 to 0:59. Only
// the request's start date counts.
class TRep_EntranceDayLogTotal final : public TRep_LogTotal {
    Q_OBJECT
public:
    explicit TRep_EntranceDayLogTotal(QWidget* owner = nullptr);

protected:
    TDateTime LastDayOfPeriod() const override;
    int ColumnOf(TDateTime time) const override { return HourColumnOf(time); }
    int ShownColumns() const override { return HourColumns; }
    QString HeadText(int column) const override { return QString::number(column + 1); }
    QString PeriodText() const override;
};

} // namespace entrance
