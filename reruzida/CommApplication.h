#pragma once

#include <QApplication>
#include <functional>

// The communication program's application: an exception that escapes an event handler
// goes to OnException, so the program runs on.
class TCommApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override;

    std::function<void(const QString& message)> OnException;

private:
    void Report(const QString& message);
};
