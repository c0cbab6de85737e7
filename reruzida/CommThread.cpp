#include "CommThread.h"

#include "base/DateTime.h"
#include "base/Registry.h"

std::array<std::atomic<bool>, MaxUnitId + 1> UnitPresent{};

namespace {

// Replies that are acknowledged and that carry nothing the window needs.
bool IsPlainReply(const QByteArray& command) {
    static const QList<QByteArray> plain = {"USA", "CSA", "TSA", "RSA", "UCA", "IDA", "SRA", "SWA"};
    return plain.contains(command);
}

int ReadPortNumber() {
    TRegistry reg;
    reg.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    try {
        if (reg.OpenKey("SOFTWARE\\Zezoduzu", true)) {
            const int port = reg.ReadInteger("Comm");
            if (port >= 1 && port <= 4)
                return port;
        }
    } catch (const Exception&) {
    }
    return 1;
}

} // namespace

void TRecvDataList::Push(const TRecvDataClass& record) {
    std::lock_guard lock(FLock);
    FRecords.push_back(record);
}

bool TRecvDataList::Pop(TRecvDataClass& record) {
    std::lock_guard lock(FLock);
    if (FRecords.empty())
        return false;
    record = FRecords.front();
    FRecords.pop_front();
    return true;
}

TCommThread::TCommThread(QObject* owner, TRecvDataList& received,
                         std::shared_ptr<TUnitStateWriter> stateWriter)
    : FOwner(owner), FPortNumber(ReadPortNumber()), FReceived(received),
      FStateWriter(std::move(stateWriter)) {}

bool TCommThread::QueueCommand(const TAppData& data) {
    if (!IsUnitId(data.UnitId))
        return false;
    std::lock_guard lock(FLock);
    if (!FRunning || FQueue.size() >= MaxQueue)
        return false;
    FQueue.push_back(data);
    return true;
}

bool TCommThread::TakeQueued(TAppData& data) {
    std::lock_guard lock(FLock);
    if (FQueue.empty())
        return false;
    data = FQueue.front();
    FQueue.pop_front();
    return true;
}

bool TCommThread::IsRunning() {
    std::lock_guard lock(FLock);
    return FRunning;
}

bool TCommThread::IsStopped() {
    std::lock_guard lock(FLock);
    return FStopped;
}

void TCommThread::SetRunning(bool value) {
    std::lock_guard lock(FLock);
    FRunning = value;
}

void TCommThread::SetStopped(bool value) {
    std::lock_guard lock(FLock);
    FStopped = value;
}

void TCommThread::Execute() {
    SetRunning(true);
    SetStopped(false);
    FRescan = false;
    ClearPresent();
    Led(0, LedSilver);
    FCurrentUnit = 1;
    ClearFrame();
    if (OpenPort() && FPort.Opened())
        Loop();
    FPort.Close();
    SetRunning(false);
    SetStopped(true);
}

void TCommThread::Loop() {
    FScanning = true;
    try {
        if (FStateWriter)
            FStateWriter->StopAllUnits();
    } catch (...) {
    }
    bool outstanding = false;
    while (!isInterruptionRequested()) {
        try {
            if (!outstanding) {
                SendNext();
                outstanding = true;
            } else if (ReceiveStep()) {
                if (FScanning) {
                    if (FCurrentUnit == MaxUnitId)
                        FScanning = false;
                    else
                        ++FCurrentUnit;
                } else {
                    FCurrentUnit = NextPresentUnit(FCurrentUnit);
                }
                outstanding = false;
            }
        } catch (...) {
        }
        msleep(ulong(StepTime));
    }
}

bool TCommThread::OpenPort() {
    static const QList<int> bauds = {600,   1200,  2400,  4800,  9600,  14400,
                                     19200, 38400, 56000, 57600, 115200};
    const QString parity = FParity.size() >= 2 ? FParity.toUpper().left(1) : "N";
    if (FPortNumber < 1 || FPortNumber > 8 || !bauds.contains(FBaud) ||
        !QString("EMNOS").contains(parity) || FDataBits < 4 || FDataBits > 8 || FStopBits < 0 ||
        FStopBits > 2)
        return false;
    const QString mode = QString("COM%1:%2,%3,%4,%5")
                             .arg(FPortNumber)
                             .arg(FBaud)
                             .arg(parity)
                             .arg(FDataBits)
                             .arg(FStopBits);
    try {
        return FPort.OpenMode(mode);
    } catch (...) {
        return false;
    }
}

void TCommThread::SendNext() {
    FPacket = TCommPacket();
    if (FRescan && FCurrentUnit == 1) {
        FRescan = false;
        FScanning = true;
        ClearPresent();
        Led(0, LedSilver);
    }
    TAppData next;
    if (FScanning)
        next = {FCurrentUnit, "VRR", {}};
    else if (!TakeQueued(next))
        next = {FCurrentUnit, "LRR", {}};
    FPacket.Destination = uint8_t(next.UnitId);
    FPacket.Command = next.Command;
    FPacket.Parameters = next.Parameters;
    // The write returns once the last byte is out: the reply time-out counts from there. A
    // failed write still counts as sent; the unit's silence ends the exchange.
    FPort.Write(BuildFrame(FPacket));
    Led(FPacket.Destination, LedBlue);
    ClearFrame();
    FLastTick = GetTickCount();
}

bool TCommThread::ReceiveStep() {
    const int waiting = FPort.InCount();
    if (waiting == 0)
        return ElapsedMs() > SilenceLimitMs && GiveUpSilence();
    FLastTick = GetTickCount();
    // Everything waiting is read, so the port's queue is empty afterwards; what does not
    // fit into the buffer is dropped.
    QByteArray bytes(waiting, '\0');
    const int got = FPort.Read(bytes.data(), waiting, waiting);
    if (got <= 0)
        return false;
    FBuffer.append(bytes.left(qMin(got, RecvBufferSize - int(FBuffer.size()))));
    if (!FFrameStarted) {
        if (FBuffer[0] != STX) {
            ClearFrame();
            return false;
        }
        FFrameStarted = true;
    }
    if (FBuffer.size() > 5 && !FLengthKnown) {
        FExpected = ExpectedFrameLength(FBuffer);
        FLengthKnown = true;
    }
    if (!FLengthKnown || FBuffer.size() < FExpected)
        return false;
    const bool answered = HandleFrame();
    ClearFrame();
    if (answered)
        FSilence = 0;
    return answered;
}

bool TCommThread::GiveUpSilence() {
    ClearFrame();
    const int unit = FPacket.Destination;
    if (FSilence < MaxSilenceSteps) {
        ++FSilence;
        if (!FScanning)
            return false;
        Led(unit, LedSilver);
        FScanning = false;
        return true;
    }
    FSilence = 0;
    Led(unit, IsUnitId(unit) && UnitPresent[unit] ? LedRed : LedSilver);
    return true;
}

bool TCommThread::HandleFrame() {
    if (!CheckFrame(FBuffer, FExpected)) {
        Led(FPacket.Destination, LedRed);
        return true;
    }
    // Only the unit the command went to can answer it; anything else on the line,
    // including a source that is no unit at all, is passed over.
    const int source = uint8_t(FBuffer[1]);
    if (source != FPacket.Destination)
        return false;
    Led(FPacket.Destination, LedLime);
    ActOnReply(source, FBuffer.mid(5, 3), FExpected - FrameOverhead - 3);
    return true;
}

void TCommThread::ActOnReply(int source, const QByteArray& command, int parameterLength) {
    if (command == "VRA") {
        if (FScanning)
            ScanFound(source);
    } else if (command == "RRA" || command == "RWA" || command == "RDA") {
        SendAck(source);
        PushRecvData(source, command);
    } else if (command == "LRA" || command == "CRA") {
        SendAck(source);
        if (parameterLength > 0)
            PushRecvData(source, command);
    } else if (IsPlainReply(command)) {
        SendAck(source);
    }
}

void TCommThread::ScanFound(int unit) {
    UnitPresent[unit] = true;
    SendAck(unit);
    // A failing unit table must not end the scan: the unit is there all the same.
    try {
        if (FStateWriter)
            FStateWriter->UnitFound(unit);
    } catch (...) {
    }
    QueueCommand({unit, "USR", "1"});
}

int TCommThread::NextPresentUnit(int current) {
    int next = 0;
    for (int id = current + 1; id <= MaxUnitId && !next; ++id)
        next = UnitPresent[id] ? id : 0;
    for (int id = 1; id <= current && !next; ++id)
        next = UnitPresent[id] ? id : 0;
    if (!next)
        next = 1;
    bool queueEmpty = false;
    {
        std::lock_guard lock(FLock);
        queueEmpty = FQueue.empty();
    }
    if (next == 1 && queueEmpty) {
        static const int ticks[] = {WM_TICK_UNITSTATE, WM_TICK_REGISTER, WM_TICK_EXPIRE};
        PostMessage(FOwner, ticks[FTickCounter], 0, 0);
        FTickCounter = (FTickCounter + 1) % 3;
    }
    return next;
}

void TCommThread::PushRecvData(int source, const QByteArray& command) {
    TRecvDataClass record;
    record.UnitId = uint8_t(source);
    record.Command = command;
    record.Frame = FBuffer.left(qMin(FExpected, TRecvDataClass::MaxFrame));
    FReceived.Push(record);
    PostMessage(FOwner, WM_RECV_DATA, 0, 0);
}

uint32_t TCommThread::ElapsedMs() const {
    const int64_t elapsed = int64_t(GetTickCount()) - FLastTick;
    if (elapsed < 0 || elapsed > int64_t(UINT32_MAX))
        return UINT32_MAX;
    return uint32_t(elapsed);
}

void TCommThread::SendAck(int unit) {
    FPort.Write(AckFrame(unit));
    FLastTick = GetTickCount();
}

void TCommThread::ClearFrame() {
    FBuffer.clear();
    FFrameStarted = false;
    FLengthKnown = false;
    FExpected = 0;
}

void TCommThread::ClearPresent() {
    for (auto& present : UnitPresent)
        present = false;
}

void TCommThread::Led(int unit, LPARAM colour) {
    SendMessage(FOwner, WM_UNIT_LED, WPARAM(unit), colour);
}
