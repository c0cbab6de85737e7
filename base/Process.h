#pragma once

#include <QString>

// The file that stands for a Windows program name ("RERUZIDA.EXE") in `folder`: the name
// without its extension, matched without case. Empty when there is none.
QString FindProgram(const QString& folder, const QString& exeName);
// Starts the program detached; false when it is missing or could not start.
bool StartProgram(const QString& folder, const QString& exeName);
