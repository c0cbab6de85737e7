#include "reruzida/CommApplication.h"

#include "reruzida/ProgramIcon.h"
#include "reruzida/Requests.h"
#include "ui/ApplicationTitle.h"

#include <QApplication>

void SetUpCommApplication() {
    SetApplicationTitle(CommCaption);
    QApplication::setWindowIcon(ProgramIcon());
    QApplication::setQuitOnLastWindowClosed(false);
}
