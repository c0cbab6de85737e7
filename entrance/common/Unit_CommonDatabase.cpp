#include "Unit_CommonDatabase.h"

#include "Unit_Common.h"
#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "dbengine/Session.h"

#include <functional>

namespace entrance {

namespace {

// Sets a field whose value is out of range, putting the row in edit state first.
void Repair(TQuery& query, const QString& fieldName, const std::function<bool(int)>& valid,
            int value) {
    TField* field = query.FieldByName(fieldName);
    if (valid(field->AsInteger()))
        return;
    if (query.State() != dsEdit)
        query.Edit();
    field->SetAsInteger(value);
}

void AppendOfficeRow(TQuery& query, int year, int month) {
    query.Append();
    query.FieldByName("事業所コード")->SetAsInteger(CurrentOfficeCode());
    query.FieldByName("処理年度")->SetAsInteger(year);
    query.FieldByName("処理月")->SetAsInteger(month);
    query.FieldByName("勤怠締日")->SetAsInteger(31);
    query.FieldByName("勤怠締月")->SetAsInteger(month);
    query.Post();
}

void RepairOfficeRow(TQuery& query, int year, int month) {
    auto isMonth = [](int m) { return m >= 1 && m <= 12; };
    Repair(
        query, "処理年度", [](int y) { return y >= 2000; }, year);
    Repair(query, "処理月", isMonth, month);
    Repair(query, "勤怠締月", isMonth, month);
    Repair(
        query, "勤怠締日", [](int d) { return d >= 1 && d <= 31; }, 31);
    if (query.State() == dsEdit)
        query.Post();
}

} // namespace

void LoadProcessingPeriod() {
    const QDate today = ToQDate(Date());
    TQuery sqlDisposal;
    sqlDisposal.SetDatabaseName("RORazu");
    sqlDisposal.RequestLive = true;
    sqlDisposal.SQL().Assign(
        QStringList{"SELECT 事業所コード,処理年度,処理月,勤怠締日,勤怠締月", "FROM M_事業所",
                    "WHERE 事業所コード=" + QString::number(CurrentOfficeCode())});
    sqlDisposal.Open();
    if (sqlDisposal.IsEmpty())
        AppendOfficeRow(sqlDisposal, today.year(), today.month());
    else
        RepairOfficeRow(sqlDisposal, today.year(), today.month());
    EntranceSession().ProcessingPeriod.Year =
        quint16(sqlDisposal.FieldByName("処理年度")->AsInteger());
    EntranceSession().ProcessingPeriod.Month =
        quint16(sqlDisposal.FieldByName("処理月")->AsInteger());
    EntranceSession().ProcessingPeriod.ClosingMonth =
        quint16(sqlDisposal.FieldByName("勤怠締月")->AsInteger());
    EntranceSession().ProcessingPeriod.ClosingDay =
        quint16(sqlDisposal.FieldByName("勤怠締日")->AsInteger());
    sqlDisposal.Close();
    CalcPeriodDates(EntranceSession().ProcessingPeriod, EntranceSession().ProcessingPeriod.Year,
                    EntranceSession().ProcessingPeriod.Month,
                    EntranceSession().ProcessingPeriod.ClosingDay);
}

void CloseDatabases() {
    Session().DropConnections();
    if (TDatabase* db1 = Session().FindDatabase("RORazu"))
        db1->Close();
    if (TDatabase* db2 = Session().FindDatabase("ParaOzka"))
        db2->CloseDataSets();
}

} // namespace entrance
