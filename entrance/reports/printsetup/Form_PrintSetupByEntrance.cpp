#include "Form_PrintSetupByEntrance.h"

#include "entrance/common/EntranceSession.h"
#include "entrance/common/Unit_CommonText.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/reports/records/Report_EntranceUserLog.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

namespace entrance {

TfrmPrintSetupByEntrance::TfrmPrintSetupByEntrance(QWidget* owner)
    : TfrmPrintSetupLog("認証機別記録印刷", "　認証機ごとに指定日のログを表示します。", owner) {
    FormCreate();
}

void TfrmPrintSetupByEntrance::CreateTargetControls(QBoxLayout* layout) {
    auto* box = new QGroupBox(this);
    auto* boxLayout = new QGridLayout(box);
    RadioItem = new QRadioButton("認証機を指定して印刷する。", box);
    RadioAll = new QRadioButton("全ての認証機を印刷する。", box);
    lblItem = new QLabel("認証機名", box);
    cmbItem = new QComboBox(box);
    boxLayout->addWidget(RadioItem, 0, 0, 1, 2);
    boxLayout->addWidget(RadioAll, 1, 0, 1, 2);
    boxLayout->addWidget(lblItem, 2, 0);
    boxLayout->addWidget(cmbItem, 2, 1);
    layout->addWidget(box);
    connect(RadioItem, &QRadioButton::toggled, this, &TfrmPrintSetupByEntrance::RadioItemClick);
}

bool TfrmPrintSetupByEntrance::FillTargets() {
    for (int i = 0; i < EntranceList->Count(); ++i)
        cmbItem->addItem(IntToStrPadSpace(EntranceList->IDAt(i), 2) + ":" +
                         EntranceList->NameAt(i));
    cmbItem->setCurrentIndex(0);
    RadioItem->setChecked(true);
    RadioItemClick();
    return true;
}

void TfrmPrintSetupByEntrance::RadioItemClick() {
    lblItem->setEnabled(RadioItem->isChecked());
    cmbItem->setEnabled(RadioItem->isChecked());
}

TLogReportRequest TfrmPrintSetupByEntrance::Request(const TReportPeriod& period) const {
    if (RadioItem->isChecked())
        return {period, 1, CodePartOf(cmbItem->currentText())};
    return {period};
}

void TfrmPrintSetupByEntrance::RunRecords(const TLogReportRequest& request) {
    OpenReport(EntranceSession().Rep_EntranceUserLog, this,
               [this, &request](TRep_EntranceUserLog& report) {
                   report.Execute(request, *EntranceList, *UserList);
               });
}

} // namespace entrance
