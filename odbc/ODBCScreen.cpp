#include "ODBCScreen.h"

#include <QDebug>

namespace {

TODBCScreen& Screen() {
    static TODBCScreen screen;
    return screen;
}

} // namespace

void SetODBCScreen(TODBCScreen screen) {
    Screen() = std::move(screen);
}

void ShowSQLWaitCursor(bool on) {
    if (Screen().SetWaitCursor)
        Screen().SetWaitCursor(on);
}

void ShowODBCNotice(const QString& text) {
    if (Screen().ShowNotice)
        Screen().ShowNotice(text);
    else
        qWarning("%s", qUtf8Printable(text));
}
