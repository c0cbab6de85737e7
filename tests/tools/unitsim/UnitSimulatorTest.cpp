#include "tools/unitsim/UnitSimulator.h"
#include "protocol/UnitFrame.h"
#include "tools/unitsim/UnitScript.h"

#include <QElapsedTimer>
#include <QProcess>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The PC's end of the simulated line.
class TLine {
public:
    explicit TLine(const QString& path) {
        FFd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        termios tio{};
        tcgetattr(FFd, &tio);
        cfmakeraw(&tio);
        tcsetattr(FFd, TCSANOW, &tio);
    }
    ~TLine() { ::close(FFd); }
    void Send(int unit, const QByteArray& command, const QByteArray& parameters = {}) {
        TCommPacket packet;
        packet.Destination = uint8_t(unit);
        packet.Command = command;
        packet.Parameters = parameters;
        Write(BuildFrame(packet));
    }
    void Write(const QByteArray& bytes) { ::write(FFd, bytes.constData(), size_t(bytes.size())); }
    // What arrives within `ms`, in separate reads.
    QList<QByteArray> Reads(int ms = 300) {
        QList<QByteArray> reads;
        QElapsedTimer waiting;
        waiting.start();
        while (waiting.elapsed() < ms) {
            pollfd fd{FFd, POLLIN, 0};
            if (::poll(&fd, 1, 10) <= 0)
                continue;
            char bytes[2048];
            const ssize_t n = ::read(FFd, bytes, sizeof bytes);
            if (n > 0)
                reads.append(QByteArray(bytes, int(n)));
        }
        return reads;
    }
    QByteArray Reply(int ms = 300) { return Reads(ms).join(); }

private:
    int FFd = -1;
};

class UnitSimulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FSim.OpenPty());
        FSim.Start();
        FLine = std::make_unique<TLine>(FSim.SlavePath());
    }
    TUnitSimulator FSim{3};
    std::unique_ptr<TLine> FLine;
};

TEST_F(UnitSimulatorTest, AnswersEveryCommand) {
    const QByteArray image = TUnitSimulator::MakeImage("P1");
    const QByteArray stored(ImageSize, '\x7E');
    const QByteArray status("\x00\x00\x03\x54", 4);
    FSim.Enrol(1, "P1");
    FSim.Tamper(1, true);
    struct Case {
        QByteArray command, parameters, reply, replyParameters;
    };
    const Case cases[] = {
        {ScanCommand, {}, ScanReply, {}},
        {RunCommand, "1", RunReply, {}},
        {ImageReadCommand, CodeField("P1"), ImageReadReply, CodeField("P1") + status + image},
        {ImageReadCommand, CodeField("P9"), ImageReadReply,
         CodeField("P9") + QByteArray(904, '\0')},
        {ImageWriteCommand, CodeField("P2") + status + stored, ImageWriteReply,
         CodeField("P2") + "1"},
        {RemovalCommand, CodeField("P1"), RemovalReply, CodeField("P1")},
        {ClockSetCommand, "070102030405", ClockSetReply, {}},
        {TamperResetCommand, {}, TamperResetReply, {}},
    };
    for (const auto& c : cases) {
        FLine->Send(1, c.command, c.parameters);
        EXPECT_EQ(FLine->Reply(), ReplyFrame(1, c.reply, c.replyParameters)) << c.command.data();
    }
    EXPECT_TRUE(FSim.IsRunning(1));
    EXPECT_EQ(FSim.Image(1, "P2"), stored);
    EXPECT_FALSE(FSim.HasPerson(1, "P1"));
    EXPECT_EQ(FSim.UnitClock(1).date().year(), 2007);
    EXPECT_FALSE(FSim.TamperOpen(1));
    FLine->Send(1, "XYZ");
    EXPECT_TRUE(FLine->Reply().isEmpty());
}

TEST_F(UnitSimulatorTest, HandsOutLogRecordsOneAtATimeUntilAcknowledged) {
    FSim.AddLogRecord(2, OpFirstEntry, 1, "1234567");
    FSim.AddLogRecord(2, OpLastExit, 0, "42");
    FLine->Send(2, LogReadCommand);
    const QByteArray reply = FLine->Reply();
    ASSERT_EQ(reply.size(), 24 + 10);
    const QByteArray record = reply.mid(8, 24);
    EXPECT_EQ(record.left(12),
              FSim.UnitClock(2).toString("yyMMddHHmmss").toLatin1().left(10) + record.mid(10, 2));
    EXPECT_EQ(record.mid(12), QByteArray("1234567\0"
                                         "1101",
                                         12));
    // Without the ACK the same record comes again; another reply's ACK does not count.
    FLine->Send(2, LogReadCommand);
    EXPECT_EQ(FLine->Reply(), reply);
    FLine->Send(2, ScanCommand);
    FLine->Reply();
    FLine->Write(AckFrame(2));
    FLine->Send(2, LogReadCommand);
    EXPECT_EQ(FLine->Reply(), reply);
    FLine->Write(AckFrame(2));
    FLine->Send(2, LogReadCommand);
    EXPECT_EQ(FLine->Reply().mid(8, 24).mid(12), QByteArray("42\0\0\0\0\0\0"
                                                            "2100",
                                                            12));
    FLine->Write(AckFrame(2));
    FLine->Send(2, LogReadCommand);
    EXPECT_EQ(FLine->Reply(), ReplyFrame(2, LogReadReply, {}));
    EXPECT_EQ(FSim.PendingRecords(2), 0);
}

TEST_F(UnitSimulatorTest, LogsEveryFrameAndOnlyPresentUnitsAnswer) {
    FLine->Send(4, ScanCommand);
    EXPECT_TRUE(FLine->Reply().isEmpty());
    QByteArray bad = ReplyFrame(0, ScanCommand, {});
    bad[2] = 1;
    FLine->Write("\xFF" + bad);
    EXPECT_TRUE(FLine->Reply().isEmpty());
    const QList<TSimFrame> frames = FSim.Frames();
    ASSERT_EQ(frames.size(), 2);
    EXPECT_EQ(frames[0].Destination, 4);
    EXPECT_TRUE(frames[0].Valid);
    EXPECT_EQ(frames[1].Command, ScanCommand);
    EXPECT_FALSE(frames[1].Valid);
}

TEST_F(UnitSimulatorTest, FaultsSpoilTheNextReplies) {
    const QByteArray good = ReplyFrame(3, ScanReply, {});
    QByteArray badBcc = good, badEtx = good, wrongSource = ReplyFrame(40, ScanReply, {});
    badBcc[9] = char(badBcc[9] ^ 0x5A);
    badEtx[8] = 0;
    badEtx[9] = char(FrameBcc(badEtx, 8));
    struct Case {
        TSimFault fault;
        QList<QByteArray> reads;
    };
    const Case cases[] = {
        {TSimFault::BadBcc, {badBcc}},
        {TSimFault::BadEtx, {badEtx}},
        {TSimFault::Silence, {}},
        {TSimFault::Split, {good.left(3), good.mid(3)}},
        {TSimFault::Double, {good + good}},
        {TSimFault::Noise, {"\xFF\x55" + good}},
        {TSimFault::WrongSource, {wrongSource}},
    };
    for (const auto& c : cases) {
        FSim.SetFault(3, c.fault);
        FLine->Send(3, ScanCommand);
        EXPECT_EQ(FLine->Reads(), c.reads) << int(c.fault);
        FLine->Send(3, ScanCommand);
        EXPECT_EQ(FLine->Reply(), good) << int(c.fault);
    }
    FSim.SetFault(3, TSimFault::Silence, -1);
    for (int i = 0; i < 3; ++i) {
        FLine->Send(3, ScanCommand);
        EXPECT_TRUE(FLine->Reply(100).isEmpty());
    }
}

TEST_F(UnitSimulatorTest, PlaysAScript) {
    const QString script = "# events\n"
                           "0 log 1 12 1 77\n"
                           "0 enrol 2 55\n"
                           "0 tamper 3 open\n"
                           "0 delay 1 VRR 200\n"
                           "400 remove 2 55\n";
    EXPECT_EQ(ScheduleScript(FSim, script), "");
    FLine->Reply(100);
    EXPECT_EQ(FSim.PendingRecords(1), 1);
    EXPECT_TRUE(FSim.HasPerson(2, "55"));
    EXPECT_TRUE(FSim.TamperOpen(3));
    FLine->Send(1, ScanCommand);
    EXPECT_TRUE(FLine->Reply(100).isEmpty());
    EXPECT_FALSE(FLine->Reply(300).isEmpty());
    FLine->Reply(200);
    EXPECT_FALSE(FSim.HasPerson(2, "55"));
    EXPECT_EQ(FSim.PendingRecords(2), 2);
    EXPECT_EQ(ScheduleScript(FSim, "0 log 1 12 1 77\n10 tamper 1 ajar\n"),
              "line 2: 10 tamper 1 ajar");
    EXPECT_EQ(ScheduleScript(FSim, "soon log 1 12 1 77"), "line 1: soon log 1 12 1 77");
    EXPECT_EQ(ScheduleScript(FSim, "0 fault 1 lightning"), "line 1: 0 fault 1 lightning");
}

TEST(UnitSimProgram, PrintsItsLineAndTheFramesItHears) {
    QProcess sim;
    sim.start(qEnvironmentVariable("ZZ_BUILD_DIR") + "/tools/unitsim/unitsim", {"-n", "2"});
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
    ASSERT_TRUE(path.startsWith("/dev/pts/")) << path.toStdString();
    {
        TLine line(path);
        line.Send(2, ScanCommand);
        EXPECT_EQ(line.Reply(), ReplyFrame(2, ScanReply, {}));
    }
    ASSERT_TRUE(sim.waitForReadyRead(2000));
    EXPECT_TRUE(sim.readLine().contains(" 0> 2 VRR"));
    sim.terminate();
    EXPECT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
}

} // namespace
