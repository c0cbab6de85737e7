#include "WaitCursor.h"

#include <QApplication>

void SetWaitCursor(bool on) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}
