#pragma once

#include "entrance/reports/totals/Report_LogTotal.h"

namespace entrance {

// The totals of one month per unit and day: the request covers the month's first to last
// day, and the columns after the month's last day stay empty.
class TRep_EntranceMonthLogTotal final : public TRep_LogTotal {
    Q_OBJECT
public:
    explicit TRep_EntranceMonthLogTotal(QWidget* owner = nullptr);

protected:
    TDateTime LastDayOfPeriod() const override;
    int ColumnOf(TDateTime time) const override { return DayColumnOf(time); }
    int ShownColumns() const override { return ShownDayColumns(LastDay()); }
    QString HeadText(int column) const override { return DayHeadText(column + 1, LastDay()); }
    QString PeriodText() const override;

private:
    // The day of the month of the request's end.
    int LastDay() const;
};

} // namespace entrance
