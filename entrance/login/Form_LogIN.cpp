#include "Form_LogIN.h"

#include "entrance/common/Unit_CommonWait.h"
#include "entrance/data/DataModule1.h"

#include "entrance/common/EntranceSession.h"
#include "ui/ImeMode.h"
#include "ui/MaxBytes.h"
#include "ui/ShowMessage.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

namespace entrance {

namespace {

const char* const RegistrationText = "　管理者の登録を行って下さい。　";
const char* const LoginText = "　パスワードを入力して下さい。　";

QLineEdit* NewField(QWidget* parent, bool password) {
    auto* edit = new QLineEdit(parent);
    SetMaxBytes(edit, 20);
    SetImeMode(edit, imClose);
    if (password)
        edit->setEchoMode(QLineEdit::Password);
    return edit;
}

} // namespace

TfrmLogIN::TfrmLogIN(QWidget* owner)
    : TForm(owner), FLogIn(new TLogIn(EntranceSession().DM1->ProgramFile, this)) {
    setWindowTitle("ログイン");
    CreateControls();
    FLogIn->OnMessage = [](const QString& text) { ShowMessage(text); };
    FLogIn->OnWait = [this](const QString& text) {
        ShowWaitWindow(this);
        SetWaitText(text);
    };
    FLogIn->OnWaitEnd = [this] { CloseWaitWindow(this); };
    FLogIn->OnFinished = [this](bool loggedIn, TLogInFocus focus) {
        LogInFinished(loggedIn, focus);
    };
    FillPCList(FLogIn->SelectedPC());
    ShowMode();
}

TfrmLogIN::~TfrmLogIN() = default;

void TfrmLogIN::CreateControls() {
    auto* grid = new QGridLayout(this);
    lblMessage = new QLabel(this);
    lblMessage->setAlignment(Qt::AlignCenter);
    lblMessage->setFrameShape(QFrame::Panel);
    lblMessage->setFrameShadow(QFrame::Sunken);
    grid->addWidget(lblMessage, 0, 0, 1, 3);
    Ed_Operator = NewField(this, false);
    Ed_PassWD1 = NewField(this, true);
    Ed_Passwd2 = NewField(this, true);
    lbl_PassWD2 = new QLabel("入力確認", this);
    cmbNetBios = new QComboBox(this);
    cmbNetBios->setEditable(true);
    grid->addWidget(new QLabel("オペレーター名", this), 1, 0);
    grid->addWidget(Ed_Operator, 1, 1, 1, 2);
    grid->addWidget(new QLabel("パスワード", this), 2, 0);
    grid->addWidget(Ed_PassWD1, 2, 1, 1, 2);
    grid->addWidget(lbl_PassWD2, 3, 0);
    grid->addWidget(Ed_Passwd2, 3, 1, 1, 2);
    grid->addWidget(new QLabel("接続PC名", this), 4, 0);
    grid->addWidget(cmbNetBios, 4, 1);
    btnlogin = new QPushButton("ログイン", this);
    Button1 = new QPushButton("キャンセル", this);
    Button2 = new QPushButton("PC一覧の選択", this);
    grid->addWidget(Button2, 4, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnlogin);
    buttons->addWidget(Button1);
    grid->addLayout(buttons, 5, 0, 1, 3);
    EscapeButton = Button1;
    for (QLineEdit* edit : {Ed_Operator, Ed_PassWD1, Ed_Passwd2})
        edit->installEventFilter(this);
    connect(btnlogin, &QPushButton::clicked, this, &TfrmLogIN::btnloginClick);
    connect(Button1, &QPushButton::clicked, this, [this] { SetModalResult(-1); });
    connect(Button2, &QPushButton::clicked, this, &TfrmLogIN::Button2Click);
    auto* chord = new QShortcut(QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_J), this);
    connect(chord, &QShortcut::activated, this, &TfrmLogIN::DiscardPassword);
}

void TfrmLogIN::ShowMode() {
    const bool registration = FLogIn->RegistrationMode();
    lblMessage->setText(registration ? RegistrationText : LoginText);
    Ed_Passwd2->setVisible(registration);
    lbl_PassWD2->setVisible(registration);
}

void TfrmLogIN::FillPCList(int selected) {
    cmbNetBios->clear();
    cmbNetBios->addItems(FLogIn->PCList());
    cmbNetBios->setCurrentIndex(selected);
}

void TfrmLogIN::FormShow() {
    Ed_Operator->setFocus();
}

// Entering a field selects its whole text.
bool TfrmLogIN::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn)
        if (auto* edit = qobject_cast<QLineEdit*>(watched))
            QTimer::singleShot(0, edit, &QLineEdit::selectAll);
    return TForm::eventFilter(watched, event);
}

void TfrmLogIN::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && focusWidget() == Ed_PassWD1 && Ed_Passwd2->isVisible()) {
        Ed_Passwd2->setFocus();
        return;
    }
    if (enter && (focusWidget() == Ed_PassWD1 || focusWidget() == Ed_Passwd2)) {
        btnlogin->setFocus();
        btnlogin->click();
        return;
    }
    TForm::keyPressEvent(event);
}

void TfrmLogIN::btnloginClick() {
    setEnabled(false);
    FLogIn->Login(cmbNetBios->currentText(), Ed_Operator->text(), Ed_PassWD1->text(),
                  Ed_Passwd2->text());
}

void TfrmLogIN::LogInFinished(bool loggedIn, TLogInFocus focus) {
    setEnabled(true);
    if (loggedIn) {
        SetModalResult(mrOk);
        return;
    }
    if (focus == TLogInFocus::Operator)
        Ed_Operator->setFocus();
    else if (focus == TLogInFocus::Password)
        Ed_PassWD1->setFocus();
}

void TfrmLogIN::Button2Click() {
    FLogIn->ListNetworkComputers();
    FillPCList(0);
}

void TfrmLogIN::DiscardPassword() {
    if (MessageBox("現在の管理者パスワードを破棄しますか？", MB_OKCANCEL) != IDOK)
        return;
    FLogIn->DiscardAdministratorPassword();
    ShowMessage("破棄しました。");
    ShowMode();
    for (QLineEdit* edit : {Ed_Operator, Ed_PassWD1, Ed_Passwd2})
        edit->clear();
}

bool ExecuteLogIn(QWidget* owner) {
    return (new TfrmLogIN(owner))->ShowModal() == mrOk;
}

} // namespace entrance
