#pragma once

#include "ui/Form.h"

#include <QPointer>
#include <memory>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class TClientSocket;
class TDisabledScope;

namespace entrance {

class TImageReadWait;
class TfrmUserEntry;

// Reads a person's image from a unit in operation: sends "code,unit" to the communication
// program and waits at most 30 one-second ticks for its answer, with a progress bar.
//
// The read waits in FWait, which the main window also hands the answers that come by local
// request; its ReadResult is 0 waiting or no answer, 1 read, -1 the unit does not hold the
// person, and here also -2 the connection to the communication program failed. The answer
// fills the bar; the outcome is told at the tick after. While the dialog is shown it holds the
// person screen disabled; the screen refuses to close under it.
class TfrmUserEntranceGazo final : public TForm {
    Q_OBJECT
public:
    explicit TfrmUserEntranceGazo(TfrmUserEntry* owner);
    ~TfrmUserEntranceGazo() override;

    // Fills and shows the dialog, or tells why not and closes it.
    void RequestImageForUser(const QString& Code, const QString& Name);
    int ReadResult() const;

    QLabel* pnlCode;
    QLabel* pnlName;
    QLabel* Label1;
    QComboBox* cmbEntrance;
    QLabel* Panel31;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QWidget* pnlMessage;
    QLabel* Label2;
    QProgressBar* PBar1;
    QTimer* Timer1;
    // The status line, a sunken panel across the dialog's foot.
    QLabel* StatusBar1;

    void btnOKClick();
    void Timer1Timer();

protected:
    void FormClose(TCloseAction& action) override;

private:
    void CreateControls();
    void StartWaiting();
    void SendOverTcp(const QString& text);

    QPointer<TfrmUserEntry> FUserEntry;
    std::unique_ptr<TDisabledScope> FUserEntryHeld;
    TClientSocket* Client1;
    // What the connection brought so far: the answer has no framing and may come in pieces.
    QByteArray FAnswer;
    std::unique_ptr<TImageReadWait> FWait;
};

} // namespace entrance
