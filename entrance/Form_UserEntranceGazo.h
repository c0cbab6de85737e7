#pragma once

#include "ui/Form.h"

#include <QPointer>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTimer;
class TClientSocket;
class TfrmUserEntry;

// Reads a person's image from a unit in operation: sends "code,unit" to the communication
// program and waits at most 30 one-second ticks for its answer, with a progress bar.
//
// ReadResult: 0 waiting or no answer, 1 read, -1 the unit does not hold the person, -2 the
// connection to the communication program failed. The answer fills the bar; the outcome is
// told at the tick after.
class TfrmUserEntranceGazo final : public TForm {
    Q_OBJECT
public:
    explicit TfrmUserEntranceGazo(TfrmUserEntry* owner);
    ~TfrmUserEntranceGazo() override;

    // Fills and shows the dialog, or tells why not and closes it.
    void RequestImageForUser(const QString& Code, const QString& Name);
    // The communication program's answer, by whatever way it came.
    void TakeAnswer(const QString& text);
    int ReadResult = 0;

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
    QStatusBar* StatusBar1;

    void btnOKClick();
    void Timer1Timer();

protected:
    void FormClose(TCloseAction& action) override;

private:
    void CreateControls();
    void StartWaiting();
    void SendOverTcp(const QString& text);

    TfrmUserEntry* FUserEntry;
    TClientSocket* Client1;
    QString PersonCode;
    int UnitID = 0;
};

extern QPointer<TfrmUserEntranceGazo> frmUserEntranceGazo;
// Where the main window hands the communication program's image answers (request 1145).
void ImageReadAnswer(const QByteArray& payload);
