#pragma once

class QWidget;

// How a field uses the input method: imClose and imDisable type plain characters, the
// others let the input method compose (hiragana, katakana, ...).
enum TImeMode {
    imDisable,
    imClose,
    imOpen,
    imDontCare,
    imSAlpha,
    imAlpha,
    imHira,
    imSKata,
    imKata
};

// Switches the widget's input method on or off for the mode.
void SetImeMode(QWidget* widget, TImeMode mode);
