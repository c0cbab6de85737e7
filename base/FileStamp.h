#pragma once

#include <QString>

// What tells that a file changed: its modification time (milliseconds) and its size, since two
// writes within one tick of the file time leave the time alone; both -1 for no file.
struct TFileStamp {
    qint64 Time = -1;
    qint64 Size = -1;
    bool operator==(const TFileStamp&) const = default;
};
TFileStamp FileStampOf(const QString& fileName);
