#pragma once

#include "entrance/reports/rules/LogReportRequest.h"
#include "ui/Form.h"

#include <QPointer>
#include <optional>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;

namespace entrance {

class TEntrance;
class TPickedDate;
class TUsers;

// The print dialog by person: one person, one department or all persons over a period of
// days, checked and handed to the record report by person with its caller's unit and person
// lists. It keeps its caller disabled while it is open.
class TfrmPrintSetupByUser final : public TForm {
    Q_OBJECT
public:
    explicit TfrmPrintSetupByUser(QWidget* owner = nullptr);

    // Sets the dialog up with `userCode` preselected (and that person's department) and shows
    // it modally.
    void ShowDialog(QWidget* caller, const TEntrance& units, TUsers& users,
                    const QString& userCode);

    QRadioButton* RadioItem;
    QRadioButton* RadioGroup;
    QRadioButton* RadioAll;
    QLabel* lblItem;
    QComboBox* cmbItem;
    QLabel* lblGroup;
    QComboBox* cmbGroup;
    QLineEdit* Ed_StartDate;
    QDateEdit* Ed_sDate;
    QLineEdit* Ed_EndDate;
    QDateEdit* Ed_eDate;
    QPushButton* btnPrint;
    QPushButton* btnCLOSE;
    QStatusBar* StatusBar1;

    void btnPrintClick();

protected:
    void FormShow() override;

private:
    void CreateControls();
    void RadioClick();
    void FillLists(const QString& userCode);
    // None, after its message, when the period or the choice does not allow a run.
    std::optional<TLogReportRequest> CheckedRequest() const;

    const TEntrance* EntranceList = nullptr;
    TUsers* UserList = nullptr;
    TPickedDate* StartDate;
    TPickedDate* EndDate;
};

} // namespace entrance
