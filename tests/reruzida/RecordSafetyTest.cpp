// Every record a unit was acknowledged for ends in its month table exactly once, whatever fails
// meanwhile, and the operator can see what waits and why.
#include "DataSideFixture.h"

#include "reruzida/AllowedClients.h"
#include "reruzida/CommDriver.h"
#include "reruzida/Form_MeinMenu.h"
#include "reruzida/RequestServer.h"
#include "reruzida/TrayIcon.h"
#include "reruzida/UnitStateTable.h"
#include "tests/e2e/CommProcess.h"
#include "tests/reruzida/SerialLine.h"
#include "tools/unitsim/UnitSimulator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace reruzida;

namespace {

const QByteArray Stamp = "261231235959"; // 2026/12/31 23:59:59
constexpr char December[] = "ENTRANCE_LOG2026_12";

// Takes every descriptor the process has left, as a flood of connections does, until it goes.
class TDescriptorsTaken {
public:
    TDescriptorsTaken() {
        ::getrlimit(RLIMIT_NOFILE, &FSaved);
        rlimit low = FSaved;
        low.rlim_cur = std::min<rlim_t>(FSaved.rlim_cur, 1024);
        ::setrlimit(RLIMIT_NOFILE, &low);
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            FTaken.push_back(fd);
    }
    ~TDescriptorsTaken() {
        for (const int fd : FTaken)
            ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &FSaved);
    }
    TDescriptorsTaken(const TDescriptorsTaken&) = delete;
    TDescriptorsTaken& operator=(const TDescriptorsTaken&) = delete;

private:
    rlimit FSaved{};
    std::vector<int> FTaken;
};

// A reply in a case of the resend rule: a log record the unit sends (LRA), or its answer to
// a command the PC sends it for person "X" (RWR, RDR or RRR).
struct TResendStep {
    int Unit;
    QByteArray Command;
    QByteArray Record{};
};

// What an earlier run left, what the units send in this one, and what the data holds then.
struct TResendCase {
    const char* Name;
    // Log records of unit 1 the earlier run stored, days before.
    QList<QByteArray> Stored{};
    // Replies of unit 1 (command, parameters) it kept and had not handled when it ended.
    QList<QPair<QByteArray, QByteArray>> Kept{};
    // Records the units hold at the start, so they are their first replies.
    QList<TResendStep> First{};
    // Statements on the database before the start, and once the kept replies are handled.
    QString Before{}, Prepare{};
    // One after the other, each once its unit has answered a poll with no record.
    QList<TResendStep> Steps{};
    // The outcome: a query on the month table or the database, and its rows.
    QString Query{};
    QStringList Expected{};
    // Replies dropped as resends.
    int Resends = 0;
};

// The data side on a data folder of its own small file system where the test may mount one
// (as root): a disk can fill up and a folder turn read-only under it.
class RecordSafety : public DataSideTest, public testing::WithParamInterface<TResendCase> {
public:
    static QList<TResendCase> ResendCases();

protected:
    bool Mounted = false;
    // The tick clock runs with the wall clock, and a test steps it past the retry pauses.
    QElapsedTimer Running;
    std::atomic<uint32_t> Stepped = 0;

    void SetUp() override {
        Mounted = ::geteuid() == 0 && ::mount("tmpfs", QFile::encodeName(Temp.Path()).constData(),
                                              "tmpfs", 0, "size=4m") == 0;
        Running.start();
        Clock::SetTicks([this] { return uint32_t(Running.elapsed()) + Stepped.load(); });
        DataSideTest::SetUp();
    }
    void TearDown() override {
        SetReadOnly(false);
        DataSideTest::TearDown();
        if (Mounted)
            ::umount2(QFile::encodeName(Temp.Path()).constData(), MNT_DETACH);
    }

    // Fills the file system up; the file goes again at the end of the test or with Free.
    void Fill() {
        QFile filler(Temp.File("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(64 * 1024, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        // What is left of the last block.
        while (filler.write("x", 1) == 1 && filler.flush()) {
        }
    }
    void Free() { QFile::remove(Temp.File("filler")); }
    // No file can be made in the folder: immutable, which binds root too, or without the
    // right to write for another user.
    void SetReadOnly(bool readOnly) {
        const QByteArray path = QFile::encodeName(Temp.Path());
        if (::geteuid() != 0) {
            ::chmod(path.constData(), readOnly ? 0555 : 0755);
            return;
        }
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int flags = 0;
        ::ioctl(fd, FS_IOC_GETFLAGS, &flags);
        flags = readOnly ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        ::close(fd);
    }

    // The codes of the table's rows in `folder`; none while it is missing.
    static QStringList CodesIn(const QString& folder, const QString& table) {
        try {
            return Rows(*SqlConnection::OpenFolder(folder),
                        "SELECT 個人コード FROM " + table + " ORDER BY autoNum");
        } catch (const Exception&) {
            return {};
        }
    }
    QStringList Codes(const QString& table = December) { return CodesIn(Temp.Path(), table); }
    void Receive(const QString& code, const QByteArray& stamp = Stamp) {
        Jobs().Records.HandleRecvData(Record(2, LogReadReply, Log(stamp, code, "11", "01")));
    }
    // Steps the clock `ms` on, 100 ms at a time, and tries the waiting records at each step.
    void RetryOver(int ms) {
        for (int passed = 0; passed < ms; passed += 100) {
            Stepped += 100;
            Jobs().Records.RetryPendingRecords();
        }
    }
    // The same until no record waits (within the longest pause twice).
    bool StoreWaiting() {
        for (int passed = 0; passed < 120000 && Jobs().Records.PendingRecordCount() > 0;
             passed += 100) {
            Stepped += 100;
            Jobs().Records.RetryPendingRecords();
        }
        return Jobs().Records.PendingRecordCount() == 0;
    }
    int LinesWith(const QString& text) const { return int(ErrorLog().Lines().filter(text).size()); }
};

// With its descriptors used up the program cannot list its folder. That is no reason to take
// the month's table for missing: the rows stored before stay, and the record waits until it
// can be stored beside them.
TEST_F(RecordSafety, AFolderThatCannotBeListedLosesNoTable) {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers' runtime opens a pipe for each new type check of an object (to learn
    // whether its memory can be read): with no descriptor left it takes a sound object for a
    // bad one and stops the run.
    GTEST_SKIP() << "the sanitizers' type check needs the descriptors this test takes";
#endif
    Tables("CREATE TABLE ENTRANCE_LOG2026_10 (autoNum INTEGER PRIMARY KEY, 個人コード TEXT, "
           "操作種別 INTEGER, 操作日時 REAL, エラー種別 INTEGER, 認証機ID INTEGER)");
    Tables("INSERT INTO ENTRANCE_LOG2026_10 (個人コード) VALUES ('stored')");
    {
        const TDescriptorsTaken taken;
        Receive("late", "261031120000");
    }
    EXPECT_EQ(Jobs().Records.PendingRecordCount(), 1);
    ASSERT_TRUE(StoreWaiting());
    EXPECT_EQ(Codes("ENTRANCE_LOG2026_10"), (QStringList{"stored", "late"}));
}

// A month table that is no database is never emptied, overwritten or deleted: its records
// wait, and the fault is in the error log once, until the table is mended.
TEST_F(RecordSafety, AnUnreadableMonthTableIsLeftAsItIsAndItsRecordsWait) {
    const QString file = Temp.File(QString(December) + ".DB");
    const QByteArray damaged(8192, '\x5a');
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(damaged);
    }
    Receive("0001");
    Receive("0002");
    // Tries at 0, 1 and 3 seconds.
    RetryOver(3500);
    EXPECT_EQ(Jobs().Records.PendingRecordCount(), 2);
    EXPECT_EQ(LinesWith("件を保存できるまで保留します"), 1)
        << ErrorLog().Lines().join('\n').toStdString();
    QFile in(file);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), damaged);
    in.close();
    EXPECT_TRUE(Jobs().Records.PendingRecordStatus().contains("未保存の記録 2件"));
    EXPECT_TRUE(MonitorAlerts(Comm.Place, JobsDriver(), &Jobs())
                    .contains(Jobs().Records.PendingRecordStatus()));

    // The operator puts a good table back.
    QFile::remove(file);
    ASSERT_TRUE(StoreWaiting());
    EXPECT_EQ(Codes(), (QStringList{"0001", "0002"}));
    EXPECT_EQ(LinesWith("保留していた記録2件を保存しました"), 1);
    EXPECT_TRUE(MonitorAlerts(Comm.Place, JobsDriver(), &Jobs()).isEmpty());
}

// A full disk holds the records back as long as it lasts; every record is stored once
// afterwards, in the order the units sent them, and the fault and its end have a line each in
// the error log, which the full disk does not wipe.
TEST_F(RecordSafety, AFullDiskLosesNoRecord) {
    if (!Mounted)
        GTEST_SKIP() << "needs a file system of its own (root)";
    Receive("0000");
    ASSERT_EQ(Codes(), QStringList{"0000"});
    Fill();
    QStringList codes{"0000"};
    for (int i = 1; i <= 20; ++i) {
        codes << QString("%1").arg(i, 4, 10, QChar('0'));
        Receive(codes.last());
    }
    EXPECT_EQ(Jobs().Records.PendingRecordCount(), 20);
    EXPECT_TRUE(MonitorAlerts(Comm.Place, JobsDriver(), &Jobs()).contains("未保存の記録 20件"));
    RetryOver(3500);
    Free();
    ASSERT_TRUE(StoreWaiting());
    EXPECT_EQ(Codes(), codes);
    EXPECT_EQ(LinesWith("件を保存できるまで保留します"), 1)
        << ErrorLog().Lines().join('\n').toStdString();
    EXPECT_EQ(LinesWith("保留していた記録20件を保存しました"), 1);
    TErrorLog reread(ErrorLog().FileName());
    reread.LoadErrorLog();
    EXPECT_EQ(reread.Lines(), ErrorLog().Lines());
}

// The same for a data folder that turns read-only while the program runs; the monitor says
// that the folder cannot be written and that records wait.
TEST_F(RecordSafety, AReadOnlyFolderLosesNoRecord) {
    Receive("0000");
    SetReadOnly(true);
    EXPECT_FALSE(Comm.Place.Fault().isEmpty());
    QStringList codes{"0000"};
    for (int i = 1; i <= 5; ++i) {
        codes << QString("%1").arg(i, 4, 10, QChar('0'));
        Receive(codes.last());
    }
    EXPECT_EQ(Jobs().Records.PendingRecordCount(), 5);
    EXPECT_TRUE(MonitorAlerts(Comm.Place, JobsDriver(), &Jobs()).contains(Comm.Place.Fault()));
    EXPECT_TRUE(MonitorAlerts(Comm.Place, JobsDriver(), &Jobs()).contains("未保存の記録 5件"));
    RetryOver(3500);
    SetReadOnly(false);
    ASSERT_TRUE(StoreWaiting());
    EXPECT_EQ(Codes(), codes);
    EXPECT_EQ(LinesWith("件を保存できるまで保留します"), 1)
        << ErrorLog().Lines().join('\n').toStdString();
    EXPECT_EQ(LinesWith("保留していた記録5件を保存しました"), 1);
    EXPECT_TRUE(MonitorAlerts(Comm.Place, JobsDriver(), &Jobs()).isEmpty());
}

// Another program's lock holds the records back: shown all the while, in the error log once it
// has held them for over a minute, and again when they are stored.
TEST_F(RecordSafety, ALockHoldingRecordsOverAMinuteIsLoggedOnce) {
    Receive("0001");
    const auto holder = SqlConnection::OpenDatabase(Temp.File(QString(December) + ".DB"));
    holder->StartTransaction();
    Receive("0002");
    Receive("0003");
    ASSERT_EQ(Jobs().Records.PendingRecordCount(), 2);
    const auto tryAfter = [&](int seconds) {
        for (int passed = 0; passed < seconds; passed += 10) {
            Stepped += 10000;
            Jobs().Records.RetryPendingRecords();
        }
    };
    tryAfter(50);
    EXPECT_EQ(LinesWith("他のプログラムのロック"), 0);
    EXPECT_TRUE(MonitorAlerts(Comm.Place, JobsDriver(), &Jobs()).contains("未保存の記録 2件"));
    tryAfter(20);
    tryAfter(60);
    EXPECT_EQ(LinesWith("他のプログラムのロック"), 1)
        << ErrorLog().Lines().join('\n').toStdString();
    holder->Rollback();
    ASSERT_TRUE(StoreWaiting());
    EXPECT_EQ(Codes(), (QStringList{"0001", "0002", "0003"}));
    EXPECT_EQ(LinesWith("保留していた記録2件を保存しました"), 1);
    EXPECT_EQ(ErrorLog().Lines().size(), 2);
}

// While the received-records file cannot be written, the units keep their records, and the
// operator is told; once the disk has room they are taken and stored.
TEST_F(RecordSafety, RecordsThatCannotBeKeptStayWithTheUnits) {
    if (!Mounted)
        GTEST_SKIP() << "needs a file system of its own (root)";
    ToLine = true;
    TUnitSimulator sim{1};
    ASSERT_TRUE(sim.OpenPty());
    sim.Start();
    UsePort(2, sim.SlavePath());
    TfrmMainMenu form(JobsDriver(), Comm.Place, &Jobs(),
                      TDrvSetup{std::make_shared<TUnitStateTable>(Temp.Path()), 10,
                                Temp.File(ReceivedRecordsFile)});
    ASSERT_TRUE(WaitFor([this] { return JobsDriver().UnitPresent[1].load(); }));
    Fill();
    sim.AddLogRecord(1, OpFirstEntry, 1, "kept");
    ASSERT_TRUE(WaitFor([&] { return form.lblAlerts->text().contains("受信記録ファイル"); }));
    EXPECT_EQ(sim.PendingRecords(1), 1);
    EXPECT_TRUE(WaitFor([&] { return LinesWith("受信記録ファイルに書き込めない") == 1; }));
    Free();
    const QString table = "ENTRANCE_LOG" + sim.UnitClock(1).toString("yyyy_MM");
    ASSERT_TRUE(WaitFor([&] { return Codes(table) == QStringList{"kept"}; }));
    // The record is handed to the window before the ACK goes out, so it may be stored first.
    EXPECT_TRUE(WaitFor([&] { return sim.PendingRecords(1) == 0; }));
    EXPECT_TRUE(WaitFor([&] { return form.lblAlerts->isHidden(); }));
    sim.Stop();
}

// A data folder that is read-only at the start is in the error log at once.
TEST_F(RecordSafety, AReadOnlyFolderAtTheStartIsReported) {
    SetReadOnly(true);
    try {
        Comm.DM1->DataModuleCreate();
    } catch (const Exception&) {
        // Where the start-up stops does not matter here.
    }
    SetReadOnly(false);
    EXPECT_EQ(LinesWith("に書き込めません"), 1) << ErrorLog().Lines().join('\n').toStdString();
}

// A unit resends only its last reply, and only until it shows it got the ACK: the same
// fields again after that are a new event, from a clock that stands still or went back, or
// after a start; an answer read back at a start swallows no later one.
QList<TResendCase> RecordSafety::ResendCases() {
    const QByteArray at = "260115080000", later = "260115080030";
    const QByteArray p01 = Log(at, "P01", "11", "01"), p02 = Log(at, "P02", "21", "01"),
                     failure = Log(at, "", "11", "00"), back = Log(later, "P01", "11", "01");
    const QString rows = "SELECT 個人コード, 操作種別, Second(操作日時), エラー種別, 認証機ID "
                         "FROM ENTRANCE_LOG2026_01 ORDER BY autoNum";
    const QString p01Row = "P01|11|0|1|1", p02Row = "P02|21|0|1|1";
    const QString row = "INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, 登録不可) "
                        "VALUES ('X', 1, ";
    return {
        {.Name = "TheSameRecordAfterItsAck",
         .Steps = {{1, LogReadReply, p01}, {1, LogReadReply, p01}},
         .Query = rows,
         .Expected = {p01Row, p01Row}},
        {.Name = "TheSameFailureAfterItsAck",
         .Steps = {{1, LogReadReply, failure}, {1, LogReadReply, failure}},
         .Query = rows,
         .Expected = {"|11|0|0|1", "|11|0|0|1"}},
        {.Name = "AClockThatStandsStill",
         .Steps = {{1, LogReadReply, p01},
                   {1, LogReadReply, p02},
                   {1, LogReadReply, p01},
                   {1, LogReadReply, p01}},
         .Query = rows,
         .Expected = {p01Row, p02Row, p01Row, p01Row}},
        {.Name = "AClockSetBack",
         .Steps = {{1, LogReadReply, back},
                   {2, LogReadReply, Log(later, "Q01", "11", "01")},
                   {1, LogReadReply, back}},
         .Query = rows,
         .Expected = {"P01|11|30|1|1", "Q01|11|30|1|2", "P01|11|30|1|1"}},
        {.Name = "AFirstRecordLikeARowOfDaysBefore",
         .Stored = {p01},
         .Steps = {{1, LogReadReply, p01}},
         .Query = rows,
         .Expected = {p01Row, p01Row}},
        {.Name = "AReplayedRecordAfterAnother",
         .Kept = {{LogReadReply, p01}},
         .Steps = {{1, LogReadReply, p02}, {1, LogReadReply, p01}},
         .Query = rows,
         .Expected = {p01Row, p02Row, p01Row}},
        {.Name = "AReplayLikeARowBeforeTheUnitsLast",
         .Stored = {p01, p02},
         .Kept = {{LogReadReply, p01}},
         .Query = rows,
         .Expected = {p01Row, p02Row, p01Row}},
        {.Name = "ARegistrationAnswerLikeAReplayedOne",
         .Kept = {{ImageWriteReply, Code("X") + "1"}},
         .Before = row + "0, 0, 0)",
         .Prepare = "UPDATE M_使用認証機 SET 登録=0",
         .Steps = {{1, ImageWriteCommand}},
         .Query = "SELECT 登録 FROM M_使用認証機",
         .Expected = {"1"}},
        {.Name = "ARemovalAnswerLikeAReplayedOne",
         .Kept = {{RemovalReply, Code("X")}},
         // Ticked again while the removal was on its way: the unit holds the person no more.
         .Prepare = row + "1, 0, 0)",
         .Steps = {{1, RemovalCommand}},
         .Query = "SELECT 登録 FROM M_使用認証機",
         .Expected = {"0"}},
        {.Name = "AnImageAnswerLikeAReplayedOne",
         .Kept = {{ImageReadReply, Code("X") + ImagePrefix + TUnitSimulator::MakeImage("X")}},
         .Prepare = "UPDATE M_個人情報 SET 認証画像=NULL",
         .Steps = {{1, ImageReadCommand}},
         .Query = "SELECT length(認証画像) FROM M_個人情報",
         .Expected = {"900"}},
        // The rule still drops a true resend: a record the earlier run kept, sent again as
        // the unit's first reply because its ACK never left.
        {.Name = "ARecordKeptBeforeTheStartSentAgain",
         .Kept = {{LogReadReply, p01}},
         .First = {{1, LogReadReply, p01}},
         .Query = rows,
         .Expected = {p01Row},
         .Resends = 1},
    };
}

TEST_P(RecordSafety, AReplyIsAResendOnlyUntilItsUnitHasTheAck) {
    const TResendCase& test = GetParam();
    {
        // The earlier run, with jobs of its own.
        TCommDriver earlier;
        TUnitJobs jobs(*Comm.DM1, *Comm.DMCreate, earlier, DriverQueue(earlier));
        for (const QByteArray& log : test.Stored)
            jobs.Records.HandleRecvData(Record(1, LogReadReply, log));
    }
    const QString journal = Temp.File(ReceivedRecordsFile);
    {
        TRecvJournal kept(journal);
        kept.Replay();
        for (const auto& [command, parameters] : test.Kept) {
            TRecvDataClass record = Record(1, command, parameters);
            ASSERT_TRUE(kept.Append(record));
        }
    }
    if (!test.Before.isEmpty())
        Access(test.Before);
    ToLine = true;
    TUnitSimulator sim{2};
    ASSERT_TRUE(sim.OpenPty());
    sim.Hold(1, "X");
    for (const TResendStep& first : test.First)
        sim.AddRecord(first.Unit, first.Record);
    sim.Start();
    UsePort(2, sim.SlavePath());
    TfrmMainMenu form(JobsDriver(), Comm.Place, &Jobs(),
                      TDrvSetup{std::make_shared<TUnitStateTable>(Temp.Path()), 10, journal});
    // The unit has taken the ACK of all it sent and has then answered a poll with nothing.
    const auto polls = [&](int unit) {
        const QList<TSimFrame> frames = sim.Frames();
        return std::count_if(frames.begin(), frames.end(), [&](const TSimFrame& frame) {
            return frame.Command == LogReadCommand && frame.Destination == unit;
        });
    };
    const auto quiet = [&](int unit) {
        ASSERT_TRUE(WaitFor([&] { return sim.PendingRecords(unit) == 0; }));
        const auto before = polls(unit);
        ASSERT_TRUE(WaitFor([&] { return polls(unit) >= before + 1; }));
    };
    ASSERT_NO_FATAL_FAILURE(quiet(1));
    ASSERT_TRUE(WaitFor([&] { return Jobs().Records.PendingRecordCount() == 0; }));
    if (!test.Prepare.isEmpty())
        Access(test.Prepare);
    for (const TResendStep& step : test.Steps) {
        if (step.Command == LogReadReply)
            sim.AddRecord(step.Unit, step.Record);
        else
            ASSERT_TRUE(DrvSendCommand(JobsDriver(), step.Unit, step.Command, "X",
                                       step.Command == ImageWriteCommand
                                           ? ImagePrefix + TUnitSimulator::MakeImage("X")
                                           : QByteArray()));
        ASSERT_NO_FATAL_FAILURE(quiet(step.Unit));
    }
    const auto outcome = [&] {
        return test.Query.contains("ENTRANCE_LOG") ? TableRows(test.Query) : AccessRows(test.Query);
    };
    EXPECT_TRUE(WaitFor([&] { return outcome() == test.Expected; }))
        << outcome().join(", ").toStdString();
    // Each with its unit and the record.
    EXPECT_EQ(LinesWith("再送"), test.Resends) << ErrorLog().Lines().join('\n').toStdString();
    EXPECT_EQ(LinesWith("再送したため破棄しました: 1 LRA 260115080000P01"), test.Resends);
    sim.Stop();
}

void PrintTo(const TResendCase& test, std::ostream* out) {
    *out << test.Name;
}

INSTANTIATE_TEST_SUITE_P(, RecordSafety, testing::ValuesIn(RecordSafety::ResendCases()),
                         [](const auto& info) { return std::string(info.param.Name); });

// The rule on the received list itself: only the exact copy of the unit's last reply is a
// resend, and only until the unit answers a poll with no record; a reply that differs in any
// field, or comes from another unit, is another event. After a start the file tells each
// unit's last reply.
TEST_F(RecordSafety, OnlyTheExactCopyOfItsUnitsLastReplyIsAResend) {
    using enum TRecvDataList::TPushed;
    const QString file = Temp.File("resend.dat");
    const auto record = [](int unit, const QByteArray& log) {
        return Record(unit, LogReadReply, log);
    };
    const QByteArray first = Log(Stamp, "0001", "11", "01"), last = Log(Stamp, "0001", "11", "00");
    {
        TRecvDataList received;
        received.Open(file);
        EXPECT_EQ(received.Push(record(2, first)), Kept);
        EXPECT_EQ(received.Push(record(2, first)), Resend);
        for (const QByteArray& other :
             {Log(Stamp, "0002", "11", "01"), Log(Stamp, "0001", "12", "01"),
              Log("261231235958", "0001", "11", "01"), last}) {
            EXPECT_EQ(received.Push(record(2, other)), Kept);
            EXPECT_EQ(received.Push(record(2, other)), Resend);
        }
        EXPECT_EQ(received.Push(record(3, first)), Kept);
        received.NothingToSend(3);
        EXPECT_EQ(received.Push(record(3, first)), Kept);
    }
    // The program ended there.
    TRecvDataList restarted;
    EXPECT_EQ(restarted.Open(file), 7);
    EXPECT_EQ(restarted.Push(record(2, last)), Resend);
    EXPECT_EQ(restarted.Push(record(3, first)), Resend);
    EXPECT_EQ(restarted.Push(record(2, first)), Kept);
    EXPECT_TRUE(WaitFor([&] { return LinesWith("再送") == 7; }))
        << ErrorLog().Lines().join('\n').toStdString();
}

// On a noisy line a unit misses the first ACK of each record and sends the record again: every
// record is in the month table once.
TEST_F(RecordSafety, AUnitThatMissesAcksHasEachRecordStoredOnce) {
    ToLine = true;
    TUnitSimulator sim{1};
    ASSERT_TRUE(sim.OpenPty());
    sim.Start();
    UsePort(2, sim.SlavePath());
    sim.MissFirstAcks(1);
    const QString journal = Temp.File(ReceivedRecordsFile);
    TfrmMainMenu form(JobsDriver(), Comm.Place, &Jobs(),
                      TDrvSetup{std::make_shared<TUnitStateTable>(Temp.Path()), 10, journal});
    ASSERT_TRUE(WaitFor([this] { return JobsDriver().UnitPresent[1].load(); }));
    const QStringList codes{"a1", "a2", "a3"};
    for (const QString& code : codes)
        sim.AddLogRecord(1, OpFirstEntry, 1, code);
    const QString table = "ENTRANCE_LOG" + sim.UnitClock(1).toString("yyyy_MM");
    // Taken by the unit, and every copy handled.
    ASSERT_TRUE(WaitFor(
        [&] { return sim.PendingRecords(1) == 0 && QFileInfo(journal).size() == 0; }, 60000));
    EXPECT_EQ(Codes(table), codes);
    int acks = 0;
    for (const TSimFrame& frame : sim.Frames())
        acks += frame.Command == "ACK" && frame.Destination == 1;
    // Each record was acknowledged twice: once missed, once taken.
    EXPECT_GE(acks, 2 * int(codes.size()));
    sim.Stop();
}

// Killed after it stored a record and before it acknowledged it: at the next start the unit
// hands the record over again, and it stays one row; nothing after it is lost.
TEST_F(RecordSafety, AProgramKilledBetweenRowAndAckStoresTheRecordOnce) {
    const QString strace = QStandardPaths::findExecutable("strace");
    if (strace.isEmpty())
        GTEST_SKIP() << "needs strace to kill the program at a chosen call";
    constexpr int LongWaitMs = 120000;
    TempFolder data;
    CreateDataFolder(data.Path());
    const QString program = data.File("Reruzida");
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("ZZ_BUILD_DIR") + "/reruzida/Reruzida", program));
    TUnitSimulator sim{1};
    ASSERT_TRUE(sim.OpenPty());
    sim.Start();
    UsePort(1, sim.SlavePath());
    const QString journal = data.File(ReceivedRecordsFile);
    // Runs the program until a thread of it first syncs the received-records file.
    const auto runUntilFirstSync = [&] {
        QProcess killed;
        killed.setWorkingDirectory(data.Path());
        killed.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        killed.start(strace,
                     {"-f", "-qq", "-o", "/dev/null", "-P", journal, "-e", "trace=fdatasync", "-e",
                      "inject=fdatasync:signal=KILL:when=1", program});
        ASSERT_TRUE(killed.waitForFinished(LongWaitMs));
        sim.PcClosedLine();
    };
    const QString table = "ENTRANCE_LOG" + sim.UnitClock(1).toString("yyyy_MM");
    const auto codes = [&] { return CodesIn(data.Path(), table); };
    // Killed as it keeps the record: the record is in the file, the unit keeps it too.
    sim.AddLogRecord(1, OpFirstEntry, 1, "first");
    ASSERT_NO_FATAL_FAILURE(runUntilFirstSync());
    ASSERT_GT(QFileInfo(journal).size(), 0);
    // Started again while the unit is silent: the record read back is stored and marked done,
    // and the program killed as that mark is synced, before the unit was acknowledged. The
    // file keeps the record as the unit's last, which it may send again.
    sim.SetFault(1, TSimFault::Silence, -1);
    ASSERT_NO_FATAL_FAILURE(runUntilFirstSync());
    ASSERT_EQ(codes(), QStringList{"first"});
    {
        ASSERT_TRUE(QFile::copy(journal, journal + ".read"));
        TRecvJournal read(journal + ".read");
        ASSERT_TRUE(read.Replay().isEmpty());
        ASSERT_EQ(read.LastReplies().size(), 1);
    }
    ASSERT_EQ(sim.PendingRecords(1), 1);
    sim.SetFault(1, TSimFault::None, 0);
    sim.AddLogRecord(1, OpLastExit, 1, "second");
    QProcess started;
    ASSERT_TRUE(StartCommProgram(started, data.Path(), LongWaitMs));
    EXPECT_TRUE(WaitFor([&] { return sim.PendingRecords(1) == 0; }, LongWaitMs));
    EXPECT_TRUE(
        WaitFor([&] { return codes().size() >= 2 && QFileInfo(journal).size() == 0; }, LongWaitMs));
    EXPECT_EQ(codes(), (QStringList{"first", "second"}));
    SendCopyData(CommCaption, CD_TERMINATE, "RecordSafety", {});
    if (!started.waitForFinished(60000))
        started.kill();
    sim.Stop();
}

// One damaged entry in the middle of the received-records file costs that entry only: every
// whole entry after it is read, the damage has a line in the error log, and the damaged file is
// kept beside the rewritten one.
TEST_F(RecordSafety, ADamagedEntryInTheReceivedRecordsFileCostsOnlyItself) {
    const QString file = Temp.File(ReceivedRecordsFile);
    QStringList codes;
    qint64 sixth = 0;
    {
        TRecvJournal journal(file);
        journal.Replay();
        for (int i = 1; i <= 12; ++i) {
            if (i == 6)
                sixth = QFileInfo(file).size();
            TRecvDataClass record = Record(
                2, LogReadReply, Log(Stamp, QString("%1").arg(i, 4, 10, QChar('0')), "11", "01"));
            ASSERT_TRUE(journal.Append(record));
            if (i != 6)
                codes << QString("%1").arg(i, 4, 10, QChar('0'));
        }
    }
    QByteArray bytes;
    {
        QFile damaged(file);
        ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
        bytes = damaged.readAll();
        // A byte of the sixth record's person code.
        bytes[sixth + 11 + 8 + 12] = char(bytes[sixth + 11 + 8 + 12] ^ 0x01);
        damaged.seek(0);
        damaged.write(bytes);
    }
    const qint64 entry = bytes.size() / 12;
    ASSERT_EQ(JobsDriver().Received.Open(file), 11);
    EXPECT_EQ(LinesWith("受信記録ファイル"), 1) << ErrorLog().Lines().join('\n').toStdString();
    EXPECT_TRUE(ErrorLog().Lines().value(0).contains(QString::number(entry) + "バイト"))
        << ErrorLog().Lines().value(0).toStdString();
    QFile copy(file + ".damaged");
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), bytes);
    // The file now holds the whole entries only.
    EXPECT_EQ(QFileInfo(file).size(), 11 * entry);
    for (int i = 0; i < 11; ++i)
        Jobs().Records.ProcessRecvData();
    EXPECT_EQ(Codes(), codes);
    // The unit answers a poll with no record: it has the ACK of its last one too.
    JobsDriver().Received.NothingToSend(2);
    EXPECT_EQ(QFileInfo(file).size(), 0);
}

// A port that does not open is in the error log and the monitor window, and is tried again
// until it opens.
TEST_F(RecordSafety, APortThatDoesNotOpenIsReportedAndTriedAgain) {
    TUnitSimulator sim{1};
    ASSERT_TRUE(sim.OpenPty());
    sim.Start();
    UsePort(2, sim.SlavePath());
    // Another program holds the line.
    const int holder = ::open(QFile::encodeName(sim.SlavePath()).constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    ToLine = true;
    {
        TfrmMainMenu form(JobsDriver(), Comm.Place, &Jobs(),
                          TDrvSetup{std::make_shared<TUnitStateTable>(Temp.Path()), 10});
        ASSERT_TRUE(WaitFor([this] { return !DrvPortFault(JobsDriver()).isEmpty(); }));
        ASSERT_TRUE(
            WaitFor([&] { return form.lblAlerts->text().contains(DrvPortFault(JobsDriver())); }));
        EXPECT_TRUE(form.TrayIcon1->TipHelp().contains("COM2"));
        ASSERT_TRUE(WaitFor([&] { return LinesWith("COM2") == 1; }));
        ::close(holder);
        ASSERT_TRUE(WaitFor([this] { return JobsDriver().UnitPresent[1].load(); }));
        EXPECT_TRUE(DrvPortFault(JobsDriver()).isEmpty());
        ASSERT_TRUE(WaitFor([&] { return form.lblAlerts->isHidden(); }));
        EXPECT_EQ(LinesWith("を開きました"), 1);
    }
    sim.Stop();
}

// Bad requests from outside never push the lines about records out of the error log: the
// refusals of one client are summed up, and all of them keep a small part of the log.
TEST_F(RecordSafety, RequestNoiseLeavesTheRecordLinesInTheErrorLog) {
    for (int i = 0; i < 5; ++i)
        ErrorLog().WriteErrorLog("record line " + QString::number(i), Now());
    const quint16 port = Comm.DM1->ServerTanpa->serverPort();
    // From one client again and again, then from many: every address of 127.0.0.0/8 is the
    // machine itself, so each is another client that may send.
    const auto send = [&](const QString& from) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->bind(QHostAddress(from));
        socket->connectToHost(QHostAddress(from), port);
        socket->write("x");
        socket->disconnectFromHost();
        return socket;
    };
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    const auto handled = [&] {
        for (const auto& socket : sockets)
            if (socket->state() != QAbstractSocket::UnconnectedState)
                return false;
        return Comm.DM1->ServerTanpa->Clients() == 0;
    };
    const auto flood = [&](const std::function<QString(int)>& from) {
        for (int i = 0; i < 20; ++i)
            sockets.push_back(send(from(i)));
        return WaitFor(handled);
    };
    for (int round = 0; round < 3; ++round)
        ASSERT_TRUE(flood([](int) { return QString("127.0.0.1"); }));
    EXPECT_EQ(ErrorLog().Lines().filter(" 127.0.0.1: ").size(), 1);
    for (int round = 0; round < 3; ++round)
        ASSERT_TRUE(flood([round](int i) {
            return "127.0." + QString::number(round + 1) + "." + QString::number(i + 1);
        }));
    const QStringList lines = ErrorLog().Lines();
    EXPECT_EQ(lines.filter("record line").size(), 5) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.filter(TErrorLog::RequestMark).size(), TErrorLog::MaxRequestLines);
}

// The machine's own addresses are served whatever the list allows: here two more addresses of
// the loopback device, in a network of the test's own.
TEST_F(RecordSafety, TheMachinesOwnAddressesAreAlwaysAllowed) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs a network of its own (root)";
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWNET) != 0 ||
            std::system("ip link set lo up && ip addr add 10.55.0.1/32 dev lo && "
                        "ip addr add 10.66.0.1/32 dev lo") != 0)
            ::_exit(2);
        const TAllowedClients allowed(TAllowedClients::Parse("10.77.0.2"));
        const bool right = allowed.Allows(QHostAddress("10.55.0.1")) &&
                           allowed.Allows(QHostAddress("::ffff:10.66.0.1")) &&
                           allowed.Allows(QHostAddress("10.77.0.2")) &&
                           !allowed.Allows(QHostAddress("10.55.0.2"));
        ::_exit(right ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "no network of its own";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// The program with few descriptors to spare, and idle connections to every request port far
// beyond them: no row stored before is lost, the units' records are stored, the idle
// connections are closed within seconds, and then a request is answered again.
TEST_F(RecordSafety, IdleConnectionsCostNeitherRowsNorRequests) {
    TempFolder data;
    CreateDataFolder(data.Path());
    TUnitSimulator sim{1};
    ASSERT_TRUE(sim.OpenPty());
    sim.Start();
    UsePort(1, sim.SlavePath());
    sim.AddLogRecord(1, OpFirstEntry, 1, "before");
    QProcess program;
    program.setChildProcessModifier([] {
        rlimit few{256, 256};
        ::setrlimit(RLIMIT_NOFILE, &few);
    });
    ASSERT_TRUE(StartCommProgram(program, data.Path(), 120000));
    const QString table = "ENTRANCE_LOG" + sim.UnitClock(1).toString("yyyy_MM");
    const auto codes = [&] { return CodesIn(data.Path(), table); };
    ASSERT_TRUE(WaitFor([&] { return codes() == QStringList{"before"}; }, 120000));

    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (const quint16 port : {PORT_START, PORT_GAZOSET, PORT_GAZODELETE, PORT_TANPA})
        for (int i = 0; i < 100; ++i) {
            idle.push_back(std::make_unique<QTcpSocket>());
            idle.back()->connectToHost(QHostAddress::LocalHost, TcpPort(port));
        }
    sim.AddLogRecord(1, OpLastExit, 1, "during");
    EXPECT_TRUE(WaitFor([&] { return codes() == QStringList{"before", "during"}; }, 120000));
    EXPECT_TRUE(WaitFor(
        [&] {
            return std::all_of(idle.begin(), idle.end(), [](const auto& socket) {
                return socket->state() == QAbstractSocket::UnconnectedState;
            });
        },
        120000));
    QTcpSocket ask;
    ask.connectToHost(QHostAddress::LocalHost, TcpPort(PORT_START));
    EXPECT_TRUE(WaitFor([&] { return ask.bytesAvailable() > 0; }, 120000));
    EXPECT_TRUE(ask.readAll().endsWith("Reruzida"));
    SendCopyData(CommCaption, CD_TERMINATE, "RecordSafety", {});
    if (!program.waitForFinished(60000))
        program.kill();
    sim.Stop();
}

} // namespace
