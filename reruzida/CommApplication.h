#pragma once

#include <QApplication>
#include <functional>

// The communication program's application: an exception that escapes an event handler
// goes to OnException, so the program runs on.
// The program-wide settings: the application title, the icon, and a program that runs on
// with no window open.
void SetUpCommApplication();

class TCommApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override;

    std::function<void(const QString& message)> OnException;

private:
    void Report(const QString& message);
};
