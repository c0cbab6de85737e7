#include "CommThread.h"

#include "ErrorLog.h"

#include "base/DateTime.h"

#include <QCoreApplication>

namespace reruzida {

namespace {

// The port dialog offers COM1 to COM4; anything else stored means port 1.
int ReadPortNumber() {
    const int port = ReadCommSetting();
    return port >= 1 && port <= 4 ? port : 1;
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
    if (FJournal->SkippedBytes() > 0)
        ErrorLog().WriteErrorLog(
            "受信記録ファイルの壊れた部分 " + QString::number(FJournal->SkippedBytes()) +
                "バイトを飛ばし、残りの記録" + QString::number(replayed.size()) + "件を読みました" +
                (FJournal->DamagedCopy().isEmpty()
                     ? QString()
                     : " (元のファイル: " + FJournal->DamagedCopy() + ")"),
            Now());
    FRecords.insert(FRecords.begin(), replayed.begin(), replayed.end());
    for (const TRecvDataClass& last : FJournal->LastReplies())
        FLastReplies[last.UnitId] = last.Frame;
    return int(replayed.size());
}

TRecvDataList::TPushed TRecvDataList::Push(TRecvDataClass record) {
    std::lock_guard lock(FLock);
    const auto last = FLastReplies.find(record.UnitId);
    if (last != FLastReplies.end() && last->second == record.Frame) {
        LogFromThread("認証機" + QString::number(record.UnitId) +
                      "が受信済みの記録を再送したため破棄しました: " + record.Text());
        return TPushed::Resend;
    }
    if (FJournal && !FJournal->Append(record)) {
        const QString fault = "受信記録ファイルに書き込めないため、認証機の記録を受け取れません: " +
                              FJournal->ErrorString();
        if (FFault.isEmpty())
            LogFromThread(fault);
        FFault = fault;
        return TPushed::NotKept;
    }
    if (!FFault.isEmpty())
        LogFromThread("受信記録ファイルに再び書き込めるようになりました");
    FFault.clear();
    FLastReplies[record.UnitId] = record.Frame;
    FRecords.push_back(record);
    return TPushed::Kept;
}

void TRecvDataList::NothingToSend(int unit) {
    std::lock_guard lock(FLock);
    if (FLastReplies.erase(unit) != 0 && FJournal)
        FJournal->Acknowledged(unit);
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
    : FOwner(owner), FPortNumber(ReadPortNumber()), FReceived(received),
      FStateWriter(std::move(stateWriter)), FRules(*this, FQueue, unitPresent) {}

bool TCommThread::IsStopped() {
    std::lock_guard lock(FLock);
    return FStopped;
}

void TCommThread::SetStopped(bool value) {
    std::lock_guard lock(FLock);
    FStopped = value;
}

void TCommThread::Execute() {
    FQueue.SetOpen(true);
    SetStopped(false);
    FRules.Start();
    if (OpenPortUntilStopped())
        Loop();
    FPort.Close();
    FQueue.SetOpen(false);
    SetStopped(true);
}

void TCommThread::Loop() {
    FRules.BeginScan();
    try {
        if (FStateWriter)
            FStateWriter->StopAllUnits();
    } catch (...) {
        LogSwallowed("entranceState");
    }
    while (!isInterruptionRequested()) {
        try {
            if (!FRules.AwaitsReply()) {
                FPort.Write(FRules.Next());
                FRules.Sent(GetTickCount());
            } else
                FRules.Receive(GetTickCount(), ReadWaiting());
        } catch (...) {
            LogSwallowed("unit " + QString::number(FRules.Destination()));
        }
        msleep(ulong(StepTime));
    }
}

// Everything waiting is read, so the port's queue is empty afterwards.
QByteArray TCommThread::ReadWaiting() {
    const int waiting = FPort.InCount();
    if (waiting <= 0)
        return {};
    QByteArray bytes(waiting, '\0');
    bytes.truncate(std::max(FPort.Read(bytes.data(), waiting, waiting), 0));
    return bytes;
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

bool TCommThread::Keep(const QByteArray& frame) {
    TRecvDataClass record;
    record.UnitId = uint8_t(frame[SourceOffset]);
    record.Command = FrameCommand(frame);
    record.Frame = frame.left(TRecvDataClass::MaxFrame);
    const TRecvDataList::TPushed pushed = FReceived.Push(record);
    if (pushed == TRecvDataList::TPushed::Kept)
        PostMessage(FOwner, WM_RECV_DATA, 0, 0);
    return pushed != TRecvDataList::TPushed::NotKept;
}

// A failing unit table must not end the scan: the unit is there all the same.
void TCommThread::Found(int unit) {
    try {
        if (FStateWriter)
            FStateWriter->UnitFound(unit);
    } catch (...) {
        LogSwallowed("entranceState");
    }
}

void TCommThread::Post(int message, int unit) {
    PostMessage(FOwner, message, WPARAM(unit), 0);
}

// Posted, not sent: the line must not wait while the window thread waits for a lock.
void TCommThread::Led(int unit, LPARAM colour) {
    PostMessage(FOwner, WM_UNIT_LED, WPARAM(unit), colour);
}

} // namespace reruzida
