#pragma once

#include "components/report/LRButton.h"

#include <QDialog>

class QComboBox;
class QKeyEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// The print dialog all reports share: the printer and the pages to print, written into the
// page bound to the preview window.
class TfrmPrintSet : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPrintSet(QWidget* parent = nullptr);
    ~TfrmPrintSet() override;

    QGroupBox* GroupBox1;
    QLabel* Label1;
    QComboBox* ComboPrinter;
    QGroupBox* GroupBox2;
    QRadioButton* RadioAll;
    QRadioButton* RadioNow;
    QLabel* pnlNowPage;
    QRadioButton* RadioPage;
    QLineEdit* EditStartPage;
    QLabel* Label2;
    QLineEdit* EditEndPage;
    QLabel* Label3;
    QLabel* lblMaxPage;
    TLRButton* btnPrint;
    TLRButton* btnCancel;

    void RadioClick();
    void EditStartPageExit();
    void EditEndPageExit();
    // The printer chosen becomes the one that prints; PDF output asks for its file first.
    // False when the user gave no file.
    bool SelectPrinter();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void FormActivate();
    void SetEditsEnabled(bool enabled);
    bool FFirstActivation = true;
    bool FExiting = false;
};

// The shared print dialog, or null.
extern TfrmPrintSet* frmPrintSet;

// The number in a page edit, or false when it holds none.
bool PageNumberOf(const QString& text, int& value);
// Whether a key reaches a page number edit: digits and backspace do, all else is dropped.
bool PageEditKeyPasses(const QKeyEvent* key);
