#pragma once

#include "base/DateTime.h"

#include <QList>
#include <QString>

namespace entrance {

// A valid entry or exit (操作種別 11, 12, 21, 22) at one of the room's units.
struct TStayRecord {
    QString PersonCode;
    int UnitID = 0;
    TDateTime Time = 0;
    int Operation = 0;
};

// One line of a person's day in the room: an entry and its exit, or a lone one. A side from
// the neighbouring day completes a stay across midnight and is marked.
struct TStayLine {
    int InUnit = 0; // 0: no entry
    TDateTime InTime = 0;
    bool InMarked = false;
    int OutUnit = 0; // 0: no exit
    TDateTime OutTime = 0;
    bool OutMarked = false;
    qint64 StaySeconds = 0; // 0 for a lone line

    bool Marked() const { return InMarked || OutMarked; }
};

struct TStayPerson {
    QString PersonCode;
    QList<TStayLine> Lines;
    // The lines' stays: a stay across midnight is listed on both its days and counts whole on
    // each, so that the total agrees with the lines above it.
    qint64 TotalSeconds = 0;
};

// The stays of one day, person by person in code order: each entry paired with the person's
// next record when that is an exit. A lone exit first in the person's day takes the same
// person's last record of `previousDay` when that is an entry; a lone entry last in the day
// the same person's first record of `nextDay` when that is an exit. The lists need no order.
QList<TStayPerson> RoomStaysOfDay(const QList<TStayRecord>& day,
                                  const QList<TStayRecord>& previousDay,
                                  const QList<TStayRecord>& nextDay);

// A person's time in the room, hours right-aligned in 3: "  8:30:00"; "  0:00:00" for none.
QString FormatStayTime(qint64 seconds);
// A time of day taken from the neighbouring day: "*22:00:00"; empty for exactly 0.
QString FormatTimeMarked(TDateTime time);
// A stay completed across midnight, with all its hours: "* 9:00:00", "*25:00:00".
QString FormatStayMarked(qint64 seconds);
// A stay within the day, hours right-aligned in 3; empty for 0.
QString FormatStayLine(qint64 seconds);

} // namespace entrance
