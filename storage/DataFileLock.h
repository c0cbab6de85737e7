#pragma once

#include <QString>

// A program's hold on one data file (the database file or a table file) against every other
// holder, in this program, in the other programs and on the PCs that reach the folder through
// the share. Each connection holds the files it has open shared; the work that replaces or
// removes a file (compaction, restore, log deletion) holds it exclusively for the whole of that
// work, so it never runs while anyone has the file open and nobody opens the file meanwhile.
//
// The lock is an open-file-description lock (fcntl F_OFD_SETLK) on a lock file beside the data
// file, its name + ".lock", so SQLite's own locks on the data file stay untouched (closing a
// second descriptor of that file would drop them) and every holder, even in one program, is
// told apart. Byte-range locks reach the other PCs through an NFS or SMB share. The last holder
// removes the lock file; a holder whose lock file was removed under it takes the new one.
class DataFileLock {
public:
    enum Mode { Shared, Exclusive };
    enum State {
        Locked,
        Busy,        // another holder keeps it the other way
        Unavailable, // no lock file can be made or locked here (a read-only folder)
    };
    // How long opening a file waits for a compaction, restore or deletion to end.
    static constexpr int OpenWaitMs = 10000;

    // Takes the lock, trying again for up to `waitMs` while it is busy (and for a moment in
    // any case, while another holder lets go).
    DataFileLock(const QString& dataFile, Mode mode, int waitMs = 0);
    ~DataFileLock();
    DataFileLock(const DataFileLock&) = delete;
    DataFileLock& operator=(const DataFileLock&) = delete;

    State GetState() const { return FState; }
    bool IsLocked() const { return FState == Locked; }
    Mode GetMode() const { return FMode; }
    // True when this lock holds `dataFile` exclusively.
    bool HoldsExclusively(const QString& dataFile) const;
    static QString LockFileOf(const QString& dataFile);

private:
    enum Attempt { Taken, Refused, Failed, Replaced };
    Attempt TryOnce();

    const QByteArray FLockFile;
    const Mode FMode;
    State FState = Unavailable;
    int FFd = -1;
};
