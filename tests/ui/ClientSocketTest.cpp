#include "ui/ClientSocket.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// What a client's events told, in order.
struct TEvents {
    QStringList Log;
    QByteArray Read;
    void Watch(TClientSocket& client) {
        client.OnConnect = [this] { Log << "connect"; };
        client.OnRead = [this](const QByteArray& bytes) { Read += bytes; };
        client.OnDisconnect = [this] { Log << "disconnect"; };
        client.OnError = [this](const QString&) { Log << "error"; };
    }
};

} // namespace

TEST(ClientSocketTest, ConnectsSendsReadsAndTellsWhenThePeerCloses) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    TClientSocket client;
    TEvents events;
    events.Watch(client);
    client.Address = "127.0.0.1";
    client.Port = server.serverPort();
    EXPECT_FALSE(client.SendBuf("early"));
    client.Open();
    EXPECT_TRUE(client.Active());
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 5000));
    QTcpSocket* peer = server.nextPendingConnection();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.Log.isEmpty(); }, 5000));
    EXPECT_TRUE(client.SendBuf("123,1\r\n"));
    EXPECT_TRUE(client.WaitForSent(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer->bytesAvailable() == 7; }, 5000));
    EXPECT_EQ(peer->readAll(), "123,1\r\n");
    peer->write("DEL");
    peer->flush();
    QTest::qWait(50);
    peer->write("ETE");
    peer->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.Log.size() == 2; }, 5000));
    EXPECT_EQ(events.Log, (QStringList{"connect", "disconnect"}));
    EXPECT_EQ(events.Read, "DELETE");
    EXPECT_FALSE(client.Active());
}

TEST(ClientSocketTest, NoServerIsOneErrorAndCloseIsQuiet) {
    quint16 port = 0;
    {
        QTcpServer gone;
        ASSERT_TRUE(gone.listen(QHostAddress::LocalHost, 0));
        port = gone.serverPort();
    }
    TClientSocket client;
    TEvents events;
    events.Watch(client);
    client.Address = "127.0.0.1";
    client.Port = port;
    client.Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.Log.isEmpty(); }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(events.Log, QStringList{"error"});
    EXPECT_FALSE(client.Active());

    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    client.Port = server.serverPort();
    events.Log.clear();
    client.Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.Log.isEmpty(); }, 5000));
    client.Close();
    QTest::qWait(50);
    EXPECT_EQ(events.Log, QStringList{"connect"});
}
