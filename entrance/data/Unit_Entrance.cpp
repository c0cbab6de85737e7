#include "Unit_Entrance.h"

#include "DataModule1.h"
#include "DataModule3.h"
#include "base/Files.h"
#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_Common.h"

#include <QFileInfo>

namespace entrance {

namespace {

// "ENTRANCE_LOG", the name of the monthly log tables before their year and month.
QString LogTablePrefix() {
    return LoadStr(65152);
}

} // namespace

TEntrance::TEntrance(TComponent* AOwner)
    : TComponent(AOwner), FPath(ExtractFilePath(EntranceSession().DataPath)) {
    TQuery& sqlEntrance = *EntranceSession().DM3->sqlEntrance;
    sqlEntrance.Close();
    sqlEntrance.SetDatabaseName(EntranceSession().DM1->DB2->DatabaseName);
    sqlEntrance.SQL().Assign(
        QStringList{"SELECT 認証機ID,認証機名", "FROM entranceState", "ORDER BY 認証機ID"});
    sqlEntrance.Open();
    for (; !sqlEntrance.Eof(); sqlEntrance.Next()) {
        UnitNames << sqlEntrance.FieldByName("認証機名")->AsString();
        UnitIDs << sqlEntrance.FieldByName("認証機ID")->AsInteger();
    }
    FCount = int(UnitIDs.size());
    sqlEntrance.Close();
}

void TEntrance::Clear() {
    UnitNames.clear();
    UnitIDs.clear();
    LogTables.clear();
}

QString TEntrance::NameOfID(int id) const {
    return UnitNames.value(IndexOfID(id));
}

QString TEntrance::NameAt(int i) const {
    return i >= 0 && i < FCount ? UnitNames.value(i) : QString();
}

int TEntrance::IDAt(int i) const {
    return i >= 0 && i < FCount ? UnitIDs.value(i) : 0;
}

void TEntrance::ListLogTables() {
    LogTables.clear();
    for (const QString& file : FindFiles(FPath, LogTablePrefix() + "*.db"))
        LogTables << QFileInfo(file).completeBaseName();
}

QString TEntrance::YearMonthSuffix(TDateTime date) {
    int year, month, day;
    DecodeDate(date, year, month, day);
    return QString("%1_%2").arg(year).arg(month, 2, 10, QChar('0'));
}

QString TEntrance::LogFileOfMonth(TDateTime date) const {
    const QString file = FindFileNoCase(FPath, LogTablePrefix() + YearMonthSuffix(date) + ".db");
    return QFileInfo(file).isFile() ? file : QString();
}

QString TEntrance::LogTableOfMonth(TDateTime date) const {
    return LogTableExists(date) ? LogTablePrefix() + YearMonthSuffix(date) : QString();
}

QString TEntrance::CurrentLogFile() const {
    int year, month, day;
    DecodeDate(Date(), year, month, day);
    const QString current = LogFileOfMonth(Date());
    if (!current.isEmpty())
        return current;
    return LogFileOfMonth(month == 1 ? EncodeDate(year - 1, 12, 1)
                                     : EncodeDate(year, month - 1, 1));
}

QString TEntrance::GroupIDCondition(int roomCode) {
    TQuery& sqlPrintEntGroup = *EntranceSession().DM3->sqlPrintEntGroup;
    sqlPrintEntGroup.Close();
    sqlPrintEntGroup.SQL().Assign(
        QStringList{"SELECT 認証機ID", "FROM M_認証機グループ",
                    "WHERE 認証機グループコード=" + QString::number(roomCode)});
    QString text = "AND (";
    for (sqlPrintEntGroup.Open(); !sqlPrintEntGroup.Eof(); sqlPrintEntGroup.Next())
        if (!sqlPrintEntGroup.FieldByName("認証機ID")->IsNull())
            text += " (認証機ID=" + sqlPrintEntGroup.FieldByName("認証機ID")->AsString() + ") OR";
    sqlPrintEntGroup.Close();
    // A room without units admits no unit, not every unit.
    if (!text.endsWith("OR"))
        return "AND (1=0)";
    text.chop(2);
    return text + " )";
}

} // namespace entrance
