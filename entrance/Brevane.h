#pragma once

#include <QString>

class QWidget;

// The backup library: a list of files to back up, copied into a folder the user picks, and
// restored from it. The folder comes from the environment value BREVANE_FOLDER when set (tests
// and scripted runs), else from a folder dialog. An SQLite file is copied through SQLite's
// online backup, so the copy is consistent even while another program writes to it.
// `compName` names the backup set's subfolder. Failures are shown to the user and the calls
// return false.

void ClearResFile();
void AddResFile(const QString& fileName);
bool StartBackup(QWidget* owner, const QString& compName);
// Replaces the files of `folder` by the backed-up ones and removes the journals beside them.
bool StartRestore(QWidget* owner, const QString& folder, const QString& compName);
