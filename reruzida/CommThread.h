#pragma once

#include "protocol/UnitFrame.h"
#include "reruzida/CommRules.h"
#include "reruzida/RecvJournal.h"
#include "reruzida/RsDrv.h"
#include "ui/WindowMessage.h"

#include <QThread>
#include <array>
#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

namespace reruzida {

// The two statements the protocol thread runs on entranceState itself. It calls them on
// its own thread, so an implementation uses a connection of its own.
class TUnitStateWriter {
public:
    virtual ~TUnitStateWriter() = default;
    // Every unit is marked stopped until it answers the scan.
    virtual void StopAllUnits() = 0;
    // The scan found the unit: its row is set running, or inserted when it is missing.
    virtual void UnitFound(int unitId) = 0;
};

// The received records waiting for the monitor window, oldest first. It outlives the
// protocol thread, so records acknowledged to a unit reach the window after a close too, and
// with a file it keeps them on disk until they are handled (TRecvJournal).
//
// A unit that misses the ACK of a reply sends that reply again, and a frame carries no
// sequence number: a reply is a resend only when it equals its unit's last reply and the unit
// has not shown since that it got the ACK (by answering a poll with no record, or by sending
// another reply). After a start the last reply is the one the file kept, so only the unit's
// first reply can be a resend of a record from the earlier run.
class TRecvDataList {
public:
    enum class TPushed { Kept, Resend, NotKept };

    // Keeps the records in `fileName` (none: in memory only) from now on; the records the
    // file still holds from an earlier run are put first and counted, and damage skipped in it
    // goes to the error log. Naming the same file again does nothing. Window thread only.
    int Open(const QString& fileName);
    // NotKept when the record could not be kept: it must not be acknowledged. The first
    // failure and the first success after failures go to the error log, and so does every
    // resend.
    TPushed Push(TRecvDataClass record);
    // The unit answered a poll with no record.
    void NothingToSend(int unit);
    // Why records cannot be kept now; empty when they can.
    QString Fault();
    // Takes the oldest record; false when there is none.
    bool Pop(TRecvDataClass& record);
    // The window has handled the record: the file no longer needs it.
    void Done(const TRecvDataClass& record);

private:
    std::mutex FLock;
    std::deque<TRecvDataClass> FRecords;
    // Each unit's last reply kept, while a resend of it may come.
    std::map<int, QByteArray> FLastReplies;
    QString FJournalFile;
    std::unique_ptr<TRecvJournal> FJournal;
    QString FFault;
};

// The protocol thread: owns the serial port and runs the rules (TCommRules) on it every
// StepTime ms, with the tick count and the bytes read since the last pass; it tells the owner
// window by posted messages.
class TCommThread : public QThread, private TCommLink {
public:
    static constexpr int MaxQueue = TSendQueue::MaxQueue;
    // A port that does not open (missing, busy, held by another program) is tried this often.
    static constexpr int PortRetryMs = 3000;

    TCommThread(QObject* owner, TRecvDataList& received, TUnitPresence& unitPresent,
                std::shared_ptr<TUnitStateWriter> stateWriter);
    Q_DISABLE_COPY(TCommThread)

    // The sleep after every pass of the loop; only tests and measurements change it.
    int StepTime = 100;

    // Appends to the send queue; false when the thread does not run, the queue is full
    // or the unit ID is not 1 to MaxUnitId.
    bool QueueCommand(const TAppData& data) { return FQueue.Push(data); }
    // The commands of this kind waiting for the line or on it, and whether this one is.
    int QueuedCount(const QByteArray& command) { return FQueue.Count(command); }
    bool IsQueued(const TAppData& data) { return FQueue.Holds(data); }
    void RequestRescan() { FRules.RequestRescan(); }
    bool IsRunning() { return FQueue.IsOpen(); }
    bool IsStopped();
    // Why the port does not open, while it is tried again every PortRetryMs; empty once open.
    QString PortFault();

protected:
    void run() override { Execute(); }

private:
    void Execute();
    void Loop();
    bool OpenPort();
    bool OpenPortUntilStopped();
    void SetPortFault(const QString& fault);
    QByteArray ReadWaiting();
    void SetStopped(bool value);

    void Write(const QByteArray& bytes) override { FPort.Write(bytes); }
    void Led(int unit, LPARAM colour) override;
    void Post(int message, int unit) override;
    bool Keep(const QByteArray& frame) override;
    void NothingToSend(int unit) override { FReceived.NothingToSend(unit); }
    void Found(int unit) override;

    QObject* const FOwner;
    TRsDrv FPort;
    int FPortNumber = 1;
    const int FBaud = 9600;
    const int FDataBits = 8;
    const int FStopBits = 0;
    const QString FParity = "N";
    TRecvDataList& FReceived;
    std::shared_ptr<TUnitStateWriter> FStateWriter;

    std::mutex FLock;
    bool FStopped = false;
    QString FPortFault;
    TSendQueue FQueue;
    TCommRules FRules;
};

} // namespace reruzida
