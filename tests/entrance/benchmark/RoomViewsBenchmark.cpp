// The room tiles against a month of 100,000 log rows, 32 units in 8 rooms: the time of one
// recount, and the time from a row committed by another connection (as the communication
// program writes) to the tiles showing it, the one-second tick included. Run by hand.

#include "BenchmarkFolder.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/liveviews/Form_EntranceGroupNowViewList.h"
#include "entrance/liveviews/Frame_EntranceGroupNowView.h"
#include "storage/Connection.h"
#include "storage/Statement.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <algorithm>
#include <cstdio>

using namespace entrance;

namespace {

constexpr int Rows = 100000;
constexpr int Units = 32;
constexpr int Rooms = 8;

QString MonthTable(TDateTime now) {
    return "ENTRANCE_LOG" + TEntrance::YearMonthSuffix(now);
}

// The month up to now, rows evenly spread, with the date index the communication program
// gives a new month's table.
void FillMonth(const QString& folder, TDateTime now) {
    auto db = SqlConnection::OpenFolder(folder);
    const QString table = MonthTable(now);
    db->Execute("CREATE TABLE " + table +
                " (autoNum INTEGER PRIMARY KEY, 個人コード TEXT(10), 操作種別 SHORT, 操作日時 "
                "DATETIME, エラー種別 SHORT, 認証機ID SHORT)");
    db->Execute("CREATE INDEX 操作日時 ON " + table + " (操作日時)");
    const TDateTime first = DateOf(now) - (ToQDate(now).day() - 1);
    auto insert = db->Prepare("INSERT INTO " + table +
                              " (個人コード,操作種別,操作日時,エラー種別,認証機ID) VALUES "
                              "(?,?,?,?,?)");
    db->StartTransaction();
    for (int i = 0; i < Rows; ++i) {
        insert->Bind(1, QString::number(1000000 + i % 700));
        insert->Bind(2, i % 2 ? 21 : 11);
        insert->Bind(3, first + (now - first) * i / Rows);
        insert->Bind(4, i % 50 ? 1 : 0);
        insert->Bind(5, 1 + i % Units);
        insert->Execute();
        insert->Reset();
    }
    db->Commit();
    auto mdb = SqlConnection::OpenDatabase(folder + "/" + DatabaseFileName);
    for (int unit = 1; unit <= Units; ++unit)
        mdb->Execute(QString("INSERT INTO M_認証機グループ "
                             "(認証機グループコード,認証機ID,認証機グループ名) VALUES (%1,%2,'%3')")
                         .arg(1 + (unit - 1) / (Units / Rooms))
                         .arg(unit)
                         .arg("部屋" + QString::number(1 + (unit - 1) / (Units / Rooms))));
}

double Median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TEntranceSession session;
    TBenchmarkFolder folder;
    FillMonth(folder.Path(), Now());
    folder.OpenModules();
    WriteAppRegistry("EntranceDayLine", "0:00");

    auto* list = new TfrmEntranceGroupNowViewList(nullptr);
    QList<double> recounts;
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer timer;
        timer.start();
        list->RecountRooms();
        recounts << timer.nsecsElapsed() / 1e6;
    }

    QList<double> latencies;
    auto writer = SqlConnection::OpenFolder(folder.Path());
    const QLabel* entries = list->Tiles().first()->Ed_LogINs;
    for (int i = 0; i < 5; ++i) {
        const int before = entries->text().toInt();
        QTest::qWait(300 * i);
        writer->Execute(
            "INSERT INTO " + MonthTable(Now()) +
            " (個人コード,操作種別,操作日時,エラー種別,認証機ID) VALUES ('9999999',11," +
            QString::number(Now(), 'g', 17) + ",1,1)");
        QElapsedTimer timer;
        timer.start();
        if (!QTest::qWaitFor([&] { return entries->text().toInt() == before + 1; }, 5000))
            std::printf("the tiles missed a row\n");
        latencies << timer.nsecsElapsed() / 1e6;
    }
    std::printf("recount over %d rows, 32 units in 8 rooms: median %.1f ms (of %lld)\n", Rows,
                Median(recounts), qlonglong(recounts.size()));
    std::printf("row committed -> tiles show it: median %.0f ms, longest %.0f ms (of %lld)\n",
                Median(latencies), *std::max_element(latencies.begin(), latencies.end()),
                qlonglong(latencies.size()));
    delete list;
    return 0;
}
