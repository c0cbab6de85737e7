#pragma once

#include <QApplication>
#include <functional>

// The application of a program with screens: an exception that escapes an event handler goes
// to OnException (dropped while none is set), so the program runs on.
class TApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override;

    std::function<void(const QString& message)> OnException;

private:
    void Report(const QString& message);
};
