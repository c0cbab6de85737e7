#include "DataSideFixture.h"

namespace {

TDateTime At(int hour, int minute) {
    return EncodeDate(2026, 12, 10) + EncodeTime(hour, minute, 0, 0);
}

} // namespace

TEST_F(DataSideTest, OperatingHoursAcrossMidnight) {
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
        ApplyOperatingHours();
        EXPECT_EQ(Sent.isEmpty() ? "" : SentText()[0] + QString::fromLatin1(Sent[0].Tail), c.Sent)
            << c.Hour;
        EXPECT_EQ(running(), QStringList{c.Running}) << c.Hour;
    }
    // Unit 5 is not present: never a command, never a change.
    EXPECT_EQ(TableRows("SELECT 作動状況 FROM entranceState WHERE 認証機ID=5"), QStringList{"0"});
    // A command the queue could not take leaves the flag, so the next tick tries again.
    QueueFull = true;
    Clock::SetNow([&] { return At(23, 0); });
    ApplyOperatingHours();
    EXPECT_EQ(running(), QStringList{"0"});
}

TEST_F(DataSideTest, PendingRegistrationsTakeThePersonsInTurn) {
    Access("INSERT INTO M_個人情報 (個人コード, 認証画像) VALUES ('A1', X'0102'), ('B2', X'0304'), "
           "('C3', NULL)");
    Access("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, 登録不可) VALUES "
           "('A1', 1, 0, 0, 0), ('A1', 2, 1, 0, 0), ('B2', 2, 0, 0, 0), ('B2', 9, 0, 0, 0), "
           "('C3', 1, 0, 0, 0)");
    QStringList rounds;
    for (int tick = 0; tick < 4; ++tick) {
        Sent.clear();
        SendPendingRegistrations();
        rounds << SentText().join(";");
    }
    // Unit A1's unit never answers, yet B2 gets its turn.
    EXPECT_EQ(rounds, (QStringList{"1 RWR A1", "2 RWR B2", "1 RWR A1", "2 RWR B2"}));
    Sent.clear();
    SendPendingRegistrations();
    EXPECT_EQ(Sent.value(0).Tail, QByteArray("\x00\x00\x03\x54\x01\x02", 6));
    // One pending person: sent, skipped one tick, sent again.
    Access("UPDATE M_使用認証機 SET 登録=1 WHERE 個人コード='B2'");
    rounds.clear();
    for (int tick = 0; tick < 3; ++tick) {
        Sent.clear();
        SendPendingRegistrations();
        rounds << SentText().join(";");
    }
    EXPECT_EQ(rounds, (QStringList{"", "1 RWR A1", ""}));
}

TEST_F(DataSideTest, ExpiredPersonsAreRemovedUntilTheUnitConfirms) {
    Clock::SetNow([] { return At(9, 0); });
    Access("INSERT INTO M_個人情報 (個人コード, 氏名, 有効終了日) VALUES "
           "('P1', 'a', " +
           QString::number(EncodeDate(2026, 12, 9)) + "), ('P2', 'b', " +
           QString::number(EncodeDate(2026, 12, 10)) + "), ('P3', 'c', NULL), ('P4', 'd', " +
           QString::number(EncodeDate(2026, 11, 1)) + ")");
    Access("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, 登録不可) VALUES "
           "('P1', 1, 1, 0, 0), ('P1', 5, 1, 0, 0), ('P2', 1, 1, 0, 0), ('P3', 1, 1, 0, 0), "
           "('P4', 2, 1, 0, 0)");
    QStringList rounds;
    for (int tick = 0; tick < 3; ++tick) {
        Sent.clear();
        DeleteExpiredUsers();
        rounds << SentText().join(";");
    }
    // Yesterday's and last month's ends expire, in turn; today's and none do not.
    EXPECT_EQ(rounds, (QStringList{"1 RDR P1", "2 RDR P4", "1 RDR P1"}));
    EXPECT_EQ(AccessRows("SELECT count(*) FROM M_使用認証機 WHERE 削除=1"), QStringList{"0"});
    HandleRecord(Record(1, "RDA", Code("P1")));
    EXPECT_EQ(AccessRows("SELECT 認証機ID FROM M_使用認証機 WHERE 個人コード='P1'"),
              QStringList{"5"});
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
