// 100,000 log rows of one month read whole through the library's dataset (TDBQueryODBC over
// unixODBC and the project's driver), and one day's detail of them (about 3,200 rows, as the
// record reports ask for it), each beside plain SQLite reading the same file.
// Run by hand: odbc_benchmark; the data folder is made under $TMPDIR.
#include "odbc/ConnectionODBC.h"
#include "odbc/ODBCDSet.h"
#include "odbcdriver/OdbcInstaller.h"
#include "storage/Connection.h"
#include "tools/newdata/NewData.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

constexpr int Rows = 100000;
const char* const Select =
    "SELECT 個人コード,認証機ID,操作日時,操作種別,エラー種別 FROM ENTRANCE_LOG2026_12";
// 15 December 2026: in the reports' words, and as the range of the index plain SQLite reads.
const char* const SelectDay =
    "SELECT 個人コード,認証機ID,操作日時,操作種別,エラー種別 FROM ENTRANCE_LOG2026_12 WHERE "
    "CInt(Year(操作日時)) = 2026 AND CInt(Month(操作日時)) = 12 AND CInt(Day(操作日時)) = 15";
const char* const SelectDayPlain =
    "SELECT 個人コード,認証機ID,操作日時,操作種別,エラー種別 FROM ENTRANCE_LOG2026_12 WHERE "
    "操作日時 >= 46371 AND 操作日時 < 46372";

// The data folder with its data sources and a month of rows, made once.
QString DataFolder() {
    static QTemporaryDir dir, ini;
    static const bool made = [] {
        InstallOdbcDriver(ini.path());
        CreateDataFolder(dir.path());
        ConfigDataSource(ParadoxDriverName, {"DSN=EntParaODBC", "DefaultDir=" + dir.path()});
        auto c = SqlConnection::OpenFolder(dir.path());
        c->Execute("CREATE TABLE ENTRANCE_LOG2026_12 (autoNum INTEGER PRIMARY KEY "
                   "AUTOINCREMENT, 個人コード TEXT (10), 操作種別 SHORT, 操作日時 DATETIME, "
                   "エラー種別 SHORT, 認証機ID SHORT)");
        c->Execute("CREATE INDEX 操作日時 ON ENTRANCE_LOG2026_12 (操作日時)");
        c->StartTransaction();
        auto insert = c->Prepare("INSERT INTO ENTRANCE_LOG2026_12 (個人コード, 操作種別, "
                                 "操作日時, エラー種別, 認証機ID) VALUES (?, ?, ?, 1, ?)");
        for (int i = 0; i < Rows; ++i) {
            insert->Bind(1, QString("%1").arg(i % 500, 4, 10, QChar('0')));
            insert->Bind(2, i % 2 ? 12 : 22);
            insert->Bind(3, 46357 + (i % 31) + (i % 86400) / 86400.0);
            insert->Bind(4, 1 + i % 32);
            insert->Execute();
        }
        c->Commit();
        return true;
    }();
    return made ? dir.path() : QString();
}

// Reads every value of the query's rows, over `connection` when given, else over one of its
// own; false when it did not find `expected` rows.
bool ReadThroughDataSet(const char* select, int expected, TConnectionODBC* connection = nullptr) {
    TDBQueryODBC query;
    query.SetName("sqlLog");
    if (connection) {
        query.SetClone(connection);
    } else {
        query.SetDSName("EntParaODBC");
        query.SetODBCVersion(ODBC35);
    }
    query.SetReadOnly(true);
    query.SQL().Add(select);
    query.Open();
    int rows = 0;
    for (; !query.Eof(); query.Next()) {
        for (int i = 0; i < query.FieldCount(); ++i)
            benchmark::DoNotOptimize(query.Fields()[i]->AsVariant());
        ++rows;
    }
    return expected < 0 || rows == expected;
}

int ReadThroughSQLite(sqlite3* db, const char* select) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, select, -1, &st, nullptr);
    int rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        benchmark::DoNotOptimize(sqlite3_column_text(st, 0));
        for (int i = 1; i < 5; ++i)
            benchmark::DoNotOptimize(sqlite3_column_double(st, i));
        ++rows;
    }
    sqlite3_finalize(st);
    return rows;
}

void BM_DataSetReadsAll(benchmark::State& state) {
    DataFolder();
    for (auto _ : state)
        if (!ReadThroughDataSet(Select, Rows))
            state.SkipWithError("rows missing");
}
BENCHMARK(BM_DataSetReadsAll)->Unit(benchmark::kMillisecond);

void BM_DataSetReadsOneDay(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(DataFolder() + "/ENTRANCE_LOG2026_12.DB").constData(), &db);
    const int day = ReadThroughSQLite(db, SelectDayPlain);
    sqlite3_close(db);
    // Kept connected, as a program keeps its connection from one day's detail to the next.
    TCloneODBC connection;
    connection.SetName("CloneODBC1");
    connection.SetDriverConnect(false);
    connection.SetDSName("EntParaODBC");
    connection.SetODBCVersion(ODBC35);
    connection.Connect();
    for (auto _ : state)
        if (!ReadThroughDataSet(SelectDay, day, &connection))
            state.SkipWithError("rows missing");
    state.counters["rows"] = day;
}
BENCHMARK(BM_DataSetReadsOneDay)->Unit(benchmark::kMillisecond);

void BM_PlainSQLiteReads(benchmark::State& state, const char* select) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(DataFolder() + "/ENTRANCE_LOG2026_12.DB").constData(), &db);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadThroughSQLite(db, select));
    sqlite3_close(db);
}
BENCHMARK_CAPTURE(BM_PlainSQLiteReads, All, Select)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlainSQLiteReads, OneDay, SelectDayPlain)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
