#include "reruzida/Form_PassWD.h"

#include "ui/ApplicationTitle.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace reruzida {

TfrmPassWD::TfrmPassWD(QWidget* parent, std::function<void()> endProgram)
    : QDialog(parent), FEndProgram(std::move(endProgram)) {
    setWindowTitle(ApplicationTitle());
    setAttribute(Qt::WA_DeleteOnClose);
    CreateControls();
}

void TfrmPassWD::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox("認証機システムの終了", this);
    auto* text = new QLabel("このプログラムを終了すると認証機との通信ができなくなります。", group);
    (new QVBoxLayout(group))->addWidget(text);
    layout->addWidget(group);
    auto* buttons = new QHBoxLayout;
    BitBtn1 = new QPushButton("OK", this);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton("キャンセル", this);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    layout->addLayout(buttons);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
}

void TfrmPassWD::BitBtn1Click() {
    FEndProgram();
}

} // namespace reruzida
