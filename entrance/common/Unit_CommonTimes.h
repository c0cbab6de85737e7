#pragma once

#include "base/DateTime.h"

#include <QString>

namespace entrance {

// Time-of-day texts "hours:minutes" of the operating hours and the day line. The hours
// may pass 23 where no hour limit (0) is given.

// True for texts such as 8:30, 0:05 and 23:59: hours without a leading zero, two-digit
// minutes below 60, hours at most `hourLimit` unless it is 0.
bool IsTimeStr(const QString& text, int hourLimit);
// Turns a typed text into a time text that IsTimeStr accepts: 830 gives 830:00 (23:00 with
// the limit 23), 8:5 gives 8:05, 1:75 gives 2:15, 25:00 with the limit 23 gives 23:59;
// anything that is no number gives 0:00.
void NormalizeTimeStr(QString& text, int hourLimit);
// Whole days and the time of day of a time text; raises EConvertError on a malformed text.
// It leaves the program-wide long time format as it is (see the routine).
void TimeStrToDayTime(const QString& text, int& days, TDateTime& time);
// (days A + time A) - (days B + time B) of the normalised texts, in days.
double TimeStrDiff(const QString& a, const QString& b);
// A count of days as hours:minutes, 1.25 giving 30:00 and 0.3 giving 7:12; 0:00 for 0 or
// less.
QString TimeValueToStr(double days);

} // namespace entrance
