#include "Unit_EntranceItems.h"

#include "entrance/common/Unit_CommonTimes.h"

namespace entrance {

int LowestFreeUnitID(const QList<int>& sortedIds) {
    if (sortedIds.size() >= MaxUnitId)
        return 0;
    for (int i = 0; i < sortedIds.size(); ++i)
        if (sortedIds[i] != i + 1)
            return i + 1;
    return int(sortedIds.size()) + 1;
}

namespace {

TDateTime TimeOfDay(QString text) {
    NormalizeTimeStr(text, 23);
    int days;
    TDateTime time;
    TimeStrToDayTime(text, days, time);
    return time;
}

} // namespace

TUnitHours UnitHoursOf(const QString& startH, const QString& startM, const QString& endH,
                       const QString& endM) {
    TUnitHours hours;
    hours.Start = TimeOfDay(startH + ":" + startM);
    hours.End = TimeOfDay(endH + ":" + endM);
    hours.Set = std::abs(hours.Start - hours.End) > StoredTimeOffset / 2;
    return hours;
}

QString UnitGridTimeText(TDateTime time) {
    int hour, min, sec, msec;
    DecodeTime(time, hour, min, sec, msec);
    return QString("%1:%2").arg(hour, 2, 10, QChar('0')).arg(min, 2, 10, QChar('0'));
}

} // namespace entrance
