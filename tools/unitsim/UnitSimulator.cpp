#include "UnitSimulator.h"

#include "protocol/UnitFrame.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// How long a split reply waits between its parts: longer than one step of the PC.
constexpr int kSplitPauseMs = 150;
// The PC writes a frame at once: a pause this long inside one means the rest is lost.
constexpr int kQuietMs = 100;

} // namespace

TUnitSimulator::TUnitSimulator(int unitCount) : FUnits(qBound(0, unitCount, MaxUnitId)) {}

TUnitSimulator::~TUnitSimulator() {
    Stop();
    if (FSlaveKeeper >= 0)
        ::close(FSlaveKeeper);
    if (FMaster >= 0)
        ::close(FMaster);
}

bool TUnitSimulator::OpenPty() {
    FMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster < 0 || ::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0) {
        FLastError = "no pseudo-terminal";
        return false;
    }
    FSlavePath = QString::fromLocal8Bit(::ptsname(FMaster));
    // Holding the other side open keeps the line up between the PC's opens.
    FSlaveKeeper = ::open(::ptsname(FMaster), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (FSlaveKeeper >= 0 && ::tcgetattr(FSlaveKeeper, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(FSlaveKeeper, TCSANOW, &tio);
    }
    return true;
}

void TUnitSimulator::PcClosedLine() {
    if (FSlaveKeeper >= 0)
        ::ioctl(FSlaveKeeper, TIOCNXCL);
}

bool TUnitSimulator::OpenDevice(const QString& path) {
    FMaster = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (FMaster < 0 || ::tcgetattr(FMaster, &tio) != 0) {
        FLastError = "cannot open " + path;
        return false;
    }
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    ::tcsetattr(FMaster, TCSANOW, &tio);
    FSlavePath = path;
    return true;
}

void TUnitSimulator::Start() {
    FStart = std::chrono::steady_clock::now();
    FStop = false;
    FThread = std::thread([this] { Run(); });
}

void TUnitSimulator::Stop() {
    FStop = true;
    if (FThread.joinable())
        FThread.join();
}

qint64 TUnitSimulator::ElapsedMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now() - FStart).count();
}

void TUnitSimulator::Run() {
    while (!FStop) {
        pollfd fd{FMaster, POLLIN, 0};
        const int ready = ::poll(&fd, 1, 5);
        if (ready > 0 && (fd.revents & POLLIN))
            ReadLine();
        else if (ready > 0)
            ::usleep(5000); // the PC side is closed for now
        else if (FReader.Started() && ElapsedMs() - FLastByteMs > kQuietMs)
            FReader.Clear();
        RunDue();
    }
}

void TUnitSimulator::ReadLine() {
    char bytes[4096];
    const ssize_t n = ::read(FMaster, bytes, sizeof bytes);
    if (n <= 0)
        return;
    FLastByteMs = ElapsedMs();
    // A unit takes the line byte by byte: a frame may begin at any byte, and an ACK and the
    // next command that come in one read are both taken.
    for (ssize_t i = 0; i < n; ++i) {
        const TFrameOutcome outcome = FReader.Feed(QByteArrayView(bytes + i, 1));
        if (outcome == TFrameOutcome::Frame || outcome == TFrameOutcome::BadCheck)
            HandleFrame(FReader.Frame());
    }
}

void TUnitSimulator::RunDue() {
    std::unique_lock lock(FLock);
    while (!FDue.empty() && FDue.begin()->first <= ElapsedMs()) {
        auto action = std::move(FDue.begin()->second);
        FDue.erase(FDue.begin());
        action();
    }
}

void TUnitSimulator::Schedule(qint64 atMs, std::function<void()> action) {
    std::lock_guard lock(FLock);
    FDue.emplace(atMs, std::move(action));
}

void TUnitSimulator::HandleFrame(const QByteArray& frame) {
    std::lock_guard lock(FLock);
    TSimFrame seen;
    seen.AtMs = ElapsedMs();
    seen.Source = uint8_t(frame[SourceOffset]);
    seen.Destination = uint8_t(frame[DestinationOffset]);
    seen.Valid = CheckFrame(frame, int(frame.size()));
    const QByteArray body = frame.mid(CommandOffset, frame.size() - FrameOverhead);
    const bool isAck = body == QByteArray(1, ACK);
    seen.Command = isAck ? QByteArray("ACK") : body.left(CommandSize);
    seen.Parameters = isAck ? QByteArray() : body.mid(CommandSize);
    FFrames.append(seen);
    if (OnFrame)
        OnFrame(seen);
    TUnit* unit = Unit(seen.Destination);
    if (!seen.Valid || !unit)
        return;
    if (isAck) {
        if (unit->RecordSent && !unit->Log.empty()) {
            if (unit->MissAcks && !unit->AckMissed) {
                unit->AckMissed = true;
            } else {
                unit->Log.pop_front();
                unit->AckMissed = false;
            }
        }
        unit->RecordSent = false;
        return;
    }
    const QByteArray reply = Answer(*unit, seen.Destination, seen.Command, seen.Parameters);
    if (!reply.isEmpty())
        SendReply(*unit, reply, unit->Delays.value(seen.Command));
}

QByteArray TUnitSimulator::Answer(TUnit& unit, int id, const QByteArray& command,
                                  const QByteArray& params) {
    QByteArray answer;
    unit.RecordSent = command == LogReadCommand && !unit.Log.empty();
    const QString code = CodeFromField(params.left(CodeFieldSize));
    const QByteArray field = params.left(CodeFieldSize);
    if (command == ScanCommand || command == RunCommand || command == ClockSetCommand ||
        command == TamperResetCommand) {
        if (command == RunCommand)
            unit.Running = params == "1";
        if (command == ClockSetCommand) {
            const QDateTime set =
                QDateTime::fromString("20" + QString::fromLatin1(params), "yyyyMMddHHmmss");
            if (set.isValid())
                unit.ClockOffsetSecs = QDateTime::currentDateTime().secsTo(set);
        }
        if (command == TamperResetCommand)
            unit.TamperOpen = false;
    } else if (command == LogReadCommand) {
        // The oldest record goes out again and again until the PC acknowledges it.
        if (!unit.Log.empty())
            answer = unit.Log.front();
    } else if (command == ImageReadCommand) {
        const bool held = unit.Persons.contains(code);
        answer = field + (held ? ImagePrefix : QByteArray(ImageStatusSize, '\0')) +
                 (held ? unit.Persons.value(code) : QByteArray(ImageSize, '\0'));
    } else if (command == ImageWriteCommand) {
        unit.Persons.insert(code, params.mid(ImageOffset, ImageSize));
        answer = field + "1";
    } else if (command == RemovalCommand) {
        unit.Persons.remove(code);
        answer = field;
    } else {
        return {};
    }
    return ReplyFrame(id, command.left(2) + "A", answer);
}

void TUnitSimulator::SendReply(TUnit& unit, QByteArray reply, int delayMs) {
    TSimFault fault = unit.FaultTimes != 0 ? unit.Fault : TSimFault::None;
    if (unit.FaultTimes > 0)
        --unit.FaultTimes;
    QByteArray later;
    switch (fault) {
    case TSimFault::BadBcc:
        reply[reply.size() - 1] = char(reply[reply.size() - 1] ^ 0x5A);
        break;
    case TSimFault::BadEtx:
        reply[reply.size() - 2] = 0;
        reply[reply.size() - 1] = char(FrameBcc(reply, int(reply.size()) - 2));
        break;
    case TSimFault::Silence:
        return;
    case TSimFault::Split:
        later = reply.mid(3);
        reply.truncate(3);
        break;
    case TSimFault::Double:
        reply += reply;
        break;
    case TSimFault::Noise:
        reply.prepend("\xFF\x55", 2);
        break;
    case TSimFault::WrongSource:
        reply[1] = char(unit.WrongSource);
        reply[reply.size() - 1] = char(FrameBcc(reply, int(reply.size()) - 2));
        break;
    case TSimFault::None:
        break;
    }
    const qint64 at = ElapsedMs() + delayMs;
    FDue.emplace(at, [this, reply] { WriteLine(reply); });
    if (!later.isEmpty())
        FDue.emplace(at + kSplitPauseMs, [this, later] { WriteLine(later); });
}

void TUnitSimulator::WriteLine(const QByteArray& bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(FMaster, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            return;
        done += n;
    }
}

void TUnitSimulator::QueueRecord(int unit, int operation, int result, const QString& code) {
    TUnit* u = Unit(unit);
    if (!u)
        return;
    const QDateTime clock = QDateTime::currentDateTime().addSecs(u->ClockOffsetSecs);
    const QDate d = clock.date();
    const QTime t = clock.time();
    u->Log.push_back(TLogRecord{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(),
                                code, operation, result}
                         .Bytes());
}

void TUnitSimulator::AddLogRecord(int unit, int operation, int result, const QString& code) {
    std::lock_guard lock(FLock);
    QueueRecord(unit, operation, result, code);
}

void TUnitSimulator::AddRecord(int unit, const QByteArray& record) {
    std::lock_guard lock(FLock);
    if (TUnit* u = Unit(unit))
        u->Log.push_back(record);
}

void TUnitSimulator::Enrol(int unit, const QString& code, const QByteArray& image) {
    std::lock_guard lock(FLock);
    if (TUnit* u = Unit(unit)) {
        u->Persons.insert(code, image.isEmpty() ? MakeImage(code) : image);
        QueueRecord(unit, OpEnrolled, 1, code);
    }
}

void TUnitSimulator::Remove(int unit, const QString& code) {
    std::lock_guard lock(FLock);
    if (TUnit* u = Unit(unit)) {
        u->Persons.remove(code);
        QueueRecord(unit, OpRemovedAtUnit, 1, code);
    }
}

void TUnitSimulator::Hold(int unit, const QString& code) {
    std::lock_guard lock(FLock);
    if (TUnit* u = Unit(unit))
        u->Persons.insert(code, MakeImage(code));
}

void TUnitSimulator::Tamper(int unit, bool open) {
    std::lock_guard lock(FLock);
    if (TUnit* u = Unit(unit)) {
        u->TamperOpen = open;
        QueueRecord(unit, OpTamper, open ? 0 : 1, QString());
    }
}

void TUnitSimulator::SetFault(int unit, TSimFault fault, int times, int source) {
    std::lock_guard lock(FLock);
    if (TUnit* u = Unit(unit)) {
        u->Fault = fault;
        u->FaultTimes = times;
        u->WrongSource = source;
    }
}

void TUnitSimulator::MissFirstAcks(int unit) {
    std::lock_guard lock(FLock);
    if (TUnit* u = Unit(unit))
        u->MissAcks = true;
}

void TUnitSimulator::SetReplyDelay(int unit, const QByteArray& command, int ms) {
    std::lock_guard lock(FLock);
    if (TUnit* u = Unit(unit))
        u->Delays.insert(command, ms);
}

void TUnitSimulator::Chatter(int everyMs) {
    Schedule(ElapsedMs() + everyMs, [this, everyMs] {
        WriteLine(QByteArray(1, '\xFF'));
        Chatter(everyMs);
    });
}

QList<TSimFrame> TUnitSimulator::Frames() const {
    std::lock_guard lock(FLock);
    return FFrames;
}

void TUnitSimulator::ClearFrames() {
    std::lock_guard lock(FLock);
    FFrames.clear();
}

bool TUnitSimulator::IsRunning(int unit) const {
    std::lock_guard lock(FLock);
    const TUnit* u = Unit(unit);
    return u && u->Running;
}

bool TUnitSimulator::HasPerson(int unit, const QString& code) const {
    std::lock_guard lock(FLock);
    const TUnit* u = Unit(unit);
    return u && u->Persons.contains(code);
}

int TUnitSimulator::PersonCount(int unit) const {
    std::lock_guard lock(FLock);
    const TUnit* u = Unit(unit);
    return u ? int(u->Persons.size()) : 0;
}

QByteArray TUnitSimulator::Image(int unit, const QString& code) const {
    std::lock_guard lock(FLock);
    const TUnit* u = Unit(unit);
    return u ? u->Persons.value(code) : QByteArray();
}

int TUnitSimulator::PendingRecords(int unit) const {
    std::lock_guard lock(FLock);
    const TUnit* u = Unit(unit);
    return u ? int(u->Log.size()) : 0;
}

QDateTime TUnitSimulator::UnitClock(int unit) const {
    std::lock_guard lock(FLock);
    const TUnit* u = Unit(unit);
    return QDateTime::currentDateTime().addSecs(u ? u->ClockOffsetSecs : 0);
}

bool TUnitSimulator::TamperOpen(int unit) const {
    std::lock_guard lock(FLock);
    const TUnit* u = Unit(unit);
    return u && u->TamperOpen;
}

QByteArray TUnitSimulator::MakeImage(const QString& code) {
    const uint seed = qHash(code);
    QByteArray image(ImageSize, '\0');
    for (int i = 0; i < ImageSize; ++i)
        image[i] = char((seed >> (i % 24)) + uint(i) * 31u);
    return image;
}

TUnitSimulator::TUnit* TUnitSimulator::Unit(int id) {
    return id >= 1 && id <= FUnits.size() ? &FUnits[id - 1] : nullptr;
}

const TUnitSimulator::TUnit* TUnitSimulator::Unit(int id) const {
    return id >= 1 && id <= FUnits.size() ? &FUnits[id - 1] : nullptr;
}
