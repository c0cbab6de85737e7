#pragma once

#include "entrance/reports/persons/PersonReportQuery.h"
#include "ui/Form.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class TDisabledScope;

namespace entrance {

class TPickedDate;

// The person print dialog: which person report, in which order, for whom and up to which
// validity end date. It stays open, disabled, while the report runs; the screen that opened
// it stays disabled until it closes.
class TfrmPrintRiyosya final : public TForm {
    Q_OBJECT
public:
    explicit TfrmPrintRiyosya(QWidget* owner = nullptr);
    ~TfrmPrintRiyosya() override;
    Q_DISABLE_COPY(TfrmPrintRiyosya)

    // Disables `Caller` until the dialog closes and shows the dialog with the person
    // `currentCode` and that person's department chosen in the lists (none: the first items).
    void ShowDialog(QWidget* Caller, const QString& currentCode);

    // 2 one department, 1 one person, else 0.
    int FilterMode() const;
    // 1 by reading, 2 by end date, else 0 by code.
    int SortOrder() const;
    // The calendar's day when the limit is ticked, else -1.
    TDateTime EndDateLimit() const;
    // The chosen department and person, set when printing.
    int DeptCode = 0;
    QString PersonCode;
    // What the reports are run with: the getters and the two fields.
    TPersonReportRequest Request() const;

    QGroupBox* G1;
    QRadioButton* RadioKihon;
    QRadioButton* RadioDaityou;
    QRadioButton* RadioUsedEntrance;
    QGroupBox* G2;
    QRadioButton* RadioCode;
    QRadioButton* RadioKana;
    QRadioButton* RadioKigen;
    QGroupBox* G3;
    QRadioButton* RadioAll;
    QRadioButton* RadioBumon;
    QLabel* lblGroup;
    QComboBox* cmbGroup;
    QRadioButton* RadioRiyousya;
    QLabel* lblItem;
    QComboBox* cmbItem;
    QGroupBox* G4;
    QCheckBox* chkDate;
    QLineEdit* Ed_StartDate;
    QDateEdit* Ed_sDate;
    QPushButton* btnToDay;
    QLabel* lblEndDate;
    QPushButton* btnPrint;
    QPushButton* btnCLOSE;
    QStatusBar* StatusBar1;

    void RadioAllClick();
    void chkDateClick();
    // Takes the typed day into the calendar; false, with the calendar's day shown again after
    // a message, when it is no date or later than the calendar's day.
    bool Ed_StartDateExit();
    void btnToDayClick();
    void btnPrintClick();

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;

private:
    void CreateControls();
    void FormCreate();
    void FillLists();

    TPickedDate* FLimit;
    // The control that opened the dialog, held disabled while the dialog is open.
    std::unique_ptr<TDisabledScope> CallerControl;
    QString FCurrentCode;
};

} // namespace entrance
