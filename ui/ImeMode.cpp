#include "ui/ImeMode.h"

#include <QWidget>

void SetImeMode(QWidget* widget, TImeMode mode) {
    const bool composes = mode != imDisable && mode != imClose && mode != imSAlpha;
    widget->setAttribute(Qt::WA_InputMethodEnabled, composes);
    widget->setInputMethodHints(composes ? Qt::ImhNone : Qt::ImhPreferLatin);
}
