#pragma once

#include "protocol/UnitFrame.h"
#include "ui/WindowMessage.h"

#include <QByteArray>
#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace reruzida {

// Messages of the protocol thread to its owner window, all posted: the protocol thread never
// waits for the window thread.
constexpr int WM_UNIT_LED = WM_USER + 100;
constexpr int WM_TICK_REGISTER = WM_USER + 101;
constexpr int WM_TICK_EXPIRE = WM_USER + 102;
constexpr int WM_TICK_UNITSTATE = WM_USER + 103;
// A scan or a probe found the unit (wParam), so what waits for it can be sent; the scan's
// units are posted when it ends, after their run commands are queued.
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

// The commands waiting for the line, oldest first: the window thread appends, the protocol
// thread takes. It takes commands only while it is open (the protocol thread runs). The one
// taken last counts as waiting until its exchange is over (Done).
class TSendQueue {
public:
    static constexpr int MaxQueue = 1000;

    // False when the queue is closed or full, or the unit ID is not 1 to MaxUnitId.
    bool Push(const TAppData& data);
    bool Take(TAppData& data);
    void Done();
    bool Empty();
    // The commands of this kind waiting, and whether this very one waits.
    int Count(const QByteArray& command);
    bool Holds(const TAppData& data);
    void SetOpen(bool value);
    bool IsOpen();

private:
    std::mutex FLock;
    bool FOpen = false;
    std::deque<TAppData> FQueue;
    std::optional<TAppData> FOnLine;
};

// What the protocol rules do to the line and the owner window.
class TCommLink {
public:
    virtual ~TCommLink() = default;
    virtual void Write(const QByteArray& bytes) = 0;
    virtual void Led(int unit, LPARAM colour) = 0;
    virtual void Post(int message, int unit) = 0;
    // Keeps a reply that carries data for the window; false when it cannot be kept, so it
    // must not be acknowledged. A unit's resend of its last reply is acknowledged again and
    // not kept twice.
    virtual bool Keep(const QByteArray& frame) = 0;
    // The unit answered a poll with no record: it got the ACK of its last reply.
    virtual void NothingToSend(int unit) = 0;
    // The scan found the unit: its row in the unit table.
    virtual void Found(int unit) = 0;
};

// The protocol thread's rules: which command goes out next, what a reply leads to, and when a
// unit is given up. It keeps no time and touches no port: each pass is handed the time and
// the bytes that arrived, and what it does goes through the link.
//
// One command is outstanding at a time (FOutstanding); FExchange says what it is:
// - Scan: FScanning is set and VRR goes to FCurrentUnit, 1, 2, 3 ... while the queue waits.
//   The run ends at the first silent address (or after MaxUnitId): units normally sit at
//   contiguous addresses from 1, so the start-up is over after one silence limit.
// - Probe: the rest of the scan. FProbeUnit is the next address above that silent one still
//   to ask; one VRR goes to it at the start of each polling round that begins with an empty
//   queue (FProbeDue), so a unit switched off at start-up hides no unit above it; 0 means
//   every address was asked.
// - Poll: LRR to FCurrentUnit, or a queued command in its slot; the poll position moves on to
//   the next present unit after each (NextPresentUnit, which posts the round's tick). A round
//   begins where the position wraps to the first present unit (FRoundBegins), which is not
//   unit 1 while unit 1 is off and units above it answer. At most QueuedInRow queued
//   commands go out in a row (FQueuedInRow); then, while more wait, the present unit polled
//   longest ago (FPolledAt) is polled in that slot, so a long queue holds back no unit's
//   records.
// A rescan request is taken when a round begins and starts a new scan at unit 1.
// An exchange ends with a complete reply (good or bad), or by giving up: after the silence
// limit plus MaxSilenceSteps steps for a poll (FSilence counts those steps), after the limit
// alone for a scan or a probe, and in any case ReplyLimitMs after the first byte of the reply
// came (FReplyTick), so a unit that keeps sending stray bytes cannot hold the line. Until a
// byte comes only the silence rules count: a reply may begin as late as they allow.
// FReader holds the reply begun; it is cleared when an exchange starts and when it is given up.
class TCommRules {
public:
    static constexpr uint32_t SilenceLimitMs = 1000;
    static constexpr int MaxSilenceSteps = 3;
    // The longest reply takes this long on the line at 9600 baud, ten bits a byte.
    static constexpr uint32_t LongestReplyMs = (LongestReply * 10 * 1000 + 9599) / 9600;
    static constexpr uint32_t ReplyLimitMs = LongestReplyMs + SilenceLimitMs;
    // While the queue drains, three units are each polled every two to three seconds and the
    // queue keeps three quarters of the line.
    static constexpr int QueuedInRow = 3;

    TCommRules(TCommLink& link, TSendQueue& queue, TUnitPresence& unitPresent);
    Q_DISABLE_COPY(TCommRules)

    // The thread starts: no rescan waits, no unit is present, every LED is silver, the poll
    // position is unit 1.
    void Start();
    // The port is open: the scan begins.
    void BeginScan() { FScanning = true; }
    void RequestRescan() { FRescan = true; }

    // One pass: without a command outstanding the next one goes out (Next, then Sent once
    // its frame is on the line); with one, Receive takes `received`, every byte read off the
    // line since the last pass, at the tick count `now`.
    bool AwaitsReply() const { return FOutstanding; }
    // Chooses the next command and builds its frame.
    QByteArray Next();
    // The frame Next gave is on the line at `now`: the wait for its reply starts.
    void Sent(uint32_t now);
    void Receive(uint32_t now, const QByteArray& received);

    // The unit the last command went to.
    int Destination() const { return FPacket.Destination; }

private:
    bool ReceiveStep(uint32_t now, const QByteArray& received);
    bool ReadReply(uint32_t now, const QByteArray& received);
    bool GiveUpSilence();
    bool GiveUpExchange();
    void EndScanRun(int silentUnit);
    void ExchangeDone();
    void ActOnReply(uint32_t now, const QByteArray& frame);
    void ScanFound(uint32_t now, int unit);
    int NextPresentUnit(int current);
    TAppData NextPoll(bool queueWaits);
    int UnitPolledLongestAgo() const;
    static uint32_t ElapsedMs(uint32_t now, int64_t since);
    void SendAck(uint32_t now, int unit);
    void ClearPresent();

    TCommLink& FLink;
    TSendQueue& FQueue;
    TUnitPresence& UnitPresent;

    std::atomic<bool> FRescan = false;
    bool FOutstanding = false;
    TCommPacket FPacket;
    enum class TExchange { Scan, Probe, Poll };
    TExchange FExchange = TExchange::Poll;
    int64_t FLastTick = 0;
    bool FReplyBegun = false;
    int64_t FReplyTick = 0;
    bool FScanning = false;
    int FProbeUnit = 0;
    bool FProbeDue = false;
    TFrameReader FReader;
    int FSilence = 0;
    int FCurrentUnit = 1;
    bool FRoundBegins = true;
    int FQueuedInRow = 0;
    // The number of the last poll of each unit (0: none yet), counted in FPolls.
    std::array<int64_t, MaxUnitId + 1> FPolledAt{};
    int64_t FPolls = 0;
    int FTickCounter = 0;
};

} // namespace reruzida
