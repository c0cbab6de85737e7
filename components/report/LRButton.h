#pragma once

#include "components/report/LightRep.h"

#include <QPushButton>

// A button whose click runs a handler that a report binds at run time.
class TLRButton : public QPushButton {
    Q_OBJECT
public:
    explicit TLRButton(const QString& caption, QWidget* parent = nullptr);
    TLRNotifyEvent OnClick;
    // Runs OnClick as a click does.
    void Click();
};
