#include "PrintDialogParts.h"

#include "ui/Form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace entrance {

QVBoxLayout* NewDialogLayout(TForm* form, const QString& title) {
    auto* layout = new QVBoxLayout(form);
    auto* panel = new QLabel(title, form);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameShape(QFrame::Panel);
    layout->addWidget(panel);
    return layout;
}

TPrintButtons AddPrintButtons(TForm* form, QVBoxLayout* layout, const QString& status) {
    TPrintButtons parts{new QPushButton("印　刷", form), new QPushButton("閉じる", form),
                        new QStatusBar(form)};
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(parts.Print);
    buttons->addWidget(parts.Close);
    layout->addLayout(buttons);
    parts.Status->showMessage(status);
    layout->addWidget(parts.Status);
    form->EscapeButton = parts.Close;
    QObject::connect(parts.Close, &QPushButton::clicked, form, &QWidget::close);
    return parts;
}

} // namespace entrance
