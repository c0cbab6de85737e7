#include "Form_UserEntranceGazo.h"

#include "Form_UserEntry.h"
#include "ImageReadWait.h"
#include "base/Text.h"
#include "dbengine/Query.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/data/Unit_CommonRequests.h"
#include "entrance/data/UserRules.h"
#include "protocol/CommRequests.h"
#include "ui/ClientSocket.h"
#include "ui/CopyData.h"
#include "ui/DisabledScope.h"
#include "ui/ShowMessage.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace entrance {

namespace {

constexpr int WaitTicks = 30;
const QString CommNotFound = "認証機コミュニケーションが見つかりませんでした。";

} // namespace

TfrmUserEntranceGazo::TfrmUserEntranceGazo(TfrmUserEntry* owner)
    : TForm(owner), FUserEntry(owner), FWait(std::make_unique<TImageReadWait>()) {
    setWindowTitle("認証機画像読み込み");
    CreateControls();
    pnlMessage->hide();
    cmbEntrance->clear();
    Timer1->stop();
}

TfrmUserEntranceGazo::~TfrmUserEntranceGazo() = default;

void TfrmUserEntranceGazo::CreateControls() {
    auto* layout = new QGridLayout(this);
    pnlCode = new QLabel(this);
    pnlName = new QLabel(this);
    Label1 = new QLabel("取り込み認証機名", this);
    cmbEntrance = new QComboBox(this);
    Panel31 = new QLabel("画像を登録してある認証機を指定してください。", this);
    btnOK = new QPushButton("読み込み", this);
    btnCancel = new QPushButton("キャンセル", this);
    pnlMessage = new QWidget(this);
    auto* message = new QVBoxLayout(pnlMessage);
    Label2 = new QLabel("読み込み中です　しばらくお待ちください・・・。", pnlMessage);
    PBar1 = new QProgressBar(pnlMessage);
    message->addWidget(Label2);
    message->addWidget(PBar1);
    Timer1 = new QTimer(this);
    Client1 = new TClientSocket(this);
    StatusBar1 = new QLabel("　認証機に登録してある画像を読み込みます。", this);
    StatusBar1->setFrameShape(QFrame::Panel);
    StatusBar1->setFrameShadow(QFrame::Sunken);
    StatusBar1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    EscapeButton = btnCancel;
    layout->addWidget(pnlCode, 0, 0);
    layout->addWidget(pnlName, 0, 1);
    layout->addWidget(Panel31, 1, 0, 1, 2);
    layout->addWidget(Label1, 2, 0);
    layout->addWidget(cmbEntrance, 2, 1);
    layout->addWidget(pnlMessage, 3, 0, 1, 2);
    layout->addWidget(btnOK, 4, 0);
    layout->addWidget(btnCancel, 4, 1);
    layout->addWidget(StatusBar1, 5, 0, 1, 2);
    resize(420, 240);
    connect(btnOK, &QPushButton::clicked, this, &TfrmUserEntranceGazo::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmUserEntranceGazo::close);
    connect(Timer1, &QTimer::timeout, this, &TfrmUserEntranceGazo::Timer1Timer);
}

void TfrmUserEntranceGazo::RequestImageForUser(const QString& Code, const QString& Name) {
    FWait->PersonCode = Code;
    TQuery sqlEntrance;
    sqlEntrance.SetDatabaseName("ParaOzka");
    sqlEntrance.SQL().Assign(QStringList{"SELECT 認証機ID,認証機名", "FROM entranceState",
                                         "WHERE (作動状況 = True)", "ORDER BY 認証機ID"});
    for (sqlEntrance.Open(); !sqlEntrance.Eof(); sqlEntrance.Next())
        cmbEntrance->addItem(
            QString::number(sqlEntrance.FieldByName("認証機ID")->AsInteger()).rightJustified(2) +
            ":" + sqlEntrance.FieldByName("認証機名")->AsString());
    cmbEntrance->setCurrentIndex(0);
    if (cmbEntrance->count() == 0) {
        ShowMessage("作動中の認証機がありませんでした。");
        close();
        return;
    }
    if (!EntranceSession().NetworkMode && !FindWindowByCaption(CommCaption)) {
        ShowMessage(CommNotFound);
        close();
        return;
    }
    pnlCode->setText(Code);
    pnlName->setText(Name);
    if (FUserEntry)
        FUserEntryHeld = std::make_unique<TDisabledScope>(FUserEntry);
    ShowMdiChild();
}

int TfrmUserEntranceGazo::ReadResult() const {
    return FWait->ReadResult;
}

void TfrmUserEntranceGazo::StartWaiting() {
    FWait->ReadResult = 0;
    pnlMessage->show();
    PBar1->setMaximum(WaitTicks);
    PBar1->setValue(0);
    Timer1->start(1000);
}

void TfrmUserEntranceGazo::btnOKClick() {
    btnOK->setEnabled(false);
    cmbEntrance->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FWait->UnitID = TrimJ(CodePartOf(cmbEntrance->currentText())).toInt();
    const QString line = CodeUnitLine(FWait->PersonCode, FWait->UnitID);
    if (EntranceSession().NetworkMode) {
        StartWaiting();
        SendOverTcp(line);
        return;
    }
    StartWaiting();
    if (!SendCommRequest(CD_READ_IMAGE, line + "\r\n")) {
        Timer1->stop();
        QApplication::restoreOverrideCursor();
        ShowMessage(CommNotFound);
        close();
    }
}

// The answer comes back on the same connection.
void TfrmUserEntranceGazo::SendOverTcp(const QString& text) {
    Client1->Close();
    Client1->Address = HostToIPStr(EntranceSession().RemotePCName);
    Client1->Port = TcpPort(PORT_GAZOSET);
    FAnswer.clear();
    Client1->OnConnect = [this, text] { Client1->SendBuf(ToCP932(text)); };
    Client1->OnRead = [this](const QByteArray& bytes) {
        FAnswer += bytes;
        FWait->TakeAnswer(FromCP932(FAnswer));
    };
    Client1->OnError = [this](const QString&) {
        if (FWait->ReadResult == 0)
            FWait->ReadResult = -2;
    };
    Client1->Open();
}

void TfrmUserEntranceGazo::Timer1Timer() {
    if (PBar1->value() < PBar1->maximum()) {
        PBar1->setValue(PBar1->value() + 1);
        if (ReadResult() == 1 && FUserEntry)
            FUserEntry->ImageReadOk = true;
        if (ReadResult() != 0)
            PBar1->setValue(PBar1->maximum());
        return;
    }
    Timer1->stop();
    QApplication::restoreOverrideCursor();
    const int result = ReadResult();
    const char* outcome = result == 1    ? "画像を読み込みました。"
                          : result == -1 ? "利用者は登録されていませんでした。"
                          : result == -2
                              ? "接続できませんでした。"
                              : "認証機コミュニケーションから応答が帰ってきませんでした。";
    ShowMessage(outcome);
    close();
}

void TfrmUserEntranceGazo::FormClose(TCloseAction& action) {
    action = caFree;
    if (Timer1->isActive())
        QApplication::restoreOverrideCursor();
    Timer1->stop();
    Client1->Close();
    FUserEntryHeld.reset();
    if (FUserEntry)
        FUserEntry->AfterImageRead(FWait->PersonCode);
}

} // namespace entrance
