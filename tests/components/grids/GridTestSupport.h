#pragma once

#include "tests/common/TempFolder.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QWidget>

// Shows a widget as the active window of the offscreen screen.
inline bool ShowActive(QWidget* widget) {
    widget->show();
    QApplication::setActiveWindow(widget);
    return QTest::qWaitForWindowActive(widget);
}

// Saves a picture of the widget into the test output folder, to be looked at.
inline bool SaveLook(QWidget* widget, const QString& name) {
    return widget->grab().save(TestOutputFolder() + "/" + name + ".png");
}
