// 100,000 log rows of one month read whole through the library's dataset (TDBQueryODBC over
// unixODBC and the project's driver), beside plain SQLite reading the same file.
// Run by hand: odbc_benchmark; the data folder is made under $TMPDIR.
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

void BM_DataSetReadsAll(benchmark::State& state) {
    DataFolder();
    for (auto _ : state) {
        TDBQueryODBC query;
        query.SetName("sqlLog");
        query.SetDSName("EntParaODBC");
        query.SetODBCVersion(ODBC35);
        query.SetReadOnly(true);
        query.SQL().Add(Select);
        query.Open();
        int rows = 0;
        for (; !query.Eof(); query.Next()) {
            for (int i = 0; i < query.FieldCount(); ++i)
                benchmark::DoNotOptimize(query.Fields()[i]->AsVariant());
            ++rows;
        }
        if (rows != Rows)
            state.SkipWithError("rows missing");
    }
}
BENCHMARK(BM_DataSetReadsAll)->Unit(benchmark::kMillisecond);

void BM_PlainSQLiteReadsAll(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(DataFolder() + "/ENTRANCE_LOG2026_12.DB").constData(), &db);
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, Select, -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_text(st, 0));
            for (int i = 1; i < 5; ++i)
                benchmark::DoNotOptimize(sqlite3_column_double(st, i));
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
}
BENCHMARK(BM_PlainSQLiteReadsAll)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
