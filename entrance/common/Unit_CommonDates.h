#pragma once

#include "base/DateTime.h"

#include <QList>
#include <QString>

namespace entrance {

// Date texts of the management program, Western and by Japanese era, ages and the
// processing period. Numbers written yyyymmdd are year x 10000 + month x 100 + day.

int YearOf(TDateTime date);
int MonthOf(TDateTime date);
int DayOf(TDateTime date);
int HourOf(TDateTime dateTime);
int DateToYmd(TDateTime date);

// 2001/04/01
QString DateToSlashStr(TDateTime date);
// #4/1/2001#, for SQL on the Access database.
QString DateToAccessLiteral(TDateTime date);
// 2001年  4月  1日(日)
QString DateToJpWeekStr(TDateTime date);
// The time of day as "  8:05:03"; empty for exactly 0.
QString TimeToHMSStr(TDateTime dateTime);
// A count of seconds as hours, minutes and seconds, the hours right-aligned in `hourWidth`.
QString SecondsToHMSStr(qint64 seconds, int hourWidth);

// One Japanese era: its name, its initial and its first day as yyyymmdd.
struct TEraInfo {
    QString Name;
    QString Initial;
    int FirstDay;
};
// The eras from 明治 on, oldest first; a row's index is its era number.
const QList<TEraInfo>& EraTable();

// 平成13年 4月 1日; empty for exactly 0; before the first era 明治 0年 0月 0日.
QString DateToEraStr(TDateTime date);
// The era of a yyyymmdd date and the date within it as yymmdd (8 January 1989 gives era 3
// and 10108); a date before the first era gives era 0 and 0.
void YmdToEra(int ymd, int& era, int& eraYmd);
int EraYmdToYmd(int era, int eraYmd);

// An era date as typed: the era initial and the era year, month and day in two digits.
struct TEraStr {
    QString Era{};
    QString Year{};
    QString Month{};
    QString Day{};
};
// Sets `ymd` when the initial names an era, else leaves it; raises EConvertError when a
// number field is no number.
void EraStrToYmd(const TEraStr& eraStr, int& ymd);

// Full years from birth to the reference day (0: today); 0 for no birth date or an age
// below 1.
int CalcAge(int birthYmd, int referenceYmd);
// Age today of a birth date; 0 for exactly 0.
int AgeOf(TDateTime birthDate);

// The business office's processing period.
struct TDisposalDayD {
    QString StartText;
    QString EndText;
    quint16 StartYear = 0;
    quint16 StartMonth = 0;
    quint16 StartDay = 0;
    quint16 Year = 0;
    quint16 Month = 0;
    quint16 EndDay = 0;
    TDateTime StartDate = 0;
    TDateTime EndDate = 0;
    quint16 ClosingMonth = 0;
    quint16 ClosingDay = 0;
};
// Fills the start, the end and their texts of the period of `month` that closes on
// `closingDay`; a closing day after the 28th closes at the month's end.
void CalcPeriodDates(TDisposalDayD& period, int year, int month, int closingDay);

} // namespace entrance
