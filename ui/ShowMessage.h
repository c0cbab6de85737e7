#pragma once

#include <QString>

class QMessageBox;

// Buttons and icon of MessageBox, as the screens ask for them.
enum : unsigned { MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ICONEXCLAMATION = 0x30 };
// The button that closed a MessageBox.
enum : int { IDOK = 1, IDCANCEL = 2 };

// A modal message box with the application's title: OK, or OK and Cancel, with or without
// the exclamation icon. A carriage return, alone or before a line feed, breaks the line as a
// line feed does. Closing the box any other way answers IDCANCEL (IDOK for OK alone).
// Without a QApplication (a program without screens) the text goes to the log and the
// answer is IDOK.
int MessageBox(const QString& text, unsigned flags = MB_OK);

// A message box with the application's title and an OK button.
void ShowMessage(const QString& text);

// Widens `box` so that its whole caption shows in the window manager's title bar, beside the
// bar's icon and buttons; left to itself, the box allows the caption only 50 px more than its
// text. Call before the box shows.
void FitTitle(QMessageBox& box);
