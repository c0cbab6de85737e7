#pragma once

#include <QString>

namespace entrance {

// The management program's start: one copy per user session (a later start brings the
// running copy's window to the front and ends with 0), the application title, the data
// modules beside `programFile`, and the main window, whose login may end the program at once.
// Returns the exit code.
int RunZezoduzu(const QString& programFile);

// The management program's error log beside `programFile`: Qt's critical and fatal messages,
// a failed assert among them, which would otherwise end the program without a trace.
inline constexpr char ErrorLogName[] = "ZezoduzuErrorLog.Log";
void LogQtFaultsBeside(const QString& programFile);

} // namespace entrance
