// The record reports over a month of 100,000 log rows from 32 units and 500 persons: for each
// request the time until the first page is rendered, until the preview shows with every page,
// and to print every page to a PDF file. Run by hand: recordreport_benchmark; the data folder
// is made under $TMPDIR. `--month N` previews everybody's month N times without printing and
// gives each preview's time and the SHA-1 of its page file, which tells the stored pages alike.
#include "BenchmarkFolder.h"
#include "components/report/FormPrintSet.h"
#include "components/report/LRPrvSpl.h"
#include "components/report/RepPreview.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_Users.h"
#include "entrance/reports/records/Report_EntranceUserLog.h"
#include "entrance/reports/records/Report_UserEntranceLog.h"
#include "storage/Connection.h"
#include "storage/Statement.h"
#include "ui/Printer.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <ctime>

using namespace entrance;

namespace {

constexpr int Rows = 100000;
constexpr int Units = 32;
constexpr int Persons = 500;
const QString Month = "ENTRANCE_LOG2026_12";

QString Code(int person) {
    return QString("%1").arg(person, 4, 10, QChar('0'));
}

// The persons, the units, and December as the communication program writes it, with the
// date index it gives a month's table; one record in 20 failed.
void FillData(const QString& folder) {
    auto mdb = SqlConnection::OpenDatabase(folder + "/" + DatabaseFileName);
    mdb->StartTransaction();
    for (int p = 0; p < Persons; ++p)
        mdb->Execute(QString("INSERT INTO M_個人情報 (個人コード,氏名) VALUES ('%1','%2')")
                         .arg(Code(p), "利用者" + Code(p)));
    mdb->Commit();
    auto db = SqlConnection::OpenFolder(folder);
    db->StartTransaction();
    for (int unit = 1; unit <= Units; ++unit)
        db->Execute(QString("INSERT INTO entranceState (認証機ID,認証機名) VALUES (%1,'%2')")
                        .arg(unit)
                        .arg("認証機" + QString::number(unit)));
    db->Commit();
    db->Execute("CREATE TABLE " + Month +
                " (autoNum INTEGER PRIMARY KEY AUTOINCREMENT, 個人コード TEXT (10), "
                "操作種別 SHORT, 操作日時 DATETIME, エラー種別 SHORT, 認証機ID SHORT)");
    db->Execute("CREATE INDEX 操作日時 ON " + Month + " (操作日時)");
    auto insert = db->Prepare("INSERT INTO " + Month +
                              " (個人コード,操作種別,操作日時,エラー種別,認証機ID) VALUES "
                              "(?,?,?,?,?)");
    db->StartTransaction();
    for (int i = 0; i < Rows; ++i) {
        const int day = 1 + i % 31, minute = (i / 31) % (14 * 60);
        insert->Bind(1, Code(i % Persons));
        insert->Bind(2, i % 2 ? 12 : 22);
        insert->Bind(3, EncodeDate(2026, 12, day) + (6 * 60 + minute) / 1440.0);
        insert->Bind(4, i % 20 ? 1 : 0);
        insert->Bind(5, 1 + i % Units);
        insert->Execute();
        insert->Reset();
    }
    db->Commit();
}

struct TTimes {
    double FirstPage = 0;  // ms until the first page was rendered
    double Preview = 0;    // ms until the preview showed every page
    double PreviewCpu = 0; // ms of processor time the program took meanwhile
    double Print = 0;      // ms to print every page to a PDF file
    int Pages = 0;
    QByteArray PagesSha1; // of the page file as the preview showed
};

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

QByteArray FileSha1(const QString& name) {
    QFile file(name);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return "(unreadable)";
    return hash.result().toHex();
}

// Runs the report on the request as a caller does; times its pages through its page header,
// which each page prints first.
template <class T>
TTimes Run(QPointer<T>& global, TDateTime first, TDateTime last, int mode, const QString& code,
           const QString& pdf, bool print = true) {
    const TLogReportRequest request{{first, last}, mode, code};
    TEntrance units;
    TUsers users;
    users.Load(nullptr, 0);
    TTimes times;
    QElapsedTimer clock;
    double cpuStart = 0;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!rptPreview || !rptPreview->isVisible())
            return;
        poll.stop();
        times.Preview = clock.nsecsElapsed() / 1e6;
        times.PreviewCpu = CpuMs() - cpuStart;
        times.Pages = rptPreview->PreviewControl()->PageCount();
        times.PagesSha1 = FileSha1(rptPreview->PreviewControl()->FileName());
        if (!print) {
            rptPreview->close();
            return;
        }
        Printer()->SetPrinterIndex(-1);
        Printer()->SetOutputFileName(pdf);
        QElapsedTimer printing;
        printing.start();
        frmPrintSet->btnPrint->Click();
        times.Print = printing.nsecsElapsed() / 1e6;
        rptPreview->close();
    });
    poll.start();
    cpuStart = CpuMs();
    clock.start();
    OpenReport(global, nullptr, [&](T& report) {
        int headers = 0;
        const TBeforePrintEvent header = report.LRLayoutPanel1->BeforePrint;
        report.LRLayoutPanel1->BeforePrint = [&, header](QObject* sender, TRect rect,
                                                         TPrintStatus& status) {
            if (++headers == 2 && times.FirstPage == 0)
                times.FirstPage = clock.nsecsElapsed() / 1e6;
            header(sender, rect, status);
        };
        report.Execute(request, units, users);
    });
    if (times.FirstPage == 0)
        times.FirstPage = times.Preview;
    return times;
}

void Print(const char* what, const TTimes& t) {
    std::printf("| %s | %d | %.2f s | %.2f s | %.2f s |\n", what, t.Pages, t.FirstPage / 1000,
                t.Preview / 1000, t.Print / 1000);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TEntranceSession session;
    TBenchmarkFolder folder;
    FillData(folder.Path());
    folder.OpenModules();
    const QString pdf = folder.Path() + "/print.pdf";
    const TDateTime first = EncodeDate(2026, 12, 1), day = EncodeDate(2026, 12, 15),
                    last = EncodeDate(2026, 12, 31);

    if (argc > 2 && QString(argv[1]) == "--month") {
        for (int i = 0, n = QString(argv[2]).toInt(); i < n; ++i) {
            const TTimes t =
                Run(EntranceSession().Rep_UserEntranceLog, first, last, 0, "", pdf, false);
            std::printf("everybody, the month: %d pages, preview %.2f s (processor %.2f s), "
                        "pages %s\n",
                        t.Pages, t.Preview / 1000, t.PreviewCpu / 1000, t.PagesSha1.constData());
            std::fflush(stdout);
        }
        return 0;
    }
    std::printf(
        "| request | pages | first page | preview | print to PDF |\n|---|---|---|---|---|\n");
    Print("one unit, one day", Run(EntranceSession().Rep_EntranceUserLog, day, day, 1, "5", pdf));
    Print("one unit, the month",
          Run(EntranceSession().Rep_EntranceUserLog, first, last, 1, "5", pdf));
    Print("one person, the month",
          Run(EntranceSession().Rep_UserEntranceLog, first, last, 1, Code(7), pdf));
    Print("everybody, one day", Run(EntranceSession().Rep_UserEntranceLog, day, day, 0, "", pdf));
    if (argc < 2 || QString(argv[1]) != "--quick")
        Print("everybody, the month",
              Run(EntranceSession().Rep_UserEntranceLog, first, last, 0, "", pdf));
    return 0;
}
