#include "LRButton.h"

TLRButton::TLRButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, &TLRButton::Click);
}

void TLRButton::Click() {
    if (OnClick)
        OnClick(this);
}
