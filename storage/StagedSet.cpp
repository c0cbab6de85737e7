#include "StagedSet.h"

#include "SqlError.h"
#include "base/Files.h"

#include <QDir>
#include <QFile>
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

bool StagedSet::PutInPlace() {
    Stop(Staged);
    if (!WriteFileSynced(MarkOf(FFolder), QByteArray()) || !SyncToDisk(StagingOf(FFolder))) {
        QFile::remove(MarkOf(FFolder));
        return false;
    }
    Stop(Marked);
    MoveStaged(FFolder);
    FDone = true;
    return true;
}

void StagedSet::MoveStaged(const QString& folder) {
    bool first = true;
    for (const QString& name : StagedNames(folder)) {
        const QString live = ResolveFileNoCase(QDir(folder).filePath(name));
        // A journal beside the replaced file would be played back into the new one.
        for (const char* suffix : {"-journal", "-wal", "-shm"})
            QFile::remove(live + suffix);
        std::rename(QFile::encodeName(StagingOf(folder) + "/" + name).constData(),
                    QFile::encodeName(live).constData());
        if (first)
            Stop(FirstMoved);
        first = false;
    }
    SyncToDisk(folder);
    // Once every file is in place the mark goes; a move that failed keeps it for the next try.
    if (StagedNames(folder).isEmpty()) {
        QFile::remove(MarkOf(folder));
        QDir(StagingOf(folder)).removeRecursively();
    }
}

bool StagedSet::FinishMarked(const QString& folder) {
    if (!IsMarked(folder))
        return true;
    std::vector<std::unique_ptr<DataFileLock>> holds;
    QString busy;
    if (!HoldLive(folder, holds, busy))
        return false;
    MoveStaged(folder);
    return !IsMarked(folder);
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
