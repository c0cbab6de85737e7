#include "PersonReportTexts.h"

#include "entrance/common/Unit_CommonDates.h"

namespace entrance {

QString SexWord(bool isNull, int sex) {
    if (isNull)
        return QString();
    if (sex == 0)
        return "男";
    if (sex == 1)
        return "女";
    return QString();
}

QString EndDateText(TDateTime date) {
    return date == 0 ? QString() : DateToSlashStr(date);
}

QString AgeText(TDateTime birth) {
    return birth == 0 ? QString() : QString::number(AgeOf(birth));
}

QString BirthDayText(TDateTime birth) {
    if (birth == 0)
        return QString();
    int era, eraYmd;
    YmdToEra(DateToYmd(birth), era, eraYmd);
    return QString("%1%2年 %3月 %4日")
        .arg(EraTable()[era].Name)
        .arg(eraYmd / 10000)
        .arg(eraYmd / 100 % 100)
        .arg(eraYmd % 100);
}

QString PlainSlashDate(TDateTime date) {
    int year, month, day;
    DecodeDate(date, year, month, day);
    return QString("%1/%2/%3").arg(year).arg(month).arg(day);
}

} // namespace entrance
