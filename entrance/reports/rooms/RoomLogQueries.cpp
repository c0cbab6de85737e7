#include "RoomLogQueries.h"

#include "base/Convert.h"
#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/LogOperations.h"
#include "entrance/data/DataModule1.h"
#include "entrance/data/Unit_Entrance.h"

namespace entrance {

namespace {

void ReadRecords(TQuery& query, QList<TStayRecord>& records) {
    for (query.First(); !query.Eof(); query.Next())
        records << TStayRecord{query.FieldByName("個人コード")->AsString(),
                               query.FieldByName("認証機ID")->AsInteger(),
                               query.FieldByName("操作日時")->AsDateTime(),
                               query.FieldByName("操作種別")->AsInteger()};
}

} // namespace

TRoomLogQueries::TRoomLogQueries(TComponent* AOwner)
    : TLogReportQueries(TLogReportKind::Unit, AOwner) {}

QList<TStayRecord> TRoomLogQueries::DayRecords() {
    QList<TStayRecord> records;
    if (HasData())
        ReadRecords(*sqlSubGroup, records);
    return records;
}

// The detail's own text on the day's table, its day given by hand.
QList<TStayRecord> TRoomLogQueries::RecordsOfDay(const TEntrance& units, TDateTime day) {
    QList<TStayRecord> records;
    const QString table = units.LogTableOfMonth(day);
    if (table.isEmpty())
        return records;
    int year, month, dayOfMonth;
    DecodeDate(day, year, month, dayOfMonth);
    TQuery query;
    query.SetDatabaseName(EntranceSession().DM1->DB2->DatabaseName);
    query.SQL().Assign(DetailText(table));
    query.ParamByName("操作Year").SetAsSmallInt(year);
    query.ParamByName("操作Month").SetAsSmallInt(month);
    query.ParamByName("操作Day").SetAsSmallInt(dayOfMonth);
    query.Open();
    ReadRecords(query, records);
    return records;
}

QString TRoomLogQueries::BuildFilterCondition(const TLogReportRequest& request) {
    return TEntrance::GroupIDCondition(StrToInt(request.FilterCode));
}

QStringList TRoomLogQueries::DayListText(const QString& table, bool secondTable) const {
    const QString blank = secondTable ? "" : " ";
    return QStringList{"SELECT DISTINCT" + blank,
                       "CInt(Year(操作日時)) as 操作Year,",
                       "CInt(Month(操作日時)) as 操作Month,",
                       "CInt(Day(操作日時)) as 操作Day",
                       "FROM " + table,
                       "WHERE (エラー種別 = 1)",
                       "AND " + EntryExitCondition() + blank,
                       FilterCondition}
           << BoundLines();
}

QStringList TRoomLogQueries::MasterText() const {
    return {"SELECT DISTINCT 操作Year,操作Month,操作Day", "FROM " + DayTable,
            "ORDER BY 操作Year,操作Month,操作Day"};
}

QStringList TRoomLogQueries::DetailText(const QString& table) const {
    return {"SELECT 個人コード,認証機ID,操作日時,操作種別,エラー種別,",
            "CInt(Year(操作日時)) as 操作年,",
            "CInt(Month(操作日時)) as 操作月,",
            "CInt(Day(操作日時)) as 操作日",
            "FROM " + table,
            "WHERE (CInt(Year(操作日時)) =:操作Year)",
            "AND (CInt(Month(操作日時)) =:操作Month)",
            "AND (CInt(Day(操作日時)) =:操作Day)",
            FilterCondition,
            "AND (エラー種別 = 1)",
            "AND " + EntryExitCondition(),
            "ORDER BY 個人コード,操作日時"};
}

} // namespace entrance
