#include "ui/Events.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace {

TShiftState ModifierState(Qt::KeyboardModifiers modifiers) {
    TShiftState state = 0;
    if (modifiers & Qt::ShiftModifier)
        state |= ssShift;
    if (modifiers & Qt::AltModifier)
        state |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        state |= ssCtrl;
    return state;
}

} // namespace

TMouseButton MouseButtonOf(const QMouseEvent* event) {
    switch (event->button()) {
    case Qt::RightButton:
        return mbRight;
    case Qt::MiddleButton:
        return mbMiddle;
    default:
        return mbLeft;
    }
}

TShiftState ShiftStateOf(const QMouseEvent* event) {
    TShiftState state = ModifierState(event->modifiers());
    const Qt::MouseButtons buttons = event->buttons() | event->button();
    if (buttons & Qt::LeftButton)
        state |= ssLeft;
    if (buttons & Qt::RightButton)
        state |= ssRight;
    if (buttons & Qt::MiddleButton)
        state |= ssMiddle;
    if (event->type() == QEvent::MouseButtonDblClick)
        state |= ssDouble;
    return state;
}

TShiftState ShiftStateOf(const QKeyEvent* event) {
    return ModifierState(event->modifiers());
}

QChar KeyCharOf(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar('\r');
    case Qt::Key_Escape:
        return QChar(0x1b);
    case Qt::Key_Backspace:
        return QChar('\b');
    case Qt::Key_Tab:
        return QChar('\t');
    default:
        return event->text().isEmpty() ? QChar(0) : event->text().at(0);
    }
}
