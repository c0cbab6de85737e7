#include "LogInFixture.h"

#include "entrance/data/Unit_CommonRequests.h"
#include "entrance/login/UpgradeDatabase.h"
#include "protocol/CommRequests.h"

#include "dbengine/Database.h"
#include "entrance/common/EntranceSession.h"
#include "ui/CopyData.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>

using namespace entrance;

// A unit may hold the person whatever its row says of the registration: every row in use is
// named; over TCP the request counts once the communication program answered it.
TEST_F(LogInFixture, RemovalRequestNamesTheUnitsInUseAndTellsWhetherItWasHandedOver) {
    EntranceSession().DM1->DB1->Params.Add("DATABASE NAME=" + Temp.File("VODURAVIRIVE.MDB"));
    Run(Temp.Path(), "INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除) VALUES "
                     "('123',3,1,0), ('123',1,1,0), ('123',2,0,0), ('123',4,1,1), ('124',5,1,0)");
    EntranceSession().NetworkMode = false;
    EXPECT_FALSE(RequestUserRemoval("123")) << "no communication program";
    QList<TCopyData> received;
    TCopyDataServer comm(CommCaption, [&](const TCopyData& data) { received << data; });
    ASSERT_TRUE(comm.Start());
    EXPECT_TRUE(RequestUserRemoval("123"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 5000));
    EXPECT_EQ(received[0].Code, CD_DELETE_USERS);
    EXPECT_EQ(received[0].Payload, QByteArray("123,1\r\n123,2\r\n123,3\r\n") + '\0');
    EXPECT_TRUE(RequestUserRemoval("999")) << "registered nowhere: nothing to ask";
    EXPECT_TRUE(RequestUnitRemoval(5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() == 2; }, 5000));
    EXPECT_EQ(received[1].Payload, QByteArray("124,5\r\n") + '\0');

    // With another PC's data, over TCP to that PC, without the closing zero byte.
    QTcpServer remote;
    if (!remote.listen(QHostAddress::Any, TcpPort(PORT_GAZODELETE)))
        GTEST_SKIP() << "the removal port is in use on this machine";
    EntranceSession().NetworkMode = true;
    EntranceSession().RemotePCName = "127.0.0.1";
    QByteArray request;
    enum { Answer, Silent, Refuse } server = Answer;
    QObject::connect(&remote, &QTcpServer::newConnection, [&] {
        QTcpSocket* peer = remote.nextPendingConnection();
        if (server == Refuse) {
            peer->abort();
            return;
        }
        QObject::connect(peer, &QTcpSocket::readyRead, [&, peer] {
            request = peer->readAll();
            if (server == Answer)
                peer->write("DELETE");
        });
    });
    EXPECT_TRUE(RequestUserRemoval("123"));
    EXPECT_EQ(request, "123,1\r\n123,2\r\n123,3\r\n");
    // Sent, but not taken: no answer within the time-out, or cut off at once.
    server = Silent;
    EXPECT_FALSE(RequestUserRemoval("123"));
    server = Refuse;
    EXPECT_FALSE(RequestUserRemoval("123"));
    EntranceSession().NetworkMode = false;
}

namespace {

using RemovalRoad = LogInFixture;

} // namespace

// A removal of more persons than one request holds goes in parts of whole lines, each within
// the servers' limit, all of them in order.
TEST_F(RemovalRoad, AUnitsRemovalGoesInPartsThatFit) {
    EXPECT_EQ(RequestParts({"ab\r\n", "cd\r\n", "効果\r\n"}, 8),
              (QStringList{"ab\r\ncd\r\n", "効果\r\n"}));
    EXPECT_EQ(RequestParts({}), QStringList{});

    EntranceSession().DM1->DB1->Params.Add("DATABASE NAME=" + Temp.File("VODURAVIRIVE.MDB"));
    QStringList rows;
    QByteArray all;
    for (int i = 1; i <= 1000; ++i) {
        const QString code = QString("%1").arg(i, 7, 10, QChar('0'));
        rows << "('" + code + "',7,1," + (i % 2 ? "0" : "1") + ")";
        all += code.toLatin1() + ",7\r\n";
    }
    Run(Temp.Path(),
        "INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除) VALUES " + rows.join(','));
    EntranceSession().NetworkMode = false;
    QList<QByteArray> parts;
    TCopyDataServer comm(CommCaption, [&](const TCopyData& data) { parts << data.Payload; });
    ASSERT_TRUE(comm.Start());
    EXPECT_TRUE(RequestUnitRemoval(7));
    ASSERT_TRUE(QTest::qWaitFor([&] { return parts.join().size() >= all.size(); }, 5000));
    EXPECT_GT(parts.size(), 1);
    QByteArray joined;
    for (const QByteArray& part : parts) {
        EXPECT_LE(part.size() - 1, MaxRequestBytes);
        EXPECT_TRUE(part.endsWith("\r\n" + QByteArray(1, '\0')));
        joined += part.chopped(1);
    }
    EXPECT_EQ(joined, all);
}

// The database as an old version of the system made it: none of the added columns.
TEST_F(LogInFixture, UpgradeAddsTheMissingColumnsOnceAndReopensTheConnections) {
    const QString data = Temp.File("old");
    QDir().mkpath(data);
    const auto old = SqlConnection::OpenDatabase(data + "/VODURAVIRIVE.MDB", true);
    for (const char* sql : {"CREATE TABLE M_使用認証機 (個人コード TEXT (10), 認証機ID LONG)",
                            "CREATE TABLE M_個人情報 (個人コード TEXT (10), 氏名 TEXT (20))",
                            "CREATE TABLE M_勤務表 (個人コード TEXT (10))",
                            "CREATE TABLE M_事業所 (事業所コード LONG, 処理年度 LONG)",
                            "CREATE TABLE M_休日 (日付 DATETIME)",
                            "CREATE TABLE M_勤務表合計 (個人コード TEXT (10), 出勤 DOUBLE)",
                            "INSERT INTO M_使用認証機 (個人コード,認証機ID) VALUES ('123',1)"})
        old->Execute(sql);
    EntranceSession().DM1->DB1->Params.Add("DATABASE NAME=" + data + "/VODURAVIRIVE.MDB");
    EntranceSession().DM1->DB2->Params.Add("PATH=" + Temp.Path());
    const auto columns = [&](const QString& table) {
        return Column(data, "SELECT name || ' ' || type FROM pragma_table_info('" + table + "')")
            .join(", ");
    };
    for (int run = 0; run < 2; ++run) {
        EXPECT_TRUE(UpgradeDatabase());
        EXPECT_EQ(columns("M_使用認証機"),
                  "個人コード TEXT (10), 認証機ID LONG, 登録 BIT, 削除 BIT, 指コード LONG");
        EXPECT_EQ(columns("M_個人情報"),
                  "個人コード TEXT (10), 氏名 TEXT (20), 有効開始日 DATETIME, 指コード LONG");
        EXPECT_EQ(columns("M_勤務表"), "個人コード TEXT (10), 読込 LONG");
        EXPECT_EQ(columns("M_事業所"), "事業所コード LONG, 処理年度 LONG, 勤怠締月 LONG");
        EXPECT_EQ(columns("M_休日"), "日付 DATETIME, 休日コード LONG");
        EXPECT_EQ(columns("M_勤務表合計"), "個人コード TEXT (10), 出勤 DOUBLE, 公休 DOUBLE");
        EXPECT_EQ(columns("M_給与項目"), "項目コード Long, 項目名 TEXT (20), 使用 BIT, 順番 Long, "
                                         "ヘッダ名 TEXT (20), 作成処理月 DATETIME");
        EXPECT_EQ(Column(data, "SELECT 個人コード || ',' || 認証機ID FROM M_使用認証機"),
                  QStringList{"123,1"});
        EXPECT_TRUE(EntranceSession().DM1->DB1->Connected());
        EXPECT_TRUE(EntranceSession().DM1->DB2->Connected());
    }
}
