#pragma once

#include "components/report/LightRep.h"

#include <QPushButton>

// A button whose click runs a handler that a report binds at run time. A failure of the
// handler is shown to the user, as for every other screen event.
class TLRButton : public QPushButton {
    Q_OBJECT
public:
    explicit TLRButton(const QString& caption, QWidget* parent = nullptr);
    TLRNotifyEvent OnClick;
    // Runs OnClick as a click does.
    void Click();
};

// Shows `text` with an OK button under the application's title.
void LRMessage(QWidget* parent, const QString& text);
