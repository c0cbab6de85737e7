#include "LRPageFile.h"

#include "base/SysUtils.h"

#include <QDir>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Far more numbers than previews can run at once; the search ends there rather than loop.
constexpr int MaxPageFiles = 0xFFFF;

QString PageFileName(int n) {
    return QDir::tempPath() + "/vLR" + QString::number(n, 16).toUpper() + ".TMP";
}

[[noreturn]] void CannotCreate(const QString& name, int error) {
    throw Exception(
        QString("Cannot create file \"%1\". %2")
            .arg(QDir::toNativeSeparators(name), QString::fromLocal8Bit(strerror(error))));
}

} // namespace

TLRPageFile::TLRPageFile() {
    for (int n = 1; n <= MaxPageFiles; ++n)
        if (Claim(PageFileName(n)))
            return;
    CannotCreate(PageFileName(1), EEXIST);
}

// The owner deletes the file while it still holds the lock, so a preview that locks the same
// name at that moment sees that the name no longer leads to the file it locked and tries again.
bool TLRPageFile::Claim(const QString& name) {
    const QByteArray path = QFile::encodeName(name);
    for (;;) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            // Another user's file is passed over; a folder that takes no file is an error.
            if (QFile::exists(name))
                return false;
            CannotCreate(name, errno);
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return false;
        }
        struct stat opened {
        }, named{};
        if (::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 &&
            opened.st_dev == named.st_dev && opened.st_ino == named.st_ino) {
            if (::ftruncate(fd, 0) != 0 ||
                !FFile.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
                ::close(fd);
                return false;
            }
            FName = name;
            return true;
        }
        ::close(fd);
    }
}

TLRPageFile::~TLRPageFile() {
    ::unlink(QFile::encodeName(FName).constData());
    FFile.close();
}
