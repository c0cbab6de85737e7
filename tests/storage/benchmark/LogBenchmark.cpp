// A month of log rows (100,000 in one monthly table) inserted row by row through the engine's
// query as the communication program does, then the record reports' day list and detail
// queries over them; each beside plain SQLite doing the same on the same kind of file.
// Run by hand: storage_benchmark; the data folder is made under $TMPDIR.
#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "dbengine/Session.h"
#include "storage/Connection.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

constexpr int Rows = 100000;
const QString Table = "ENTRANCE_LOG2026_12";

QString InsertText(int i) {
    const int day = 1 + i % 31, hour = 6 + (i / 31) % 14, minute = (i / 434) % 60;
    return QString(
               "insert into %1(\n個人コード, 操作種別, 操作日時, エラー種別, 認証機ID)\nValues\n"
               "('%2',%3,'12/%4/2026, %5:%6:00',01,%7)")
        .arg(Table)
        .arg(i % 500, 4, 10, QChar('0'))
        .arg(i % 2 ? 12 : 22)
        .arg(day, 2, 10, QChar('0'))
        .arg(hour, 2, 10, QChar('0'))
        .arg(minute, 2, 10, QChar('0'))
        .arg(1 + i % 32);
}

void CreateMonth(SqlConnection& c) {
    c.Execute("CREATE TABLE " + Table +
              " (autoNum INTEGER PRIMARY KEY AUTOINCREMENT, 個人コード TEXT (10), "
              "操作種別 SHORT, 操作日時 DATETIME, エラー種別 SHORT, 認証機ID SHORT)");
}

// The folder with a full month, made once for the query benchmarks.
QString FullMonth() {
    static QTemporaryDir dir;
    static bool made = false;
    if (!made) {
        auto c = SqlConnection::OpenFolder(dir.path());
        CreateMonth(*c);
        c->StartTransaction();
        for (int i = 0; i < Rows; ++i)
            c->Execute(InsertText(i));
        c->Commit();
        // A connection attaching the file gives it the date index, as on an older month.
        SqlConnection::OpenFolder(dir.path())->Execute("SELECT 1 FROM " + Table);
        made = true;
    }
    return dir.path();
}

// A query on the folder, as the programs' queries on the table files.
std::unique_ptr<TQuery> FolderQuery(const QString& folder, const QString& sql) {
    auto q = std::make_unique<TQuery>();
    q->SetDatabaseName(folder);
    q->SQL().SetText(sql);
    return q;
}

int ReadAll(TQuery& q) {
    int rows = 0;
    for (q.Open(); !q.Eof(); q.Next())
        ++rows;
    q.Close();
    return rows;
}

// Each row is its own statement and its own transaction, as the events arrive.
void BM_InsertLogRowByRow(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        CreateMonth(*SqlConnection::OpenFolder(dir.path()));
        auto q = FolderQuery(dir.path(), QString());
        state.ResumeTiming();
        for (int i = 0; i < state.range(0); ++i) {
            q->SQL().SetText(InsertText(i));
            q->ExecSQL();
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_InsertLogRowByRow)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(1);

// Plain SQLite on the month's file: the same rollback journal and full sync, one statement
// prepared once, a transaction a row.
sqlite3* PlainMonth(const QString& folder) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(folder + "/" + Table + ".DB").constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    return db;
}

void BM_PlainInsertRowByRow(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        CreateMonth(*SqlConnection::OpenFolder(dir.path()));
        sqlite3* db = PlainMonth(dir.path());
        // The index the month's table has.
        sqlite3_exec(db, "CREATE INDEX d ON ENTRANCE_LOG2026_12 (操作日時)", nullptr, nullptr,
                     nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO ENTRANCE_LOG2026_12 (個人コード, 操作種別, 操作日時, "
                           "エラー種別, 認証機ID) VALUES (?, ?, ?, ?, ?)",
                           -1, &st, nullptr);
        state.ResumeTiming();
        for (int i = 0; i < state.range(0); ++i) {
            sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
            sqlite3_bind_text(st, 1, "0001", -1, SQLITE_STATIC);
            sqlite3_bind_int(st, 2, i % 2 ? 12 : 22);
            sqlite3_bind_double(st, 3, 46357 + i % 31 + 0.25);
            sqlite3_bind_int(st, 4, 1);
            sqlite3_bind_int(st, 5, 1 + i % 32);
            sqlite3_step(st);
            sqlite3_reset(st);
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PlainInsertRowByRow)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(1);

// Plain SQLite reading a query's rows, every column's value taken.
int PlainRows(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    int rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int i = 0; i < sqlite3_column_count(st); ++i)
            benchmark::DoNotOptimize(sqlite3_column_type(st, i) == SQLITE_TEXT
                                         ? (const void*)sqlite3_column_text(st, i)
                                         : (const void*)nullptr);
        ++rows;
    }
    sqlite3_finalize(st);
    return rows;
}

void BM_DayListQuery(benchmark::State& state) {
    const QString folder = FullMonth();
    const QString sql =
        QStringList{
            "SELECT DISTINCT ",
            "CInt(Year(操作日時)) as 操作Year,",
            "CInt(Month(操作日時)) as 操作Month,",
            "CInt(Day(操作日時)) as 操作Day",
            "FROM " + Table,
            "WHERE ((操作種別 = 11) OR (操作種別 = 12) OR (操作種別 = 21) OR (操作種別 = 22)) ",
            "",
            "AND (CDbl(操作日時) >= 46357)",
            "AND (CDbl(操作日時) < 46388)"}
            .join("\n");
    auto q = FolderQuery(folder, sql);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadAll(*q));
}
BENCHMARK(BM_DayListQuery)->Unit(benchmark::kMillisecond);

// The same list by plain SQLite: a scan of the month, the day computed by SQLite's own
// date functions.
void BM_PlainDayList(benchmark::State& state) {
    sqlite3* db = PlainMonth(FullMonth());
    for (auto _ : state)
        benchmark::DoNotOptimize(PlainRows(
            db, "SELECT DISTINCT strftime('%Y-%m-%d', 操作日時 + 2415018.5) FROM "
                "ENTRANCE_LOG2026_12 WHERE 操作種別 IN (11, 12, 21, 22) AND 操作日時 >= 46357 "
                "AND 操作日時 < 46388"));
    sqlite3_close(db);
}
BENCHMARK(BM_PlainDayList)->Unit(benchmark::kMillisecond);

// The detail of one day, as the report runs it once per listed day.
void BM_DetailQueryOneDay(benchmark::State& state) {
    auto q = FolderQuery(
        FullMonth(),
        QStringList{
            "SELECT 個人コード,認証機ID,操作日時,操作種別,エラー種別,",
            "CInt(Year(操作日時)) as 操作年,", "CInt(Month(操作日時)) as 操作月,",
            "CInt(Day(操作日時)) as 操作日", "FROM " + Table,
            "WHERE ((操作種別 = 11) OR (操作種別 = 12) OR (操作種別 = 21) OR (操作種別 = 22))",
            "AND (CInt(Year(操作日時)) =:操作Year)", "AND (CInt(Month(操作日時)) =:操作Month)",
            "AND (CInt(Day(操作日時)) =:操作Day)", "", "ORDER BY 個人コード,操作日時"}
            .join("\n"));
    int day = 0;
    for (auto _ : state) {
        q->ParamByName("操作Year").SetAsSmallInt(2026);
        q->ParamByName("操作Month").SetAsSmallInt(12);
        q->ParamByName("操作Day").SetAsSmallInt(1 + day++ % 31);
        benchmark::DoNotOptimize(ReadAll(*q));
    }
}
BENCHMARK(BM_DetailQueryOneDay)->Unit(benchmark::kMillisecond);

// The same day by plain SQLite through the index on the date.
void PlainDetailOneDay(benchmark::State& state, sqlite3* db) {
    int day = 0;
    for (auto _ : state) {
        const QByteArray sql =
            QString("SELECT 個人コード,認証機ID,操作日時,操作種別,エラー種別 FROM "
                    "ENTRANCE_LOG2026_12 WHERE 操作種別 IN (11, 12, 21, 22) AND 操作日時 >= %1 "
                    "AND 操作日時 < %2 ORDER BY 個人コード,操作日時")
                .arg(46357 + day % 31)
                .arg(46358 + day % 31)
                .toUtf8();
        ++day;
        benchmark::DoNotOptimize(PlainRows(db, sql.constData()));
    }
    sqlite3_close(db);
}

// With SQLite's default page cache.
void BM_PlainDetailOneDay(benchmark::State& state) {
    PlainDetailOneDay(state, PlainMonth(FullMonth()));
}
BENCHMARK(BM_PlainDetailOneDay)->Unit(benchmark::kMillisecond);

// With the page cache the engine gives an attached table file.
void BM_PlainDetailOneDayCached(benchmark::State& state) {
    sqlite3* db = PlainMonth(FullMonth());
    const QByteArray pragma = "PRAGMA cache_size=-" + QByteArray::number(TableFolder::PageCacheKiB);
    sqlite3_exec(db, pragma.constData(), nullptr, nullptr, nullptr);
    PlainDetailOneDay(state, db);
}
BENCHMARK(BM_PlainDetailOneDayCached)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    Session().Close();
    return 0;
}
