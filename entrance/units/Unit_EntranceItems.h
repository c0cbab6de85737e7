#pragma once

#include "base/DateTime.h"
#include "protocol/CommRequests.h"

#include <QList>
#include <QString>

namespace entrance {

// The rules of the unit list that need no window.

// Added to an operating time before it is stored (about 0.9988 s), so that a stored 0:00
// still differs from "no hours".
constexpr double StoredTimeOffset = 1.156e-05;

// The lowest unit ID missing from 1, 2, 3, ... of the listed IDs (in ascending order); 0 when
// MaxUnitId units are listed already.
int LowestFreeUnitID(const QList<int>& sortedIds);

// A unit's operating hours as the dialog stores them: none, or a start and an end time of day.
struct TUnitHours {
    bool Set = false;
    TDateTime Start = 0;
    TDateTime End = 0;
};
// The hours typed into the four fields, each time normalised to 0:00..23:59; equal start and
// end times (also all fields empty) mean no hours.
TUnitHours UnitHoursOf(const QString& startH, const QString& startM, const QString& endH,
                       const QString& endM);
// A stored time as the unit grid shows it, "08:30".
QString UnitGridTimeText(TDateTime time);

} // namespace entrance
