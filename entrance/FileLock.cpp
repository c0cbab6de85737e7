#include "FileLock.h"

#include "storage/Connection.h"

#include <sqlite3.h>

TExclusiveFileLock::TExclusiveFileLock(const QString& fileName) {
    try {
        FConnection = SqlConnection::OpenDatabase(fileName);
        FConnection->SetBusyTimeout(0);
        FLocked = sqlite3_exec(FConnection->Handle(), "BEGIN EXCLUSIVE", nullptr, nullptr,
                               nullptr) == SQLITE_OK;
    } catch (const ESqlError&) {
        FLocked = false;
    }
}

TExclusiveFileLock::~TExclusiveFileLock() = default;
