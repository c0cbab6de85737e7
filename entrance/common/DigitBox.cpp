#include "DigitBox.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

namespace entrance {

TDigitBox::TDigitBox(QLineEdit* edit, std::function<void()> exit, const QString& extra)
    : QObject(edit), FExit(std::move(exit)), FExtra(extra) {
    edit->installEventFilter(this);
}

bool TDigitBox::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // A message box, another window or a drop-down taking the focus is no leaving of the
        // box: its text stays until the operator leaves it.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            FExit();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (!Next)
            return false;
        Next->setFocus(Qt::TabFocusReason);
        return true;
    }
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    return !std::all_of(text.begin(), text.end(),
                        [this](QChar c) { return (c >= '0' && c <= '9') || FExtra.contains(c); });
}

} // namespace entrance
