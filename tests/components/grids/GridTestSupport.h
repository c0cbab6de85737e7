#pragma once

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
    const QString dir = qEnvironmentVariable("ZZ_BUILD_DIR", QDir::currentPath()) + "/test-output";
    QDir().mkpath(dir);
    return widget->grab().save(dir + "/" + name + ".png");
}
