#include "Report_UserEntranceLog.h"

#include "db/DataSet.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_Users.h"

namespace entrance {

TRep_UserEntranceLog::TRep_UserEntranceLog(QWidget* owner)
    : TRep_RecordLog({TLogReportKind::Person,
                      "利用者別　入退室記録",
                      "利用者別　入退室状況",
                      "個人コード",
                      {"個人コード", "氏　名", "操作時間", "操　作", "認証機ID", "認証機名"},
                      "部門名 : "},
                     owner) {}

QString TRep_UserEntranceLog::NameOfKey(const QString& key) const {
    return NameOrDash(Users->NameOfCode(key));
}

std::array<QString, 2> TRep_UserEntranceLog::OtherSide(TDataSet& record) const {
    const int unit = record.FieldByName("認証機ID")->AsInteger();
    return {QString::number(unit), NameOrDash(Units->NameOfID(unit))};
}

QStringList TRep_UserEntranceLog::GroupNameText(int code) const {
    return {"SELECT 部門名 FROM M_部門", "WHERE 部門コード=" + QString::number(code)};
}

} // namespace entrance
