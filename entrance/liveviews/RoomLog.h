#pragma once

// The counting rules of the room views: the counting day, the records behind a room's
// counters, the counter text, and the reading of the counting day's records from the log.

#include "base/Component.h"
#include "base/DateTime.h"
#include "base/FileStamp.h"

#include <QList>
#include <QString>
#include <QStringList>

class TBatchMove;
class TQuery;
class TTable;

namespace entrance {

class TEntrance;

// The day the room views count: it starts at the day-change time of today, or of yesterday
// while that time has not come yet.
struct TCountingDay {
    TDateTime Start = 0;
    // The day began in the month before now's, so that month's log is read as well.
    bool PreviousMonth = false;
    bool operator==(const TCountingDay&) const = default;
};
// `dayLine` is the day-change time as typed ("5:00"); it is normalised first, so an empty
// text or one that is no time counts as 0:00. Times compare in whole seconds.
TCountingDay CountingDayOf(TDateTime now, const QString& dayLine);
// The day-change time as the views keep it: "h:mm", hours at most 23.
QString NormalizeDayLine(const QString& text);

// A log record as the room views read it.
struct TRoomLogRecord {
    QString PersonCode;
    int UnitID = 0;
    TDateTime Time = 0;
    int Operation = 0; // 操作種別
    int Result = 0;    // エラー種別: 1 valid
};

// What a counter of a room tile stands for.
enum TRoomLogMode { RoomLogEntries = 0, RoomLogExits = 1, RoomLogPresent = 2 };

// The records behind one counter of the room with `units`, from `newestFirst` (ordered by
// time, newest first): valid entries (11, 12) or exits (21, 22) at the room's units since
// `start`, or for the persons present each one's latest such record when it is an entry.
QList<TRoomLogRecord> RoomLogLines(TRoomLogMode mode, const QList<int>& units,
                                   const QList<TRoomLogRecord>& newestFirst, TDateTime start);

struct TRoomCounts {
    int Entries = 0;
    int Exits = 0;
    int Present = 0;
    bool operator==(const TRoomCounts&) const = default;
};
TRoomCounts CountRoom(const QList<int>& units, const QList<TRoomLogRecord>& newestFirst,
                      TDateTime start);

// Today's date as the room views head it: "2026年 3月 1日".
QString RoomViewDateText(TDateTime date);

// The six characters a counter shows: the count right-aligned, its last six digits.
QString CounterText(int count);

// Reads the counting day's records of the month tables that exist (this month's, and the
// previous month's when the day began there) through this PC's working table, newest first.
// Database errors are raised, the queries closed.
class TRoomLogReader : public TComponent {
public:
    // `tempTable`: the working table the records are copied into.
    TRoomLogReader(const QString& tempTable, TComponent* AOwner = nullptr);

    // `conditions`: further lines of the WHERE clause ("AND ...").
    QList<TRoomLogRecord> Read(const TEntrance& entrance, const TCountingDay& day, TDateTime now,
                               const QStringList& conditions);

    TQuery* sqlLog;
    TTable* tblTemp;
    TBatchMove* BatchMove1;

private:
    void CopyMonth(const QString& table, TDateTime start, const QStringList& conditions);
    const QString FTempTable;
};

// Tells when the room views must load again: the counting day moved on, or one of the month
// files it reads changed its modification time (to the millisecond) or came or went.
class TRoomLogWatch {
public:
    // Whether anything changed since the last call (true on the first); remembers the state.
    bool Changed(const TEntrance& entrance, TDateTime now, const QString& dayLine);
    // Forgets the state, so the next Changed is true.
    void Reset() { FFirst = true; }
    const TCountingDay& Day() const { return FDay; }

private:
    bool FFirst = true;
    TCountingDay FDay;
    QList<TFileStamp> FFileStamps;
};

} // namespace entrance
