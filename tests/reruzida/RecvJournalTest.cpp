#include "reruzida/RecvJournal.h"
#include "tests/common/TempFolder.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace reruzida;

namespace {

TRecvDataClass Record(int unit, const QByteArray& parameters) {
    TCommPacket packet;
    packet.Source = uint8_t(unit);
    packet.Command = LogReadReply;
    packet.Parameters = parameters;
    TRecvDataClass record;
    record.UnitId = uint8_t(unit);
    record.Command = LogReadReply;
    record.Frame = BuildFrame(packet);
    return record;
}

// The frames; only the oldest record can have been stored before the program ended.
QList<QByteArray> Frames(const QList<TRecvDataClass>& records) {
    QList<QByteArray> frames;
    for (const TRecvDataClass& record : records) {
        EXPECT_EQ(record.MayBeStored, frames.isEmpty());
        frames << record.Frame;
    }
    return frames;
}

} // namespace

// What a run kept and did not handle comes back at the next start, once, in order; a torn
// last entry is dropped and writing goes on after the whole ones.
TEST(RecvJournal, KeepsWhatWasNotHandledAcrossStarts) {
    TempFolder folder;
    const QString file = folder.File("ReceivedRecords.dat");
    TRecvDataClass a = Record(1, "a"), b = Record(2, QByteArray(900, 'b')), c = Record(3, "c");
    {
        TRecvJournal journal(file);
        EXPECT_TRUE(journal.Replay().isEmpty());
        for (TRecvDataClass* record : {&a, &b, &c})
            ASSERT_TRUE(journal.Append(*record));
        journal.Done(b.JournalNumber);
    }
    {
        TRecvJournal journal(file);
        const QList<TRecvDataClass> replayed = journal.Replay();
        EXPECT_EQ(Frames(replayed), (QList<QByteArray>{a.Frame, c.Frame}));
        EXPECT_EQ(replayed.value(1).UnitId, 3);
        // Killed while writing the next one: its entry is cut short.
        TRecvDataClass d = Record(1, "d");
        ASSERT_TRUE(journal.Append(d));
    }
    QFile torn(file);
    ASSERT_TRUE(torn.open(QIODevice::ReadWrite));
    ASSERT_TRUE(torn.resize(torn.size() - 3));
    torn.close();
    {
        TRecvJournal journal(file);
        const QList<TRecvDataClass> replayed = journal.Replay();
        EXPECT_EQ(Frames(replayed), (QList<QByteArray>{a.Frame, c.Frame}));
        TRecvDataClass e = Record(2, "e");
        ASSERT_TRUE(journal.Append(e));
        for (const TRecvDataClass& record : replayed)
            journal.Done(record.JournalNumber);
        journal.Done(e.JournalNumber);
        // Nothing waits, but the units may still send their last records again.
        EXPECT_GT(QFile(file).size(), 0);
        for (int unit = 1; unit <= 3; ++unit)
            journal.Acknowledged(unit);
    }
    // Nothing waits and every unit has its ACK: the file is empty again.
    EXPECT_EQ(QFile(file).size(), 0);
    TRecvJournal journal(file);
    EXPECT_TRUE(journal.Replay().isEmpty());
}

// Each unit's last record stays known across a start until the unit shows it has the ACK,
// whether it was handled or not; a later record of the unit takes its place.
TEST(RecvJournal, KeepsEachUnitsLastRecordUntilItsAckIsShown) {
    TempFolder folder;
    const QString file = folder.File("ReceivedRecords.dat");
    TRecvDataClass a = Record(1, "a"), b = Record(1, "b"), c = Record(2, "c"), d = Record(3, "d");
    const auto lastFrames = [](TRecvJournal& journal) {
        QList<QByteArray> frames;
        for (const TRecvDataClass& record : journal.LastReplies())
            frames << record.Frame;
        return frames;
    };
    {
        TRecvJournal journal(file);
        journal.Replay();
        for (TRecvDataClass* record : {&a, &b, &c, &d}) {
            ASSERT_TRUE(journal.Append(*record));
            journal.Done(record->JournalNumber);
        }
        journal.Acknowledged(3);
    }
    {
        TRecvJournal journal(file);
        EXPECT_TRUE(journal.Replay().isEmpty());
        EXPECT_EQ(lastFrames(journal), (QList<QByteArray>{b.Frame, c.Frame}));
        journal.Acknowledged(1);
    }
    TRecvJournal journal(file);
    journal.Replay();
    EXPECT_EQ(lastFrames(journal), QList<QByteArray>{c.Frame});
    journal.Acknowledged(2);
    EXPECT_EQ(QFile(file).size(), 0);
}

// A unit gone silent after its last record keeps that record in the file, but not every entry
// after it: with nothing waiting the file is written again with what it needs.
TEST(RecvJournal, StaysSmallWhileAUnitIsSilent) {
    TempFolder folder;
    const QString file = folder.File("ReceivedRecords.dat");
    TRecvJournal journal(file);
    journal.Replay();
    TRecvDataClass silent = Record(2, "silent");
    ASSERT_TRUE(journal.Append(silent));
    journal.Done(silent.JournalNumber);
    for (int i = 0; i < 200; ++i) {
        TRecvDataClass record = Record(1, QByteArray(900, char('a' + i % 26)));
        ASSERT_TRUE(journal.Append(record));
        journal.Done(record.JournalNumber);
        EXPECT_LE(QFile(file).size(), TRecvJournal::CompactBytes + 2000);
    }
    TRecvJournal again(file);
    EXPECT_TRUE(again.Replay().isEmpty());
    QList<QByteArray> last;
    for (const TRecvDataClass& record : again.LastReplies())
        last << record.Frame;
    EXPECT_EQ(last, (QList<QByteArray>{Record(1, QByteArray(900, char('a' + 199 % 26))).Frame,
                                       silent.Frame}));
}
