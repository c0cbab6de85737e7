#include "Brevane.h"

#include "base/Files.h"
#include "storage/StagedSet.h"
#include "ui/FileDialog.h"
#include "ui/ShowMessage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostInfo>
#include <QStringList>
#include <sqlite3.h>

namespace entrance {

namespace {

QStringList& ResFiles() {
    static QStringList files;
    return files;
}

QString PickFolder(QWidget* owner) {
    const QString folder = qEnvironmentVariable("BREVANE_FOLDER");
    return folder.isEmpty() ? GetExistingDirectory(owner, "バックアップ先") : folder;
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

// SQLite's whole check of a database file; false for a file that is no database.
bool IsSoundDatabase(const QString& fileName) {
    sqlite3* db = nullptr;
    bool sound =
        IsSqliteFile(fileName) && sqlite3_open_v2(QFile::encodeName(fileName).constData(), &db,
                                                  SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    sqlite3_stmt* st = nullptr;
    sound = sound &&
            sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW &&
            qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "ok") == 0;
    sqlite3_finalize(st);
    sqlite3_close(db);
    return sound;
}

// Copies a file of the set into the staging folder and checks it: a database, or a file that
// replaces one, must be a sound database.
bool Stage(const QString& from, const QString& staged, const QString& live) {
    if (!QFile::copy(from, staged))
        return false;
    return !(IsSqliteFile(staged) || IsSqliteFile(ResolveFileNoCase(live))) ||
           IsSoundDatabase(staged);
}

} // namespace

void ClearResFile() {
    ResFiles().clear();
}

void AddResFile(const QString& fileName) {
    ResFiles() << fileName;
}

QString BackupSetName(const QString& compName) {
    const QString computer = QHostInfo::localHostName();
    return compName == "CompName" && !computer.isEmpty() ? computer : compName;
}

// The set of `compName` in the picked folder: the one named after this computer, else one
// made before sets took the computer's name, whose folder is named `compName` itself.
static QDir RestoreSetFolder(const QString& picked, const QString& compName) {
    const QDir named(QDir(picked).filePath(BackupSetName(compName)));
    const QDir earlier(QDir(picked).filePath(compName));
    const bool onlyEarlier = named.isEmpty(QDir::Files) && !earlier.isEmpty(QDir::Files);
    return onlyEarlier ? earlier : named;
}

bool StartBackup(QWidget* owner, const QString& compName) {
    const QString folder = PickFolder(owner);
    if (folder.isEmpty())
        return false;
    const QString set = QDir(folder).filePath(BackupSetName(compName));
    if (!QDir().mkpath(set)) {
        MessageBox(set + " を作成できませんでした。");
        return false;
    }
    for (const QString& file : ResFiles()) {
        const QString to = QDir(set).filePath(QFileInfo(file).fileName());
        if (!CopyFile(file, to, IsSqliteFile(file))) {
            MessageBox(file + " をバックアップできませんでした。");
            return false;
        }
    }
    return true;
}

bool StartRestore(QWidget* owner, const QString& folder, const QString& compName,
                  const std::function<bool()>& mayReplace) {
    const QString picked = PickFolder(owner);
    if (picked.isEmpty())
        return false;
    const QDir set = RestoreSetFolder(picked, compName);
    const QStringList names = set.entryList(QDir::Files, QDir::Name);
    if (names.isEmpty()) {
        MessageBox("バックアップデータが見つかりませんでした。\r\n" + set.path());
        return false;
    }
    StagedSet staged(folder);
    if (!staged.Ready()) {
        MessageBox("リストアの準備ができませんでした。\r\n" + folder);
        return false;
    }
    for (const QString& name : names)
        if (!Stage(set.filePath(name), staged.StagedFile(name), QDir(folder).filePath(name))) {
            MessageBox(name + " をリストアできませんでした。");
            return false;
        }
    if (!staged.Sync()) {
        MessageBox("リストアできませんでした。\r\n" + folder);
        return false;
    }
    if (mayReplace && !mayReplace())
        return false;
    QString busy;
    if (!staged.HoldLiveFiles(busy)) {
        MessageBox(busy + " は使用中のためリストアできませんでした。");
        return false;
    }
    if (!staged.PutInPlace()) {
        MessageBox("リストアできませんでした。\r\n" + folder);
        return false;
    }
    return true;
}

} // namespace entrance
