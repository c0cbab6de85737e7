#include "reruzida/UnitFrame.h"

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
    const QByteArray rrr = Frame(3, "RRR", CodeField("1234567"));
    EXPECT_EQ(rrr, Hex("020003000B52525231323334353637000369"));
    EXPECT_EQ(rrr.size(), 18);
    EXPECT_EQ(Frame(1, "LRR", {}), Hex("020001000 34C52520 34D").replace(' ', ""));
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
        {Frame(2, "LRR", {}), "020002000 34C52520 34E"},
        {Frame(3, "LRR", {}), "020003000 34C52520 34F"},
        {Frame(6, "USR", "1"), "0200060004555352310364"},
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
    const QByteArray good = Frame(1, "LRR", {});
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
    record.Frame = Frame(1, "LRA", "260105083000");
    EXPECT_EQ(record.Parameters(), "260105083000");
    record.Frame = Frame(1, "LRA", {});
    EXPECT_TRUE(record.Parameters().isEmpty());
}

} // namespace
