#pragma once

// The wait cursor over the whole program while a database call runs; nested calls stack.
// Without a QApplication (a program without screens) it does nothing.
void SetWaitCursor(bool on);

// While one lives, the database calls' wait cursor shows as the arrow, so that work the
// user did not start (a unit's record, a periodic job) does not make the pointer flicker.
class TSQLWaitAsArrow {
public:
    TSQLWaitAsArrow();
    ~TSQLWaitAsArrow();
    TSQLWaitAsArrow(const TSQLWaitAsArrow&) = delete;
    TSQLWaitAsArrow& operator=(const TSQLWaitAsArrow&) = delete;
};
