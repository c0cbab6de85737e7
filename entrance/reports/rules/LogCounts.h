#pragma once

#include "base/DateTime.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace entrance {

// The counts of entries, exits and errors of the totals reports, one cell per column: the
// hours of a day (24) or the days of a month (32, the last never used).
struct TLogCounts {
    explicit TLogCounts(int columns);

    QList<int> InCount;
    QList<int> OutCount;
    QList<int> ErrorCount;
    QList<int> TotalCount; // 入 + 退 + エ
    int InSum = 0;
    int OutSum = 0;
    int ErrorSum = 0;
    int TotalSum = 0;
};

constexpr int HourColumns = 24;
constexpr int DayColumns = 32;

void ClearCounts(TLogCounts& counts);
// Counts one record in `column`: a failed authentication (result other than 1) is an error
// whatever the operation; a valid one an entry (11, 12) or an exit (21, 22).
void CountRecord(TLogCounts& counts, int column, int operation, int result);
// Adds the unit's cells to its row totals and to the grand totals' cells and row totals.
void AddToTotals(TLogCounts& unit, TLogCounts& grand);

// The column of a record's time, decoded in whole seconds: its hour (0 to 23), or its day of
// the month less one.
int HourColumnOf(TDateTime time);
int DayColumnOf(TDateTime time);

// The texts of a row of cells: each count, "-" for 0; the columns from `shown` on are empty
// (the days after the month's last day).
QStringList CellTexts(const QList<int>& cells, int shown);
// The columns of the month totals that a month with `lastDay` days shows.
int ShownDayColumns(int lastDay);
// The head of the month totals' day column `day` (1 to 31): empty after the month's end.
QString DayHeadText(int day, int lastDay);

} // namespace entrance
