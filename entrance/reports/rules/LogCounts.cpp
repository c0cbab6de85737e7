#include "LogCounts.h"

#include "entrance/common/LogOperations.h"
#include "entrance/common/Unit_CommonDates.h"

namespace entrance {

TLogCounts::TLogCounts(int columns)
    : InCount(columns, 0), OutCount(columns, 0), ErrorCount(columns, 0), TotalCount(columns, 0) {}

void ClearCounts(TLogCounts& counts) {
    for (QList<int>* row :
         {&counts.InCount, &counts.OutCount, &counts.ErrorCount, &counts.TotalCount})
        row->fill(0);
    counts.InSum = counts.OutSum = counts.ErrorSum = counts.TotalSum = 0;
}

void CountRecord(TLogCounts& counts, int column, int operation, int result) {
    if (result != 1)
        ++counts.ErrorCount[column];
    else if (IsEntry(operation))
        ++counts.InCount[column];
    else if (IsExit(operation))
        ++counts.OutCount[column];
    ++counts.TotalCount[column];
}

void AddToTotals(TLogCounts& unit, TLogCounts& grand) {
    for (int c = 0; c < unit.TotalCount.size(); ++c) {
        unit.InSum += unit.InCount[c];
        unit.OutSum += unit.OutCount[c];
        unit.ErrorSum += unit.ErrorCount[c];
        unit.TotalSum += unit.TotalCount[c];
        grand.InCount[c] += unit.InCount[c];
        grand.OutCount[c] += unit.OutCount[c];
        grand.ErrorCount[c] += unit.ErrorCount[c];
        grand.TotalCount[c] += unit.TotalCount[c];
    }
    grand.InSum += unit.InSum;
    grand.OutSum += unit.OutSum;
    grand.ErrorSum += unit.ErrorSum;
    grand.TotalSum += unit.TotalSum;
}

int HourColumnOf(TDateTime time) {
    return int(WholeSeconds(time) % SecondsPerDay / 3600);
}

int DayColumnOf(TDateTime time) {
    return DayOf(double(WholeSeconds(time) / SecondsPerDay)) - 1;
}

QStringList CellTexts(const QList<int>& cells, int shown) {
    QStringList texts;
    for (int c = 0; c < cells.size(); ++c)
        texts << (c >= shown      ? QString()
                  : cells[c] == 0 ? QString("-")
                                  : QString::number(cells[c]));
    return texts;
}

int ShownDayColumns(int lastDay) {
    return qBound(28, lastDay, 31);
}

QString DayHeadText(int day, int lastDay) {
    return day <= ShownDayColumns(lastDay) ? QString::number(day) : QString();
}

} // namespace entrance
