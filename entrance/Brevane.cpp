#include "Brevane.h"

#include "ui/ShowMessage.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>
#include <sqlite3.h>

namespace {

QStringList& ResFiles() {
    static QStringList files;
    return files;
}

QString PickFolder(QWidget* owner, const QString& compName) {
    QString folder = qEnvironmentVariable("BREVANE_FOLDER");
    if (folder.isEmpty())
        folder = QFileDialog::getExistingDirectory(owner, "バックアップ先");
    if (folder.isEmpty())
        return QString();
    const QString set = QDir(folder).filePath(compName);
    return QDir().mkpath(set) ? set : QString();
}

bool IsSqliteFile(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3", 16);
}

// The online backup reads the source page by page under its shared lock, so a writer cannot
// leave the copy half-changed.
bool BackupSqlite(const QString& from, const QString& to) {
    sqlite3* source = nullptr;
    sqlite3* target = nullptr;
    bool ok = sqlite3_open_v2(from.toUtf8(), &source, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
              sqlite3_open(to.toUtf8(), &target) == SQLITE_OK;
    if (ok) {
        sqlite3_busy_timeout(source, 10000);
        sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
        ok = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
        ok = sqlite3_backup_finish(backup) == SQLITE_OK && ok;
    }
    sqlite3_close(source);
    sqlite3_close(target);
    return ok;
}

// Copies beside the target first and renames, so a failed copy leaves the old file whole.
bool CopyFile(const QString& from, const QString& to, bool sqlite) {
    const QString part = to + ".part";
    QFile::remove(part);
    const bool copied = sqlite ? BackupSqlite(from, part) : QFile::copy(from, part);
    if (!copied) {
        QFile::remove(part);
        return false;
    }
    QFile::remove(to);
    return QFile::rename(part, to);
}

} // namespace

void ClearResFile() {
    ResFiles().clear();
}

void AddResFile(const QString& fileName) {
    ResFiles() << fileName;
}

bool StartBackup(QWidget* owner, const QString& compName) {
    const QString set = PickFolder(owner, compName);
    if (set.isEmpty())
        return false;
    for (const QString& file : ResFiles()) {
        const QString to = QDir(set).filePath(QFileInfo(file).fileName());
        if (!CopyFile(file, to, IsSqliteFile(file))) {
            MessageBox(file + " をバックアップできませんでした。");
            return false;
        }
    }
    return true;
}

bool StartRestore(QWidget* owner, const QString& folder, const QString& compName) {
    const QString set = PickFolder(owner, compName);
    if (set.isEmpty())
        return false;
    for (const QString& name : QDir(set).entryList(QDir::Files)) {
        const QString to = QDir(folder).filePath(name);
        if (!CopyFile(QDir(set).filePath(name), to, false)) {
            MessageBox(name + " をリストアできませんでした。");
            return false;
        }
        // A journal left from the replaced file would be played back into the restored one.
        for (const char* suffix : {"-journal", "-wal", "-shm"})
            QFile::remove(to + suffix);
    }
    return true;
}
