#include "tests/entrance/LogInFixture.h"

#include "entrance/data/Unit_CommonRequests.h"
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
