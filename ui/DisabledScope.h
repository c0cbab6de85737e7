#pragma once

#include "ui/WaitCursor.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QVariant>
#include <QWidget>

// Keeps a screen disabled, and the wait cursor up when asked, for as long as it lives, so that
// work that fails never leaves the screen disabled or the cursor busy. A screen inside an MDI
// frame is disabled with its frame: it takes no click at all, title bar included, so a dialog
// it opened stays in front of it. Scopes on one screen nest: the screen is enabled again when
// the last of them ends, so a dialog that holds its opener disabled for its own life outlasts
// the click that opened it.
class TDisabledScope {
public:
    explicit TDisabledScope(QWidget* widget, bool waitCursor = false)
        : FWidget(FrameOf(widget)), FWaitCursor(waitCursor) {
        FWidget->setProperty(HeldBy, FWidget->property(HeldBy).toInt() + 1);
        FWidget->setEnabled(false);
        if (FWaitCursor)
            SetWaitCursor(true);
    }
    ~TDisabledScope() {
        if (FWaitCursor)
            SetWaitCursor(false);
        if (!FWidget)
            return;
        const int held = FWidget->property(HeldBy).toInt() - 1;
        FWidget->setProperty(HeldBy, held);
        if (held <= 0)
            FWidget->setEnabled(true);
    }
    TDisabledScope(const TDisabledScope&) = delete;
    TDisabledScope& operator=(const TDisabledScope&) = delete;

private:
    // The MDI frame that carries `widget`, or `widget` itself when it has none.
    static QWidget* FrameOf(QWidget* widget) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(widget->parentWidget()))
            return frame;
        return widget;
    }
    static constexpr const char* HeldBy = "zzDisabledScopes";
    QPointer<QWidget> FWidget;
    const bool FWaitCursor;
};
