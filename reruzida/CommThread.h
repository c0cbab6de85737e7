#pragma once

#include "protocol/UnitFrame.h"
#include "reruzida/RecvJournal.h"
#include "reruzida/RsDrv.h"
#include "ui/WindowMessage.h"

#include <QThread>
#include <array>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

namespace reruzida {

// Messages of the protocol thread to its owner window, all posted: the protocol thread never
// waits for the window thread.
constexpr int WM_UNIT_LED = WM_USER + 100;
constexpr int WM_TICK_REGISTER = WM_USER + 101;
constexpr int WM_TICK_EXPIRE = WM_USER + 102;
constexpr int WM_TICK_UNITSTATE = WM_USER + 103;
// A scan or a probe found the unit (wParam), so what waits for it can be sent.
constexpr int WM_UNIT_FOUND = WM_USER + 104;
constexpr int WM_RECV_DATA = WM_USER + 110;

// Unit LED colours, red in the low byte.
constexpr LPARAM LedBlue = 0xFF0000;
constexpr LPARAM LedLime = 0x00FF00;
constexpr LPARAM LedRed = 0x0000FF;
constexpr LPARAM LedSilver = 0xC0C0C0;

// The units that answered the last scan, by unit ID (index 0 is unused). Written by the
// protocol thread, read from any thread.
using TUnitPresence = std::array<std::atomic<bool>, MaxUnitId + 1>;

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
class TRecvDataList {
public:
    // Keeps the records in `fileName` (none: in memory only) from now on; the records the
    // file still holds from an earlier run are put first and counted. Naming the same file
    // again does nothing.
    int Open(const QString& fileName);
    // False when the record could not be kept: it must not be acknowledged. The first failure
    // and the first success after failures go to the error log.
    bool Push(TRecvDataClass record);
    // Why records cannot be kept now; empty when they can.
    QString Fault();
    // Takes the oldest record; false when there is none.
    bool Pop(TRecvDataClass& record);
    // The window has handled the record: the file no longer needs it.
    void Done(const TRecvDataClass& record);

private:
    std::mutex FLock;
    std::deque<TRecvDataClass> FRecords;
    QString FJournalFile;
    std::unique_ptr<TRecvJournal> FJournal;
    QString FFault;
};

// The protocol thread: scans the line for units, polls them in turn, sends the queued
// commands, checks and acknowledges every reply, and tells the owner window.
//
// One command is outstanding at a time; FExchange says what it is:
// - Scan: FScanning is set and VRR goes to FCurrentUnit, 1, 2, 3 ... while the queue waits.
//   The run ends at the first silent address (or after MaxUnitId): units normally sit at
//   contiguous addresses from 1, so the start-up is over after one silence limit.
// - Probe: the rest of the scan. FProbeUnit is the next address above that silent one still
//   to ask; one VRR goes to it at the start of each polling round that begins with an empty
//   queue (FProbeDue), so a unit switched off at start-up hides no unit above it; 0 means
//   every address was asked.
// - Poll: LRR to FCurrentUnit, or a queued command in its slot; the poll position moves on to
//   the next present unit after each (NextPresentUnit, which posts the round's tick).
// A rescan request is taken when the poll position is at unit 1 and starts a new scan.
// An exchange ends with a complete reply (good or bad), or by giving up: after the silence
// limit plus MaxSilenceSteps steps for a poll (FSilence counts those steps), after the limit
// alone for a scan or a probe, and in any case ExchangeLimitMs after the command went out
// (FSentTick), so a unit that keeps sending stray bytes cannot hold the line.
// FReader holds the reply begun; it is cleared when an exchange starts and when it is given up.
class TCommThread : public QThread {
public:
    static constexpr int MaxQueue = 1000;
    static constexpr uint32_t SilenceLimitMs = 1000;
    static constexpr int MaxSilenceSteps = 3;
    // The longest reply takes this long on the line at 9600 baud, ten bits a byte.
    static constexpr uint32_t LongestReplyMs = (LongestReply * 10 * 1000 + 9599) / 9600;
    static constexpr uint32_t ExchangeLimitMs = LongestReplyMs + SilenceLimitMs;
    // A port that does not open (missing, busy, held by another program) is tried this often.
    static constexpr int PortRetryMs = 3000;

    TCommThread(QObject* owner, TRecvDataList& received, TUnitPresence& unitPresent,
                std::shared_ptr<TUnitStateWriter> stateWriter);
    Q_DISABLE_COPY(TCommThread)

    // The sleep after every pass of the loop; only tests and measurements change it.
    int StepTime = 100;

    // Appends to the send queue; false when the thread does not run, the queue is full
    // or the unit ID is not 1 to MaxUnitId.
    bool QueueCommand(const TAppData& data);
    void RequestRescan() { FRescan = true; }
    bool IsRunning();
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
    void SendNext();
    bool ReceiveStep();
    bool ReadReply(int waiting);
    bool GiveUpSilence();
    bool GiveUpExchange();
    void EndScanRun(int silentUnit);
    void ExchangeDone();
    void ActOnReply(const QByteArray& frame);
    void ScanFound(int unit);
    int NextPresentUnit(int current);
    bool PushRecvData(const QByteArray& frame);
    static uint32_t ElapsedMs(int64_t since);
    void SendAck(int unit);
    void SetRunning(bool value);
    void SetStopped(bool value);
    bool TakeQueued(TAppData& data);
    bool QueueEmpty();
    void ClearPresent();
    void Led(int unit, LPARAM colour);

    QObject* const FOwner;
    TRsDrv FPort;
    int FPortNumber = 1;
    const int FBaud = 9600;
    const int FDataBits = 8;
    const int FStopBits = 0;
    const QString FParity = "N";
    TRecvDataList& FReceived;
    TUnitPresence& UnitPresent;
    std::shared_ptr<TUnitStateWriter> FStateWriter;

    std::mutex FLock;
    bool FRunning = false;
    bool FStopped = false;
    QString FPortFault;
    std::deque<TAppData> FQueue;

    std::atomic<bool> FRescan = false;
    TCommPacket FPacket;
    enum class TExchange { Scan, Probe, Poll };
    TExchange FExchange = TExchange::Poll;
    int64_t FLastTick = 0;
    int64_t FSentTick = 0;
    bool FScanning = false;
    int FProbeUnit = 0;
    bool FProbeDue = false;
    TFrameReader FReader;
    int FSilence = 0;
    int FCurrentUnit = 1;
    int FTickCounter = 0;
};

} // namespace reruzida
