#pragma once

#include "base/DateTime.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace entrance {

// One backup set: the folder of copies that one backup leaves in the picked folder, written as
// a whole. A new set goes into the staging folder beside it (".<set>.new"): the files are
// copied there and checked, then the set's list ("Brevane.lst": when the set was made, and per
// file its name, size and SHA-256) is written, and everything is synced. A mark then says the
// staging is complete, and two renames put it in place of the previous set, which waits aside
// (".<set>.old") until the new one stands. Before the mark the previous set is untouched; from
// the mark on, Settle (run by the next backup or restore of the set) finishes the renames. So
// the set is always the previous backup or the new one, whole.
//
// A set made before sets had a list is all the files of its folder, and cannot be checked.
class TBackupSet final {
public:
    // Points a test may stop a backup after (a kill between them).
    enum Step { FileStaged, Listed, Marked, OldAside, NewInPlace };
    static inline std::function<void(Step)> AfterStep;
    static constexpr char ListName[] = "Brevane.lst";

    explicit TBackupSet(const QString& folder);
    // Drops a staging this object began and did not complete.
    ~TBackupSet();
    TBackupSet(const TBackupSet&) = delete;
    TBackupSet& operator=(const TBackupSet&) = delete;

    const QString& Path() const { return FPath; }
    // Puts a marked staging in place and drops an unmarked one; false when a rename fails.
    bool Settle();

    // A fresh staging folder; false when it cannot be made.
    bool BeginStaging();
    // Puts a copy of `file` into the staging by `copy`(from, to); false when that fails.
    bool StageFile(const QString& file,
                   const std::function<bool(const QString& from, const QString& to)>& copy);
    // Lists and syncs the staged files as the set made at `made`, marks the staging and puts it
    // in place; false when that fails before the mark (the previous set is untouched then).
    bool Complete(TDateTime made);

    // The set holds files.
    bool Exists() const;
    // The files to restore: those of the list, or every file of a set without one.
    QStringList Files() const;
    // When the set was made: its list's time, or the newest file's time without a list.
    TDateTime Made() const;
    // The first file of the list that is missing or differs from what the list says, or the
    // list itself when it cannot be read; empty when the files belong together.
    QString StrayFile() const;

private:
    struct TEntry {
        QString Name;
        qint64 Size = 0;
        QByteArray Hash;
    };
    QString StagingPath() const;
    QString AsidePath() const;
    QString MarkOf(const QString& folder) const;
    bool HasList() const;
    // The list's time and entries; false when it cannot be read.
    bool ReadList(TDateTime& made, QList<TEntry>& entries) const;
    bool WriteList(TDateTime made);
    bool WriteMark();

    const QString FPath;
    bool FStaging = false;
};

} // namespace entrance
