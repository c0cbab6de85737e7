#include "reruzida/CommApplication.h"

#include "odbc/ODBCScreen.h"
#include "reruzida/ProgramIcon.h"
#include "reruzida/Requests.h"
#include "ui/ApplicationTitle.h"
#include "ui/Japanese.h"
#include "ui/ShowMessage.h"
#include "ui/WaitCursor.h"

#include <QApplication>

namespace reruzida {

void SetUpCommApplication() {
    SetApplicationTitle(CommCaption);
    UseJapanese();
    QApplication::setWindowIcon(ProgramIcon());
    QApplication::setQuitOnLastWindowClosed(false);
    SetODBCScreen({SetWaitCursor, ShowMessage});
}

} // namespace reruzida
