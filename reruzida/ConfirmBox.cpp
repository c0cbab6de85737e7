#include "reruzida/ConfirmBox.h"
#include "ui/ShowMessage.h"

#include <QMessageBox>

namespace reruzida {

bool Confirm(const QString& caption, const QString& text, QWidget* parent) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                    parent);
    box.setDefaultButton(QMessageBox::Ok);
    FitTitle(box);
    return box.exec() == QMessageBox::Ok;
}

} // namespace reruzida
