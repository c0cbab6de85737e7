#pragma once

#include <QString>
#include <QStringList>

namespace entrance {

// Months as year x 100 + month (200203 for March 2002).

// The months a log deletion may keep: 1 to 12, counting the current one.
inline constexpr int MinKeptLogMonths = 1;
inline constexpr int MaxKeptLogMonths = 12;
inline constexpr int DefaultKeptLogMonths = 3;

// What a log deletion does with a month's table.
enum class TLogMonthFate {
    Keep,      // the current month or one of the kept months before it
    Delete,    // older than the kept months
    AskFuture, // after the current month: deleted only when the operator confirms
};

// The oldest month kept when `kept` months (1..12) are kept, counting `current`.
int OldestKeptMonth(int current, int kept);
TLogMonthFate LogMonthFate(int month, int current, int kept);
// The month of a log table named exactly "ENTRANCE_LOG<yyyy>_<mm>" (any case); 0 for any other
// name.
int LogTableMonth(const QString& table);
// "2001年09月　～　2002年03月" for the listed tables (any order); empty without tables.
QString LogPeriodText(const QStringList& tables);

} // namespace entrance
