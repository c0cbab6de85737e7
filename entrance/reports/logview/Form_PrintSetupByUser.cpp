#include "Form_PrintSetupByUser.h"

#include "entrance/common/DigitBox.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/PickedDate.h"
#include "entrance/common/Unit_CommonText.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_Users.h"
#include "entrance/data/UserRows.h"
#include "entrance/reports/persons/PrintDialogParts.h"
#include "entrance/reports/records/Report_UserEntranceLog.h"
#include "entrance/reports/rules/PeriodRules.h"
#include "ui/DisabledScope.h"
#include "ui/ShowMessage.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace entrance {

TfrmPrintSetupByUser::TfrmPrintSetupByUser(QWidget* owner) : TForm(owner) {
    setWindowTitle("日報印刷");
    CreateControls();
}

void TfrmPrintSetupByUser::CreateControls() {
    QVBoxLayout* layout = NewDialogLayout(this, "利 用 者 別 記 録 印 刷");

    auto* filter = new QGroupBox("絞込みの設定を行って下さい。", this);
    auto* filterLayout = new QGridLayout(filter);
    RadioItem = new QRadioButton("利用者を指定して印刷する。", filter);
    RadioGroup = new QRadioButton("部門を指定して印刷する。", filter);
    RadioAll = new QRadioButton("全ての利用者を印刷する。", filter);
    lblItem = new QLabel("利用者名", filter);
    cmbItem = new QComboBox(filter);
    lblGroup = new QLabel("部門名", filter);
    cmbGroup = new QComboBox(filter);
    filterLayout->addWidget(RadioItem, 0, 0, 1, 2);
    filterLayout->addWidget(RadioGroup, 1, 0, 1, 2);
    filterLayout->addWidget(RadioAll, 2, 0, 1, 2);
    filterLayout->addWidget(lblItem, 3, 0);
    filterLayout->addWidget(cmbItem, 3, 1);
    filterLayout->addWidget(lblGroup, 4, 0);
    filterLayout->addWidget(cmbGroup, 4, 1);
    layout->addWidget(filter);

    auto* period = new QGroupBox("印刷日付を指定してください。", this);
    auto* pnlDayDate = new QHBoxLayout(period);
    StartDate = new TPickedDate(period);
    EndDate = new TPickedDate(period);
    Ed_StartDate = StartDate->Box;
    Ed_sDate = StartDate->Picker;
    Ed_EndDate = EndDate->Box;
    Ed_eDate = EndDate->Picker;
    StartDate->Keys->Next = Ed_EndDate;
    EndDate->Keys->Next = RadioItem;
    for (QWidget* w :
         std::initializer_list<QWidget*>{new QLabel("印　刷　日", period), Ed_StartDate, Ed_sDate,
                                         new QLabel("～", period), Ed_EndDate, Ed_eDate})
        pnlDayDate->addWidget(w);
    layout->addWidget(period);

    const TPrintButtons buttons =
        AddPrintButtons(this, layout, "　個人ごとに指定日のログを表示します。");
    btnPrint = buttons.Print;
    btnCLOSE = buttons.Close;
    StatusBar1 = buttons.Status;

    for (QRadioButton* radio : {RadioItem, RadioGroup, RadioAll})
        connect(radio, &QRadioButton::toggled, this, &TfrmPrintSetupByUser::RadioClick);
    connect(btnPrint, &QPushButton::clicked, this, &TfrmPrintSetupByUser::btnPrintClick);
}

void TfrmPrintSetupByUser::ShowDialog(QWidget* caller, const TEntrance& units, TUsers& users,
                                      const QString& userCode) {
    TDisabledScope callerDisabled(caller);
    EntranceList = &units;
    UserList = &users;
    FillLists(userCode);
    RadioItem->setChecked(true);
    RadioClick();
    StartDate->SetDate(Date());
    EndDate->SetDate(Date());
    CenterInMainArea();
    ShowModal();
}

void TfrmPrintSetupByUser::FillLists(const QString& userCode) {
    cmbItem->clear();
    cmbGroup->clear();
    for (int i = 0; i < UserList->Count; ++i)
        cmbItem->addItem(UserList->CodeAt(i) + ":" + UserList->NameAt(i));
    const int user = int(UserList->Codes.indexOf(userCode));
    cmbItem->setCurrentIndex(user);
    cmbGroup->addItems(DepartmentItems());
    const QString dept = user < 0 ? QString() : QString::number(UserList->DeptCodes[user]);
    cmbGroup->setCurrentIndex(-1);
    for (int i = 0; i < cmbGroup->count(); ++i)
        if (CodePartOf(cmbGroup->itemText(i)) == dept)
            cmbGroup->setCurrentIndex(i);
}

void TfrmPrintSetupByUser::FormShow() {
    Ed_StartDate->setFocus();
}

void TfrmPrintSetupByUser::RadioClick() {
    lblItem->setEnabled(RadioItem->isChecked());
    cmbItem->setEnabled(RadioItem->isChecked());
    lblGroup->setEnabled(RadioGroup->isChecked());
    cmbGroup->setEnabled(RadioGroup->isChecked());
}

void TfrmPrintSetupByUser::btnPrintClick() {
    TDisabledScope busy(this);
    const std::optional<TLogReportRequest> request = CheckedRequest();
    if (!request)
        return;
    OpenReport(EntranceSession().Rep_UserEntranceLog, this,
               [this, &request](TRep_UserEntranceLog& report) {
                   report.Execute(*request, *EntranceList, *UserList);
               });
}

std::optional<TLogReportRequest> TfrmPrintSetupByUser::CheckedRequest() const {
    if (RadioGroup->isChecked() && !IsNumber(CodePartOf(cmbGroup->currentText()), 1)) {
        ShowMessage("部門を選択してください。");
        return std::nullopt;
    }
    // Records only: no same-date rule.
    const TPeriodRequest period =
        PeriodRules(TPeriodMode::Day, false, StartDate->Date(), EndDate->Date(),
                    [this](TDateTime date) { return EntranceList->LogTableExists(date); });
    if (period.Verdict != TPeriodVerdict::Run) {
        ShowMessage(period.Verdict == TPeriodVerdict::NoTable ? "記録データがありませんでした。"
                                                              : period.Message);
        return std::nullopt;
    }
    if (RadioItem->isChecked()) {
        // By its place in the list: a code may hold ":" itself.
        const int item = cmbItem->currentIndex();
        return TLogReportRequest{period.Period, 1, item < 0 ? QString() : UserList->CodeAt(item)};
    }
    if (RadioGroup->isChecked())
        return TLogReportRequest{period.Period, 2, CodePartOf(cmbGroup->currentText())};
    return TLogReportRequest{period.Period};
}

} // namespace entrance
