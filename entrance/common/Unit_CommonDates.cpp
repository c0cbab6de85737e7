#include "Unit_CommonDates.h"

#include "Unit_CommonText.h"
#include "base/Convert.h"
#include "base/SysUtils.h"

namespace entrance {

namespace {

QString Pad2(int number) {
    return IntToStrPadSpace(number, 2);
}

QString YearMonthText(int year, int month) {
    return QString::number(year) + "年 " + Pad2(month) + "月";
}

} // namespace

int YearOf(TDateTime date) {
    return ToQDate(date).year();
}

int MonthOf(TDateTime date) {
    return ToQDate(date).month();
}

int DayOf(TDateTime date) {
    return ToQDate(date).day();
}

int HourOf(TDateTime dateTime) {
    return ToQTime(dateTime).hour();
}

int DateToYmd(TDateTime date) {
    const QDate d = ToQDate(date);
    return d.year() * 10000 + d.month() * 100 + d.day();
}

QString DateToSlashStr(TDateTime date) {
    const QDate d = ToQDate(date);
    return QString::number(d.year()) + '/' + IntToStrPadZero(d.month(), 2) + '/' +
           IntToStrPadZero(d.day(), 2);
}

QString DateToAccessLiteral(TDateTime date) {
    const QDate d = ToQDate(date);
    return QString("#%1/%2/%3#").arg(d.month()).arg(d.day()).arg(d.year());
}

QString DateToJpWeekStr(TDateTime date) {
    static const QString weekdays[] = {"月", "火", "水", "木", "金", "土", "日"};
    const QDate d = ToQDate(date);
    return QString::number(d.year()) + "年 " + Pad2(d.month()) + "月 " + Pad2(d.day()) + "日(" +
           weekdays[d.dayOfWeek() - 1] + ")";
}

QString TimeToHMSStr(TDateTime dateTime) {
    if (dateTime == 0)
        return QString();
    // Rounded to the second: a stored time a hair below the second still shows that second.
    return SecondsToHMSStr(WholeSeconds(dateTime) % SecondsPerDay, 3);
}

QString SecondsToHMSStr(qint64 seconds, int hourWidth) {
    return IntToStrPadSpace(int(seconds / 3600), hourWidth) + ':' +
           IntToStrPadZero(int(seconds / 60 % 60), 2) + ':' + IntToStrPadZero(int(seconds % 60), 2);
}

const QList<TEraInfo>& EraTable() {
    static const QList<TEraInfo> table{
        {"明治", "M", 18680908}, {"大正", "T", 19120730}, {"昭和", "S", 19261225},
        {"平成", "H", 19890108}, {"令和", "R", 20190501},
    };
    return table;
}

QString DateToEraStr(TDateTime date) {
    if (date == 0)
        return QString();
    int era, eraYmd;
    YmdToEra(DateToYmd(date), era, eraYmd);
    return EraTable()[era].Name + Pad2(eraYmd / 10000) + "年" + Pad2(eraYmd / 100 % 100) + "月" +
           Pad2(eraYmd % 100) + "日";
}

void YmdToEra(int ymd, int& era, int& eraYmd) {
    era = 0;
    eraYmd = 0;
    const QList<TEraInfo>& table = EraTable();
    for (int row = int(table.size()) - 1; row >= 0; --row) {
        if (table[row].FirstDay <= ymd) {
            era = row;
            eraYmd = ymd - (table[row].FirstDay / 10000 - 1) * 10000;
            return;
        }
    }
}

int EraYmdToYmd(int era, int eraYmd) {
    return (EraTable()[era].FirstDay / 10000 - 1) * 10000 + eraYmd;
}

void EraStrToYmd(const TEraStr& eraStr, int& ymd) {
    const QList<TEraInfo>& table = EraTable();
    for (int row = int(table.size()) - 1; row >= 0; --row) {
        if (table[row].Initial == eraStr.Era) {
            ymd = EraYmdToYmd(row, StrToInt(eraStr.Year) * 10000 + StrToInt(eraStr.Month) * 100 +
                                       StrToInt(eraStr.Day));
            return;
        }
    }
}

int CalcAge(int birthYmd, int referenceYmd) {
    if (birthYmd <= 0)
        return 0;
    if (referenceYmd == 0)
        referenceYmd = DateToYmd(Date());
    const int birthMonthDay = birthYmd % 10000, referenceMonthDay = referenceYmd % 10000;
    int age = referenceYmd / 10000 - birthYmd / 10000;
    if (birthMonthDay > referenceMonthDay)
        --age;
    return age < 1 ? 0 : age;
}

int AgeOf(TDateTime birthDate) {
    return birthDate == 0 ? 0 : CalcAge(DateToYmd(birthDate), 0);
}

void CalcPeriodDates(TDisposalDayD& period, int year, int month, int closingDay) {
    QDate start, end;
    if (closingDay > 28) {
        start = QDate(year, month, 1);
        end = QDate(year, month, start.daysInMonth());
    } else {
        end = QDate(year, month, closingDay);
        start = end.addMonths(-1).addDays(1);
    }
    if (!end.isValid())
        throw EConvertError("Invalid argument to date encode");
    period.EndDay = quint16(end.day());
    period.EndDate = FromQDate(end);
    period.StartDate = FromQDate(start);
    period.StartYear = quint16(start.year());
    period.StartMonth = quint16(start.month());
    period.StartDay = quint16(start.day());
    period.StartText = YearMonthText(start.year(), start.month());
    period.EndText = YearMonthText(year, month);
}

} // namespace entrance
