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

QList<QByteArray> Frames(const QList<TRecvDataClass>& records) {
    QList<QByteArray> frames;
    for (const TRecvDataClass& record : records) {
        EXPECT_TRUE(record.Replayed);
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
        EXPECT_GT(QFile(file).size(), 0);
        journal.Done(e.JournalNumber);
    }
    // Nothing waits: the file is empty again.
    EXPECT_EQ(QFile(file).size(), 0);
    TRecvJournal journal(file);
    EXPECT_TRUE(journal.Replay().isEmpty());
}
