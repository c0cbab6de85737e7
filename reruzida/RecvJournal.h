#pragma once

#include "protocol/UnitFrame.h"

#include <QFile>
#include <QList>
#include <QString>
#include <mutex>
#include <set>

namespace reruzida {

// The received records a unit was told are taken, kept on disk until the window thread has
// handled them: each is appended and synced before its ACK leaves, marked done once stored
// (or logged), and replayed at the next start when the program ended before that. The file
// is emptied whenever nothing in it waits. Entries, back to back:
//
//   offset  size  record entry                  offset  size  done entry
//   0       1     'R'                           0       1     'D'
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
    explicit TRecvJournal(const QString& fileName);
    TRecvJournal(const TRecvJournal&) = delete;
    TRecvJournal& operator=(const TRecvJournal&) = delete;

    // The records of the file not marked done, oldest first, with their numbers and marked
    // as replayed; the file is cut after its last whole entry, or rewritten after damage. Call
    // once, before appending.
    QList<TRecvDataClass> Replay();
    // Appends the record, synced to disk, and gives it its number; false when it could not
    // be written.
    bool Append(TRecvDataClass& record);
    // Marks the record done (synced); number 0 (a record not from the file) does nothing.
    void Done(quint32 number);
    // Why the last Append failed.
    QString ErrorString() const { return FError; }
    // The damaged bytes Replay skipped, and the copy it kept of the file (empty: none made).
    qint64 SkippedBytes() const { return FSkipped; }
    QString DamagedCopy() const { return FDamagedCopy; }

private:
    bool Write(const QByteArray& entry);
    bool KeepDamagedCopy();
    void Rewrite(const QList<TRecvDataClass>& records);

    std::mutex FLock;
    QFile FFile;
    quint32 FLastNumber = 0;
    std::set<quint32> FWaiting;
    QString FError;
    qint64 FSkipped = 0;
    QString FDamagedCopy;
};

} // namespace reruzida
