#include "ShowMessage.h"

#include "ApplicationTitle.h"

#include <QApplication>
#include <QMessageBox>

namespace {

// The messages break their lines with CR, CR LF or LF; the box breaks only on LF.
QString WithLineFeeds(QString text) {
    return text.replace("\r\n", "\n").replace('\r', '\n');
}

} // namespace

int MessageBox(const QString& rawText, unsigned flags) {
    const QString text = WithLineFeeds(rawText);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qWarning("%s", qUtf8Printable(text));
        return IDOK;
    }
    const bool withCancel = (flags & MB_OKCANCEL) != 0;
    QMessageBox box((flags & MB_ICONEXCLAMATION) == MB_ICONEXCLAMATION ? QMessageBox::Warning
                                                                       : QMessageBox::NoIcon,
                    ApplicationTitle(), text,
                    withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}

void ShowMessage(const QString& text) {
    MessageBox(text, MB_OK);
}
