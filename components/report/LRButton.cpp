#include "LRButton.h"

#include "ui/ApplicationTitle.h"
#include "ui/ShowMessage.h"

#include <QMessageBox>

TLRButton::TLRButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, &TLRButton::Click);
}

void TLRButton::Click() {
    if (!OnClick)
        return;
    try {
        OnClick(this);
    } catch (const Exception& e) {
        LRMessage(window(), e.Message());
    }
}

void LRMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, ApplicationTitle(), text, QMessageBox::Ok, parent);
    FitTitle(box);
    box.exec();
}
