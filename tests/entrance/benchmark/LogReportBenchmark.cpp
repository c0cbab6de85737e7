// The log reports' walk over a month of 100,000 log rows from 32 units and 500 persons: the
// day list, then the detail of every listed day, each row read. Run by hand:
// logreport_benchmark; the data folder is made under $TMPDIR.
#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "dbengine/Session.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/data/DataModule1.h"
#include "entrance/data/DataModule3.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/reports/rules/LogReportQueries.h"
#include "storage/Connection.h"
#include "tools/newdata/NewData.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace entrance;

namespace {

constexpr int Rows = 100000;
constexpr int Units = 32;
constexpr int Persons = 500;
constexpr int Departments = 10;
const QString Month = "ENTRANCE_LOG2026_12";

QString Code(int person) {
    return QString("%1").arg(person, 4, 10, QChar('0'));
}

void AddPersonsAndRoom(SqlConnection& database) {
    database.StartTransaction();
    for (int p = 0; p < Persons; ++p)
        database.Execute(
            QString("INSERT INTO M_個人情報 (個人コード,氏名,部門コード) VALUES ('%1','%2',%3)")
                .arg(Code(p), "利用者" + Code(p))
                .arg(1 + p % Departments));
    // Room 1: units 1 to 4.
    for (int unit = 1; unit <= 4; ++unit)
        database.Execute(
            QString("INSERT INTO M_認証機グループ (認証機グループコード,認証機ID,認証機グループ名) "
                    "VALUES (1,%1,'正面')")
                .arg(unit));
    database.Commit();
}

// The month as the communication program writes it, through a connection of its own; the
// reports attach the table file afresh.
void AddMonth(const QString& dataFolder) {
    auto own = SqlConnection::OpenFolder(dataFolder);
    SqlConnection& folder = *own;
    folder.Execute("CREATE TABLE " + Month +
                   " (autoNum INTEGER PRIMARY KEY AUTOINCREMENT, 個人コード TEXT (10), "
                   "操作種別 SHORT, 操作日時 DATETIME, エラー種別 SHORT, 認証機ID SHORT)");
    folder.StartTransaction();
    auto insert = folder.Prepare(QString("INSERT INTO %1 (個人コード,操作種別,操作日時,エラー種別,"
                                         "認証機ID) VALUES (?,?,?,?,?)")
                                     .arg(Month));
    for (int i = 0; i < Rows; ++i) {
        const int day = 1 + i % 31, minute = (i / 31) % (14 * 60);
        insert->Bind(1, Code(i % Persons));
        insert->Bind(2, i % 2 ? 12 : 22);
        insert->Bind(3, EncodeDate(2026, 12, day) + (6 * 60 + minute) / 1440.0);
        insert->Bind(4, 1);
        insert->Bind(5, 1 + i % Units);
        insert->Execute();
    }
    folder.Commit();
}

// The data folder with the data modules' databases on it, made once.
void OpenDataFolder() {
    static QTemporaryDir dir;
    if (EntranceSession().DM1)
        return;
    CreateDataFolder(dir.path());
    AddMonth(dir.path());
    EntranceSession().DataPath = dir.filePath("Zezoduzu");
    EntranceSession().LocalIPDigits = "127001";
    EntranceSession().DM1 = new TDM1;
    EntranceSession().DM1->DB1->Params.Add("DATABASE NAME=" + dir.filePath(DatabaseFileName));
    EntranceSession().DM1->DB2->Params.Add("PATH=" + dir.path());
    EntranceSession().DM3 = new TDM3;
    AddPersonsAndRoom(EntranceSession().DM1->DB1->Connection());
}

// Runs one report request over December and reads every record of every day.
void BM_Walk(benchmark::State& state, TLogReportKind kind, int firstDay, int lastDay, int mode,
             const char* code) {
    OpenDataFolder();
    for (auto _ : state) {
        const TLogReportRequest request{
            {EncodeDate(2026, 12, firstDay), EncodeDate(2026, 12, lastDay)}, mode, code};
        TEntrance units;
        TLogReportQueries queries(kind);
        int records = 0;
        for (bool more = queries.Execute(request, units); more; more = queries.NextDay())
            for (TQuery& detail = *queries.sqlSubGroup; !detail.Eof(); detail.Next())
                ++records;
        benchmark::DoNotOptimize(records);
    }
}
BENCHMARK_CAPTURE(BM_Walk, OneDay, TLogReportKind::Person, 15, 15, 0, "")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Walk, OneMonth, TLogReportKind::Person, 1, 31, 0, "")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Walk, OneDepartmentMonth, TLogReportKind::Person, 1, 31, 2, "1")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Walk, OneRoomMonth, TLogReportKind::Unit, 1, 31, 2, "1")
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    TEntranceSession session;
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    delete EntranceSession().DM3;
    delete EntranceSession().DM1;
    Session().Close();
    return 0;
}
