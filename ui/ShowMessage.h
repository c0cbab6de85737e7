#pragma once

#include <QString>

// A modal message box with the application's title and an OK button.
// Without a QApplication (a program without screens) the text goes to the log.
void ShowMessage(const QString& text);
