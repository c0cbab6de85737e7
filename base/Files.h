#pragma once

#include "DateTime.h"

#include <QString>
#include <QStringList>

// The folder of the running program, with its closing "/".
QString ExtractFilePath(const QString& fileName);
QString ProgramFolder();
// The file's modification time, or -1 when it does not exist (as FileAge).
TDateTime FileAge(const QString& fileName);
bool FileExists(const QString& fileName);
// The path of the entry in `folder` whose name equals `name` without regard to case;
// the path as given (folder + name) when there is none.
QString FindFileNoCase(const QString& folder, const QString& name);
// Like FindFileNoCase for a whole path: the folder as given, the last name matched.
QString ResolveFileNoCase(const QString& path);
// Writes a file's or a folder's data to the disk (fsync), so a rename never puts an unwritten
// file in place and a rename itself is kept; false when that fails.
bool SyncToDisk(const QString& path);
// Writes a small file (a mark, a list) and puts it on the disk; false when either fails.
bool WriteFileSynced(const QString& fileName, const QByteArray& bytes);
// Deletes the files in `folder` matching a wildcard pattern ("*.DB", "TMPLOG1_*");
// case is ignored. Returns how many were deleted.
int DeleteFilesByPattern(const QString& folder, const QString& pattern);
// Names of the files in `folder` matching a wildcard pattern, case ignored, sorted.
QStringList FindFiles(const QString& folder, const QString& pattern);
