// The protocol thread's rules on a set clock: each pass is handed its time and the bytes that
// came, as the thread does every step.
#include "reruzida/CommRules.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

using namespace reruzida;

namespace {

constexpr uint32_t StepMs = 100;

// The line and the owner window as the rules see them. Units at the addresses in Units answer
// at the next pass as a unit does; a unit holds its log record until it is acknowledged.
class TLine : public TCommLink {
public:
    // What went on the line, "LRR 1" and "ACK 1", with the time of each.
    QStringList Sent;
    QList<uint32_t> SentAt;
    QList<QPair<int, LPARAM>> Leds;
    QList<int> Ticks;
    QList<QByteArray> Kept;
    QList<int> FoundUnits;
    // The parameters of each command, in the order of Commands().
    QList<QByteArray> Parameters;
    QSet<int> Units;
    QMap<int, QByteArray> Records;
    // Turns a unit's next reply into the reads that reach the PC.
    QMap<int, std::function<QList<QByteArray>(const QByteArray&)>> Fault;
    std::deque<QByteArray> Reads;
    uint32_t Now = 0;

    void Write(const QByteArray& bytes) override {
        const int unit = uint8_t(bytes[DestinationOffset]);
        if (bytes[CommandOffset] == ACK) {
            Sent << QString("ACK %1").arg(unit);
            SentAt << Now;
            Records.remove(unit);
            return;
        }
        const QByteArray command = FrameCommand(bytes);
        Sent << QString("%1 %2").arg(QString::fromLatin1(command)).arg(unit);
        SentAt << Now;
        Parameters << bytes.mid(ParameterOffset, bytes.size() - ParameterOffset - 2);
        if (!Units.contains(unit))
            return;
        const QByteArray reply = ReplyFrame(unit, command.left(2) + "A",
                                            command == LogReadCommand ? Records.value(unit) : "");
        const QList<QByteArray> reads =
            Fault.contains(unit) ? Fault.take(unit)(reply) : QList<QByteArray>{reply};
        Reads.insert(Reads.end(), reads.begin(), reads.end());
    }
    void Led(int unit, LPARAM colour) override { Leds.append({unit, colour}); }
    void Post(int message, int) override {
        if (message != WM_UNIT_FOUND)
            Ticks << message;
    }
    bool Keep(const QByteArray& frame) override {
        Kept << frame;
        return true;
    }
    void Found(int unit) override { FoundUnits << unit; }
    void NothingToSend(int) override {}

    bool HasLed(int unit, LPARAM colour) const { return Leds.contains({unit, colour}); }
    // The commands without the acknowledgements.
    QStringList Commands() const {
        QStringList commands = Sent;
        commands.removeIf([](const QString& c) { return c.startsWith("ACK"); });
        return commands;
    }
};

// The rules with their line, passed as the thread passes them, StepMs apart.
struct TRun {
    TLine Line;
    TSendQueue Queue;
    TUnitPresence Present{};
    TCommRules Rules{Line, Queue, Present};

    explicit TRun(QSet<int> units, uint32_t start = 5000) {
        Line.Units = std::move(units);
        Line.Now = start;
        Queue.SetOpen(true);
        Rules.Start();
        Rules.BeginScan();
    }
    void Pass() {
        if (!Rules.AwaitsReply()) {
            Line.Write(Rules.Next());
            Rules.Sent(Line.Now);
        } else {
            QByteArray read;
            if (!Line.Reads.empty()) {
                read = Line.Reads.front();
                Line.Reads.pop_front();
            }
            Rules.Receive(Line.Now, read);
        }
        Line.Now += StepMs;
    }
    bool PassUntil(const std::function<bool()>& done, int passes = 20000) {
        for (int i = 0; i < passes && !done(); ++i)
            Pass();
        return done();
    }
    bool Scanned(int units) {
        return PassUntil([&] { return Line.Commands().contains(QString("LRR %1").arg(units)); });
    }
    // The time the command went out, the first at or after entry `from`.
    uint32_t TimeOf(const QString& command, int from = 0) const {
        return Line.SentAt[Line.Sent.indexOf(command, from)];
    }
};

TEST(CommRules, ScanFindsTheUnitsUpToTheFirstSilentOne) {
    TRun run({1, 2, 3});
    ASSERT_TRUE(run.Scanned(3));
    EXPECT_EQ(run.Line.Commands().mid(0, 7),
              QStringList({"VRR 1", "VRR 2", "VRR 3", "VRR 4", "USR 1", "USR 2", "USR 3"}));
    EXPECT_EQ(run.Line.FoundUnits, QList<int>({1, 2, 3}));
    for (int unit = 1; unit <= MaxUnitId; ++unit)
        EXPECT_EQ(run.Present[unit].load(), unit <= 3) << unit;
    EXPECT_EQ(run.Line.Leds.first(), qMakePair(0, LedSilver));
    EXPECT_TRUE(run.Line.HasLed(3, LedLime));
    EXPECT_TRUE(run.Line.HasLed(4, LedSilver));
    EXPECT_FALSE(run.Line.HasLed(4, LedRed));
    // The scan's silent address ends it after the silence limit alone.
    EXPECT_EQ(run.TimeOf("USR 1") - run.TimeOf("VRR 4"), TCommRules::SilenceLimitMs + 2 * StepMs);
}

TEST(CommRules, PollsInTurnWithOneTickPerRoundThatStartsWithAnEmptyQueue) {
    TRun run({1, 2, 3});
    ASSERT_TRUE(run.Scanned(3));
    // Queued commands take poll slots, and rounds that begin with them post no tick.
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(run.Queue.Push({2, TamperResetCommand, {}}));
    ASSERT_TRUE(run.PassUntil([&] { return run.Line.Ticks.size() >= 7; }));
    const QStringList commands = run.Line.Commands();
    QStringList polling = commands.mid(int(commands.indexOf("LRR 1")));
    // One address above the scan's silent unit 4 is asked a round, in turn; it takes no slot.
    const QStringList probes = commands.mid(4).filter(ScanCommand);
    ASSERT_FALSE(probes.isEmpty());
    for (int i = 0; i < probes.size(); ++i)
        EXPECT_EQ(probes[i], QString("VRR %1").arg(i + 5));
    polling.removeIf([](const QString& c) { return c.startsWith(ScanCommand); });
    // Each command takes the next slot of the round 1, 2, 3; a poll goes to its slot's unit.
    for (int i = 0; i < polling.size(); ++i) {
        if (polling[i].startsWith(LogReadCommand)) {
            EXPECT_EQ(polling[i], QString("LRR %1").arg(i % 3 + 1)) << i;
        }
    }
    EXPECT_EQ(polling.count("TSR 2"), 5);
    const QList<int> ticks = run.Line.Ticks;
    for (int i = 0; i < ticks.size(); ++i)
        EXPECT_EQ(ticks[i],
                  (QList<int>{WM_TICK_UNITSTATE, WM_TICK_REGISTER, WM_TICK_EXPIRE})[i % 3]);
    // Every poll of unit 1 opens a round; the last tick's poll may not have gone out yet.
    const int rounds = int(polling.count("LRR 1"));
    EXPECT_TRUE(ticks.size() == rounds || ticks.size() == rounds + 1)
        << ticks.size() << " ticks, " << rounds << " rounds";
}

// With unit 1 switched off the rounds begin at the first unit that answers: the ticks come in
// their order, one a round, and a rescan asked for is taken there and finds unit 1 once it
// answers again.
TEST(CommRules, WithUnitOneOffTheRoundsBeginAtTheFirstPresentUnit) {
    TRun run({2, 3});
    // The scan stops at the silent unit 1; the probe above it finds units 2 and 3.
    ASSERT_TRUE(run.PassUntil([&] { return run.Present[2] && run.Present[3]; }, 2000));
    const qsizetype ticks = run.Line.Ticks.size();
    const qsizetype from = run.Line.Commands().size();
    ASSERT_TRUE(run.PassUntil([&] { return run.Line.Ticks.size() >= ticks + 6; }, 2000));
    const QStringList polls = run.Line.Commands().mid(from).filter(LogReadCommand);
    EXPECT_FALSE(polls.contains("LRR 1"));
    // A round: one poll of unit 2, one of unit 3.
    EXPECT_LE(std::abs(polls.count("LRR 2") - (run.Line.Ticks.size() - ticks)), 1);

    run.Line.Units.insert(1);
    run.Rules.RequestRescan();
    const qsizetype asked = run.Line.Commands().size();
    ASSERT_TRUE(run.PassUntil([&] { return run.Present[1].load(); }, 2000));
    ASSERT_TRUE(
        run.PassUntil([&] { return run.Line.Commands().mid(asked).contains("LRR 1"); }, 2000));
    const QStringList after = run.Line.Commands().mid(asked);
    const qsizetype scan = after.indexOf("VRR 1");
    ASSERT_GE(scan, 0);
    EXPECT_EQ(after.mid(scan, 4), QStringList({"VRR 1", "VRR 2", "VRR 3", "VRR 4"}));
    for (qsizetype i = 0; i < run.Line.Ticks.size(); ++i)
        EXPECT_EQ(run.Line.Ticks[i],
                  (QList<int>{WM_TICK_UNITSTATE, WM_TICK_REGISTER, WM_TICK_EXPIRE})[i % 3])
            << i;
}

TEST(CommRules, TheQueueHoldsAThousandCommands) {
    const auto tail = [](int i) { return QByteArray::number(i).rightJustified(12, '0'); };
    TRun run({1});
    // The queue waits while the scan runs, so it fills before anything of it is sent.
    for (int i = 1; i <= TSendQueue::MaxQueue; ++i)
        ASSERT_TRUE(run.Queue.Push({1, ClockSetCommand, tail(i)})) << i;
    EXPECT_FALSE(run.Queue.Push({1, ClockSetCommand, tail(1001)}));
    ASSERT_TRUE(run.PassUntil([&] { return run.Queue.Empty(); }));
    const QStringList commands = run.Line.Commands();
    QList<QByteArray> sent;
    for (int i = 0; i < commands.size(); ++i)
        if (commands[i].startsWith(ClockSetCommand))
            sent << run.Line.Parameters[i];
    ASSERT_EQ(sent.size(), 1000);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(sent[i], tail(i + 1));
    EXPECT_EQ(commands.mid(0, 3), QStringList({"VRR 1", "VRR 2", "CSR 1"}));
    // The scan's own USR found the queue full as well.
    EXPECT_EQ(commands.count("USR 1"), 0);
}

// Queued commands take poll slots, three in a row at most: every present unit is still read
// for records every few seconds while a long queue drains, and the queue keeps its order.
TEST(CommRules, EveryUnitIsPolledWhileALongQueueDrains) {
    constexpr int Queued = 300;
    TRun run({1, 2, 3});
    ASSERT_TRUE(run.Scanned(3));
    for (int i = 0; i < Queued; ++i)
        ASSERT_TRUE(run.Queue.Push({1, RemovalCommand, CodeField(QString::number(i))}));
    const int from = int(run.Line.Sent.size());
    ASSERT_TRUE(run.PassUntil([&] { return run.Queue.Empty(); }));
    const int to = int(run.Line.Sent.size());
    QMap<int, uint32_t> lastPoll, longestGap;
    for (int i = from; i < to; ++i) {
        const QString& sent = run.Line.Sent[i];
        if (!sent.startsWith(LogReadCommand))
            continue;
        const int unit = sent.mid(4).toInt();
        if (lastPoll.contains(unit))
            longestGap[unit] = std::max(longestGap[unit], run.Line.SentAt[i] - lastPoll[unit]);
        lastPoll[unit] = run.Line.SentAt[i];
    }
    const QStringList commands = run.Line.Commands();
    EXPECT_EQ(commands.count("RDR 1"), Queued);
    QList<QByteArray> order;
    for (int i = 0; i < commands.size(); ++i)
        if (commands[i] == "RDR 1")
            order << run.Line.Parameters[i];
    for (int i = 0; i < Queued; ++i)
        ASSERT_EQ(order[i], CodeField(QString::number(i))) << i;
    for (int unit = 1; unit <= 3; ++unit)
        EXPECT_LE(longestGap.value(unit, UINT32_MAX), 3000u) << unit;
    // Removals go out in three slots of four.
    const QStringList drained = run.Line.Sent.mid(from, to - from);
    EXPECT_LE(drained.filter(LogReadCommand).size(), Queued / 3 + 1);
}

TEST(CommRules, TheQueueTakesUnitsOneToThirtyTwoWhileOpen) {
    TSendQueue queue;
    EXPECT_FALSE(queue.Push({1, TamperResetCommand, {}}));
    queue.SetOpen(true);
    EXPECT_FALSE(queue.Push({0, TamperResetCommand, {}}));
    EXPECT_FALSE(queue.Push({MaxUnitId + 1, TamperResetCommand, {}}));
    EXPECT_TRUE(queue.Push({MaxUnitId, TamperResetCommand, {}}));
    TAppData taken;
    ASSERT_TRUE(queue.Take(taken));
    EXPECT_EQ(taken.UnitId, MaxUnitId);
    EXPECT_TRUE(queue.Empty());
}

// A silent unit costs the silence limit plus three steps (and the step that sends the next
// command): red when the scan found it, silver when not.
TEST(CommRules, ASilentUnitIsGivenUpAfterTheLimitAndThreeSteps) {
    struct Case {
        QSet<int> units;
        int silent;
        QString next;
        LPARAM led;
        int steps;
    };
    // With no unit present, the round that follows asks the next address of the scan; the
    // scan's silent address left one step counted, as the count goes back to 0 only when a
    // poll is given up or a reply comes.
    const Case cases[] = {{{1, 2, 3}, 2, "LRR 3", LedRed, 3}, {{}, 1, "VRR 2", LedSilver, 2}};
    for (const Case& c : cases) {
        TRun run(c.units);
        ASSERT_TRUE(run.Scanned(c.units.isEmpty() ? 1 : 3));
        run.Line.Units.remove(c.silent);
        const QString asked = QString("LRR %1").arg(c.silent);
        // From the poll just sent on.
        const int from = int(run.Line.Sent.size()) - 1;
        const auto askedAt = [&] { return int(run.Line.Sent.indexOf(asked, from)); };
        ASSERT_TRUE(
            run.PassUntil([&] { return askedAt() >= 0 && askedAt() + 1 < run.Line.Sent.size(); }));
        const int at = askedAt();
        EXPECT_EQ(run.Line.Sent[at + 1], c.next);
        EXPECT_EQ(run.Line.SentAt[at + 1] - run.Line.SentAt[at],
                  TCommRules::SilenceLimitMs + (c.steps + 2) * StepMs)
            << c.silent;
        EXPECT_TRUE(run.Line.HasLed(c.silent, c.led)) << c.silent;
        EXPECT_FALSE(run.Line.HasLed(c.silent, c.led == LedRed ? LedSilver : LedRed)) << c.silent;
    }
}

// A tick count that wraps past 2^32 counts as the limit passed at once.
TEST(CommRules, AWrappedTickCountEndsTheWaitAtOnce) {
    TRun run({}, UINT32_MAX - 3 * StepMs);
    ASSERT_TRUE(run.PassUntil([&] { return run.Line.Commands().size() == 2; }));
    EXPECT_EQ(run.Line.Commands(), QStringList({"VRR 1", "LRR 1"}));
    // Sent three steps before the wrap; the first pass after it gives up, the next one polls.
    EXPECT_EQ(run.Line.SentAt[1] - run.Line.SentAt[0], uint32_t(5 * StepMs));
}

TEST(CommRules, AChatteringLineHoldsNoExchangePastItsLimit) {
    TRun run({1, 2, 3});
    ASSERT_TRUE(run.Scanned(3));
    // Unit 2 goes silent while a stray byte comes every step, so the line never falls silent.
    run.Line.Units.remove(2);
    const int from = int(run.Line.Sent.size());
    ASSERT_TRUE(run.PassUntil([&] {
        run.Line.Reads.push_back("\x55");
        const int at = int(run.Line.Sent.indexOf("LRR 2", from));
        return at >= 0 && run.Line.Sent.indexOf("LRR 3", at) > at;
    }));
    const int at = int(run.Line.Sent.indexOf("LRR 2", from));
    const uint32_t held = run.TimeOf("LRR 3", at) - run.TimeOf("LRR 2", at);
    // The limit counts from the first stray byte, read a step after the poll.
    EXPECT_GT(held, TCommRules::ReplyLimitMs + StepMs);
    EXPECT_LE(held, TCommRules::ReplyLimitMs + 3 * StepMs);
    EXPECT_TRUE(run.Line.HasLed(2, LedRed));
}

// A reply may begin as late as the silence rules allow (the limit, then three steps) and then
// take its whole time on the line: an image takes about a second at 9600 baud.
TEST(CommRules, AnImageReplyThatBeginsLateWithinTheSilenceRulesIsKept) {
    struct Case {
        uint32_t beginsMs;
        bool kept;
    };
    const Case cases[] = {{1200, true}, {1400, true}, {1500, false}};
    for (const Case& c : cases) {
        TRun run({1, 2, 3});
        ASSERT_TRUE(run.Scanned(3));
        const QByteArray image = ReplyFrame(
            2, ImageReadReply, CodeField("1234567") + ImagePrefix + QByteArray(ImageSize, '\x5A'));
        // Nothing for the first steps, then the bytes as fast as the line carries them.
        run.Line.Fault[2] = [&](const QByteArray&) {
            QList<QByteArray> reads(c.beginsMs / StepMs - 1);
            for (qsizetype at = 0; at < image.size(); at += 960 * StepMs / 1000)
                reads << image.mid(at, 960 * StepMs / 1000);
            return reads;
        };
        ASSERT_TRUE(run.Queue.Push({2, ImageReadCommand, CodeField("1234567")}));
        const int from = int(run.Line.Sent.size());
        // Up to what follows the image read: its ACK, or the next command once it is given up.
        ASSERT_TRUE(run.PassUntil([&] {
            const qsizetype at = run.Line.Sent.indexOf("RRR 2", from);
            return at >= 0 && run.Line.Sent.size() > at + 1;
        }));
        const qsizetype at = run.Line.Sent.indexOf("RRR 2", from);
        EXPECT_EQ(run.Line.Kept, c.kept ? QList<QByteArray>{image} : QList<QByteArray>{})
            << c.beginsMs;
        EXPECT_EQ(run.Line.Sent[at + 1] == "ACK 2", c.kept) << c.beginsMs;
        EXPECT_EQ(run.Line.HasLed(2, LedRed), !c.kept) << c.beginsMs;
    }
}

// A unit's log record is kept exactly once, whatever the line does to the reply that carries it.
TEST(CommRules, ALogRecordIsKeptOnceThroughLineFaults) {
    using TReads = QList<QByteArray>;
    struct Case {
        const char* name;
        std::function<TReads(const QByteArray&)> fault;
        bool redLed;
    };
    const auto spoiled = [](int at, char value) {
        return [at, value](const QByteArray& r) {
            QByteArray bad = r;
            bad[bad.size() - at] = char(bad[bad.size() - at] ^ value);
            return TReads{bad};
        };
    };
    // Noise before STX in the same read spoils the whole read: the unit is given up once.
    const Case cases[] = {
        {"none", [](const QByteArray& r) { return TReads{r}; }, false},
        {"bad BCC", spoiled(1, 0x5A), true},
        {"bad ETX", spoiled(2, 0x01), true},
        {"split",
         [](const QByteArray& r) {
             return TReads{r.left(3), r.mid(3)};
         },
         false},
        {"double", [](const QByteArray& r) { return TReads{r + r}; }, false},
        {"noise", [](const QByteArray& r) { return TReads{"\x55\x66" + r}; }, true},
        {"wrong source",
         [](const QByteArray& r) {
             return TReads{ReplyFrame(3, LogReadReply, r.mid(ParameterOffset, LogRecordSize))};
         },
         true},
    };
    for (const Case& c : cases) {
        TRun run({1, 2, 3});
        ASSERT_TRUE(run.Scanned(3)) << c.name;
        const QByteArray record = QByteArray("260102030405") + CodeField("1234567") + "1101";
        run.Line.Records[2] = record;
        run.Line.Fault[2] = c.fault;
        ASSERT_TRUE(run.PassUntil([&] { return !run.Line.Records.contains(2); })) << c.name;
        // The rules are done with the reply by the next poll of the unit.
        const int polls = int(run.Line.Sent.count("LRR 2"));
        ASSERT_TRUE(run.PassUntil([&] { return run.Line.Sent.count("LRR 2") > polls; }));
        ASSERT_EQ(run.Line.Kept.size(), 1) << c.name;
        EXPECT_EQ(run.Line.Kept[0], ReplyFrame(2, LogReadReply, record)) << c.name;
        EXPECT_EQ(run.Line.HasLed(2, LedRed), c.redLed) << c.name;
    }
}

TEST(CommRules, ARescanWaitsForThePollToReachUnitOne) {
    TRun run({1, 2, 3});
    ASSERT_TRUE(run.Scanned(3));
    ASSERT_TRUE(run.PassUntil([&] { return run.Line.Commands().last() == "LRR 2"; }));
    const int from = int(run.Line.Commands().size());
    run.Line.Leds.clear();
    run.Rules.RequestRescan();
    ASSERT_TRUE(run.PassUntil([&] { return run.Line.Commands().mid(from).contains("VRR 4"); }));
    EXPECT_EQ(run.Line.Commands().mid(from, 5),
              QStringList({"LRR 3", "VRR 1", "VRR 2", "VRR 3", "VRR 4"}));
    EXPECT_TRUE(run.Line.HasLed(0, LedSilver));
}

} // namespace
