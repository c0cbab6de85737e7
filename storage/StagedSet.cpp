#include "StagedSet.h"

#include "SqlError.h"
#include "base/Files.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <sqlite3.h>
#include <unistd.h>

namespace {

const char* const StagingName = "Restore";
// Hidden, so that the listing of the staged files leaves it out.
const char* const MarkName = ".ready";

void Stop(StagedSet::Step step) {
    if (StagedSet::AfterStep)
        StagedSet::AfterStep(step);
}

// Plain string work: a table file's hold asks for the mark of its folder at every statement.
QString FolderOf(const QString& file) {
    const qsizetype slash = file.lastIndexOf('/');
    return slash < 0 ? QString(".") : slash == 0 ? QString("/") : file.left(slash);
}

// Removes `file` when it is there; false when it stays.
bool RemoveIfThere(const QString& file) {
    return ::unlink(QFile::encodeName(file).constData()) == 0 || errno == ENOENT;
}

// Puts `staged` over `live` by an atomic rename. A journal beside the replaced file would be
// played back into the new one: it goes first, and while it stays the file is not replaced.
bool Replace(const QString& staged, const QString& live) {
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        if (!RemoveIfThere(live + suffix))
            return false;
    return std::rename(QFile::encodeName(staged).constData(),
                       QFile::encodeName(live).constData()) == 0;
}

} // namespace

QString StagedSet::StagingOf(const QString& folder) {
    return folder + "/" + StagingName;
}

QString StagedSet::MarkOf(const QString& folder) {
    return StagingOf(folder) + "/" + MarkName;
}

bool StagedSet::IsMarked(const QString& folder) {
    // Asked at every statement that takes a table file, mostly of one folder.
    thread_local QString lastFolder;
    thread_local QByteArray lastMark;
    if (folder != lastFolder) {
        lastMark = QFile::encodeName(MarkOf(folder));
        lastFolder = folder;
    }
    return ::access(lastMark.constData(), F_OK) == 0;
}

QStringList StagedSet::StagedNames(const QString& folder) {
    return QDir(StagingOf(folder)).entryList(QDir::Files, QDir::Name);
}

StagedSet::StagedSet(const QString& folder) : FFolder(QDir(folder).absolutePath()) {
    FLock = std::make_unique<DataFileLock>(StagingOf(FFolder), DataFileLock::Exclusive);
    if (!FLock->IsLocked() || !FinishMarked(FFolder)) {
        FLock.reset();
        return;
    }
    // What an earlier staging left unmarked never went live: it is dropped.
    QDir(StagingOf(FFolder)).removeRecursively();
    if (!QDir().mkpath(StagingOf(FFolder)))
        FLock.reset();
}

StagedSet::~StagedSet() {
    FHolds.clear();
    if (!Ready() || IsMarked(FFolder))
        return;
    QDir(StagingOf(FFolder)).removeRecursively();
}

QString StagedSet::StagedFile(const QString& name) const {
    return StagingOf(FFolder) + "/" + name;
}

bool StagedSet::Sync() {
    for (const QString& name : StagedNames(FFolder))
        if (!SyncToDisk(StagedFile(name)))
            return false;
    return SyncToDisk(StagingOf(FFolder));
}

bool StagedSet::HoldLive(const QString& folder, std::vector<std::unique_ptr<DataFileLock>>& holds,
                         QString& busy) {
    for (const QString& name : StagedNames(folder)) {
        auto hold =
            std::make_unique<DataFileLock>(QDir(folder).filePath(name), DataFileLock::Exclusive);
        if (!hold->IsLocked()) {
            busy = name;
            holds.clear();
            return false;
        }
        holds.push_back(std::move(hold));
    }
    return true;
}

bool StagedSet::HoldLiveFiles(QString& busy) {
    return HoldLive(FFolder, FHolds, busy);
}

StagedSet::Placing StagedSet::PutInPlace() {
    Stop(Staged);
    if (!WriteFileSynced(MarkOf(FFolder), QByteArray()) || !SyncToDisk(StagingOf(FFolder))) {
        QFile::remove(MarkOf(FFolder));
        return NotMarked;
    }
    Stop(Marked);
    FUnmoved = MoveStaged(FFolder);
    return FUnmoved.isEmpty() ? InPlace : Unfinished;
}

QString StagedSet::MoveStaged(const QString& folder) {
    QString unmoved;
    bool first = true;
    for (const QString& name : StagedNames(folder)) {
        if (!Replace(StagingOf(folder) + "/" + name,
                     ResolveFileNoCase(QDir(folder).filePath(name))) &&
            unmoved.isEmpty())
            unmoved = name;
        if (first)
            Stop(FirstMoved);
        first = false;
    }
    // Until the moves are on the disk the mark stays, so that the next connection finishes them.
    if (SyncToDisk(folder) && unmoved.isEmpty()) {
        QFile::remove(MarkOf(folder));
        QDir(StagingOf(folder)).removeRecursively();
    }
    return unmoved;
}

bool StagedSet::FinishMarked(const QString& folder) {
    if (!IsMarked(folder))
        return true;
    std::vector<std::unique_ptr<DataFileLock>> holds;
    QString busy;
    if (!HoldLive(folder, holds, busy))
        return false;
    return MoveStaged(folder).isEmpty();
}

bool StagedSet::FinishInterrupted(const QString& folder) {
    const DataFileLock lock(StagingOf(folder), DataFileLock::Exclusive, DataFileLock::OpenWaitMs);
    return lock.IsLocked() && FinishMarked(folder);
}

void HoldForOpening(DataFileLock& hold) {
    const QString folder = FolderOf(hold.DataFile());
    // A hold taken while no set is marked keeps the set from being marked: its restore holds
    // every live file of the set before it marks.
    for (int attempt = 0; attempt < 2; ++attempt) {
        hold.Take(DataFileLock::OpenWaitMs);
        if (hold.GetState() == DataFileLock::Busy)
            break;
        if (!StagedSet::IsMarked(folder))
            return;
        hold.Release();
        if (!StagedSet::FinishInterrupted(folder))
            break;
    }
    throw ESqlError("the file is being replaced or deleted by another program: " + hold.DataFile(),
                    SQLITE_BUSY);
}

std::unique_ptr<DataFileLock> HoldForOpening(const QString& dataFile) {
    auto hold =
        std::make_unique<DataFileLock>(dataFile, DataFileLock::Shared, DataFileLock::OpenWaitMs);
    HoldForOpening(*hold);
    return hold;
}
