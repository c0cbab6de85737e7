#include "WaitCursor.h"

#include <QApplication>

namespace {

// How many TSQLWaitAsArrow live; only the window thread makes them.
int ArrowScopes = 0;

} // namespace

void SetWaitCursor(bool on) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    // The arrow is pushed like the wait cursor, so each "off" still pops what its "on" pushed.
    if (on)
        QApplication::setOverrideCursor(ArrowScopes > 0 ? Qt::ArrowCursor : Qt::WaitCursor);
    else if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

TSQLWaitAsArrow::TSQLWaitAsArrow() {
    ++ArrowScopes;
}

TSQLWaitAsArrow::~TSQLWaitAsArrow() {
    --ArrowScopes;
}
