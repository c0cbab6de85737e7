#include "reruzida/RsDrv.h"
#include "tests/reruzida/SerialLine.h"

#include <QElapsedTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

using namespace reruzida;

namespace {

// A pseudo-terminal whose other side plays the line; its settings are the port's.
class RsDrvTest : public ::testing::Test {
protected:
    void SetUp() override {
        FMaster = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(FMaster, 0);
        ASSERT_EQ(grantpt(FMaster), 0);
        ASSERT_EQ(unlockpt(FMaster), 0);
        UsePort(2, QString::fromLocal8Bit(ptsname(FMaster)));
    }
    void TearDown() override { ::close(FMaster); }

    termios LineSettings() const {
        termios tio{};
        tcgetattr(FMaster, &tio);
        return tio;
    }
    void SendToPort(const QByteArray& bytes) {
        ASSERT_EQ(::write(FMaster, bytes.constData(), size_t(bytes.size())), bytes.size());
        usleep(20000);
    }

    int FMaster = -1;
};

TEST_F(RsDrvTest, OpenModeSetsTheLine) {
    TRsDrv rs;
    ASSERT_TRUE(rs.OpenMode("COM2:9600,N,8,0")) << rs.LastError().toStdString();
    EXPECT_TRUE(rs.Opened());
    EXPECT_EQ(rs.Port(), 2);
    EXPECT_EQ(rs.Baud(), 9600);
    const termios tio = LineSettings();
    EXPECT_EQ(cfgetospeed(&tio), speed_t(B9600));
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);
    rs.Close();
    EXPECT_FALSE(rs.Opened());
    // A pseudo-terminal keeps no parity enable bit; the kind of parity stays.
    ASSERT_TRUE(rs.OpenMode("COM2:9600,M,8,0"));
    EXPECT_EQ(LineSettings().c_cflag & (PARODD | CMSPAR), tcflag_t(PARODD | CMSPAR));
}

TEST_F(RsDrvTest, BadModesAndMissingDevices) {
    struct Case {
        const char* mode;
        const char* error;
    };
    UsePort(3, "/nonexistent/tty");
    const Case cases[] = {{"COM1:9600,X,8,0", "Parameter Err..:parityKind"},
                          {"9600,N,8,0", "Parameter Err.."},
                          {"COM1-9600-N", "Parameter Err.."},
                          {"COM3:9600,N,8,0", "CreateFile Err.."}};
    for (const auto& c : cases) {
        TRsDrv rs;
        EXPECT_FALSE(rs.OpenMode(c.mode)) << c.mode;
        EXPECT_EQ(rs.LastError(), c.error) << c.mode;
        EXPECT_FALSE(rs.Opened());
    }
    EXPECT_EQ(PortDevicePath(4), "/dev/ttyS3");
}

TEST_F(RsDrvTest, ReadsOnlyWhatWaits) {
    TRsDrv rs;
    char buffer[16] = {};
    EXPECT_EQ(rs.Read(buffer, 16, 0), -1);
    EXPECT_EQ(rs.LastError(), "NotOpen Err..");
    EXPECT_FALSE(rs.Write("x", 1));
    EXPECT_EQ(rs.InCount(), 0);
    ASSERT_TRUE(rs.OpenMode("COM2:9600,N,8,0"));
    EXPECT_EQ(rs.Read(buffer, 16, 0), 0);
    SendToPort("abcd");
    EXPECT_EQ(rs.Read(buffer, 16, 10), 0);
    EXPECT_EQ(rs.InCount(), 4);
    EXPECT_EQ(rs.Read(buffer, 2, 0), 2);
    EXPECT_EQ(QByteArray(buffer, 2), "ab");
    EXPECT_EQ(rs.Read(buffer, 16, 2), 2);
    EXPECT_EQ(QByteArray(buffer, 2), "cd");
    SendToPort("left over");
    rs.Purge();
    EXPECT_EQ(rs.InCount(), 0);
}

TEST_F(RsDrvTest, WriteReturnsWhenTheBytesAreOnTheLine) {
    TRsDrv rs;
    ASSERT_TRUE(rs.OpenMode("COM2:9600,N,8,0"));
    const QByteArray rwr(922, 'x');
    QElapsedTimer sending;
    sending.start();
    ASSERT_TRUE(rs.Write(rwr));
    // 922 bytes of 10 bits at 9600 baud take 961 ms.
    EXPECT_GE(sending.elapsed(), 955);
    QByteArray seen(2000, '\0');
    EXPECT_EQ(::read(FMaster, seen.data(), 2000), 922);
}

TEST_F(RsDrvTest, NewBaudReopensAndTheLineIsExclusive) {
    TRsDrv rs;
    ASSERT_TRUE(rs.OpenMode("COM2:9600,N,8,0"));
    rs.SetBaud(19200);
    EXPECT_TRUE(rs.Opened());
    const termios tio = LineSettings();
    EXPECT_EQ(cfgetospeed(&tio), speed_t(B19200));
    TRsDrv second;
    EXPECT_FALSE(second.OpenMode("COM2:9600,N,8,0"));
    EXPECT_EQ(second.LastError(), "CreateFile Err..");
    rs.Close();
    EXPECT_TRUE(second.OpenMode("COM2:9600,N,8,0"));
}

} // namespace
