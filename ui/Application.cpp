#include "ui/Application.h"

#include "base/SysUtils.h"

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const Exception& e) {
        Report(e.Message());
    } catch (const std::exception& e) {
        Report(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

void TApplication::Report(const QString& message) {
    if (OnException)
        OnException(message);
}
