#pragma once

#include <QString>

#include <functional>

// What the database access library shows the user, handed in by the program at start-up:
// the wait cursor while a call runs (calls nest: each "on" is followed by one "off") and a
// notice in a message box. Until a program hands them in, the library shows no cursor and
// a notice goes to the log.
struct TODBCScreen {
    std::function<void(bool on)> SetWaitCursor;
    std::function<void(const QString& text)> ShowNotice;
};

// Set once at start-up, before the first database call.
void SetODBCScreen(TODBCScreen screen);

void ShowSQLWaitCursor(bool on);
void ShowODBCNotice(const QString& text);
