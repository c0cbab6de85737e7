#pragma once

#include "ui/WaitCursor.h"

#include <QPointer>
#include <QWidget>

// Keeps a screen disabled, and the wait cursor up when asked, for as long as it lives, so that
// work that fails never leaves the screen disabled or the cursor busy.
class TDisabledScope {
public:
    explicit TDisabledScope(QWidget* widget, bool waitCursor = false)
        : FWidget(widget), FWaitCursor(waitCursor) {
        FWidget->setEnabled(false);
        if (FWaitCursor)
            SetWaitCursor(true);
    }
    ~TDisabledScope() {
        if (FWaitCursor)
            SetWaitCursor(false);
        if (FWidget)
            FWidget->setEnabled(true);
    }
    TDisabledScope(const TDisabledScope&) = delete;
    TDisabledScope& operator=(const TDisabledScope&) = delete;

private:
    QPointer<QWidget> FWidget;
    const bool FWaitCursor;
};
