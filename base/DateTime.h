#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <cstdint>
#include <functional>

// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;

constexpr double MSecsPerDay = 86400000.0;

// Raises EConvertError for a date or time that does not exist.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec);
// DecodeDate and DecodeTime at once, splitting the value once.
void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& min, int& sec,
                    int& msec);
// The date part (whole days) and the time part (fraction) of a value.
TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);
// The smallest value whose date (DateOf) is that day: a time a hair below midnight already
// belongs to the next day, so a day's values are exactly [FirstValueOfDay(d), ...(d + 1)).
TDateTime FirstValueOfDay(qint64 day);
// Stored times are whole seconds: the seconds since the epoch, rounded, so that a value a
// hair below a second (01:00 stored as 0.041666...) keeps its second and its hour.
constexpr int SecondsPerDay = 86400;
qint64 WholeSeconds(TDateTime value);

QDate ToQDate(TDateTime value);
QTime ToQTime(TDateTime value);
QDateTime ToQDateTime(TDateTime value);
TDateTime FromQDate(const QDate& date);
TDateTime FromQDateTime(const QDateTime& dateTime);

// The current local date and time, and today, through the program's clock.
TDateTime Now();
TDateTime Date();
// Milliseconds from a fixed point, steady; wraps at 2^32 as a Windows tick count wraps.
uint32_t GetTickCount();

// The one clock every part of the programs reads; tests may replace it.
namespace Clock {
// Replaces the wall clock; an empty function goes back to the system clock.
void SetNow(std::function<TDateTime()> now);
// Replaces the tick count; an empty function goes back to the steady clock.
void SetTicks(std::function<uint32_t()> ticks);
} // namespace Clock

// Program-wide formats, as the screens set them.
struct TFormatSettings {
    QChar DateSeparator = '/';
    QChar TimeSeparator = ':';
    QString ShortDateFormat = "yyyy/mm/dd";
    QString LongDateFormat = "yyyy'年'm'月'd'日'";
    QString ShortTimeFormat = "h:nn";
    QString LongTimeFormat = "h:nn:ss";
};
TFormatSettings& FormatSettings();

// Formats with the letters yyyy yy m mm d dd h hh n nn s ss z zzz, "/" and ":" (the
// separators), quoted literals, "c", "ddddd" (short date) and "dddddd" (long date),
// "gg" (the Japanese era's name, "g" its first character) and "e" "ee" (the era's year);
// "m" after an hour, with only separators between, is the minute.
QString FormatDateTime(const QString& format, TDateTime value);
QString DateToStr(TDateTime value);
QString TimeToStr(TDateTime value);
QString DateTimeToStr(TDateTime value);
// Reads year, month and day in the order of the short date format; raises EConvertError.
TDateTime StrToDate(const QString& text);
bool TryStrToDate(const QString& text, TDateTime& result);
// The same with the formats given instead of the program-wide ones.
bool TryStrToDate(const QString& text, TDateTime& result, const TFormatSettings& settings);
// Reads h:n[:s]; raises EConvertError.
TDateTime StrToTime(const QString& text);
bool TryStrToTime(const QString& text, TDateTime& result);
