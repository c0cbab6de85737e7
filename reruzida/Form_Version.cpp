#include "reruzida/Form_Version.h"

#include "reruzida/ProgramIcon.h"

#include "base/SysUtils.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace reruzida {

QString VersionLabel(const QString& version) {
    return "Version " + VersionNumbers(version);
}

TfrmVersion::TfrmVersion(QWidget* parent) : QDialog(parent) {
    setWindowTitle("バージョン情報");
    CreateControls();
    lblVersion->setText(VersionLabel(ZZ_VERSION));
}

void TfrmVersion::CreateControls() {
    auto* layout = new QGridLayout(this);
    auto* image = new QLabel(this);
    image->setPixmap(ProgramIcon().pixmap(32, 32));
    layout->addWidget(image, 0, 0, 2, 1);
    layout->addWidget(new QLabel("血流認証機コミュニケーション", this), 0, 1, 1, 2);
    layout->addWidget(new QLabel("バージョン", this), 1, 1);
    lblVersion = new QLabel(this);
    layout->addWidget(lblVersion, 1, 2);
    btnOk = new QPushButton("ＯＫ", this);
    btnOk->setDefault(true);
    layout->addWidget(btnOk, 2, 2);
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
}

} // namespace reruzida
