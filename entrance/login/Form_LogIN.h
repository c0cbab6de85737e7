#pragma once

#include "LogIn.h"

#include "ui/Form.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace entrance {

// The login window: the operator's name and password (and its confirmation while the first
// administrator is registered) and the PC whose data to use. The work is TLogIn's; the
// window shows its messages and the wait window and closes with mrOk once logged in.
class TfrmLogIN final : public TForm {
    Q_OBJECT
public:
    explicit TfrmLogIN(QWidget* owner = nullptr);
    ~TfrmLogIN() override;

    QLineEdit* Ed_Operator;
    QLineEdit* Ed_PassWD1;
    QLabel* lbl_PassWD2;
    QLineEdit* Ed_Passwd2;
    QLabel* lblMessage;
    QComboBox* cmbNetBios;
    QPushButton* btnlogin;
    QPushButton* Button1;
    QPushButton* Button2;

protected:
    void FormShow() override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void ShowMode();
    void FillPCList(int selected);
    void btnloginClick();
    void Button2Click();
    void DiscardPassword();
    void LogInFinished(bool loggedIn, TLogInFocus focus);

    TLogIn* FLogIn;
};

// Runs the login over the main window before it shows: true once an operator is logged in
// (DM1's connections are then open on the chosen data folder), false when it was cancelled.
bool ExecuteLogIn(QWidget* owner);

} // namespace entrance
