#pragma once

#include "entrance/reports/rules/LogReportQueries.h"
#include "entrance/reports/rules/RoomStays.h"

#include <QList>

namespace entrance {

// The queries of the room stay report: valid authentications (エラー種別 1) of entries and
// exits at the room's units, day by day. The neighbouring calendar days of a day are read
// from their own month's tables, so that a stay across midnight is completed also across the
// turn of a month and beyond the period's first and last day.
class TRoomLogQueries final : public TLogReportQueries {
public:
    explicit TRoomLogQueries(TComponent* AOwner = nullptr);

    // The records of the master's current day, read through the detail.
    QList<TStayRecord> DayRecords();
    // The records of `day` from its month's table among those of `units`; none when that month
    // has no table.
    QList<TStayRecord> RecordsOfDay(const TEntrance& units, TDateTime day);

protected:
    TTempTablePrefix DayTablePrefix() const override { return TempRoomDayListPrefix; }
    // The room's units; none for a room that has no units.
    QString BuildFilterCondition(const TLogReportRequest& request) override;
    QStringList DayListText(const QString& table, bool secondTable) const override;
    QStringList MasterText() const override;
    QStringList DetailText(const QString& table) const override;
};

} // namespace entrance
