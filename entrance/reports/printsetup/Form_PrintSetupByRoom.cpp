#include "Form_PrintSetupByRoom.h"

#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/data/DataModule1.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_Users.h"
#include "entrance/reports/rooms/Report_RoomLogView.h"
#include "ui/ShowMessage.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

namespace entrance {

TfrmPrintSetupByRoom::TfrmPrintSetupByRoom(QWidget* owner)
    : TfrmPrintSetupLog("部屋別記録印刷", "　部屋ごとに指定日のログを表示します。", owner) {
    FormCreate();
}

void TfrmPrintSetupByRoom::CreateTargetControls(QBoxLayout* layout) {
    auto* box = new QGroupBox(this);
    auto* boxLayout = new QHBoxLayout(box);
    lblItem = new QLabel("部屋名", box);
    cmbGroup = new QComboBox(box);
    boxLayout->addWidget(lblItem);
    boxLayout->addWidget(cmbGroup, 1);
    layout->addWidget(box);
}

bool TfrmPrintSetupByRoom::FillTargets() {
    TQuery sqlEntrance;
    sqlEntrance.SetDatabaseName(EntranceSession().DM1->DB1->DatabaseName);
    sqlEntrance.SQL().Assign(QStringList{"SELECT 認証機グループコード,認証機グループ名",
                                         "FROM M_認証機グループ", "WHERE 認証機グループコード<>0",
                                         "GROUP BY 認証機グループコード,認証機グループ名",
                                         "ORDER BY 認証機グループコード"});
    sqlEntrance.Open();
    if (sqlEntrance.IsEmpty()) {
        ShowMessage("部屋が登録されていません。");
        return false;
    }
    for (; !sqlEntrance.Eof(); sqlEntrance.Next()) {
        cmbGroup->addItem(sqlEntrance.FieldByName("認証機グループ名")->AsString());
        RoomCodes << sqlEntrance.FieldByName("認証機グループコード")->AsInteger();
    }
    cmbGroup->setCurrentIndex(0);
    return true;
}

TLogReportRequest TfrmPrintSetupByRoom::Request(const TReportPeriod& period) const {
    return {period, 2, QString::number(RoomCodes.value(cmbGroup->currentIndex()))};
}

void TfrmPrintSetupByRoom::RunRecords(const TLogReportRequest& request) {
    OpenReport(EntranceSession().Rep_RoomLogView, this, [this, &request](TRep_RoomLogView& report) {
        report.Execute(request, *EntranceList, *UserList);
    });
}

} // namespace entrance
