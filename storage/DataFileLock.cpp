#include "DataFileLock.h"

#include "base/DateTime.h"
#include "base/Files.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// A holder letting go takes the lock file exclusively for a moment to remove it: within the
// first GraceMs a refused lock is tried again at once, later every RetryStep.
constexpr uint32_t GraceMs = 20;
constexpr auto GraceStep = std::chrono::microseconds(100);
constexpr auto RetryStep = std::chrono::milliseconds(10);
// A lock file removed and made anew this often in a row is a fault, not a race.
constexpr int MaxReplaced = 100;

bool SetLock(int fd, short type) {
    struct flock fl = {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

// The file (device and inode) is still the one at `path`: nobody removed the lock file
// meanwhile.
bool IsFileAt(const struct stat& open, const QByteArray& path) {
    struct stat named;
    return ::stat(path.constData(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

} // namespace

QString DataFileLock::LockFileOf(const QString& dataFile) {
    return ResolveFileNoCase(QFileInfo(dataFile).absoluteFilePath()) + ".lock";
}

DataFileLock::DataFileLock(const QString& dataFile, Mode mode, int waitMs)
    : FDataFile(dataFile), FLockFile(QFile::encodeName(LockFileOf(dataFile))), FMode(mode) {
    Take(waitMs);
}

void DataFileLock::Take(int waitMs) {
    if (FState == Locked)
        return;
    const uint32_t start = GetTickCount();
    const uint32_t wait = std::max<uint32_t>(std::max(waitMs, 0), GraceMs);
    for (int replaced = 0; replaced < MaxReplaced;) {
        switch (TryOnce()) {
        case Taken:
            FState = Locked;
            return;
        case Failed:
            FState = Unavailable;
            return;
        case Replaced:
            ++replaced;
            break;
        case Refused:
            FState = Busy;
            const uint32_t spent = GetTickCount() - start;
            if (spent >= wait)
                return;
            std::this_thread::sleep_for(spent < GraceMs ? GraceStep : RetryStep);
            break;
        }
    }
    FState = Unavailable;
}

DataFileLock::Attempt DataFileLock::TryOnce() {
    if (FFd < 0) {
        FFd = ::open(FLockFile.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        // A lock file made by another user may be read-only here; it still takes a shared lock.
        if (FFd < 0 && errno == EACCES && FMode == Shared)
            FFd = ::open(FLockFile.constData(), O_RDONLY | O_CLOEXEC);
        if (FFd < 0)
            return Failed;
        if (::fstat(FFd, &FOpen) != 0) {
            Close();
            return Failed;
        }
    }
    if (!SetLock(FFd, FMode == Shared ? F_RDLCK : F_WRLCK)) {
        const int error = errno;
        if (error == EAGAIN || error == EACCES)
            return Refused; // the file stays open for the next try
        Close();
        return error == ESTALE ? Replaced : Failed;
    }
    if (!IsFileAt(FOpen, FLockFile)) {
        Close();
        return Replaced;
    }
    return Taken;
}

void DataFileLock::Release() {
    if (FState == Locked)
        SetLock(FFd, F_UNLCK);
    FState = Released;
}

void DataFileLock::Close() {
    ::close(FFd);
    FFd = -1;
}

DataFileLock::~DataFileLock() {
    if (FFd < 0)
        return;
    // The last holder removes the lock file; the lock it holds while doing so keeps anyone who
    // opened the file meanwhile from taking it before seeing that it is gone.
    if (SetLock(FFd, F_WRLCK) && IsFileAt(FOpen, FLockFile))
        ::unlink(FLockFile.constData());
    Close();
}

bool DataFileLock::HoldsExclusively(const QString& dataFile) const {
    return FState == Locked && FMode == Exclusive &&
           FLockFile == QFile::encodeName(LockFileOf(dataFile));
}
