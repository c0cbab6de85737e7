#pragma once

#include <QString>

namespace entrance {

// The management program's start: one copy per user session (a later start brings the
// running copy's window to the front and ends with 0), the application title, the data
// modules beside `programFile`, and the main window, whose login may end the program at once.
// Returns the exit code.
int RunZezoduzu(const QString& programFile);

} // namespace entrance
