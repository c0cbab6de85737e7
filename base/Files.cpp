#include "Files.h"
#include "FileStamp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <fcntl.h>
#include <unistd.h>

QString ExtractFilePath(const QString& fileName) {
    const int slash = int(fileName.lastIndexOf('/'));
    return slash < 0 ? QString() : fileName.left(slash + 1);
}

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath() + '/';
}

TDateTime FileAge(const QString& fileName) {
    const QFileInfo info(ResolveFileNoCase(fileName));
    if (!info.exists() || !info.isFile())
        return -1;
    return FromQDateTime(info.lastModified());
}

TFileStamp FileStampOf(const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.exists())
        return {};
    return {info.lastModified().toMSecsSinceEpoch(), info.size()};
}

bool FileExists(const QString& fileName) {
    const QFileInfo info(ResolveFileNoCase(fileName));
    return info.exists() && info.isFile();
}

QString FindFileNoCase(const QString& folder, const QString& name) {
    QDir dir(folder);
    if (dir.exists(name))
        return dir.filePath(name);
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return dir.filePath(name);
}

QString ResolveFileNoCase(const QString& path) {
    const QFileInfo info(path);
    return FindFileNoCase(info.path(), info.fileName());
}

QStringList FindFiles(const QString& folder, const QString& pattern) {
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern),
                                QRegularExpression::CaseInsensitiveOption);
    QStringList result;
    for (const QString& entry : QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase))
        if (re.match(entry).hasMatch())
            result.append(entry);
    return result;
}

bool SyncToDisk(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

bool WriteFileSynced(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return written && SyncToDisk(fileName);
}

int DeleteFilesByPattern(const QString& folder, const QString& pattern) {
    int count = 0;
    for (const QString& name : FindFiles(folder, pattern))
        if (QFile::remove(QDir(folder).filePath(name)))
            ++count;
    return count;
}
