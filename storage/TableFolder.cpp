#include "TableFolder.h"

#include "SqlError.h"
#include "StagedSet.h"

#include <QFile>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file's inode, or 0 when it does not exist.
ino_t InodeOf(const QString& file) {
    struct stat st;
    return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? st.st_ino : 0;
}

qint64 TimeOf(const QString& folder) {
    struct stat st;
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
        return -1;
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

[[noreturn]] void RaiseFileError(const QString& what, int error) {
    throw ESqlError(what + ": " + QString::fromLocal8Bit(std::strerror(error)),
                    error == EACCES || error == EPERM || error == EROFS ? SQLITE_READONLY
                                                                        : SQLITE_IOERR);
}

bool IsFile(const QString& folder, const dirent& entry) {
    if (entry.d_type == DT_REG)
        return true;
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK)
        return false;
    struct stat st;
    const QByteArray path = QFile::encodeName(folder + "/") + entry.d_name;
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// The names of the folder's files; raises when the folder cannot be read to its end, since an
// empty or half list would make every table look missing.
QStringList FilesOf(const QString& folder) {
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        RaiseFileError("cannot list the folder " + folder, errno);
    QStringList files;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (IsFile(folder, *entry))
            files << QFile::decodeName(entry->d_name);
        errno = 0;
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0)
        RaiseFileError("cannot list the folder " + folder, error);
    return files;
}

// Makes the file, which must not exist yet, and gives its inode.
ino_t CreateNewFile(const QString& file, const QString& table) {
    const int fd =
        ::open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EEXIST)
            throw ESqlError(QString("table %1 already exists").arg(table), SQLITE_ERROR);
        RaiseFileError("cannot create the file of table " + table, errno);
    }
    struct stat st;
    const int statResult = ::fstat(fd, &st);
    ::close(fd);
    return statResult == 0 ? st.st_ino : 0;
}

QString Quoted(const QString& text, QChar quote) {
    QString t = text;
    return quote + t.replace(quote, QString(2, quote)) + quote;
}

// A month's log table "ENTRANCE_LOG<yyyy>_<mm>" gets an index on its date, which the reports'
// conditions use; a file made before the index was made gets it when it is attached. A file
// that cannot be written now (locked, read-only, no table yet) simply stays without it.
void IndexMonthTable(sqlite3* db, const QString& key, const QString& schema) {
    static const QRegularExpression monthTable("^ENTRANCE_LOG\\d{4}_\\d{2}$");
    if (!monthTable.match(key).hasMatch())
        return;
    const QByteArray sql =
        QString("CREATE INDEX IF NOT EXISTS %1.%2 ON %3 (操作日時)")
            .arg(Quoted(schema, '"'), Quoted(key + "_操作日時", '"'), Quoted(key, '"'))
            .toUtf8();
    sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
}

} // namespace

TableLease::TableLease(TableLease&& other) noexcept
    : FFolder(other.FFolder), FKeys(std::move(other.FKeys)) {
    other.FFolder = nullptr;
}

TableLease& TableLease::operator=(TableLease&& other) noexcept {
    if (this != &other) {
        Release();
        FFolder = other.FFolder;
        FKeys = std::move(other.FKeys);
        other.FFolder = nullptr;
    }
    return *this;
}

TableLease::~TableLease() {
    Release();
}

void TableLease::Release() {
    if (FFolder)
        FFolder->Release(FKeys);
    FFolder = nullptr;
}

TableFolder::TableFolder(sqlite3* db, const QString& folder) : FDb(db), FFolder(folder) {}

bool TableFolder::IsTableName(const QString& name) {
    return !name.isEmpty() && !name.startsWith('.') && !name.contains("..") &&
           !name.contains('/') && !name.contains('\\') && !name.contains(QChar(0));
}

void TableFolder::CheckTableName(const QString& name) {
    if (!IsTableName(name))
        throw ESqlError(QString("\"%1\" is not allowed as a table name: a table is a file of "
                                "its own directly in the data folder")
                            .arg(name),
                        SQLITE_AUTH);
}

void TableFolder::CheckRenaming(const QString& table, const QString& name) {
    CheckTableName(name);
    if (name.compare(table, Qt::CaseInsensitive) != 0)
        throw ESqlError(QString("table %1 cannot be renamed to %2: a table is the file of its "
                                "name in the data folder")
                            .arg(table, name),
                        SQLITE_AUTH);
}

void TableFolder::Relist(qint64 time) {
    const QStringList files = FilesOf(FFolder);
    FFiles.clear();
    for (const QString& f : files)
        if (f.endsWith(".DB", Qt::CaseInsensitive) && IsTableName(f.left(f.size() - 3)))
            FFiles.insert(f.left(f.size() - 3).toUpper(), f);
    FListedAt = time;
}

QString TableFolder::Lookup(const QString& key, qint64 time) {
    if (!IsTableName(key))
        return QString();
    // The folder's time also changes with every journal file, this program's own included:
    // a listed file that is still there is taken without listing the folder again.
    auto it = FFiles.constFind(key);
    if (it != FFiles.cend() && (time == FListedAt || QFile::exists(FFolder + "/" + it.value())))
        return FFolder + "/" + it.value();
    if (time == FListedAt && time != -1)
        return QString();
    Relist(time);
    it = FFiles.constFind(key);
    return it == FFiles.cend() ? QString() : FFolder + "/" + it.value();
}

QString TableFolder::FileOf(const QString& table) {
    return Lookup(table.toUpper(), TimeOf(FFolder));
}

QString TableFolder::NewFileOf(const QString& table) const {
    return FFolder + "/" + table.toUpper() + ".DB";
}

QString TableFolder::SchemaOf(const QString& table) const {
    const auto it = FAttached.constFind(table.toUpper());
    return it == FAttached.cend() ? QString() : it->Schema;
}

QStringList TableFolder::TableNames() {
    const qint64 time = TimeOf(FFolder);
    if (time != FListedAt || time == -1)
        Relist(time);
    QStringList names;
    for (const QString& file : FFiles)
        names.append(file.left(file.size() - 3));
    names.sort(Qt::CaseInsensitive);
    return names;
}

TableLease TableFolder::Use(const QStringList& names) {
    // A transaction ended by the text of a statement lets go here.
    if (sqlite3_get_autocommit(FDb))
        TransactionEnded();
    qint64 time = NotRead;
    QStringList keys;
    try {
        for (const QString& name : names) {
            const QString key = name.toUpper();
            if (!keys.contains(key) && UseOne(key, time))
                keys.append(key);
        }
    } catch (...) {
        Release(keys);
        throw;
    }
    return TableLease(this, keys);
}

bool TableFolder::UseOne(const QString& key, qint64& time) {
    auto it = FAttached.find(key);
    if (it != FAttached.end() && !it->Held) {
        // Held before it is looked at, so it cannot be replaced or removed after the look.
        HoldForOpening(*it->Hold);
        it->Held = true;
        if (IsGone(*it)) {
            // A transaction that has taken the old file keeps it to its end; the old rows are
            // never read, and the next use looks again.
            if (sqlite3_txn_state(FDb, it->Schema.toUtf8().constData()) != SQLITE_TXN_NONE) {
                LetGo(*it);
                throw ESqlError(QString("the file of table %1 was replaced or removed by another "
                                        "program: end the transaction to read it anew")
                                    .arg(key),
                                SQLITE_ERROR);
            }
            Detach(key);
            it = FAttached.end();
        }
    }
    if (it == FAttached.end()) {
        // Only a name not attached looks at the folder: the folder's time changes with every
        // journal file, this program's own included.
        if (time == NotRead)
            time = TimeOf(FFolder);
        const QString file = Lookup(key, time);
        if (file.isEmpty())
            return false;
        std::unique_ptr<DataFileLock> hold = HoldForOpening(file);
        // Attaching a file removed meanwhile would make an empty one.
        if (!QFile::exists(file))
            return false;
        Attach(key, file, std::move(hold));
        it = FAttached.find(key);
    }
    ++it->Users;
    it->LastUse = ++FUseCounter;
    return true;
}

TableLease TableFolder::Create(const QString& table) {
    CheckTableName(table);
    if (!FileOf(table).isEmpty())
        throw ESqlError(QString("table %1 already exists").arg(table), SQLITE_ERROR);
    const QString key = table.toUpper();
    if (FAttached.contains(key))
        Detach(key); // its file was deleted since
    // Made here and only here, so an undo knows the file is its own.
    const QString file = NewFileOf(table);
    std::unique_ptr<DataFileLock> hold = HoldForOpening(file);
    const ino_t made = CreateNewFile(file, table);
    FListedAt = -1;
    try {
        Attach(key, file, std::move(hold));
    } catch (...) {
        RemoveIfSame(file, made);
        throw;
    }
    Attached& a = FAttached[key];
    a.Made = made;
    a.Users = 1;
    a.LastUse = ++FUseCounter;
    return TableLease(this, {key});
}

void TableFolder::Remove(const QString& table) {
    const QString key = table.toUpper();
    const auto it = FAttached.constFind(key);
    if (it != FAttached.cend()) {
        if (it->Users > 0)
            throw ESqlError(QString("table %1 is in use").arg(table), SQLITE_LOCKED);
        Detach(key);
    }
    const QString file = FileOf(table);
    if (file.isEmpty())
        throw ESqlError(QString("no such table: %1").arg(table), SQLITE_ERROR);
    const DataFileLock exclusive(file, DataFileLock::Exclusive);
    if (!exclusive.IsLocked())
        throw ESqlError(QString("table %1 is in use").arg(table), SQLITE_LOCKED);
    if (!QFile::remove(file))
        throw ESqlError(QString("cannot delete the file of table %1").arg(table), SQLITE_IOERR);
    FListedAt = -1;
}

void TableFolder::Discard(const QString& table) {
    const auto it = FAttached.constFind(table.toUpper());
    if (it == FAttached.cend())
        return;
    const QString file = it->File;
    const ino_t made = it->Made;
    Detach(it.key());
    if (made != 0)
        RemoveIfSame(file, made);
    FListedAt = -1;
}

void TableFolder::RemoveIfSame(const QString& file, ino_t inode) {
    if (InodeOf(file) == inode)
        QFile::remove(file);
}

bool TableFolder::IsGone(const Attached& a) {
    // While the file is attached it stays open, so a new file never gets its inode.
    const ino_t inode = InodeOf(a.File);
    return inode == 0 || inode != a.Inode;
}

void TableFolder::Attach(const QString& key, const QString& file,
                         std::shared_ptr<DataFileLock> hold) {
    MakeRoom();
    ++FAttachments;
    const QString schema = key;
    RunSql(FDb, QString("ATTACH DATABASE %1 AS %2").arg(Quoted(file, '\''), Quoted(schema, '"')));
    Attached a;
    a.Schema = schema;
    a.File = file;
    try {
        // Rollback journal, so a change shows in the table file's own time.
        RunSql(FDb, QString("PRAGMA %1.journal_mode=DELETE").arg(Quoted(schema, '"')));
        RunSql(FDb, QString("PRAGMA %1.cache_size=-%2").arg(Quoted(schema, '"')).arg(PageCacheKiB));
    } catch (...) {
        RunSql(FDb, QString("DETACH DATABASE %1").arg(Quoted(schema, '"')));
        throw;
    }
    a.Inode = InodeOf(file);
    a.Hold = std::move(hold);
    a.Held = true;
    FAttached.insert(key, std::move(a));
    IndexMonthTable(FDb, key, schema);
}

void TableFolder::Detach(const QString& key) {
    ++FAttachments;
    RunSql(FDb, QString("DETACH DATABASE %1").arg(Quoted(FAttached.value(key).Schema, '"')));
    FAttached.remove(key);
}

void TableFolder::TransactionEnded() {
    if (!FHeldForTransaction)
        return;
    FHeldForTransaction = false;
    for (Attached& a : FAttached)
        if (a.Users == 0)
            LetGo(a);
}

void TableFolder::TransactionStarting() {
    QStringList gone;
    for (auto it = FAttached.cbegin(); it != FAttached.cend(); ++it)
        if (!it->Held && IsGone(*it))
            gone.append(it.key());
    for (const QString& key : gone)
        Detach(key);
}

void TableFolder::LetGo(Attached& a) {
    if (a.Held)
        a.Hold->Release();
    a.Held = false;
}

void TableFolder::MakeRoom() {
    const int limit = sqlite3_limit(FDb, SQLITE_LIMIT_ATTACHED, -1);
    while (FAttached.size() >= limit) {
        QString oldest;
        quint64 oldestUse = ~quint64(0);
        for (auto it = FAttached.cbegin(); it != FAttached.cend(); ++it)
            if (it->Users == 0 && it->LastUse < oldestUse) {
                oldest = it.key();
                oldestUse = it->LastUse;
            }
        if (oldest.isEmpty())
            throw ESqlError(QString("more than %1 tables in use at once").arg(limit), SQLITE_ERROR);
        Detach(oldest);
    }
}

void TableFolder::Release(const QStringList& keys) {
    for (const QString& key : keys) {
        auto it = FAttached.find(key);
        if (it == FAttached.end() || it->Users == 0 || --it->Users > 0)
            continue;
        if (sqlite3_get_autocommit(FDb))
            LetGo(*it);
        else
            FHeldForTransaction = true;
    }
}
