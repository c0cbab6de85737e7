#include "DataFileLock.h"

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
// first GraceTime a refused lock is tried again at once, later every RetryStep.
constexpr auto GraceTime = std::chrono::milliseconds(20);
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

// The descriptor still names the file at `path`: nobody removed the lock file meanwhile.
bool IsFileAt(int fd, const QByteArray& path) {
    struct stat open, named;
    return ::fstat(fd, &open) == 0 && ::stat(path.constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

} // namespace

QString DataFileLock::LockFileOf(const QString& dataFile) {
    return ResolveFileNoCase(QFileInfo(dataFile).absoluteFilePath()) + ".lock";
}

DataFileLock::DataFileLock(const QString& dataFile, Mode mode, int waitMs)
    : FLockFile(QFile::encodeName(LockFileOf(dataFile))), FMode(mode) {
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::max<std::chrono::steady_clock::duration>(
                                      std::chrono::milliseconds(waitMs), GraceTime);
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
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline)
                return;
            if (now - start < GraceTime)
                std::this_thread::sleep_for(GraceStep);
            else
                std::this_thread::sleep_for(RetryStep);
            break;
        }
    }
}

DataFileLock::Attempt DataFileLock::TryOnce() {
    int fd = ::open(FLockFile.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    // A lock file made by another user may be read-only here; it still takes a shared lock.
    if (fd < 0 && errno == EACCES && FMode == Shared)
        fd = ::open(FLockFile.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Failed;
    if (!SetLock(fd, FMode == Shared ? F_RDLCK : F_WRLCK)) {
        const int error = errno;
        ::close(fd);
        if (error == ESTALE)
            return Replaced;
        return error == EAGAIN || error == EACCES ? Refused : Failed;
    }
    if (!IsFileAt(fd, FLockFile)) {
        ::close(fd);
        return Replaced;
    }
    FFd = fd;
    return Taken;
}

DataFileLock::~DataFileLock() {
    if (FFd < 0)
        return;
    // The last holder removes the lock file; the lock it holds while doing so keeps anyone who
    // opened the file meanwhile from taking it before seeing that it is gone.
    if (SetLock(FFd, F_WRLCK) && IsFileAt(FFd, FLockFile))
        ::unlink(FLockFile.constData());
    ::close(FFd);
}

bool DataFileLock::HoldsExclusively(const QString& dataFile) const {
    return FState == Locked && FMode == Exclusive &&
           FLockFile == QFile::encodeName(LockFileOf(dataFile));
}
