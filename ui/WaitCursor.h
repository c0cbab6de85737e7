#pragma once

// The wait cursor over the whole program while a database call runs; nested calls stack.
// Without a QApplication (a program without screens) it does nothing.
void SetWaitCursor(bool on);
