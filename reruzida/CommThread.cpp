#include "CommThread.h"

#include "ErrorLog.h"

#include "base/DateTime.h"

#include <QCoreApplication>

namespace reruzida {

namespace {

// Replies that are acknowledged and that carry nothing the window needs.
bool IsPlainReply(const QByteArray& command) {
    static const QList<QByteArray> plain = {"USA", "CSA", "TSA", "RSA", "UCA", "IDA", "SRA", "SWA"};
    return plain.contains(command);
}

// The port dialog offers COM1 to COM4; anything else stored means port 1.
int ReadPortNumber() {
    const int port = ReadCommSetting();
    return port >= 1 && port <= 4 ? port : 1;
}

// Writes a line to the error log through the window thread, which owns the log.
void LogFromThread(const QString& message) {
    const TDateTime time = Now();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [message, time] { ErrorLog().WriteErrorLog(message, time); },
        Qt::QueuedConnection);
}

// Writes the exception being handled to the error log, through the window thread, which
// owns the log; the protocol thread goes on.
void LogSwallowed(const QString& where) {
    QString what;
    try {
        throw;
    } catch (const Exception& e) {
        what = e.Message();
    } catch (const std::exception& e) {
        what = QString::fromLocal8Bit(e.what());
    } catch (...) {
        what = "unknown exception";
    }
    LogFromThread("通信スレッド: " + where + ": " + what);
}

} // namespace

int TRecvDataList::Open(const QString& fileName) {
    std::lock_guard lock(FLock);
    if (FJournalFile == fileName)
        return 0;
    FJournalFile = fileName;
    FJournal.reset();
    FFault.clear();
    if (fileName.isEmpty())
        return 0;
    FJournal = std::make_unique<TRecvJournal>(fileName);
    const QList<TRecvDataClass> replayed = FJournal->Replay();
    FRecords.insert(FRecords.begin(), replayed.begin(), replayed.end());
    return int(replayed.size());
}

bool TRecvDataList::Push(TRecvDataClass record) {
    std::lock_guard lock(FLock);
    if (FJournal && !FJournal->Append(record)) {
        const QString fault = "受信記録ファイルに書き込めないため、認証機の記録を受け取れません: " +
                              FJournal->ErrorString();
        if (FFault.isEmpty())
            LogFromThread(fault);
        FFault = fault;
        return false;
    }
    if (!FFault.isEmpty())
        LogFromThread("受信記録ファイルに再び書き込めるようになりました");
    FFault.clear();
    FRecords.push_back(record);
    return true;
}

QString TRecvDataList::Fault() {
    std::lock_guard lock(FLock);
    return FFault;
}

void TRecvDataList::Done(const TRecvDataClass& record) {
    std::lock_guard lock(FLock);
    if (FJournal)
        FJournal->Done(record.JournalNumber);
}

bool TRecvDataList::Pop(TRecvDataClass& record) {
    std::lock_guard lock(FLock);
    if (FRecords.empty())
        return false;
    record = FRecords.front();
    FRecords.pop_front();
    return true;
}

TCommThread::TCommThread(QObject* owner, TRecvDataList& received, TUnitPresence& unitPresent,
                         std::shared_ptr<TUnitStateWriter> stateWriter)
    : FOwner(owner), FPortNumber(ReadPortNumber()), FReceived(received), UnitPresent(unitPresent),
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

bool TCommThread::QueueEmpty() {
    std::lock_guard lock(FLock);
    return FQueue.empty();
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
    FReader.Clear();
    if (OpenPortUntilStopped())
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
        LogSwallowed("entranceState");
    }
    bool outstanding = false;
    while (!isInterruptionRequested()) {
        try {
            if (!outstanding) {
                SendNext();
                outstanding = true;
            } else if (ReceiveStep()) {
                ExchangeDone();
                outstanding = false;
            }
        } catch (...) {
            LogSwallowed("unit " + QString::number(FPacket.Destination));
        }
        msleep(ulong(StepTime));
    }
}

void TCommThread::ExchangeDone() {
    if (FExchange == TExchange::Probe) {
        FProbeUnit = FProbeUnit < MaxUnitId ? FProbeUnit + 1 : 0;
    } else if (FScanning) {
        if (FCurrentUnit == MaxUnitId)
            FScanning = false;
        else
            ++FCurrentUnit;
    } else {
        const int next = NextPresentUnit(FCurrentUnit);
        // Like the tick, a round that begins while commands wait asks no address.
        if (FExchange == TExchange::Poll && next <= FCurrentUnit && FProbeUnit != 0 && QueueEmpty())
            FProbeDue = true;
        FCurrentUnit = next;
    }
}

bool TCommThread::OpenPortUntilStopped() {
    while (!isInterruptionRequested()) {
        if (OpenPort() && FPort.Opened()) {
            if (!PortFault().isEmpty())
                LogFromThread("通信ポートCOM" + QString::number(FPortNumber) + "を開きました");
            SetPortFault({});
            return true;
        }
        const QString fault =
            "通信ポートCOM" + QString::number(FPortNumber) + " (" + PortDevicePath(FPortNumber) +
            ") を開けません: " +
            (FPort.SystemError().isEmpty() ? FPort.LastError() : FPort.SystemError());
        if (fault != PortFault())
            LogFromThread(fault);
        SetPortFault(fault);
        for (int waited = 0; waited < PortRetryMs && !isInterruptionRequested();
             waited += std::max(StepTime, 1))
            msleep(ulong(std::max(StepTime, 1)));
    }
    return false;
}

QString TCommThread::PortFault() {
    std::lock_guard lock(FLock);
    return FPortFault;
}

void TCommThread::SetPortFault(const QString& fault) {
    std::lock_guard lock(FLock);
    FPortFault = fault;
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
        FProbeUnit = 0;
        FProbeDue = false;
        ClearPresent();
        Led(0, LedSilver);
    }
    TAppData next;
    FExchange = FScanning ? TExchange::Scan : TExchange::Poll;
    if (FScanning) {
        next = {FCurrentUnit, "VRR", {}};
    } else if (!TakeQueued(next)) {
        FExchange = FProbeDue ? TExchange::Probe : TExchange::Poll;
        next = FProbeDue ? TAppData{FProbeUnit, "VRR", {}} : TAppData{FCurrentUnit, "LRR", {}};
        FProbeDue = false;
    }
    FPacket.Destination = uint8_t(next.UnitId);
    FPacket.Command = next.Command;
    FPacket.Parameters = next.Parameters;
    // The write returns once the last byte is out: the reply time-out counts from there. A
    // failed write still counts as sent; the unit's silence ends the exchange.
    FPort.Write(BuildFrame(FPacket));
    Led(FPacket.Destination, LedBlue);
    FReader.Clear();
    // Only the unit the command went to can answer it; anything else on the line,
    // including a source that is no unit at all, is passed over.
    FReader.ExpectSource(FPacket.Destination);
    FLastTick = FSentTick = GetTickCount();
}

bool TCommThread::ReceiveStep() {
    const int waiting = FPort.InCount();
    if (waiting > 0 ? ReadReply(waiting) : ElapsedMs(FLastTick) > SilenceLimitMs && GiveUpSilence())
        return true;
    return ElapsedMs(FSentTick) > ExchangeLimitMs && GiveUpExchange();
}

bool TCommThread::ReadReply(int waiting) {
    FLastTick = GetTickCount();
    // Everything waiting is read, so the port's queue is empty afterwards.
    QByteArray bytes(waiting, '\0');
    const int got = FPort.Read(bytes.data(), waiting, waiting);
    if (got <= 0)
        return false;
    switch (FReader.Feed(QByteArrayView(bytes).first(got))) {
    case TFrameOutcome::Incomplete:
    case TFrameOutcome::Dropped:
    case TFrameOutcome::OtherSource:
        return false;
    case TFrameOutcome::BadCheck:
        Led(FPacket.Destination, LedRed);
        break;
    case TFrameOutcome::Frame:
        Led(FPacket.Destination, LedLime);
        ActOnReply(FReader.Frame());
        break;
    }
    FSilence = 0;
    return true;
}

bool TCommThread::GiveUpSilence() {
    FReader.Clear();
    const int unit = FPacket.Destination;
    if (FExchange == TExchange::Probe) {
        Led(unit, LedSilver);
        return true;
    }
    if (FSilence < MaxSilenceSteps) {
        ++FSilence;
        if (!FScanning)
            return false;
        Led(unit, LedSilver);
        EndScanRun(unit);
        return true;
    }
    FSilence = 0;
    Led(unit, IsUnitId(unit) && UnitPresent[unit] ? LedRed : LedSilver);
    return true;
}

bool TCommThread::GiveUpExchange() {
    FReader.Clear();
    FSilence = 0;
    const int unit = FPacket.Destination;
    if (FScanning)
        EndScanRun(unit);
    Led(unit, IsUnitId(unit) && UnitPresent[unit] ? LedRed : LedSilver);
    return true;
}

void TCommThread::EndScanRun(int silentUnit) {
    FScanning = false;
    FProbeUnit = silentUnit < MaxUnitId ? silentUnit + 1 : 0;
}

void TCommThread::ActOnReply(const QByteArray& frame) {
    const int source = uint8_t(frame[SourceOffset]);
    const QByteArray command = FrameCommand(frame);
    const bool hasParameters = frame.size() > ParameterOffset + 2;
    if (command == "VRA") {
        if (FExchange != TExchange::Poll)
            ScanFound(source);
    } else if (command == "RRA" || command == "RWA" || command == "RDA") {
        // The record is kept before the unit is told it may drop it; one that cannot be
        // kept is not acknowledged, so the unit sends it again.
        if (PushRecvData(frame))
            SendAck(source);
    } else if (command == "LRA" || command == "CRA") {
        if (!hasParameters || PushRecvData(frame))
            SendAck(source);
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
        LogSwallowed("entranceState");
    }
    QueueCommand({unit, "USR", "1"});
    PostMessage(FOwner, WM_UNIT_FOUND, WPARAM(unit), 0);
}

int TCommThread::NextPresentUnit(int current) {
    int next = 0;
    for (int id = current + 1; id <= MaxUnitId && !next; ++id)
        next = UnitPresent[id] ? id : 0;
    for (int id = 1; id <= current && !next; ++id)
        next = UnitPresent[id] ? id : 0;
    if (!next)
        next = 1;
    if (next == 1 && QueueEmpty()) {
        static const int ticks[] = {WM_TICK_UNITSTATE, WM_TICK_REGISTER, WM_TICK_EXPIRE};
        PostMessage(FOwner, ticks[FTickCounter], 0, 0);
        FTickCounter = (FTickCounter + 1) % 3;
    }
    return next;
}

bool TCommThread::PushRecvData(const QByteArray& frame) {
    TRecvDataClass record;
    record.UnitId = uint8_t(frame[SourceOffset]);
    record.Command = FrameCommand(frame);
    record.Frame = frame.left(TRecvDataClass::MaxFrame);
    if (!FReceived.Push(record))
        return false;
    PostMessage(FOwner, WM_RECV_DATA, 0, 0);
    return true;
}

uint32_t TCommThread::ElapsedMs(int64_t since) {
    const int64_t elapsed = int64_t(GetTickCount()) - since;
    if (elapsed < 0 || elapsed > int64_t(UINT32_MAX))
        return UINT32_MAX;
    return uint32_t(elapsed);
}

void TCommThread::SendAck(int unit) {
    FPort.Write(AckFrame(unit));
    FLastTick = GetTickCount();
}

void TCommThread::ClearPresent() {
    for (auto& present : UnitPresent)
        present = false;
}

// Posted, not sent: the line must not wait while the window thread waits for a lock.
void TCommThread::Led(int unit, LPARAM colour) {
    PostMessage(FOwner, WM_UNIT_LED, WPARAM(unit), colour);
}

} // namespace reruzida
