#pragma once

#include "entrance/reports/rules/LogReportRequest.h"
#include "ui/Form.h"

#include <memory>

class QBoxLayout;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TUpDown;

namespace entrance {

class TDigitBox;
class TEntrance;
class TPickedDate;
class TUsers;

// What the print dialogs by unit and by room share: a day or a month, totals or records (a
// month is always totals), the period checked by the period rules, and the run of the chosen
// report on the dialog's own unit and person lists. A dialog adds what the report covers and
// the records report it runs.
class TfrmPrintSetupLog : public TForm {
    Q_OBJECT
public:
    ~TfrmPrintSetupLog() override;

    QRadioButton* RadioDay;
    QRadioButton* RadioMonth;
    QRadioButton* RadioTotal;
    QRadioButton* RadioLog;
    QLabel* lblPrintType;
    QWidget* pnlDayDate;
    QLineEdit* Ed_StartDate;
    QLineEdit* Ed_EndDate;
    QDateEdit* Ed_sDate;
    QDateEdit* Ed_eDate;
    QWidget* pnlMonthDate;
    QLineEdit* Ed_Year;
    TUpDown* UpDownYear;
    QLineEdit* Ed_Month;
    TUpDown* UpDownMonth;
    QLabel* lblItem;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnCLOSE = nullptr;
    QLabel* StatusBar1;

    std::unique_ptr<TUsers> UserList;
    std::unique_ptr<TEntrance> EntranceList;

    void RadioDayClick();
    void RadioLogClick();
    void Ed_YearExit();
    void Ed_MonthExit();
    void btnPrintClick();

protected:
    TfrmPrintSetupLog(const QString& caption, const QString& status, QWidget* owner);
    // Loads the lists and sets the controls up; the derived dialog calls it once its own
    // controls exist. Closes the dialog when there is nothing to report on.
    void FormCreate();
    void FormShow() override;

    // Adds the controls that choose what the report covers below the period.
    virtual void CreateTargetControls(QBoxLayout* layout) = 0;
    // Fills them; false, after saying why, when there is nothing to choose.
    virtual bool FillTargets() = 0;
    // The request over `period`, filtered by what the dialog has chosen.
    virtual TLogReportRequest Request(const TReportPeriod& period) const = 0;
    // Runs the records report on the request.
    virtual void RunRecords(const TLogReportRequest& request) = 0;

private:
    void CreateControls(const QString& status);
    // 印刷 and 閉じる, below what the report covers.
    void CreateButtons(QBoxLayout* layout);
    QWidget* CreateModeControls();
    QWidget* CreateDayDate();
    QWidget* CreateMonthDate();
    // The typed texts taken over, as when their boxes are left; false, after the message, when
    // a typed date is no date.
    bool TakeTypedTexts();
    void RunTotals(bool month, const TLogReportRequest& request);

    TPickedDate* FStart = nullptr;
    TPickedDate* FEnd = nullptr;
};

} // namespace entrance
