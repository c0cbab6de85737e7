#include "ShowMessage.h"

#include "ApplicationTitle.h"

#include <QApplication>
#include <QMessageBox>

int MessageBox(const QString& text, unsigned flags) {
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
