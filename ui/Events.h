#pragma once

#include <QChar>
#include <functional>

class QObject;
class QMouseEvent;
class QKeyEvent;

// The shapes of the event handlers that screens bind to controls; Sender is the control.
using TNotifyEvent = std::function<void(QObject* Sender)>;
// Key is the typed character ('\r' for Enter, '\x1b' for Esc, '\b' for Backspace); a
// handler that sets it to 0 swallows the key.
using TKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftStateFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
using TShiftState = unsigned;

// Key is a Qt key code; a handler that sets it to 0 swallows the key.
using TKeyEvent = std::function<void(QObject* Sender, int& Key, TShiftState Shift)>;
using TMouseEvent =
    std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

TMouseButton MouseButtonOf(const QMouseEvent* event);
// The modifier keys and mouse buttons held during the event.
TShiftState ShiftStateOf(const QMouseEvent* event);
TShiftState ShiftStateOf(const QKeyEvent* event);
// The character a key event stands for, as a key-press handler sees it; 0 for none.
QChar KeyCharOf(const QKeyEvent* event);
