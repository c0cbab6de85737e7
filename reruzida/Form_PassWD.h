#pragma once

#include <QDialog>
#include <functional>

class QPushButton;

namespace reruzida {

// The exit confirmation: OK ends the program.
class TfrmPassWD : public QDialog {
public:
    // `endProgram` stops the communication and ends the program.
    TfrmPassWD(QWidget* parent, std::function<void()> endProgram);
    Q_DISABLE_COPY(TfrmPassWD)

    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

    void BitBtn1Click();
    void BitBtn2Click() { close(); }

private:
    void CreateControls();

    std::function<void()> FEndProgram;
};

} // namespace reruzida
