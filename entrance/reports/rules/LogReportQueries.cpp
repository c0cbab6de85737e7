#include "LogReportQueries.h"

#include "base/Convert.h"
#include "base/SysUtils.h"
#include "db/DataSource.h"
#include "dbengine/BatchMove.h"
#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "dbengine/Table.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/LogOperations.h"
#include "entrance/data/DataModule1.h"
#include "entrance/data/Unit_Entrance.h"

#include <cmath>

namespace entrance {

namespace {

// The persons and the rooms are in the database file; the log tables and the day list are
// table files, on the database of DM1->DB2.
const char* const PersonDatabase = "RORazu";
const char* const KojinTable = "KOJIN";

// The whole day number of a date, cut towards zero.
qint64 DayNumber(TDateTime date) {
    return qint64(std::trunc(date));
}

} // namespace

QStringList RoomNameText(int code) {
    return {"SELECT 認証機グループ名", "FROM M_認証機グループ",
            "WHERE 認証機グループコード=" + QString::number(code)};
}

QString ReadNameOf(const QStringList& sql) {
    TQuery query;
    query.SetDatabaseName(PersonDatabase);
    query.SQL().Assign(sql);
    query.Open();
    return query.IsEmpty() ? QString() : query.Fields()[0]->AsString();
}

TLogReportQueries::TLogReportQueries(TLogReportKind kind, TComponent* AOwner)
    : TComponent(AOwner), Master(new TQuery(this)), DS1(new TDataSource(this)),
      sqlSubGroup(new TQuery(this)), sqlSubGroup2(new TQuery(this)), tblTemp(new TTable(this)),
      tblMakeKojin(new TTable(this)), BatchMove1(new TBatchMove(this)), Kind(kind) {
    const QString tables = EntranceSession().DM1->DB2->DatabaseName;
    Master->SetDatabaseName(tables);
    DS1->SetDataSet(Master);
    sqlSubGroup->SetDatabaseName(tables);
    sqlSubGroup->SetDataSource(DS1);
    sqlSubGroup2->SetDatabaseName(tables);
    tblTemp->SetDatabaseName(tables);
    tblMakeKojin->SetDatabaseName(tables);
    BatchMove1->Mode = batAppend;
}

void TLogReportQueries::SetText(TQuery& query, const QStringList& lines) {
    query.Close();
    query.SQL().Assign(lines);
}

bool TLogReportQueries::Execute(const TLogReportRequest& request, const TEntrance& units) {
    sqlSubGroup->Close();
    const TReportPeriod& period = request.Period;
    LogTable1 = units.LogTableOfMonth(period.Start());
    LogTable2 = units.LogTableOfMonth(period.End());
    if (LogTable1.isEmpty())
        std::swap(LogTable1, LogTable2);
    TwoMonths = MonthOf(period.Start()) != MonthOf(period.End()) && !LogTable2.isEmpty();
    Lo = DayNumber(period.Start());
    Hi = DayNumber(period.End() + 1.0);
    SecondTableInUse = false;
    // Neither month has a log table: nothing to read.
    if (LogTable1.isEmpty())
        return false;

    ByDepartment = Kind == TLogReportKind::Person && request.FilterMode == 2;
    FilterCondition = BuildFilterCondition(request);

    DayTable = TempTableName(DayTablePrefix());
    CreateTempDayTable(DayTable);
    FillDayList(LogTable1, false);
    if (TwoMonths)
        FillDayList(LogTable2, true);

    SetText(*Master, MasterText());
    Master->Open();
    SetText(*sqlSubGroup, DetailText(LogTable1));
    DetailSQLText = sqlSubGroup->SQL().Text();
    sqlSubGroup->Open();
    if (TwoMonths)
        SetText(*sqlSubGroup2, DetailText(LogTable2));
    return StartWalk();
}

bool TLogReportQueries::NextDay() {
    Master->Next();
    if (Master->Eof())
        return false;
    if (!HasData() && !SecondTableInUse && TwoMonths)
        UseSecondTable();
    return true;
}

bool TLogReportQueries::Restart() {
    if (LogTable1.isEmpty())
        return false;
    if (!Master->Active())
        Master->Open();
    sqlSubGroup->Close();
    sqlSubGroup->SQL().SetText(DetailSQLText);
    sqlSubGroup->Open();
    Master->First();
    return StartWalk();
}

bool TLogReportQueries::HasData() const {
    return sqlSubGroup->Active() && !sqlSubGroup->IsEmpty();
}

TDateTime TLogReportQueries::CurrentDay() const {
    return EncodeDate(Master->FieldByName("操作Year")->AsInteger(),
                      Master->FieldByName("操作Month")->AsInteger(),
                      Master->FieldByName("操作Day")->AsInteger());
}

void TLogReportQueries::SkipEmptyDays() {
    while (!HasData() && !Master->Eof())
        Master->Next();
}

bool TLogReportQueries::StartWalk() {
    SkipEmptyDays();
    SecondTableInUse = false;
    if (!HasData() && TwoMonths) {
        UseSecondTable();
        Master->First();
        SkipEmptyDays();
    }
    return HasData();
}

void TLogReportQueries::UseSecondTable() {
    SecondTableInUse = true;
    sqlSubGroup->Close();
    sqlSubGroup->SQL().Assign(sqlSubGroup2->SQL());
    sqlSubGroup->Open();
}

void TLogReportQueries::FillDayList(const QString& table, bool secondTable) {
    SetText(*Master, DayListText(table, secondTable));
    Master->Open();
    tblTemp->Close();
    tblTemp->SetTableName(DayTable);
    BatchMove1->Source = Master;
    BatchMove1->Destination = tblTemp;
    BatchMove1->Mappings.Assign(
        QStringList{"操作Year=操作Year", "操作Month=操作Month", "操作Day=操作Day"});
    BatchMove1->Execute();
    Master->Close();
}

void TLogReportQueries::MakeKojinTable() {
    CreateTempTable(KojinTable, [](TFieldDefs& defs) {
        defs.Add("個人コード", ftString, 10, false);
        // As wide as M_個人情報's columns, so that every name is copied whole.
        defs.Add("氏名", ftString, 20, false);
        defs.Add("ﾌﾘｶﾞﾅ", ftString, 20, false);
        defs.Add("部門コード", ftSmallint, 0, false);
    });
}

void TLogReportQueries::FillKojinTable(int department) {
    MakeKojinTable();
    TQuery sqlMakekojin;
    sqlMakekojin.SetDatabaseName(PersonDatabase);
    sqlMakekojin.SQL().Assign(QStringList{"SELECT 個人コード,氏名,ﾌﾘｶﾞﾅ,部門コード",
                                          "FROM M_個人情報",
                                          "WHERE 部門コード=" + QString::number(department)});
    sqlMakekojin.Open();
    tblMakeKojin->Close();
    tblMakeKojin->SetTableName(KojinTable);
    BatchMove1->Source = &sqlMakekojin;
    BatchMove1->Destination = tblMakeKojin;
    BatchMove1->Mappings.Assign(
        QStringList{"個人コード=個人コード", "氏名=氏名", "ﾌﾘｶﾞﾅ=ﾌﾘｶﾞﾅ", "部門コード=部門コード"});
    BatchMove1->Execute();
    BatchMove1->Source = nullptr;
    sqlMakekojin.Close();
}

TTempTablePrefix TLogReportQueries::DayTablePrefix() const {
    if (Kind == TLogReportKind::Unit)
        return TempUnitDayListPrefix;
    return ByDepartment ? TempDeptDayListPrefix : TempPersonDayListPrefix;
}

QString TLogReportQueries::BuildFilterCondition(const TLogReportRequest& request) {
    switch (request.FilterMode) {
    case 1:
        // The code is a value, never SQL: quoted, or read as the number it must be.
        return Kind == TLogReportKind::Person
                   ? "AND (個人コード=" + QuotedStr(request.FilterCode) + ")"
                   : "AND (認証機ID=" + QString::number(StrToInt(request.FilterCode)) + ")";
    case 2:
        if (Kind == TLogReportKind::Unit)
            return TEntrance::GroupIDCondition(StrToInt(request.FilterCode));
        FillKojinTable(StrToInt(request.FilterCode));
        return QString();
    default:
        return QString();
    }
}

QStringList TLogReportQueries::DayListText(const QString& table, bool secondTable) const {
    const QString blank = secondTable ? "" : " ";
    const QString q = Qualifier(table);
    QStringList lines{"SELECT DISTINCT" + blank,
                      "CInt(Year(" + q + "操作日時)) as 操作Year,",
                      "CInt(Month(" + q + "操作日時)) as 操作Month,",
                      "CInt(Day(" + q + "操作日時)) as 操作Day",
                      FromLine(table),
                      OperationLine(q) + (ByDepartment ? " " : blank)};
    if (!ByDepartment)
        lines << FilterCondition;
    return lines << BoundLines(q);
}

QStringList TLogReportQueries::MasterText() const {
    if (Kind == TLogReportKind::Unit)
        return {"SELECT 操作Year,操作Month,操作Day", "FROM " + DayTable,
                "ORDER BY 操作Year,操作Month,操作Day"};
    if (ByDepartment)
        return {"SELECT ", "操作Year,",        "操作Month,",
                "操作Day", "FROM " + DayTable, "ORDER BY 操作Year,操作Month, 操作Day"};
    return {"SELECT ", "操作Year,操作Month,操作Day", "FROM " + DayTable,
            "ORDER BY 操作Year,操作Month,操作Day"};
}

QStringList TLogReportQueries::DetailText(const QString& table) const {
    const QString q = Qualifier(table);
    QStringList lines{"SELECT " + q + "個人コード," + q + "認証機ID," + q + "操作日時," + q +
                          "操作種別," + q + "エラー種別,",
                      "CInt(Year(" + q + "操作日時)) as 操作年,",
                      "CInt(Month(" + q + "操作日時)) as 操作月,",
                      "CInt(Day(" + q + "操作日時)) as 操作日",
                      FromLine(table),
                      OperationLine(q) + (ByDepartment ? " " : ""),
                      "AND (CInt(Year(" + q + "操作日時)) =:操作Year)",
                      "AND (CInt(Month(" + q + "操作日時)) =:操作Month)",
                      "AND (CInt(Day(" + q + "操作日時)) =:操作Day)"};
    if (ByDepartment)
        lines << BoundLines(q);
    else
        lines << FilterCondition;
    return lines << (Kind == TLogReportKind::Person
                         ? "ORDER BY " + q + "個人コード," + q + "操作日時"
                         : QString("ORDER BY 認証機ID,操作日時"));
}

QString TLogReportQueries::Qualifier(const QString& table) const {
    return ByDepartment ? table + "." : QString();
}

QString TLogReportQueries::FromLine(const QString& table) const {
    return ByDepartment ? "FROM " + table + " INNER Join KOJIN ON " + table +
                              ".個人コード = KOJIN.個人コード"
                        : "FROM " + table;
}

QString TLogReportQueries::OperationLine(const QString& q) {
    return "WHERE " + EntryExitCondition(q);
}

QStringList TLogReportQueries::BoundLines(const QString& q) const {
    return {"AND (CDbl(" + q + "操作日時) >= " + QString::number(Lo) + ")",
            "AND (CDbl(" + q + "操作日時) < " + QString::number(Hi) + ")"};
}

} // namespace entrance
