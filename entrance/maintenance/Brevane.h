#pragma once

#include "base/DateTime.h"

#include <QString>
#include <functional>

class QWidget;

namespace entrance {

// The backup library: a list of files to back up, copied into a folder the user picks, and
// restored from it. The folder comes from the environment value BREVANE_FOLDER when set (tests
// and scripted runs), else from a folder dialog titled for what it does. An SQLite file is
// copied through SQLite's online backup, so the copy is consistent even while another program
// writes to it. `compName` says what names the backup set's subfolder of the picked folder:
// "CompName" is this computer's name (BackupSetName), any other text is the name itself.
// Failures are shown to the user.

void ClearResFile();
void AddResFile(const QString& fileName);
// Writes the listed files as a new set that replaces the previous one whole (TBackupSet);
// false, with the previous set untouched, when the folder is not picked or a file fails.
bool StartBackup(QWidget* owner, const QString& compName);

// Unfinished: some live files were replaced, the others are replaced when the folder is opened
// next.
enum class TRestoreResult { Restored, Cancelled, Failed, Unfinished };
// Replaces the files of `folder` by the backed-up set as one (StagedSet): a set whose files
// do not belong together is refused, the set is copied beside the live files and each SQLite
// file checked first, and nothing live changes when anything fails. `mayReplace`, given when
// the set was made, is asked right before the live files are touched; false stops there.
// A picked folder without the set is told and left as it is.
TRestoreResult StartRestore(QWidget* owner, const QString& folder, const QString& compName,
                            const std::function<bool(TDateTime made)>& mayReplace = {});
// The subfolder that holds the set of `compName`.
QString BackupSetName(const QString& compName);

} // namespace entrance
