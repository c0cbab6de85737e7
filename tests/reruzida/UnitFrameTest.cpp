#include "protocol/UnitFrame.h"

#include <QList>
#include <gtest/gtest.h>

namespace {

QByteArray Hex(const char* text) {
    return QByteArray::fromHex(text);
}

QByteArray Frame(int unit, const QByteArray& command, const QByteArray& parameters) {
    TCommPacket packet;
    packet.Destination = uint8_t(unit);
    packet.Command = command;
    packet.Parameters = parameters;
    return BuildFrame(packet);
}

TEST(UnitFrame, WorkedFramesByteForByte) {
    const QByteArray rrr = Frame(3, ImageReadCommand, CodeField("1234567"));
    EXPECT_EQ(rrr, Hex("020003000B52525231323334353637000369"));
    EXPECT_EQ(rrr.size(), 18);
    EXPECT_EQ(Frame(1, LogReadCommand, {}), Hex("020001000 34C52520 34D").replace(' ', ""));
    EXPECT_EQ(AckFrame(5), Hex("0200050001060301"));
    EXPECT_TRUE(CheckFrame(rrr, 18));
    EXPECT_EQ(ExpectedFrameLength(rrr), 18);
}

// Frames whose addresses or check bytes take the values of STX, ETX and ACK.
TEST(UnitFrame, ControlByteValuesInsideFrames) {
    struct Case {
        QByteArray frame;
        const char* bytes;
    };
    const Case cases[] = {
        {Frame(2, LogReadCommand, {}), "020002000 34C52520 34E"},
        {Frame(3, LogReadCommand, {}), "020003000 34C52520 34F"},
        {Frame(6, RunCommand, "1"), "0200060004555352310364"},
        {AckFrame(2), "0200020001060306"},
        {AckFrame(3), "0200030001060307"},
        {AckFrame(6), "0200060001060302"},
        {AckFrame(7), "0200070001060303"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.frame, Hex(c.bytes).replace(' ', "")) << c.bytes;
        EXPECT_TRUE(CheckFrame(c.frame, int(c.frame.size()))) << c.bytes;
    }
}

TEST(UnitFrame, CheckRejectsWrongEtxBccAndShortBuffers) {
    const QByteArray good = Frame(1, LogReadCommand, {});
    QByteArray badBcc = good;
    badBcc[9] = char(badBcc[9] ^ 1);
    QByteArray badEtx = good;
    badEtx[8] = 0x04;
    EXPECT_FALSE(CheckFrame(badBcc, 10));
    EXPECT_FALSE(CheckFrame(badEtx, 10));
    EXPECT_FALSE(CheckFrame(good, 11));
    EXPECT_FALSE(CheckFrame(good.left(5), 5));
    // Bytes after the frame do not matter.
    EXPECT_TRUE(CheckFrame(good + "junk", 10));
}

TEST(UnitFrame, PersonCodeField) {
    EXPECT_EQ(CodeField("1234567"), QByteArray("1234567\0", 8));
    EXPECT_EQ(CodeField("12345678"), QByteArray("12345678"));
    EXPECT_EQ(CodeField(""), QByteArray());
    EXPECT_EQ(CodeField(QString::fromUtf8("ｱｲ")), QByteArray("\xB1\xB2\0\0\0\0\0\0", 8));
    EXPECT_EQ(CodeFromField(QByteArray(" 42\0\0\0\0\0", 8)), "42");
    EXPECT_EQ(CodeFromField(QByteArray("12345678tail")), "12345678");
}

TEST(UnitFrame, ReceivedRecordParameters) {
    TRecvDataClass record;
    record.Frame = Frame(1, LogReadReply, "260105083000");
    EXPECT_EQ(record.Parameters(), "260105083000");
    record.Frame = Frame(1, LogReadReply, {});
    EXPECT_TRUE(record.Parameters().isEmpty());
}

TEST(UnitFrame, LogRecordLayout) {
    const TLogRecord record{2007, 1, 5, 8, 30, 9, "1234567", 11, 1};
    const QByteArray bytes = record.Bytes();
    EXPECT_EQ(bytes, QByteArray("070105083009"
                                "1234567\0"
                                "1101",
                                LogRecordSize));
    const TLogRecord back = TLogRecord::Parse(bytes + "tail");
    EXPECT_EQ(back.Bytes(), bytes);
    EXPECT_EQ(back.Year, 2007);
    EXPECT_EQ(back.Code, "1234567");
    EXPECT_THROW(TLogRecord::Parse(bytes.left(LogRecordSize - 1)), ERecordRejected);
}

using O = TFrameOutcome;

// Each read of the line, fed to a reader that waits for unit 2's reply; an empty read
// stands for the line falling silent.
TEST(FrameReader, FramingFaults) {
    const QByteArray lra = ReplyFrame(2, LogReadReply, "260105083000");
    const QByteArray usa = ReplyFrame(2, RunReply);
    QByteArray badBcc = lra;
    badBcc[badBcc.size() - 1] = char(badBcc.back() ^ 0x5A);
    QByteArray badEtx = lra;
    badEtx[badEtx.size() - 2] = 0;
    badEtx[badEtx.size() - 1] = char(FrameBcc(badEtx, int(badEtx.size()) - 2));
    QByteArray tooLong = lra;
    tooLong[LengthOffset + 1] = char(tooLong[LengthOffset + 1] + 20);
    QByteArray huge = ReplyFrame(2, LogReadReply, QByteArray(2000, 'x'));
    const QByteArray silence;
    struct Case {
        const char* name;
        QList<QByteArray> reads;
        QList<TFrameOutcome> outcomes;
        QByteArray frame; // what the last outcome left in Frame()
    };
    const Case cases[] = {
        {"one read", {lra}, {O::Frame}, lra},
        {"the smallest frame", {ReplyFrame(2, "")}, {O::Frame}, ReplyFrame(2, "")},
        {"noise before STX spoils the read", {"\xFF\x55" + lra}, {O::Dropped}, {}},
        {"noise alone, then the reply", {"\xFF", lra}, {O::Dropped, O::Frame}, lra},
        {"bad BCC", {badBcc}, {O::BadCheck}, badBcc},
        {"bad ETX", {badEtx}, {O::BadCheck}, badEtx},
        {"split after three bytes", {lra.left(3), lra.mid(3)}, {O::Incomplete, O::Frame}, lra},
        {"split before the length is in",
         {lra.left(4), lra.mid(4, 3), lra.mid(7)},
         {O::Incomplete, O::Incomplete, O::Frame},
         lra},
        {"bytes after ETX go with the frame", {lra + "\x02\x02"}, {O::Frame}, lra},
        {"a second frame in the read goes too", {usa + lra, "\x01"}, {O::Frame, O::Dropped}, usa},
        {"another source, then the unit",
         {ReplyFrame(3, LogReadReply), lra},
         {O::OtherSource, O::Frame},
         lra},
        {"a source that is no unit",
         {ReplyFrame(40, RunReply)},
         {O::OtherSource},
         ReplyFrame(40, RunReply)},
        {"a length beyond what follows waits",
         {tooLong, lra.left(10)},
         {O::Incomplete, O::Incomplete},
         {}},
        {"until the line falls silent", {tooLong, silence, lra}, {O::Incomplete, O::Frame}, lra},
        {"a frame beyond the buffer never completes",
         {huge.left(1000), huge.mid(1000)},
         {O::Incomplete, O::Incomplete},
         {}},
    };
    for (const auto& c : cases) {
        TFrameReader reader;
        reader.ExpectSource(2);
        QList<TFrameOutcome> outcomes;
        for (const QByteArray& read : c.reads) {
            if (read.isEmpty())
                reader.Clear();
            else
                outcomes.append(reader.Feed(read));
        }
        EXPECT_EQ(outcomes, c.outcomes) << c.name;
        EXPECT_EQ(reader.Frame(), c.frame) << c.name;
    }
}

TEST(FrameReader, WithoutAnExpectedSourceTakesAnyFrame) {
    TFrameReader reader;
    const QByteArray command = Frame(7, LogReadCommand, {});
    EXPECT_EQ(reader.Feed(command), O::Frame);
    EXPECT_EQ(reader.Frame(), command);
    EXPECT_EQ(FrameCommand(reader.Frame()), LogReadCommand);
}

} // namespace
