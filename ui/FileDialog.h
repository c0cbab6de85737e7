#pragma once

#include <QString>

class QWidget;

// Qt's own file dialog, the same on every desktop and in the program's language, with the
// files' sizes and dates in the program's locale. Each returns the chosen path, empty when the user
// cancelled.

// Asks for a file to write, offering `suggested` (a folder and a name).
QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                        const QString& filter);
// Asks for a folder, starting in `start` (where the last dialog was, when empty).
QString GetExistingDirectory(QWidget* parent, const QString& caption,
                             const QString& start = QString());
