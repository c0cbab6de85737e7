#pragma once

#include <QString>
#include <functional>

class TApplication;

// The management program's start: one copy per user session (a later start brings the
// running copy's window to the front and ends with 0), the application title, the data
// modules beside `programFile`, and the main window, whose login may end the program at once.
// `login` shows the login window and answers its modal result. Returns the exit code.
int RunZezoduzu(TApplication& app, const QString& programFile, const std::function<int()>& login);
