#include "ShowMessage.h"

#include <QApplication>
#include <QMessageBox>

void ShowMessage(const QString& text) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qWarning("%s", qUtf8Printable(text));
        return;
    }
    QMessageBox::information(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                             text, QMessageBox::Ok);
}
