#pragma once

#include <QString>
#include <memory>

class SqlConnection;

// Holds an SQLite file's exclusive lock while it lives; Locked() is false when another
// connection holds the file (a transaction or a lock of its own) or the file cannot be opened.
class TExclusiveFileLock {
public:
    explicit TExclusiveFileLock(const QString& fileName);
    ~TExclusiveFileLock();
    TExclusiveFileLock(const TExclusiveFileLock&) = delete;
    TExclusiveFileLock& operator=(const TExclusiveFileLock&) = delete;
    bool Locked() const { return FLocked; }

private:
    std::unique_ptr<SqlConnection> FConnection;
    bool FLocked = false;
};
