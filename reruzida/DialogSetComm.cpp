#include "reruzida/DialogSetComm.h"

#include "reruzida/RsDrv.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace reruzida {

TfrmSetCommDialog::TfrmSetCommDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("ＰＣ設定");
    CreateControls();
    CommPortComboBox->setCurrentIndex(ReadCommSetting() - 1);
    ShowDevicePath();
    // Centred on the screen, not over the monitor window that opens it.
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmSetCommDialog::CreateControls() {
    auto* layout = new QGridLayout(this);
    CommPortLabel = new QLabel("通信ポート", this);
    CommPortComboBox = new QComboBox(this);
    CommPortComboBox->addItems({"ＣＯＭ１", "ＣＯＭ２", "ＣＯＭ３", "ＣＯＭ４"});
    DevicePathLabel = new QLabel(this);
    OkBtn = new QPushButton("設定", this);
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton("キャンセル", this);
    layout->addWidget(CommPortLabel, 0, 0);
    layout->addWidget(CommPortComboBox, 0, 1);
    layout->addWidget(DevicePathLabel, 1, 1);
    layout->addWidget(OkBtn, 2, 0);
    layout->addWidget(CancelBtn, 2, 1);
    connect(CommPortComboBox, &QComboBox::currentIndexChanged, this, [this] { ShowDevicePath(); });
    connect(OkBtn, &QPushButton::clicked, this, [this] { OkBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
}

void TfrmSetCommDialog::ShowDevicePath() {
    const int index = CommPortComboBox->currentIndex();
    DevicePathLabel->setText(index < 0 ? QString() : PortDevicePath(index + 1));
}

// Nothing selected stores 0, which the protocol thread takes as port 1.
void TfrmSetCommDialog::OkBtnClick() {
    WriteCommSetting(CommPortComboBox->currentIndex() + 1);
    accept();
}

} // namespace reruzida
