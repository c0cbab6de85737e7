#include "PersonReportTexts.h"

#include "entrance/Unit_CommonDates.h"

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
