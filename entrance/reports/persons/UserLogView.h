#pragma once

#include <QList>
#include <QString>

namespace entrance {

// The record viewer's rules that need no window: the word of an operation and the entries and
// exits of a person's day counted per unit.

// One valid entry or exit of the day (操作種別 11, 12, 21 or 22).
struct TUserLogRecord {
    int UnitID = 0;
    int Operation = 0;
};

struct TUnitCounts {
    int Entries = 0;
    int Exits = 0;
    bool operator==(const TUnitCounts&) const = default;
};

// "入室" for the entry operations 11 and 12, "退室" for the others.
QString OperationWord(int operation);

// The counts in the order of `unitIDs`. A record of a unit that is not listed has no row of
// its own and is left out, so it never counts for another unit.
QList<TUnitCounts> CountsPerUnit(const QList<int>& unitIDs, const QList<TUserLogRecord>& records);

} // namespace entrance
