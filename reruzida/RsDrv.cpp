#include "RsDrv.h"

#include "base/Registry.h"

#include <QElapsedTimer>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace reruzida {

namespace {

// Bits of the port's flags word that this port honours.
constexpr uint32_t fParity = 0x0002;
constexpr uint32_t fOutxCtsFlow = 0x0004;
constexpr uint32_t fDtrControlEnable = 0x0010;
constexpr uint32_t fOutX = 0x0100;
constexpr uint32_t fInX = 0x0200;
constexpr uint32_t fRtsControlEnable = 0x1000;
constexpr uint32_t fRtsControlHandshake = 0x2000;

speed_t SpeedOf(int baud) {
    switch (baud) {
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

tcflag_t ByteSizeFlag(int bits) {
    switch (bits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

tcflag_t ParityFlags(int parity) {
    switch (parity) {
    case 1:
        return PARENB | PARODD;
    case 2:
        return PARENB;
    case 3:
        return PARENB | PARODD | CMSPAR;
    case 4:
        return PARENB | CMSPAR;
    default:
        return 0;
    }
}

} // namespace

QString PortDevicePath(int port) {
    TRegistry reg;
    reg.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    const QString name = "COM" + QString::number(port);
    if (reg.OpenKey(PortsRegistryKey, false)) {
        const QString path = reg.ReadString(name);
        if (!path.isEmpty())
            return path;
    }
    return "/dev/ttyS" + QString::number(port - 1);
}

namespace {

void OpenCommKey(TRegistry& reg) {
    reg.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    reg.OpenKey(AppRegistryKey, true);
}

} // namespace

int ReadCommSetting() {
    try {
        TRegistry reg;
        OpenCommKey(reg);
        return reg.ReadInteger("Comm");
    } catch (const Exception&) {
        return 1;
    }
}

void WriteCommSetting(int port) {
    TRegistry reg;
    OpenCommKey(reg);
    reg.WriteInteger("Comm", port);
}

TRsDrv::TRsDrv(TComponent* AOwner) : TComponent(AOwner) {}

TRsDrv::~TRsDrv() {
    Close();
}

bool TRsDrv::OpenMode(const QString& mode) {
    const int colon = mode.indexOf(':');
    const int comma = mode.indexOf(',');
    if (!mode.contains("COM") || colon < 0 || comma < 0 || mode.size() < comma + 4) {
        FLastError = "Parameter Err..";
        return false;
    }
    const int parity = QString("NOEMS").indexOf(mode[comma + 1]);
    if (parity < 0) {
        FLastError = "Parameter Err..:parityKind";
        return false;
    }
    FPort = mode.mid(3, 1).toInt();
    FBaud = mode.mid(colon + 1, comma - colon - 1).toInt();
    FParity = parity;
    FByteSize = mode.mid(comma + 3, 1).toInt();
    return Open();
}

bool TRsDrv::Open() {
    Close();
    const QByteArray path = PortDevicePath(FPort).toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // One program at a time on the line: the exclusive flag keeps others from opening it,
    // the lock tells a second copy of ours even when it runs as root.
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        FSystemError = QString::fromLocal8Bit(std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        FLastError = "CreateFile Err..";
        return false;
    }
    FSystemError.clear();
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FHandle = fd;
    ApplySettings();
    return Opened();
}

void TRsDrv::ApplySettings() {
    termios tio{};
    const speed_t speed = SpeedOf(FBaud);
    if (::tcgetattr(FHandle, &tio) != 0 || speed == B0 || FByteSize < 5 || FByteSize > 8)
        return;
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= ByteSizeFlag(FByteSize) | ParityFlags(FParity) | CLOCAL | CREAD;
    if (FFlags & (fOutxCtsFlow | fRtsControlHandshake))
        tio.c_cflag |= CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | INPCK);
    tio.c_iflag |=
        (FFlags & fOutX ? IXON : 0) | (FFlags & fInX ? IXOFF : 0) | (FFlags & fParity ? INPCK : 0);
    tio.c_cc[VSTART] = 0x11;
    tio.c_cc[VSTOP] = 0x13;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::tcsetattr(FHandle, TCSANOW, &tio);
    // A pseudo-terminal has no modem lines; their errors do not matter.
    int lines =
        (FFlags & fDtrControlEnable ? TIOCM_DTR : 0) | (FFlags & fRtsControlEnable ? TIOCM_RTS : 0);
    ::ioctl(FHandle, TIOCMBIS, &lines);
    Purge();
}

void TRsDrv::Close() {
    if (FHandle < 0)
        return;
    // The exclusive flag outlives this handle while another one holds the device open.
    ::ioctl(FHandle, TIOCNXCL);
    ::close(FHandle);
    FHandle = -1;
}

void TRsDrv::Reopen() {
    if (Opened())
        Open();
}

void TRsDrv::SetBaud(int value) {
    if (value == FBaud)
        return;
    FBaud = value;
    Reopen();
}

void TRsDrv::SetPort(int value) {
    if (value == FPort)
        return;
    FPort = value;
    Reopen();
}

void TRsDrv::SetFlags(uint32_t value) {
    if (value == FFlags)
        return;
    FFlags = value;
    Reopen();
}

int TRsDrv::LineTimeMs(int count) const {
    // Start bit, data bits, parity and one stop bit per byte.
    const int bits = 1 + FByteSize + (FParity ? 1 : 0) + 1;
    return FBaud > 0 ? int((int64_t(count) * bits * 1000 + FBaud - 1) / FBaud) : 0;
}

bool TRsDrv::Write(const char* bytes, int count) {
    if (!Opened())
        return false;
    QElapsedTimer sending;
    sending.start();
    for (int done = 0; done < count;) {
        const ssize_t n = ::write(FHandle, bytes + done, size_t(count - done));
        if (n < 0)
            return false;
        done += int(n);
    }
    // Return only when the last byte is on the line, so that a reply time-out counted from
    // here does not include the sending. A pseudo-terminal drains at once: wait the line
    // time there too.
    ::tcdrain(FHandle);
    const qint64 left = LineTimeMs(count) - sending.elapsed();
    if (left > 0)
        QThread::msleep(quint64(left));
    return true;
}

int TRsDrv::InCount() const {
    int waiting = 0;
    if (!Opened() || ::ioctl(FHandle, FIONREAD, &waiting) != 0)
        return 0;
    return waiting;
}

int TRsDrv::Read(char* buffer, int room, int count) {
    if (!Opened()) {
        FLastError = "NotOpen Err..";
        return -1;
    }
    const int waiting = InCount();
    if (waiting == 0)
        return 0;
    if (count == 0)
        count = waiting;
    if (waiting < count)
        return 0;
    const ssize_t n = ::read(FHandle, buffer, size_t(qMin(count, room)));
    return n < 0 ? 0 : int(n);
}

void TRsDrv::Purge() {
    if (Opened())
        ::tcflush(FHandle, TCIOFLUSH);
}

} // namespace reruzida
