#pragma once

#include "ui/Form.h"

#include <QPointer>

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
// days, checked and handed to the record report by person. It works on its caller's unit and
// person lists and keeps its caller disabled while it is open.
class TfrmPrintSetupByUser final : public TForm {
    Q_OBJECT
public:
    explicit TfrmPrintSetupByUser(QWidget* owner = nullptr);

    // Sets the dialog up with `userCode` preselected (and that person's department) and shows
    // it modally; `request` is the report's request, written when the report runs.
    void ShowDialog(QWidget* caller, TEntrance& request, TUsers& users, const QString& userCode);

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
    // False, after its message, when the period or the choice does not allow a run.
    bool FillRequest();

    TEntrance* EntranceList = nullptr;
    TUsers* UserList = nullptr;
    TPickedDate* StartDate;
    TPickedDate* EndDate;
};

} // namespace entrance
