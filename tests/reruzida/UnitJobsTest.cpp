#include "DataSideFixture.h"

#include "odbc/ODBCDSet.h"

#include <QApplication>
#include <QCursor>

using namespace reruzida;

namespace {

TDateTime At(int hour, int minute) {
    return EncodeDate(2026, 12, 10) + EncodeTime(hour, minute, 0, 0);
}

} // namespace

TEST_F(UnitJobsTest, OperatingHoursAcrossMidnight) {
    Tables("INSERT INTO entranceState (認証機ID, 認証機名, 稼動開始, 稼動終了, 作動状況) VALUES "
           "(1, 'a', '22:00:00', '06:00:00', 0), (5, 'b', '22:00:00', '06:00:00', 0)");
    const auto running = [&] {
        return TableRows("SELECT 作動状況 FROM entranceState WHERE 認証機ID=1");
    };
    const struct {
        int Hour;
        QString Sent;
        QString Running;
    } cases[] = {{23, "1 USR 1", "1"}, {5, "", "1"}, {12, "1 USR 0", "0"}, {13, "", "0"}};
    for (const auto& c : cases) {
        Sent.clear();
        Clock::SetNow([&] { return At(c.Hour, 0); });
        Jobs().Periodic.ApplyOperatingHours();
        EXPECT_EQ(Sent.isEmpty() ? "" : SentText()[0] + QString::fromLatin1(Sent[0].Tail), c.Sent)
            << c.Hour;
        EXPECT_EQ(running(), QStringList{c.Running}) << c.Hour;
    }
    // Unit 5 is not present: never a command, never a change.
    EXPECT_EQ(TableRows("SELECT 作動状況 FROM entranceState WHERE 認証機ID=5"), QStringList{"0"});
    // A command the queue could not take leaves the flag, so the next tick tries again.
    QueueFull = true;
    Clock::SetNow([&] { return At(23, 0); });
    Jobs().Periodic.ApplyOperatingHours();
    EXPECT_EQ(running(), QStringList{"0"});
}

TEST_F(UnitJobsTest, PendingRegistrationsTakeThePersonsInTurn) {
    const QByteArray imageA(900, 'a'), imageB(900, 'b');
    Access("INSERT INTO M_個人情報 (個人コード, 認証画像) VALUES ('A1', X'" + imageA.toHex() +
           "'), ('B2', X'" + imageB.toHex() + "'), ('C3', NULL)");
    Access("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, 登録不可) VALUES "
           "('A1', 1, 0, 0, 0), ('A1', 2, 1, 0, 0), ('B2', 2, 0, 0, 0), ('B2', 9, 0, 0, 0), "
           "('C3', 1, 0, 0, 0)");
    const auto tick = [&] {
        Sent.clear();
        Jobs().Periodic.SendPendingRegistrations();
        return SentText().join(";");
    };
    QStringList rounds;
    for (int i = 0; i < 4; ++i)
        rounds << tick();
    // Unit A1's unit never answers, yet B2 gets its turn.
    EXPECT_EQ(rounds, (QStringList{"1 RWR A1", "2 RWR B2", "1 RWR A1", "2 RWR B2"}));
    tick();
    EXPECT_EQ(Sent.value(0).Tail, QByteArray("\x00\x00\x03\x54", 4) + imageA);
    // One pending person: skipped one tick after its sending, then sent again. A tick with
    // no one pending keeps who went last, so that person is still skipped once.
    Access("UPDATE M_使用認証機 SET 登録=1 WHERE 個人コード='B2'");
    rounds.clear();
    rounds << tick() << tick();
    Access("UPDATE M_使用認証機 SET 登録=1 WHERE 個人コード='A1' AND 認証機ID=1");
    rounds << tick();
    Access("UPDATE M_使用認証機 SET 登録=0 WHERE 個人コード='A1' AND 認証機ID=1");
    rounds << tick() << tick();
    EXPECT_EQ(rounds, (QStringList{"", "1 RWR A1", "", "", "1 RWR A1"}));
}

// Only the 900-byte image goes to a unit; another length is reported once, until the image
// changes, however many registration ticks meet it, and not sent.
TEST_F(UnitJobsTest, AStoredImageOfAnotherLengthIsNotSent) {
    Access("INSERT INTO M_個人情報 (個人コード, 認証画像) VALUES ('A1', X'0102')");
    Access("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, 登録不可) VALUES "
           "('A1', 1, 0, 0, 0)");
    for (int tick = 0; tick < 6; ++tick)
        Jobs().Periodic.SendPendingRegistrations();
    EXPECT_TRUE(Sent.isEmpty());
    ASSERT_EQ(ErrorLog().Lines().size(), 1);
    EXPECT_TRUE(ErrorLog().Lines()[0].contains("A1"));
    Access("UPDATE M_個人情報 SET 認証画像=X'010203' WHERE 個人コード='A1'");
    for (int tick = 0; tick < 6; ++tick)
        Jobs().Periodic.SendPendingRegistrations();
    EXPECT_TRUE(Sent.isEmpty());
    ASSERT_EQ(ErrorLog().Lines().size(), 2);
    EXPECT_TRUE(ErrorLog().Lines()[0].contains("3バイト"));
}

TEST_F(UnitJobsTest, ExpiredPersonsAreRemovedUntilTheUnitConfirms) {
    Clock::SetNow([] { return At(9, 0); });
    Access("INSERT INTO M_個人情報 (個人コード, 氏名, 有効終了日) VALUES "
           "('P1', 'a', " +
           QString::number(EncodeDate(2026, 12, 9)) + "), ('P2', 'b', " +
           QString::number(EncodeDate(2026, 12, 10)) + "), ('P3', 'c', NULL), ('P4', 'd', " +
           QString::number(EncodeDate(2026, 11, 1)) + ")");
    Access("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, 登録不可) VALUES "
           "('P1', 1, 1, 0, 0), ('P1', 5, 1, 0, 0), ('P2', 1, 1, 0, 0), ('P3', 1, 1, 0, 0), "
           "('P4', 2, 1, 0, 0)");
    const auto removing = [&] {
        return AccessRows("SELECT 個人コード || 認証機ID FROM M_使用認証機 WHERE 削除=1 "
                          "ORDER BY 個人コード");
    };
    QStringList rounds;
    for (int tick = 0; tick < 3; ++tick) {
        Sent.clear();
        Jobs().Periodic.ProcessTick(WM_TICK_EXPIRE);
        rounds << SentText().join(";");
    }
    // Yesterday's and last month's ends expire, one person a tick, each marked as being
    // removed and sent again until its unit confirms; today's and none do not; unit 5 is
    // not present and its row is left alone.
    EXPECT_EQ(rounds, (QStringList{"1 RDR P1", "1 RDR P1;2 RDR P4", "1 RDR P1;2 RDR P4"}));
    EXPECT_EQ(removing(), (QStringList{"P11", "P42"}));
    Jobs().Records.HandleRecord(Record(1, RemovalReply, Code("P1")));
    EXPECT_EQ(AccessRows("SELECT 認証機ID FROM M_使用認証機 WHERE 個人コード='P1'"),
              QStringList{"5"});
    // A unit that answers without the code confirms the oldest removal sent to it.
    Jobs().Records.HandleRecord(Record(2, RemovalReply, QByteArray(8, '\0')));
    Sent.clear();
    Jobs().Periodic.ProcessTick(WM_TICK_EXPIRE);
    EXPECT_TRUE(Sent.isEmpty());
    EXPECT_EQ(removing(), QStringList{});
    EXPECT_EQ(AccessRows("SELECT 個人コード FROM M_使用認証機 WHERE 認証機ID=2"), QStringList{});
}

// Database work the user did not start keeps the arrow pointer.
TEST_F(UnitJobsTest, RecordsAndTicksKeepTheArrow) {
    Access("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, 登録不可) VALUES "
           "('0012', 1, 0, 0, 0)");
    QList<Qt::CursorShape> seen;
    TCustomQueryODBC* query = Comm.DM1->sqlEntrance->Query();
    ASSERT_NE(query, nullptr);
    query->SetStateListener(this, [&](TCustomQueryODBC*, int state) {
        if (state == qoExecuted && QApplication::overrideCursor())
            seen << QApplication::overrideCursor()->shape();
    });
    const struct {
        const char* Name;
        std::function<void()> Work;
        Qt::CursorShape Shape;
    } cases[] = {
        {"a job called by itself", [&] { Jobs().Periodic.SendPendingRegistrations(); },
         Qt::WaitCursor},
        {"a record",
         [&] { Jobs().Records.HandleRecord(Record(1, ImageWriteReply, Code("0012") + "1")); },
         Qt::ArrowCursor},
        {"a tick", [&] { Jobs().Periodic.ProcessTick(WM_TICK_REGISTER); }, Qt::ArrowCursor},
    };
    for (const auto& c : cases) {
        seen.clear();
        c.Work();
        ASSERT_FALSE(seen.isEmpty()) << c.Name;
        EXPECT_EQ(seen.count(c.Shape), seen.size()) << c.Name;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.Name;
    }
    query->RemoveListener(this);
}

TEST_F(DataSideTest, ErrorLogKeepsTheNewestHundredLines) {
    for (int i = 1; i <= 101; ++i)
        ErrorLog().WriteErrorLog("error " + QString::number(i), At(14, 56) + i / 86400.0);
    TErrorLog reread(Temp.File("ErrorLog.Log"));
    reread.LoadErrorLog();
    ASSERT_EQ(reread.Lines().size(), 100);
    EXPECT_EQ(reread.Lines().first(), "2026/12/10 14:57:41 error 101");
    EXPECT_EQ(reread.Lines().last(), "2026/12/10 14:56:02 error 2");
}
