#include "LRButton.h"

#include <QGuiApplication>
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
    QMessageBox::warning(parent, QGuiApplication::applicationDisplayName(), text);
}
