#pragma once

#include "DataFileLock.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// A set of files put into a data folder as one (the restore of a backup set). The files are
// written into the folder's subfolder "Restore" first and checked there; nothing live changes
// until all of them are on the disk. Then, with every live file of the set held exclusively,
// a mark file says that the set goes in place, and each staged file replaces its live one by an
// atomic rename. Should the work stop after the mark, the next connection to the folder
// finishes it (FinishInterrupted), so every program sees either the old set or the new one
// whole. Only one staging runs per folder at a time (its own lock on "Restore").
class StagedSet {
public:
    // Steps a test may stop the work after (a kill between them).
    enum Step { Staged, Marked, FirstMoved };
    static inline std::function<void(Step)> AfterStep;

    // Takes the folder's staging, finishing a marked set left there first; Ready() is false
    // when another staging runs or the subfolder cannot be made.
    explicit StagedSet(const QString& folder);
    // Removes the staging subfolder unless the set was put in place.
    ~StagedSet();
    StagedSet(const StagedSet&) = delete;
    StagedSet& operator=(const StagedSet&) = delete;

    bool Ready() const { return FLock && FLock->IsLocked(); }
    // Where the file of that name is staged.
    QString StagedFile(const QString& name) const;
    // Writes the staged files to the disk; false when that fails.
    bool Sync();
    // Holds the live files of the staged names exclusively; false, naming in `busy` the first
    // that another holder keeps, when one cannot be held.
    bool HoldLiveFiles(QString& busy);
    // What PutInPlace did: nothing live changed (the mark could not be written), a file could
    // not be put in place (the set stays marked for the next connection to finish), or the
    // whole set is in place.
    enum Placing { NotMarked, Unfinished, InPlace };
    // Marks the set and puts each staged file in place; the journals of the replaced files go
    // first, as they belong to the old contents.
    Placing PutInPlace();
    // After Unfinished, the first staged file that did not take its live one's place.
    const QString& Unmoved() const { return FUnmoved; }

    // A stopped restore left a marked set in `folder`.
    static bool IsMarked(const QString& folder);
    // Puts in place a marked set that a stopped restore left in `folder`, waiting for a
    // staging under way; false when it could not (a live file of the set is held).
    static bool FinishInterrupted(const QString& folder);

private:
    static QString StagingOf(const QString& folder);
    static QString MarkOf(const QString& folder);
    static QStringList StagedNames(const QString& folder);
    // Holds the live files of the staged names; false, naming the first busy one in `busy`.
    static bool HoldLive(const QString& folder, std::vector<std::unique_ptr<DataFileLock>>& holds,
                         QString& busy);
    // Puts the marked set in place under the staging lock; false when a live file is held.
    static bool FinishMarked(const QString& folder);
    // Moves every staged file over its live one, then drops the mark and the subfolder; a file
    // that cannot be moved keeps both for the next try. The first such file, empty when none.
    static QString MoveStaged(const QString& folder);

    const QString FFolder;
    std::unique_ptr<DataFileLock> FLock;
    std::vector<std::unique_ptr<DataFileLock>> FHolds;
    QString FUnmoved;
};

// The shared hold of a data file being opened (the connections' hold). It waits up to
// DataFileLock::OpenWaitMs while a compaction, restore or deletion holds the file and then
// raises ESqlError (SQLITE_BUSY); a restore that stopped midway is finished first. Where no
// lock file can be made (a read-only folder, where nothing can replace the file either) the
// file opens unheld.
std::unique_ptr<DataFileLock> HoldForOpening(const QString& dataFile);
// Takes a hold made by the above again after it was let go (DataFileLock::Release), the same
// way.
void HoldForOpening(DataFileLock& hold);
