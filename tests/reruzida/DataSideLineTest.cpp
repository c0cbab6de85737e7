// The data side behind the real protocol thread, with simulated units on a pseudo-terminal.
#include "DataSideFixture.h"

#include "reruzida/CommDriver.h"
#include "reruzida/Form_MeinMenu.h"
#include "reruzida/Requests.h"
#include "reruzida/UnitStateTable.h"
#include "tests/reruzida/SerialLine.h"
#include "tools/unitsim/UnitSimulator.h"
#include "ui/CopyData.h"

#include "base/Files.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <atomic>
#include <thread>

using namespace reruzida;

namespace {

// The monitor window as far as the data side goes: records and ticks are handed on to the
// session's unit jobs.
class TDataWindow : public QObject {
public:
    explicit TDataWindow(TUnitJobs& jobs) : FJobs(jobs) {}

    // The longest the window thread spent on one record or tick.
    qint64 LongestMs = 0;

protected:
    bool event(QEvent* event) override {
        auto* message = TMessageEvent::From(event);
        if (!message)
            return QObject::event(event);
        QElapsedTimer handling;
        handling.start();
        if (message->Msg == WM_RECV_DATA)
            FJobs.Records.ProcessRecvData();
        else if (message->Msg != WM_UNIT_LED)
            FJobs.Periodic.ProcessTick(message->Msg);
        LongestMs = std::max(LongestMs, handling.elapsed());
        return true;
    }

private:
    TUnitJobs& FJobs;
};

// The longest the PC left the line still after a frame it sent from `fromMs` to `toMs`. After
// a VRR only the wait beyond the silence limit counts: an address with no unit stays silent.
qint64 LongestStandStill(const QList<TSimFrame>& frames, qint64 fromMs, qint64 toMs) {
    qint64 longest = 0;
    for (qsizetype i = 0; i + 1 < frames.size(); ++i) {
        if (frames[i].AtMs < fromMs || frames[i].AtMs > toMs)
            continue;
        const qint64 silence = frames[i].Command == ScanCommand ? TCommRules::SilenceLimitMs : 0;
        longest = std::max(longest, frames[i + 1].AtMs - frames[i].AtMs - silence);
    }
    return longest;
}

class DataSideLineTest : public DataSideTest {
protected:
    TUnitSimulator Sim{3};
    std::unique_ptr<TDataWindow> Window;

    void SetUp() override {
        DataSideTest::SetUp();
        Window = std::make_unique<TDataWindow>(Jobs());
        ToLine = true;
        ASSERT_TRUE(Sim.OpenPty());
        UsePort(2, Sim.SlavePath());
        Sim.Start();
        ASSERT_TRUE(DrvOpen(
            JobsDriver(), Window.get(),
            {std::make_shared<TUnitStateTable>(Temp.Path()), 10, Temp.File(ReceivedRecordsFile)}));
        ASSERT_TRUE(WaitFor([this] { return JobsDriver().UnitPresent[3].load(); }));
    }
    void TearDown() override {
        DrvClose(JobsDriver());
        DrvOpen(JobsDriver(), Window.get());
        DrvClose(JobsDriver());
        Sim.Stop();
        DataSideTest::TearDown();
    }

    // A first record makes the month's table, then `holder` takes a write lock on it, as
    // another program would.
    void LockMonthTable(QString& table, std::unique_ptr<SqlConnection>& holder) {
        Sim.AddLogRecord(1, OpFirstEntry, 1, "first");
        table = "ENTRANCE_LOG" + Sim.UnitClock(1).toString("yyyy_MM");
        ASSERT_TRUE(WaitFor([&] {
            return FileExists(Temp.File(table + ".DB")) &&
                   TableRows("SELECT count(*) FROM " + table) == QStringList{"1"};
        }));
        holder = SqlConnection::OpenDatabase(Temp.File(table + ".DB"));
        holder->StartTransaction();
    }
};

} // namespace

TEST_F(DataSideLineTest, EnrolmentSpreadsTheImageAndEventsReachTheLog) {
    Access("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, 登録不可) VALUES "
           "('0012', 1, 0, 0, 0), ('0012', 2, 0, 0, 0)");
    Sim.Enrol(1, "0012");
    ASSERT_TRUE(WaitFor([&] { return Sim.HasPerson(2, "0012"); }));
    EXPECT_EQ(Sim.Image(2, "0012"), TUnitSimulator::MakeImage("0012"));
    ASSERT_TRUE(WaitFor([&] {
        return AccessRows("SELECT 認証機ID, 登録 FROM M_使用認証機 ORDER BY 認証機ID") ==
               QStringList({"1|1", "2|1"});
    }));
    EXPECT_EQ(AccessRows("SELECT length(認証画像) FROM M_個人情報"), QStringList{"900"});

    Sim.AddLogRecord(3, OpFirstEntry, 1, "0012");
    const QDateTime clock = Sim.UnitClock(3);
    const QString table = "ENTRANCE_LOG" + clock.toString("yyyy_MM");
    ASSERT_TRUE(WaitFor([&] { return FileExists(Temp.File(table + ".DB")); }));
    ASSERT_TRUE(WaitFor([&] {
        return TableRows("SELECT 個人コード, 操作種別, 認証機ID FROM " + table) ==
               QStringList{"0012|11|3"};
    }));

    // Removal by request: the unit's answer deletes the row.
    ASSERT_TRUE(HandleCopyData(Jobs(), CD_DELETE_USERS, QByteArray("0012,2\r\n") + '\0'));
    ASSERT_TRUE(WaitFor([&] { return !Sim.HasPerson(2, "0012"); }));
    ASSERT_TRUE(WaitFor(
        [&] { return AccessRows("SELECT 認証機ID FROM M_使用認証機") == QStringList{"1"}; }));
}

// A record is on disk before its unit is told it may drop it: one the window has not
// handled yet comes back from the file, and is stored once.
TEST_F(DataSideLineTest, AcknowledgedRecordsAreKeptUntilStored) {
    for (int i = 0; i < 4; ++i)
        Sim.AddLogRecord(1 + i % 3, OpFirstEntry, 1, "00" + QString::number(i));
    // No message is handled meanwhile: the records stay in the window's queue.
    ASSERT_TRUE(WaitForSentOnly([&] {
        return Sim.PendingRecords(1) + Sim.PendingRecords(2) + Sim.PendingRecords(3) == 0;
    }));
    TRecvJournal kept(Temp.File(ReceivedRecordsFile));
    const QList<TRecvDataClass> replayed = kept.Replay();
    ASSERT_EQ(replayed.size(), 4);
    EXPECT_EQ(TLogRecord::Parse(replayed[3].Parameters()).Code, "003");
    // Stored at a start after a crash, the program killed again as it stored the first and
    // before it noted that one done: at the next start it comes back first, and stays one
    // row all the same.
    Jobs().Records.HandleRecvData(replayed[0]);
    for (const TRecvDataClass& record : replayed)
        Jobs().Records.HandleRecvData(record);
    const QString table = "ENTRANCE_LOG" + Sim.UnitClock(1).toString("yyyy_MM");
    EXPECT_EQ(TableRows("SELECT 個人コード FROM " + table + " ORDER BY 1"),
              QStringList({"000", "001", "002", "003"}));
    // The crashed run's own queue is gone with it.
    TRecvDataClass record;
    while (DrvReadData(JobsDriver(), record)) {
    }
}

// Another program holds a write lock on the month table: the units are polled at their pace
// all the while, the window thread waits for the lock only briefly at a time, and once the
// lock goes every record is stored, once.
TEST_F(DataSideLineTest, ALockedMonthTableHoldsUpNeitherThePollingNorTheWindow) {
    QString table;
    std::unique_ptr<SqlConnection> holder;
    ASSERT_NO_FATAL_FAILURE(LockMonthTable(table, holder));
    // The other program lets go after LockMs.
    constexpr int LockMs = 3000;
    const qint64 lockedAt = Sim.ElapsedMs();
    std::atomic<bool> released = false;
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(LockMs));
        holder->Rollback();
        released = true;
    });
    QStringList codes{"first"};
    for (int unit = 1; unit <= 3; ++unit)
        for (int i = 0; i < 2; ++i) {
            codes << QString("L%1%2").arg(unit).arg(i);
            Sim.AddLogRecord(unit, OpFirstEntry, 1, codes.last());
        }
    Window->LongestMs = 0;
    WaitFor([&] { return released.load(); }, 2 * LockMs);
    release.join();
    const qint64 releasedAt = Sim.ElapsedMs();
    codes.sort();
    EXPECT_TRUE(WaitFor(
        [&] { return TableRows("SELECT 個人コード FROM " + table + " ORDER BY 1") == codes; }));
    EXPECT_LT(LongestStandStill(Sim.Frames(), lockedAt, releasedAt), LockMs / 3);
    EXPECT_LT(Window->LongestMs, LockMs / 3);
    EXPECT_EQ(Jobs().Records.PendingRecordCount(), 0);
}

// The program ends while another program holds the month table: the record waits in the
// received-records file for the next start instead of being given up.
TEST_F(DataSideLineTest, AtTheEndALockedMonthTableLeavesTheRecordsToTheNextStart) {
    QString table;
    std::unique_ptr<SqlConnection> holder;
    ASSERT_NO_FATAL_FAILURE(LockMonthTable(table, holder));
    Sim.AddLogRecord(2, OpLastExit, 1, "kept");
    ASSERT_TRUE(WaitFor([&] { return Jobs().Records.PendingRecordCount() == 1; }));
    Jobs().Finish();
    holder->Rollback();
    EXPECT_EQ(Jobs().Records.PendingRecordCount(), 0);
    ASSERT_EQ(ErrorLog().Lines().size(), 1);
    EXPECT_TRUE(ErrorLog().Lines()[0].contains("次回の起動時に保存します"));
    const QList<TRecvDataClass> kept = TRecvJournal(Temp.File(ReceivedRecordsFile)).Replay();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(TLogRecord::Parse(kept[0].Parameters()).Code, "kept");
    EXPECT_EQ(TableRows("SELECT 個人コード FROM " + table), QStringList{"first"});
}

TEST_F(DataSideLineTest, TamperOpenCloseAndReleaseAtTheUnit) {
    Sim.Tamper(3, true);
    Sim.Tamper(3, false);
    ASSERT_TRUE(WaitFor([&] {
        return TableRows("SELECT タンパー開, タンパー閉 FROM entranceState WHERE 認証機ID=3") ==
               QStringList{"1|1"};
    }));
    Sim.Tamper(3, true);
    ASSERT_TRUE(WaitFor([&] {
        return TableRows("SELECT タンパー閉 FROM entranceState WHERE 認証機ID=3") ==
               QStringList{"0"};
    }));
    Sim.Tamper(3, false);
    ASSERT_TRUE(WaitFor([&] {
        return TableRows("SELECT タンパー閉 FROM entranceState WHERE 認証機ID=3") ==
               QStringList{"1"};
    }));
    Sim.ClearFrames();
    HandleCopyData(Jobs(), CD_RESET_TAMPER, "3");
    ASSERT_TRUE(WaitFor([&] {
        for (const TSimFrame& frame : Sim.Frames())
            if (frame.Command == TamperResetCommand && frame.Destination == 3)
                return true;
        return false;
    }));
    EXPECT_EQ(TableRows("SELECT タンパー開, タンパー閉 FROM entranceState WHERE 認証機ID=3"),
              QStringList{"0|0"});
}

// The stop request ends the program at once: what the units were already told is taken
// must be in the log by then.
TEST_F(DataSideTest, StopStoresTheRecordsTheUnitsHandedOver) {
    ToLine = true;
    TUnitSimulator sim{1};
    ASSERT_TRUE(sim.OpenPty());
    UsePort(2, sim.SlavePath());
    sim.Start();
    TfrmMainMenu form(JobsDriver(), Comm.Place, &Jobs(),
                      TDrvSetup{std::make_shared<TUnitStateTable>(Temp.Path()), 10});
    ASSERT_TRUE(WaitFor([this] { return JobsDriver().UnitPresent[1].load(); }));
    sim.AddLogRecord(1, OpFirstEntry, 1, "0012");
    sim.AddLogRecord(1, OpLastExit, 1, "0012");
    // No message is handled meanwhile: the records stay in the window's queue.
    ASSERT_TRUE(WaitForSentOnly([&] { return sim.PendingRecords(1) == 0; }));
    TCopyData stop;
    stop.Code = CD_TERMINATE;
    form.AppMessage(stop);
    EXPECT_FALSE(form.DriverOpened);
    const QString table = "ENTRANCE_LOG" + sim.UnitClock(1).toString("yyyy_MM");
    EXPECT_EQ(TableRows("SELECT 操作種別 FROM " + table + " ORDER BY autoNum"),
              (QStringList{"11", "21"}));
    sim.Stop();
}
