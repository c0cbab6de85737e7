#include "Unit_CommonTimes.h"

#include "Unit_CommonText.h"
#include "base/Convert.h"

#include <cmath>

namespace entrance {

namespace {

// The text with its first ":" turned into "."; a time text is then a number for IsNumber.
QString ColonToDot(const QString& text) {
    QString result = text;
    const qsizetype colon = result.indexOf(':');
    if (colon >= 0)
        result[colon] = '.';
    return result;
}

bool HasDotOrMinus(const QString& text) {
    return text.contains('.') || text.contains('-');
}

QString HoursMinutesText(int hours, int minutes) {
    return QString::number(hours) + ':' + IntToStrPadZero(minutes, 2);
}

// Rewrites a time text with its minutes carried into the hours, the limit applied.
void NormalizeHoursMinutes(QString& text, int hourLimit) {
    int days;
    TDateTime time;
    TimeStrToDayTime(text, days, time);
    const QTime t = ToQTime(time);
    int hours = t.hour() + 24 * days, minutes = t.minute();
    if (hourLimit != 0 && hours > hourLimit) {
        hours = hourLimit;
        minutes = 59;
    }
    text = HoursMinutesText(hours, minutes);
}

} // namespace

bool IsTimeStr(const QString& text, int hourLimit) {
    if (HasDotOrMinus(text))
        return false;
    const QString number = ColonToDot(text);
    if (!IsNumber(number, 1))
        return false;
    const qsizetype p = number.indexOf('.') + 1;
    if (p <= 1 || p == number.size())
        return false;
    int hours, minutes;
    if (!TryStrToInt(number.left(p - 1), hours) || !TryStrToInt(number.mid(p), minutes))
        return false;
    if (hourLimit != 0 && hours > hourLimit)
        return false;
    if (minutes >= 60 || number.size() - p != 2)
        return false;
    return !(number[0] == '0' && number[1] != '.');
}

void NormalizeTimeStr(QString& text, int hourLimit) {
    if (IsTimeStr(text, hourLimit))
        return;
    // "." and "-" would make the hours a fraction or negative: no time text.
    if (HasDotOrMinus(text) || !IsNumber(ColonToDot(text), 1)) {
        text = "0:00";
        return;
    }
    const qsizetype colon = text.indexOf(':');
    if (colon < 0 || colon == text.size() - 1) {
        int hours = StrToInt(QString(text).remove(':'));
        if (hourLimit != 0 && hours > hourLimit)
            hours = hourLimit;
        text = QString::number(hours) + ":00";
        return;
    }
    if (colon == 0)
        text.prepend('0');
    NormalizeHoursMinutes(text, hourLimit);
}

// The program-wide long time format is not set to "h:nn" here: it stays "h:nn:ss" (or what a
// screen sets for itself, as the record viewer sets "hh:nn:ss"), so date-time texts keep their
// seconds (DateTimeToStr, a date-time field's text, a date-time written to a text column) and
// no text depends on which screen ran before. Every time text a screen or report shows is
// formatted with its own pattern: TimeToHMSStr, FormatDateTime("hh:nn:ss"), FormatDateTime
// ("hh:nn") for operating hours, or the time texts of this unit.
void TimeStrToDayTime(const QString& text, int& days, TDateTime& time) {
    const qsizetype colon = text.indexOf(':');
    int hours = StrToInt(text.left(colon));
    int minutes = StrToInt(colon < 0 ? QString() : text.mid(colon + 1));
    if (minutes >= 60) {
        hours += minutes / 60;
        minutes %= 60;
    }
    days = hours / 24;
    time = EncodeTime(hours - 24 * days, minutes, 0, 0);
}

double TimeStrDiff(const QString& a, const QString& b) {
    auto value = [](QString text) {
        NormalizeTimeStr(text, 0);
        int days;
        TDateTime time;
        TimeStrToDayTime(text, days, time);
        return days + time;
    };
    return value(a) - value(b);
}

QString TimeValueToStr(double days) {
    if (std::isnan(days) || days <= 0)
        return "0:00";
    const QTime t = ToQTime(days);
    return HoursMinutesText(int(DateOf(days)) * 24 + t.hour(), t.minute());
}

} // namespace entrance
