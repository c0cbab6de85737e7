#include "RoomLog.h"

#include "dbengine/BatchMove.h"
#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "dbengine/Table.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/LogOperations.h"
#include "entrance/common/Unit_CommonTimes.h"
#include "entrance/data/DataModule1.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_TempTables.h"

#include <QSet>
#include <cmath>

namespace entrance {

QString NormalizeDayLine(const QString& text) {
    QString result = text.trimmed();
    NormalizeTimeStr(result, 23);
    return result;
}

TCountingDay CountingDayOf(TDateTime now, const QString& dayLine) {
    const QStringList parts = NormalizeDayLine(dayLine).split(':');
    const qint64 lineSeconds = parts[0].toInt() * 3600 + parts.value(1).toInt() * 60;
    const qint64 nowSeconds = WholeSeconds(now);
    const qint64 today = nowSeconds / SecondsPerDay;
    const qint64 startDay = nowSeconds % SecondsPerDay < lineSeconds ? today - 1 : today;
    TCountingDay day;
    day.Start = double(startDay) + double(lineSeconds) / SecondsPerDay;
    day.PreviousMonth = ToQDate(double(startDay)).month() != ToQDate(double(today)).month();
    return day;
}

QList<TRoomLogRecord> RoomLogLines(TRoomLogMode mode, const QList<int>& units,
                                   const QList<TRoomLogRecord>& newestFirst, TDateTime start) {
    const qint64 from = WholeSeconds(start);
    QList<TRoomLogRecord> lines;
    // The persons whose latest record has been met: an older one no longer tells presence.
    QSet<QString> seen;
    for (const TRoomLogRecord& r : newestFirst) {
        if (r.Result != 1 || !(IsEntry(r.Operation) || IsExit(r.Operation)) ||
            WholeSeconds(r.Time) < from || !units.contains(r.UnitID))
            continue;
        bool listed = false;
        switch (mode) {
        case RoomLogEntries:
            listed = IsEntry(r.Operation);
            break;
        case RoomLogExits:
            listed = IsExit(r.Operation);
            break;
        case RoomLogPresent:
            if (seen.contains(r.PersonCode))
                continue;
            seen.insert(r.PersonCode);
            listed = IsEntry(r.Operation);
            break;
        }
        if (listed)
            lines << r;
    }
    return lines;
}

TRoomCounts CountRoom(const QList<int>& units, const QList<TRoomLogRecord>& newestFirst,
                      TDateTime start) {
    return {int(RoomLogLines(RoomLogEntries, units, newestFirst, start).size()),
            int(RoomLogLines(RoomLogExits, units, newestFirst, start).size()),
            int(RoomLogLines(RoomLogPresent, units, newestFirst, start).size())};
}

QString RoomViewDateText(TDateTime date) {
    const QDate d = ToQDate(date);
    return QString("%1年 %2月 %3日").arg(d.year()).arg(d.month()).arg(d.day());
}

QString CounterText(int count) {
    return (QString(6, ' ') + QString::number(count)).right(6);
}

TRoomLogReader::TRoomLogReader(const QString& tempTable, TComponent* AOwner)
    : TComponent(AOwner), sqlLog(new TQuery(this)), tblTemp(new TTable(this)),
      BatchMove1(new TBatchMove(this)), FTempTable(tempTable) {
    BatchMove1->Mode = batAppend;
    BatchMove1->Mappings.Assign(QStringList{"個人コード=個人コード", "認証機ID=認証機ID",
                                            "操作種別=操作種別", "操作日時=操作日時",
                                            "エラー種別=エラー種別"});
}

// The bound stands half a second before the start, written exactly, so a record stored at
// the very start is read however its day number was rounded; the rules above cut exactly.
void TRoomLogReader::CopyMonth(const QString& table, TDateTime start,
                               const QStringList& conditions) {
    const QString bound = QString::number(start - 0.5 / SecondsPerDay, 'g', 17);
    sqlLog->Close();
    sqlLog->SQL().Assign(QStringList{"SELECT 個人コード,認証機ID,操作日時,操作種別,エラー種別",
                                     "FROM " + table, "WHERE (CDbl(操作日時) >= " + bound + ")",
                                     "AND " + EntryExitCondition(), "AND (エラー種別=1)"} +
                         conditions);
    sqlLog->Open();
    BatchMove1->Source = sqlLog;
    BatchMove1->Destination = tblTemp;
    BatchMove1->Execute();
    sqlLog->Close();
}

QList<TRoomLogRecord> TRoomLogReader::Read(const TEntrance& entrance, const TCountingDay& day,
                                           TDateTime now, const QStringList& conditions) {
    const QString tables = EntranceSession().DM1->DB2->DatabaseName;
    sqlLog->SetDatabaseName(tables);
    tblTemp->Close();
    tblTemp->SetDatabaseName(tables);
    tblTemp->SetTableName(FTempTable);
    QList<TRoomLogRecord> records;
    try {
        CreateTempLogTable(FTempTable);
        // The month the day began in may hold its first hours even when this month has no
        // table yet.
        QStringList months{entrance.LogTableOfMonth(now)};
        if (day.PreviousMonth)
            months << entrance.LogTableOfMonth(day.Start);
        for (const QString& table : months)
            if (!table.isEmpty())
                CopyMonth(table, day.Start, conditions);
        sqlLog->SQL().Assign(QStringList{"SELECT 個人コード,認証機ID,操作日時,操作種別,エラー種別",
                                         "FROM " + FTempTable,
                                         "ORDER BY 操作日時 DESC, autoNum DESC"});
        for (sqlLog->Open(); !sqlLog->Eof(); sqlLog->Next())
            records << TRoomLogRecord{sqlLog->FieldByName("個人コード")->AsString(),
                                      sqlLog->FieldByName("認証機ID")->AsInteger(),
                                      sqlLog->FieldByName("操作日時")->AsDateTime(),
                                      sqlLog->FieldByName("操作種別")->AsInteger(),
                                      sqlLog->FieldByName("エラー種別")->AsInteger()};
    } catch (...) {
        sqlLog->Close();
        throw;
    }
    sqlLog->Close();
    return records;
}

bool TRoomLogWatch::Changed(const TEntrance& entrance, TDateTime now, const QString& dayLine) {
    const TCountingDay day = CountingDayOf(now, dayLine);
    QList<TFileStamp> stamps;
    QList<TDateTime> months{now};
    if (day.PreviousMonth)
        months << day.Start;
    for (TDateTime month : months)
        stamps << FileStampOf(entrance.LogFileOfMonth(month));
    const bool changed = FFirst || !(day == FDay) || stamps != FFileStamps;
    FFirst = false;
    FDay = day;
    FFileStamps = stamps;
    return changed;
}

} // namespace entrance
