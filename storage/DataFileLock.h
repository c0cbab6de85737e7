#pragma once

#include <QString>
#include <sys/stat.h>

// A program's hold on one data file (the database file or a table file) against every other
// holder, in this program, in the other programs and on the PCs that reach the folder through
// the share. Each connection holds the files it has open shared; the work that replaces or
// removes a file (compaction, restore, log deletion) holds it exclusively for the whole of that
// work, so it never runs while anyone has the file open and nobody opens the file meanwhile.
//
// The lock is an open-file-description lock (fcntl F_OFD_SETLK) on a lock file beside the data
// file, its name + ".lock", so SQLite's own locks on the data file stay untouched (closing a
// second descriptor of that file would drop them) and every holder, even in one program, is
// told apart. Byte-range locks reach the other PCs through an NFS or SMB share.
// A hold let go (Release) keeps its lock file open, unlocked, so that taking it again (Take) is
// one lock and a look at the name, not a new file: a table file is held for each statement.
// The holder that lets go last, as the object goes, removes the lock file; a holder whose lock
// file was removed or replaced under it takes the one at the name, whenever it takes the lock.
class DataFileLock {
public:
    enum Mode { Shared, Exclusive };
    enum State {
        Locked,
        Busy,        // another holder keeps it the other way
        Unavailable, // no lock file can be made or locked here (a read-only folder)
        Released,    // let go by Release
    };
    // How long opening a file waits for a compaction, restore or deletion to end.
    static constexpr int OpenWaitMs = 10000;

    // Takes the lock (Take).
    DataFileLock(const QString& dataFile, Mode mode, int waitMs = 0);
    ~DataFileLock();
    DataFileLock(const DataFileLock&) = delete;
    DataFileLock& operator=(const DataFileLock&) = delete;

    // Takes the lock unless it is held, trying again for up to `waitMs` while it is busy (and
    // for a moment in any case, while another holder lets go).
    void Take(int waitMs);
    // Lets go of the lock; the lock file stays open for the next Take.
    void Release();

    State GetState() const { return FState; }
    bool IsLocked() const { return FState == Locked; }
    Mode GetMode() const { return FMode; }
    // The data file as it was given.
    const QString& DataFile() const { return FDataFile; }
    // True when this lock holds `dataFile` exclusively.
    bool HoldsExclusively(const QString& dataFile) const;
    static QString LockFileOf(const QString& dataFile);

private:
    enum Attempt { Taken, Refused, Failed, Replaced };
    Attempt TryOnce();
    void Close();

    const QString FDataFile;
    const QByteArray FLockFile;
    const Mode FMode;
    State FState = Released;
    int FFd = -1;         // the lock file, open from the first Take to the end
    struct stat FOpen {}; // what FFd is (its device and inode)
};
