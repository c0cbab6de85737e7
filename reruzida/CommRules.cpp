#include "CommRules.h"

#include <QList>
#include <algorithm>
#include <utility>

namespace reruzida {

namespace {

// Replies that are acknowledged and that carry nothing the window needs.
bool IsPlainReply(const QByteArray& command) {
    static const QList<QByteArray> plain =
        QList<QByteArray>{RunReply, ClockSetReply, TamperResetReply} + UnaskedReplies;
    return plain.contains(command);
}

} // namespace

bool TSendQueue::Push(const TAppData& data) {
    if (!IsUnitId(data.UnitId))
        return false;
    std::lock_guard lock(FLock);
    if (!FOpen || FQueue.size() >= MaxQueue)
        return false;
    FQueue.push_back(data);
    return true;
}

bool TSendQueue::Take(TAppData& data) {
    std::lock_guard lock(FLock);
    if (FQueue.empty())
        return false;
    data = FQueue.front();
    FQueue.pop_front();
    FOnLine = data;
    return true;
}

void TSendQueue::Done() {
    std::lock_guard lock(FLock);
    FOnLine.reset();
}

int TSendQueue::Count(const QByteArray& command) {
    std::lock_guard lock(FLock);
    const auto same = [&](const TAppData& data) { return data.Command == command; };
    return int(std::count_if(FQueue.begin(), FQueue.end(), same)) +
           (FOnLine && same(*FOnLine) ? 1 : 0);
}

bool TSendQueue::Holds(const TAppData& data) {
    std::lock_guard lock(FLock);
    return FOnLine == data || std::find(FQueue.begin(), FQueue.end(), data) != FQueue.end();
}

bool TSendQueue::Empty() {
    std::lock_guard lock(FLock);
    return FQueue.empty();
}

void TSendQueue::SetOpen(bool value) {
    std::lock_guard lock(FLock);
    FOpen = value;
}

bool TSendQueue::IsOpen() {
    std::lock_guard lock(FLock);
    return FOpen;
}

TCommRules::TCommRules(TCommLink& link, TSendQueue& queue, TUnitPresence& unitPresent)
    : FLink(link), FQueue(queue), UnitPresent(unitPresent) {}

void TCommRules::Start() {
    FRescan = false;
    ClearPresent();
    FLink.Led(0, LedSilver);
    FCurrentUnit = 1;
    FRoundBegins = true;
    FReader.Clear();
}

void TCommRules::Receive(uint32_t now, const QByteArray& received) {
    if (!ReceiveStep(now, received))
        return;
    ExchangeDone();
    FQueue.Done();
    FOutstanding = false;
}

void TCommRules::ExchangeDone() {
    if (FExchange == TExchange::Probe) {
        FProbeUnit = FProbeUnit < MaxUnitId ? FProbeUnit + 1 : 0;
    } else if (FScanning) {
        if (FCurrentUnit == MaxUnitId)
            EndScanRun(MaxUnitId);
        else
            ++FCurrentUnit;
    } else {
        FCurrentUnit = NextPresentUnit(FCurrentUnit);
        // Like the tick, a round that begins while commands wait asks no address.
        if (FExchange == TExchange::Poll && FRoundBegins && FProbeUnit != 0 && FQueue.Empty())
            FProbeDue = true;
    }
}

QByteArray TCommRules::Next() {
    FPacket = TCommPacket();
    if (FRescan && FRoundBegins) {
        FRescan = false;
        FScanning = true;
        FRoundBegins = false;
        FCurrentUnit = 1;
        FProbeUnit = 0;
        FProbeDue = false;
        ClearPresent();
        FLink.Led(0, LedSilver);
    }
    TAppData next;
    FExchange = FScanning ? TExchange::Scan : TExchange::Poll;
    if (FScanning) {
        next = {FCurrentUnit, ScanCommand, {}};
    } else if (FQueuedInRow < QueuedInRow && FQueue.Take(next)) {
        ++FQueuedInRow;
    } else {
        next = NextPoll(FQueuedInRow == QueuedInRow && !FQueue.Empty());
        FQueuedInRow = 0;
    }
    if (next.Command == LogReadCommand)
        FPolledAt[next.UnitId] = ++FPolls;
    FPacket.Destination = uint8_t(next.UnitId);
    FPacket.Command = next.Command;
    FPacket.Parameters = next.Parameters;
    return BuildFrame(FPacket);
}

// The write returns once the last byte is out: the reply time-out counts from there. A failed
// write still counts as sent; the unit's silence ends the exchange.
void TCommRules::Sent(uint32_t now) {
    FLink.Led(FPacket.Destination, LedBlue);
    FReader.Clear();
    // Only the unit the command went to can answer it; anything else on the line,
    // including a source that is no unit at all, is passed over.
    FReader.ExpectSource(FPacket.Destination);
    FLastTick = now;
    FReplyBegun = false;
    FOutstanding = true;
}

bool TCommRules::ReceiveStep(uint32_t now, const QByteArray& received) {
    if (!received.isEmpty() && !FReplyBegun) {
        FReplyBegun = true;
        FReplyTick = now;
    }
    if (!received.isEmpty() ? ReadReply(now, received)
                            : ElapsedMs(now, FLastTick) > SilenceLimitMs && GiveUpSilence())
        return true;
    return FReplyBegun && ElapsedMs(now, FReplyTick) > ReplyLimitMs && GiveUpExchange();
}

bool TCommRules::ReadReply(uint32_t now, const QByteArray& received) {
    FLastTick = now;
    switch (FReader.Feed(received)) {
    case TFrameOutcome::Incomplete:
    case TFrameOutcome::Dropped:
    case TFrameOutcome::OtherSource:
        return false;
    case TFrameOutcome::BadCheck:
        FLink.Led(FPacket.Destination, LedRed);
        break;
    case TFrameOutcome::Frame:
        FLink.Led(FPacket.Destination, LedLime);
        ActOnReply(now, FReader.Frame());
        break;
    }
    FSilence = 0;
    return true;
}

bool TCommRules::GiveUpSilence() {
    FReader.Clear();
    const int unit = FPacket.Destination;
    if (FExchange == TExchange::Probe) {
        FLink.Led(unit, LedSilver);
        return true;
    }
    if (FSilence < MaxSilenceSteps) {
        ++FSilence;
        if (!FScanning)
            return false;
        FLink.Led(unit, LedSilver);
        EndScanRun(unit);
        return true;
    }
    FSilence = 0;
    FLink.Led(unit, IsUnitId(unit) && UnitPresent[unit] ? LedRed : LedSilver);
    return true;
}

bool TCommRules::GiveUpExchange() {
    FReader.Clear();
    FSilence = 0;
    const int unit = FPacket.Destination;
    if (FScanning)
        EndScanRun(unit);
    FLink.Led(unit, IsUnitId(unit) && UnitPresent[unit] ? LedRed : LedSilver);
    return true;
}

// The units found are told to the window only now, so their run commands, queued as each was
// found, go before anything the window queues for them.
void TCommRules::EndScanRun(int silentUnit) {
    FScanning = false;
    FProbeUnit = silentUnit < MaxUnitId ? silentUnit + 1 : 0;
    for (int unit = 1; unit <= MaxUnitId; ++unit)
        if (UnitPresent[unit])
            FLink.Post(WM_UNIT_FOUND, unit);
}

void TCommRules::ActOnReply(uint32_t now, const QByteArray& frame) {
    const int source = uint8_t(frame[SourceOffset]);
    const QByteArray command = FrameCommand(frame);
    const bool hasParameters = frame.size() > ParameterOffset + 2;
    if (command == ScanReply) {
        if (FExchange != TExchange::Poll)
            ScanFound(now, source);
    } else if (command == ImageReadReply || command == ImageWriteReply || command == RemovalReply) {
        // The record is kept before the unit is told it may drop it; one that cannot be
        // kept is not acknowledged, so the unit sends it again.
        if (FLink.Keep(frame))
            SendAck(now, source);
    } else if (command == LogReadReply || command == OtherRecordReply) {
        if (!hasParameters)
            FLink.NothingToSend(source);
        if (!hasParameters || FLink.Keep(frame))
            SendAck(now, source);
    } else if (IsPlainReply(command)) {
        SendAck(now, source);
    }
}

void TCommRules::ScanFound(uint32_t now, int unit) {
    UnitPresent[unit] = true;
    SendAck(now, unit);
    FLink.Found(unit);
    FQueue.Push({unit, RunCommand, "1"});
    if (FExchange == TExchange::Probe)
        FLink.Post(WM_UNIT_FOUND, unit);
}

// The poll of the slot: the probe when due, else the poll position's unit; while queued
// commands wait, the unit polled longest ago.
TAppData TCommRules::NextPoll(bool queueWaits) {
    if (queueWaits)
        return {UnitPolledLongestAgo(), LogReadCommand, {}};
    FExchange = FProbeDue ? TExchange::Probe : TExchange::Poll;
    const bool probe = std::exchange(FProbeDue, false);
    return probe ? TAppData{FProbeUnit, ScanCommand, {}}
                 : TAppData{FCurrentUnit, LogReadCommand, {}};
}

int TCommRules::UnitPolledLongestAgo() const {
    int longest = 0;
    for (int id = 1; id <= MaxUnitId; ++id)
        if (UnitPresent[id] && (!longest || FPolledAt[id] < FPolledAt[longest]))
            longest = id;
    return longest ? longest : FCurrentUnit;
}

int TCommRules::NextPresentUnit(int current) {
    int next = 0;
    for (int id = current + 1; id <= MaxUnitId && !next; ++id)
        next = UnitPresent[id] ? id : 0;
    for (int id = 1; id <= current && !next; ++id)
        next = UnitPresent[id] ? id : 0;
    if (!next)
        next = 1;
    // The round begins where the poll wraps to the first present unit, whichever that is:
    // with unit 1 switched off the others, found by the probe, start at 2 or above.
    FRoundBegins = next <= current;
    if (FRoundBegins && FQueue.Empty()) {
        static const int ticks[] = {WM_TICK_UNITSTATE, WM_TICK_REGISTER, WM_TICK_EXPIRE};
        FLink.Post(ticks[FTickCounter], 0);
        FTickCounter = (FTickCounter + 1) % 3;
    }
    return next;
}

uint32_t TCommRules::ElapsedMs(uint32_t now, int64_t since) {
    const int64_t elapsed = int64_t(now) - since;
    if (elapsed < 0 || elapsed > int64_t(UINT32_MAX))
        return UINT32_MAX;
    return uint32_t(elapsed);
}

void TCommRules::SendAck(uint32_t now, int unit) {
    FLink.Write(AckFrame(unit));
    FLastTick = now;
}

void TCommRules::ClearPresent() {
    for (auto& present : UnitPresent)
        present = false;
}

} // namespace reruzida
