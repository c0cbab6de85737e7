#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace reruzida {

// "Version " and the first three numbers of `version` ("1.1.8"); 0.0.0 when it has none.
QString VersionLabel(const QString& version);

// The version dialog: the program's title and version.
class TfrmVersion : public QDialog {
public:
    explicit TfrmVersion(QWidget* parent = nullptr);
    Q_DISABLE_COPY(TfrmVersion)

    QLabel* lblVersion;
    QPushButton* btnOk;

    void btnOkClick() { close(); }

private:
    void CreateControls();
};

} // namespace reruzida
