#pragma once

#include <QString>

class QPushButton;
class QStatusBar;
class QVBoxLayout;
class TForm;

namespace entrance {

// The parts the person dialogs share: the title panel on top, the print and close buttons and
// the status bar at the bottom.

// The dialog's layout, headed by the title panel.
QVBoxLayout* NewDialogLayout(TForm* form, const QString& title);

struct TPrintButtons {
    QPushButton* Print;
    QPushButton* Close;
    QStatusBar* Status;
};
// "印　刷" and "閉じる" at the right, the status bar showing `status` below them. "閉じる"
// closes the dialog and is where Esc moves the focus.
TPrintButtons AddPrintButtons(TForm* form, QVBoxLayout* layout, const QString& status);

} // namespace entrance
