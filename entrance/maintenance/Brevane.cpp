#include "Brevane.h"

#include "BackupSet.h"
#include "base/DateTime.h"
#include "base/Files.h"
#include "entrance/common/Unit_Common.h"
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

// The folder of the last backup, where a restore looks first.
constexpr char BackupFolderValue[] = "BackupFolder";

QString PickFolder(QWidget* owner, const QString& title) {
    const QString folder = qEnvironmentVariable("BREVANE_FOLDER");
    return folder.isEmpty() ? GetExistingDirectory(owner, title, ReadAppRegistry(BackupFolderValue))
                            : folder;
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

// A database is copied through the online backup and checked; any other file as it is.
bool CopyForBackup(const QString& from, const QString& to) {
    return IsSqliteFile(from) ? BackupSqlite(from, to) && IsSoundDatabase(to)
                              : QFile::copy(from, to);
}

// Copies a file of the set into the staging folder and checks it: a database, or a file that
// replaces one, must be a sound database.
bool Stage(const QString& from, const QString& staged, const QString& live) {
    if (!QFile::copy(from, staged))
        return false;
    return !(IsSqliteFile(staged) || IsSqliteFile(ResolveFileNoCase(live))) ||
           IsSoundDatabase(staged);
}

// The set of `compName` in the picked folder: the one named after this computer, else one
// made before sets took the computer's name, whose folder is named `compName` itself. A backup
// of the named set that stopped midway is finished first.
QString RestoreSetFolder(const QString& picked, const QString& compName) {
    TBackupSet named(QDir(picked).filePath(BackupSetName(compName)));
    named.Settle();
    const TBackupSet earlier(QDir(picked).filePath(compName));
    return !named.Exists() && earlier.Exists() ? earlier.Path() : named.Path();
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

bool StartBackup(QWidget* owner, const QString& compName) {
    const QString folder = PickFolder(owner, "バックアップ先");
    if (folder.isEmpty())
        return false;
    TBackupSet set(QDir(folder).filePath(BackupSetName(compName)));
    if (!set.Settle() || !set.BeginStaging()) {
        MessageBox(set.Path() + " を作成できませんでした。");
        return false;
    }
    // Told only while the previous set is still in its place.
    const auto kept = [&set] {
        return set.Exists() ? "\r\n前回のバックアップデータはそのまま残っています。" : "";
    };
    for (const QString& file : ResFiles())
        if (!set.StageFile(file, CopyForBackup)) {
            MessageBox(file + " をバックアップできませんでした。" + kept());
            return false;
        }
    if (!set.Complete(Now())) {
        MessageBox(set.Path() + " に書き込めませんでした。" + kept());
        return false;
    }
    WriteAppRegistry(BackupFolderValue, folder);
    return true;
}

TRestoreResult StartRestore(QWidget* owner, const QString& folder, const QString& compName,
                            const std::function<bool(TDateTime made)>& mayReplace) {
    const QString picked = PickFolder(owner, "リストア元");
    if (picked.isEmpty())
        return TRestoreResult::Cancelled;
    const TBackupSet set(RestoreSetFolder(picked, compName));
    const QStringList names = set.Files();
    if (!set.Exists() || names.isEmpty()) {
        MessageBox("バックアップデータが見つかりませんでした。\r\n" + set.Path());
        return TRestoreResult::Failed;
    }
    if (const QString stray = set.StrayFile(); !stray.isEmpty()) {
        MessageBox(
            "バックアップデータのファイルがそろっていないため、リストアできませんでした。\r\n" +
            QDir(set.Path()).filePath(stray));
        return TRestoreResult::Failed;
    }
    StagedSet staged(folder);
    if (!staged.Ready()) {
        MessageBox("リストアの準備ができませんでした。\r\n" + folder);
        return TRestoreResult::Failed;
    }
    for (const QString& name : names)
        if (!Stage(QDir(set.Path()).filePath(name), staged.StagedFile(name),
                   QDir(folder).filePath(name))) {
            MessageBox(name + " をリストアできませんでした。");
            return TRestoreResult::Failed;
        }
    if (!staged.Sync()) {
        MessageBox("リストアできませんでした。\r\n" + folder);
        return TRestoreResult::Failed;
    }
    if (mayReplace && !mayReplace(set.Made()))
        return TRestoreResult::Cancelled;
    QString busy;
    if (!staged.HoldLiveFiles(busy)) {
        MessageBox(busy + " は使用中のためリストアできませんでした。");
        return TRestoreResult::Failed;
    }
    switch (staged.PutInPlace()) {
    case StagedSet::NotMarked:
        MessageBox("リストアできませんでした。\r\n" + folder);
        return TRestoreResult::Failed;
    case StagedSet::Unfinished:
        MessageBox(staged.Unmoved() + " を置き換えられませんでした。");
        return TRestoreResult::Unfinished;
    case StagedSet::InPlace:
        break;
    }
    return TRestoreResult::Restored;
}

} // namespace entrance
