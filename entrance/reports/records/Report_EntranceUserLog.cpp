#include "Report_EntranceUserLog.h"

#include "db/DataSet.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_Users.h"

namespace entrance {

TRep_EntranceUserLog::TRep_EntranceUserLog(QWidget* owner)
    : TRep_RecordLog({TLogReportKind::Unit,
                      "認証機別　入退室記録",
                      "認証機別　入退室状況",
                      "認証機ID",
                      {"認証機ID", "認証機名", "操作時間", "操　作", "個人コード", "氏　名"},
                      "部屋名 : "},
                     owner) {}

QString TRep_EntranceUserLog::NameOfKey(const QString& key) const {
    return NameOrDash(Units->NameOfID(key.toInt()));
}

std::array<QString, 2> TRep_EntranceUserLog::OtherSide(TDataSet& record) const {
    const QString code = record.FieldByName("個人コード")->AsString();
    return {code, NameOrDash(Users->NameOfCode(code))};
}

QStringList TRep_EntranceUserLog::GroupNameText(int code) const {
    return RoomNameText(code);
}

} // namespace entrance
