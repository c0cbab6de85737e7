#include "reruzida/CommApplication.h"

#include "base/SysUtils.h"
#include "reruzida/ProgramIcon.h"
#include "reruzida/Requests.h"
#include "ui/ApplicationTitle.h"

void SetUpCommApplication() {
    SetApplicationTitle(CommCaption);
    QApplication::setWindowIcon(ProgramIcon());
    QApplication::setQuitOnLastWindowClosed(false);
}

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
