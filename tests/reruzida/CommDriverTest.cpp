#include "reruzida/CommDriver.h"
#include "reruzida/ErrorLog.h"
#include "reruzida/UnitStateTable.h"
#include "storage/Connection.h"
#include "tests/common/TempFolder.h"
#include "tests/reruzida/SerialLine.h"
#include "tests/reruzida/WaitFor.h"
#include "tools/newdata/NewData.h"
#include "tools/unitsim/UnitSimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <mutex>

using namespace reruzida;

namespace {

struct TNotedMessage {
    int Msg;
    WPARAM WParam;
    LPARAM LParam;
};

// The monitor window as the protocol thread sees it: notes every message and takes each
// received record.
class TRecordingWindow : public QObject {
public:
    explicit TRecordingWindow(TCommDriver& driver) : FDriver(driver) {}

    QList<TNotedMessage> Messages;
    QList<TRecvDataClass> Records;

    // The LED messages are posted: those on their way are taken first.
    bool HasLed(int unit, LPARAM colour) {
        QCoreApplication::processEvents();
        for (const auto& m : Messages)
            if (m.Msg == WM_UNIT_LED && int(m.WParam) == unit && m.LParam == colour)
                return true;
        return false;
    }

protected:
    bool event(QEvent* event) override {
        auto* message = TMessageEvent::From(event);
        if (!message)
            return QObject::event(event);
        Messages.append({message->Msg, message->WParam, message->LParam});
        TRecvDataClass record;
        if (message->Msg == WM_RECV_DATA && DrvReadData(FDriver, record))
            Records.append(record);
        return true;
    }

private:
    TCommDriver& FDriver;
};

// Notes the protocol thread's statements on the unit table.
class TNotingStateWriter : public TUnitStateWriter {
public:
    void StopAllUnits() override { Note(0); }
    void UnitFound(int unitId) override { Note(unitId); }
    QList<int> Calls() {
        std::lock_guard lock(FLock);
        return FCalls;
    }

private:
    void Note(int id) {
        std::lock_guard lock(FLock);
        FCalls.append(id);
    }
    std::mutex FLock;
    QList<int> FCalls;
};

// The commands the units heard, without the acknowledgements, as "LRR 1".
QStringList Commands(const QList<TSimFrame>& frames) {
    QStringList commands;
    for (const auto& f : frames)
        if (f.Command != "ACK")
            commands.append(
                QString("%1 %2").arg(QString::fromLatin1(f.Command)).arg(f.Destination));
    return commands;
}

int CountFrames(const QList<TSimFrame>& frames, const QByteArray& command, int unit) {
    int count = 0;
    for (const auto& f : frames)
        count += f.Command == command && f.Destination == unit ? 1 : 0;
    return count;
}

// The driver on a pseudo-terminal with simulated units behind it.
class CommDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FSim.OpenPty());
        UsePort(2, FSim.SlavePath());
        FSim.Start();
    }
    void TearDown() override {
        DrvClose(FDriver);
        FSim.Stop();
    }
    void Open(int stepTime = 10) { ASSERT_TRUE(DrvOpen(FDriver, &FWindow, {FWriter, stepTime})); }
    bool WaitForScan(int units) {
        return WaitFor([&] { return CountFrames(FSim.Frames(), LogReadCommand, units) > 0; });
    }

    TCommDriver FDriver;
    TUnitSimulator FSim{3};
    TRecordingWindow FWindow{FDriver};
    std::shared_ptr<TNotingStateWriter> FWriter = std::make_shared<TNotingStateWriter>();
};

TEST_F(CommDriverTest, ScanFindsTheUnitsUpToTheFirstSilentOne) {
    Open();
    ASSERT_TRUE(WaitForScan(3));
    const QStringList commands = Commands(FSim.Frames());
    EXPECT_EQ(commands.mid(0, 7),
              QStringList({"VRR 1", "VRR 2", "VRR 3", "VRR 4", "USR 1", "USR 2", "USR 3"}));
    EXPECT_EQ(FWriter->Calls(), QList<int>({0, 1, 2, 3}));
    for (int unit = 1; unit <= MaxUnitId; ++unit)
        EXPECT_EQ(FDriver.UnitPresent[unit].load(), unit <= 3) << unit;
    for (int unit = 1; unit <= 3; ++unit) {
        EXPECT_TRUE(FSim.IsRunning(unit));
        EXPECT_TRUE(FWindow.HasLed(unit, LedLime));
    }
    EXPECT_TRUE(FWindow.HasLed(4, LedBlue));
    EXPECT_TRUE(FWindow.HasLed(4, LedSilver));
    EXPECT_FALSE(FWindow.HasLed(4, LedRed));
    EXPECT_EQ(FWindow.Messages.first().Msg, WM_UNIT_LED);
    EXPECT_EQ(FWindow.Messages.first().WParam, 0u);
    EXPECT_EQ(FWindow.Messages.first().LParam, LedSilver);
    for (const auto& f : FSim.Frames()) {
        if (f.Command == RunCommand) {
            EXPECT_EQ(f.Parameters, "1");
        }
    }
}

TEST_F(CommDriverTest, TheScanKeepsTheUnitTable) {
    TempFolder data;
    CreateDataFolder(data.Path());
    auto table = SqlConnection::OpenFolder(data.Path());
    table->Execute(
        "INSERT INTO entranceState (認証機ID, 認証機名, 作動状況) VALUES (2, '玄関', False)");
    table->Execute(
        "INSERT INTO entranceState (認証機ID, 認証機名, 作動状況) VALUES (5, '裏口', True)");
    ASSERT_TRUE(DrvOpen(FDriver, &FWindow, {std::make_shared<TUnitStateTable>(data.Path()), 10}));
    ASSERT_TRUE(WaitForScan(3));
    DrvClose(FDriver);
    auto rows = table->Prepare("SELECT 認証機ID, 認証機名, 認証機種別, 作動状況 FROM entranceState "
                               "ORDER BY 認証機ID");
    QStringList seen;
    while (rows->Step())
        seen.append(QString("%1 %2 %3 %4")
                        .arg(rows->Value(0).toInt())
                        .arg(rows->Value(1).toString())
                        .arg(rows->IsNull(2) ? "Null" : rows->Value(2).toString())
                        .arg(rows->Value(3).toInt()));
    EXPECT_EQ(seen, QStringList({"1 認証機1 Null 1", "2 玄関 Null 1", "3 認証機3 Null 1",
                                 "5 裏口 Null 0"}));
}

TEST_F(CommDriverTest, AFailingUnitTableDoesNotEndTheScan) {
    TempFolder logFolder;
    SetErrorLogFolder(logFolder.Path());
    ASSERT_TRUE(
        DrvOpen(FDriver, &FWindow, {std::make_shared<TUnitStateTable>("/nonexistent/data"), 10}));
    ASSERT_TRUE(WaitForScan(3));
    EXPECT_EQ(CountFrames(FSim.Frames(), RunCommand, 3), 1);
    EXPECT_TRUE(FDriver.UnitPresent[3]);
    // The start-up statement and each unit's failed, and each failure was noted.
    QCoreApplication::processEvents();
    const QStringList lines = ErrorLog().Lines();
    EXPECT_EQ(lines.filter("entranceState").size(), 4) << lines.join('\n').toStdString();
}

TEST_F(CommDriverTest, RefusesWhatCannotGoOnTheLine) {
    EXPECT_FALSE(DrvSendCommand(FDriver, 1, TamperResetCommand));
    Open();
    ASSERT_TRUE(WaitForScan(3));
    EXPECT_FALSE(DrvSendCommand(FDriver, 0, TamperResetCommand));
    EXPECT_FALSE(DrvSendCommand(FDriver, MaxUnitId + 1, TamperResetCommand));
    EXPECT_FALSE(DrvSendCommand(FDriver, 1, RemovalCommand, "123456789"));
    EXPECT_TRUE(DrvSendCommand(FDriver, 1, RemovalCommand, "12345678"));
    ASSERT_TRUE(WaitFor([&] { return CountFrames(FSim.Frames(), RemovalCommand, 1) == 1; }));
    ASSERT_TRUE(WaitFor([&] { return FWindow.Records.size() == 1; }));
    EXPECT_EQ(FWindow.Records[0].Command, RemovalReply);
    EXPECT_EQ(CodeFromField(FWindow.Records[0].Parameters()), "12345678");
}

// A unit's log record reaches the window exactly once through a fault of the line.
TEST_F(CommDriverTest, ALogRecordArrivesOnceThroughLineFaults) {
    struct Case {
        TSimFault fault;
        bool redLed;
    };
    // Every fault is a row of the rules' table on a set clock; here two of them on a real line.
    const Case cases[] = {{TSimFault::BadBcc, true}, {TSimFault::Split, false}};
    Open(20);
    ASSERT_TRUE(WaitForScan(3));
    for (const auto& c : cases) {
        FWindow.Messages.clear();
        FWindow.Records.clear();
        FSim.ClearFrames();
        FSim.SetFault(2, c.fault);
        FSim.AddLogRecord(2, OpFirstEntry, 1, "1234567");
        ASSERT_TRUE(WaitFor([&] { return FSim.PendingRecords(2) == 0; })) << int(c.fault);
        // The thread is done with the reply by its next poll of the unit.
        const int polls = CountFrames(FSim.Frames(), LogReadCommand, 2);
        ASSERT_TRUE(WaitFor([&] { return CountFrames(FSim.Frames(), LogReadCommand, 2) > polls; }));
        QCoreApplication::processEvents();
        ASSERT_EQ(FWindow.Records.size(), 1) << int(c.fault);
        const TRecvDataClass& record = FWindow.Records[0];
        EXPECT_EQ(record.UnitId, 2);
        EXPECT_EQ(record.Command, LogReadReply);
        EXPECT_EQ(record.Parameters().mid(12), QByteArray("1234567\0"
                                                          "1101",
                                                          12));
        EXPECT_EQ(FWindow.HasLed(2, LedRed), c.redLed) << int(c.fault);
    }
}

TEST_F(CommDriverTest, RepliesFromUnitsTwoThreeAndSixAreTakenWhole) {
    TUnitSimulator six(6);
    ASSERT_TRUE(six.OpenPty());
    FSim.Stop();
    UsePort(2, six.SlavePath());
    six.Start();
    for (int unit : {2, 3, 6})
        six.AddLogRecord(unit, OpLastExit, 0, "\x02\x03\x06");
    Open();
    ASSERT_TRUE(WaitFor([&] { return FWindow.Records.size() == 3; }));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(FWindow.Records[i].UnitId, (QList<int>{2, 3, 6})[i]);
        EXPECT_EQ(FWindow.Records[i].Parameters().mid(12), QByteArray("\x02\x03\x06\0\0\0\0\0"
                                                                      "2100",
                                                                      12));
    }
    // The window may hear of a record before its ACK is out: the record is kept first.
    for (int unit : {2, 3, 6})
        EXPECT_TRUE(WaitFor([&] { return six.PendingRecords(unit) == 0; })) << unit;
    for (const auto& f : six.Frames())
        EXPECT_TRUE(f.Valid);
    six.Stop();
}

TEST_F(CommDriverTest, RepliesFromTheWrongSourceAreNotAnswers) {
    // A source that is no unit during the scan: nothing is marked, the scan ends there.
    FSim.SetFault(1, TSimFault::WrongSource, 1, 40);
    Open();
    ASSERT_TRUE(WaitFor([&] { return CountFrames(FSim.Frames(), LogReadCommand, 1) > 0; }));
    for (int unit = 1; unit <= MaxUnitId; ++unit)
        EXPECT_FALSE(FDriver.UnitPresent[unit]);
    EXPECT_TRUE(FWindow.HasLed(1, LedSilver));
    DrvRescan(FDriver);
    ASSERT_TRUE(WaitFor([&] { return FDriver.UnitPresent[3].load(); }));
    ASSERT_TRUE(WaitForScan(3));

    // Unit 2 answering for unit 1 is not unit 1's answer: unit 1 is given up this time and
    // hands its record out at the next poll.
    FSim.SetFault(1, TSimFault::WrongSource, 1, 2);
    FSim.AddLogRecord(1, OpEntry, 1, "77");
    ASSERT_TRUE(WaitFor([&] { return FWindow.Records.size() == 1; }));
    EXPECT_EQ(FWindow.Records[0].UnitId, 1);
    EXPECT_TRUE(FWindow.HasLed(1, LedRed));
}

TEST_F(CommDriverTest, ASilentUnitAtStartUpHidesNoUnitAboveIt) {
    FSim.SetFault(2, TSimFault::Silence, -1);
    Open();
    ASSERT_TRUE(WaitFor([&] { return CountFrames(FSim.Frames(), LogReadCommand, 3) > 0; }));
    const QStringList commands = Commands(FSim.Frames());
    // Polling starts after the first silent address; the addresses above it are asked in
    // the rounds that follow.
    EXPECT_EQ(commands.mid(0, 2), QStringList({"VRR 1", "VRR 2"}));
    EXPECT_LT(commands.indexOf("LRR 1"), commands.indexOf("VRR 3"));
    EXPECT_EQ(FWriter->Calls(), QList<int>({0, 1, 3}));
    EXPECT_FALSE(FDriver.UnitPresent[2]);
    EXPECT_TRUE(FDriver.UnitPresent[3]);
    EXPECT_TRUE(FSim.IsRunning(3));
    EXPECT_TRUE(FWindow.HasLed(2, LedSilver));
}

TEST_F(CommDriverTest, ALongCommandsTimeOutStartsWhenItIsOnTheLine) {
    Open(20);
    ASSERT_TRUE(WaitForScan(3));
    // 922 bytes take 961 ms to send; the unit answers 700 ms after the last one.
    FSim.SetReplyDelay(1, ImageWriteCommand, 1700);
    const QByteArray image = TUnitSimulator::MakeImage("55");
    ASSERT_TRUE(DrvSendCommand(FDriver, 1, ImageWriteCommand, "55",
                               QByteArray("\x00\x00\x03\x54", 4) + image));
    ASSERT_TRUE(WaitFor([&] { return FWindow.Records.size() == 1; }));
    EXPECT_EQ(FWindow.Records[0].Command, ImageWriteReply);
    EXPECT_EQ(FSim.Image(1, "55"), image);
    EXPECT_FALSE(FWindow.HasLed(1, LedRed));
}

TEST_F(CommDriverTest, CloseNeverWaitsForeverAndKeepsAcknowledgedRecords) {
    FSim.AddLogRecord(1, OpFirstEntry, 1, "9");
    Open();
    // No posted message is handled: the record's WM_RECV_DATA stays queued.
    ASSERT_TRUE(WaitForSentOnly([&] { return FSim.PendingRecords(1) == 0; }, 10000));
    QElapsedTimer closing;
    closing.start();
    EXPECT_TRUE(DrvClose(FDriver));
    EXPECT_LT(closing.elapsed(), 1000);
    EXPECT_FALSE(DrvClose(FDriver));
    EXPECT_TRUE(FWindow.Records.isEmpty());
    QCoreApplication::processEvents();
    ASSERT_EQ(FWindow.Records.size(), 1);
    EXPECT_EQ(CodeFromField(FWindow.Records[0].Parameters().mid(12, 8)), "9");
    TRecvDataClass none;
    none.UnitId = 7;
    EXPECT_FALSE(DrvReadData(FDriver, none));
    EXPECT_EQ(none.UnitId, 0);
}

TEST_F(CommDriverTest, APortThatWillNotOpenSendsNothingAndSaysWhy) {
    UsePort(2, "/nonexistent/tty");
    Open();
    ASSERT_TRUE(WaitFor([this] { return DrvPortFault(FDriver).contains("/nonexistent/tty"); }));
    EXPECT_TRUE(FSim.Frames().isEmpty());
}

} // namespace
