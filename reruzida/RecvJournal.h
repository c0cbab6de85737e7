#pragma once

#include "protocol/UnitFrame.h"

#include <QFile>
#include <QList>
#include <QString>
#include <map>
#include <mutex>
#include <set>

namespace reruzida {

// The received records a unit was told are taken, kept on disk until the window thread has
// handled them: each is appended and synced before its ACK leaves, marked done once stored
// (or logged), and replayed at the next start when the program ended before that. A unit's
// last record stays in the file, done or not, until the unit shows that it got its ACK (it
// answers a poll with no record, or sends another record): a unit that missed the ACK sends
// the record again after a start, and the next run must know it. The file is emptied
// whenever nothing in it waits and no unit may send its last record again. Entries, back to
// back:
//
//   offset  size  record entry                  offset  size  done / acknowledged entry
//   0       1     'R'                           0       1     'D' / 'A'
//   1       4     number (little-endian)        1       4     number
//   5       1     unit ID                       5       4     check
//   6       3     command
//   9       2     frame length n
//   11      n     frame bytes
//   11+n    4     check: FNV-1a of the bytes before it
//
// A torn last entry (the program killed while writing it) fails its check and is dropped.
// Damage before a whole entry (a bad sector, a flipped bit) costs only the bytes up to that
// entry: they are skipped, and the file is kept as it was beside it (its name + ".damaged")
// and rewritten with the records that wait.
class TRecvJournal {
public:
    // With nothing waiting, a file larger than this is written again with only what it needs.
    static constexpr qint64 CompactBytes = 64 * 1024;

    explicit TRecvJournal(const QString& fileName);
    TRecvJournal(const TRecvJournal&) = delete;
    TRecvJournal& operator=(const TRecvJournal&) = delete;

    // The records of the file not marked done, oldest first, with their numbers; the oldest
    // is marked as one that may have been stored already. The file is cut after its last
    // whole entry, or rewritten after damage. Call once, before appending.
    QList<TRecvDataClass> Replay();
    // Each unit's last record with no sign yet that the unit got its ACK, done or not: the
    // unit may send it again (after a start, as its first reply).
    QList<TRecvDataClass> LastReplies();
    // Appends the record, synced to disk, and gives it its number; false when it could not
    // be written. It is its unit's last record from now on.
    bool Append(TRecvDataClass& record);
    // Marks the record done (synced); number 0 (a record not from the file) does nothing.
    void Done(quint32 number);
    // The unit showed that it got the ACK of its last record (synced).
    void Acknowledged(int unit);
    // Why the last Append failed.
    QString ErrorString() const { return FError; }
    // The damaged bytes Replay skipped, and the copy it kept of the file (empty: none made).
    qint64 SkippedBytes() const { return FSkipped; }
    QString DamagedCopy() const { return FDamagedCopy; }

private:
    bool Write(const QByteArray& entry);
    void Mark(char tag, quint32 number);
    bool KeepDamagedCopy();
    void Rewrite(const std::map<quint32, TRecvDataClass>& records);

    std::mutex FLock;
    QFile FFile;
    quint32 FLastNumber = 0;
    std::set<quint32> FWaiting;
    // Each unit's last record not known to be acknowledged, by unit.
    std::map<int, TRecvDataClass> FUnacknowledged;
    QString FError;
    qint64 FSkipped = 0;
    QString FDamagedCopy;
};

} // namespace reruzida
