#include "DigitBox.h"

#include <QKeyEvent>
#include <QLineEdit>

TDigitBox::TDigitBox(QLineEdit* edit, std::function<void()> exit)
    : QObject(edit), FExit(std::move(exit)) {
    edit->installEventFilter(this);
}

bool TDigitBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        FExit();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (Next)
            Next->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (key->key() == Qt::Key_Backspace)
        return false;
    // Keys without a character (arrows, Tab, Delete) keep their own work.
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    return !(text.size() == 1 && text.at(0) >= '0' && text.at(0) <= '9');
}
