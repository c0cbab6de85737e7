#include "Report_Ninsyoki.h"

#include "base/DateTime.h"
#include "dbengine/Database.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/data/DataModule1.h"

namespace entrance {

namespace {
constexpr int RowsPerPage = 32;
constexpr int RowHeight = 27;
} // namespace

QString UnitHoursText(double time) {
    int hour, min, sec, msec;
    DecodeTime(time, hour, min, sec, msec);
    return QString::asprintf("%2d 時 %2d 分", hour, min);
}

TRep_Ninsyoki::TRep_Ninsyoki(QWidget* owner) : TRep_MasterList(owner) {
    CreatePageBands("認 証 機 情 報 一 覧 表");
    const QList<TLRItem*> items = CreateColumns({{"認証機ID", 100, taCenter},
                                                 {"認証機名", 342},
                                                 {"稼動開始時間", 140, taCenter},
                                                 {"稼動終了時間", 140, taCenter}},
                                                RowsPerPage, RowHeight);
    ItmID = items[0];
    ItmName = items[1];
    ItmStartTime = items[2];
    ItmEndTime = items[3];
    LRGridPanel1->OnPrintPanel = [this](QObject*, int, int, TRect, TPrintStatus& Status) {
        LRGridPanel1PrintPanel(Status);
    };
    sqlNinsyoki.SetDatabaseName(EntranceSession().DM1->DB2->DatabaseName);
    sqlNinsyoki.SQL().Assign(QStringList{"select * from EntranceState", "order by 認証機ID;"});
}

bool TRep_Ninsyoki::OpenData() {
    ReadOfficeName();
    sqlNinsyoki.Open();
    return !sqlNinsyoki.IsEmpty();
}

void TRep_Ninsyoki::LRGridPanel1PrintPanel(TPrintStatus& Status) {
    if (sqlNinsyoki.Eof()) {
        Status = lrsSkip;
        return;
    }
    ItmID->Text = QString::number(sqlNinsyoki.FieldByName("認証機ID")->AsInteger());
    ItmName->Text = sqlNinsyoki.FieldByName("認証機名")->AsString();
    const double start = sqlNinsyoki.FieldByName("稼動開始")->AsFloat();
    const double end = sqlNinsyoki.FieldByName("稼動終了")->AsFloat();
    const bool noHours = start <= 0 && end <= 0;
    ItmStartTime->Text = noHours ? QString() : UnitHoursText(start);
    ItmEndTime->Text = noHours ? QString() : UnitHoursText(end);
    sqlNinsyoki.Next();
}

} // namespace entrance
