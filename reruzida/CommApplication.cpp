#include "reruzida/CommApplication.h"

#include "base/SysUtils.h"

bool TCommApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const Exception& e) {
        Report(e.Message());
    } catch (const std::exception& e) {
        Report(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

void TCommApplication::Report(const QString& message) {
    if (OnException)
        OnException(message);
}
