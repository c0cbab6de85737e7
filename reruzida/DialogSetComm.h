#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace reruzida {

// The port dialog: chooses COM1 to COM4 and stores the choice in the registry.
class TfrmSetCommDialog : public QDialog {
public:
    explicit TfrmSetCommDialog(QWidget* parent = nullptr);
    Q_DISABLE_COPY(TfrmSetCommDialog)

    QLabel* CommPortLabel;
    QComboBox* CommPortComboBox;
    // The device the chosen port stands for on this machine.
    QLabel* DevicePathLabel;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;

    void OkBtnClick();
    void CancelBtnClick() { reject(); }

private:
    void CreateControls();
    void ShowDevicePath();
};

} // namespace reruzida
