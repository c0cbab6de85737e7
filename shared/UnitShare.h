#pragma once

#include <QString>

// Sharing the data folder on the network, the database engine's "LOCAL SHARE", emptying a
// folder and starting a program: linked into both programs.

// The name the data folder is shared under, by whichever program starts on the data PC.
inline constexpr char DataShareName[] = "Zezoduzu";

// Shares `folder` (no closing "/") under the name through Samba's "net usershare add";
// an existing share of that name counts as success. False where Samba is missing.
bool AddShare(const QString& folder, const QString& shareName);
// Shares the program folder: "//" + host + "/" + share + "/" on success, else the program
// folder with its closing "/".
QString GetSharedDataPath(const QString& shareName);
// Same for a given folder (the program folder is what the programs pass).
QString GetSharedDataPath(const QString& folder, const QString& shareName);

// The engine's persistent configuration: key "path;entry" ("\SYSTEM\INIT\;LOCAL SHARE").
// Raises on a key without ";" and on an entry the configuration does not hold.
void SetBdeConfigValue(const QString& key, const QString& value);
bool IsLocalShareOn();
// Makes sure "LOCAL SHARE" is "TRUE"; when it cannot be set, shows the message and ends the
// program.
void EnsureLocalShare();

// Deletes the ordinary files of `folder` (given with its closing "/"); silent.
void DeleteFilesInFolder(const QString& folder);
// Starts a program file; on failure shows "起動できませんでした " + the error number.
bool ExecProgram(const QString& path);
