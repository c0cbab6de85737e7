#include "DataSideFixture.h"

#include "base/Registry.h"
#include "reruzida/AllowedClients.h"
#include "reruzida/RequestServer.h"
#include "reruzida/Requests.h"
#include "ui/CopyData.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

using namespace reruzida;

namespace {

// A client of one of the data side's servers on loopback.
struct TClient {
    QTcpSocket Socket;
    QByteArray Received;
    explicit TClient(const QTcpServer& server) {
        QObject::connect(&Socket, &QTcpSocket::readyRead, [this] { Received += Socket.readAll(); });
        Socket.connectToHost(QHostAddress::LocalHost, server.serverPort());
        EXPECT_TRUE(WaitFor([this] { return Socket.state() == QAbstractSocket::ConnectedState; }));
    }
    void Send(const QByteArray& bytes) {
        Socket.write(bytes);
        Socket.flush();
    }
};

} // namespace

// A removal is kept in the database, for a unit away too, and sent to the present units.
TEST_F(DataSideTest, RemovalRequestsAreKeptAndSentToPresentUnits) {
    Access("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, 登録不可) VALUES "
           "('123', 1, 1, 0, 0), ('124', 2, 1, 0, 0)");
    EXPECT_TRUE(
        HandleCopyData(Jobs(), CD_DELETE_USERS, QByteArray("123,1\r\n123,9\r\n123,33\r\n") + '\0'));
    EXPECT_EQ(SentText(), QStringList{"1 RDR 123"});
    const auto rows = [&] {
        return AccessRows(
            "SELECT 個人コード||'/'||認証機ID||'/'||削除 FROM M_使用認証機 ORDER BY 1");
    };
    EXPECT_EQ(rows(), (QStringList{"123/1/1", "123/9/1", "124/2/0"}));
    // Unconfirmed, it goes out again with the expiry tick, until the unit answers.
    Jobs().Periodic.ProcessTick(WM_TICK_EXPIRE);
    EXPECT_EQ(SentText(), (QStringList{"1 RDR 123", "1 RDR 123"}));
    Jobs().Records.HandleRecord(Record(1, RemovalReply, Code("123")));
    EXPECT_EQ(rows(), (QStringList{"123/9/1", "124/2/0"}));
    // Image requests need exactly two items; stop and restart are not this layer's.
    Sent.clear();
    HandleCopyData(Jobs(), CD_READ_IMAGE, "123,2,5");
    EXPECT_TRUE(Sent.isEmpty());
    HandleCopyData(Jobs(), CD_READ_IMAGE, "123456789,2");
    EXPECT_TRUE(Sent.isEmpty());
    EXPECT_EQ(ErrorLog().Lines().size(), 1);
    EXPECT_FALSE(HandleCopyData(Jobs(), CD_TERMINATE, {}));
    EXPECT_EQ(SplitCommaText(" \"a b\",3\r\n"), (QStringList{"a b", "3"}));
    EXPECT_EQ(SplitCommaText(",3"), (QStringList{"", "3"}));
}

// Only a test run moves the servers' ports, and only the four of them, all or none.
TEST(TcpPort, TheTestVariableMovesTheFourPortsAndNothingElse) {
    const QByteArray saved = qgetenv(TestPortsVariable);
    struct Case {
        QByteArray variable;
        quint16 port;
        quint16 expected;
    };
    const Case cases[] = {
        {{}, PORT_START, 11123},
        {{}, PORT_TANPA, 11032},
        {"40001,40002,40003,40004", PORT_START, 40001},
        {"40001,40002,40003,40004", PORT_GAZOSET, 40002},
        {"40001,40002,40003,40004", PORT_GAZODELETE, 40003},
        {"40001,40002,40003,40004", PORT_TANPA, 40004},
        {"40001,40002,40003,40004", 8080, 8080},
        {"40001,40002,40003", PORT_START, PORT_START},
        {"40001,x,40003,40004", PORT_GAZOSET, PORT_GAZOSET},
        {"40001,70000,40003,40004", PORT_GAZOSET, PORT_GAZOSET},
    };
    for (const Case& c : cases) {
        if (c.variable.isEmpty())
            qunsetenv(TestPortsVariable);
        else
            qputenv(TestPortsVariable, c.variable);
        EXPECT_EQ(TcpPort(c.port), c.expected) << c.variable.constData() << " " << c.port;
    }
    qputenv(TestPortsVariable, saved);
}

// A port another program holds costs only its own server: the data side is still set up.
TEST_F(DataSideTest, APortInUseDoesNotStopTheStartUp) {
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::Any, 0));
    Comm.Place.DataPath.clear();
    const auto first = std::exchange(Comm.DM1, NewDataModule(Comm.Place, Temp.File("Reruzida")));
    TDM1& module = *Comm.DM1;
    module.Ports[2] = taken.serverPort();
    EXPECT_NO_THROW(module.DataModuleCreate());
    EXPECT_EQ(Comm.Place.DataPath, Temp.File("Reruzida"));
    ASSERT_EQ(ErrorLog().Lines().size(), 1);
    EXPECT_TRUE(ErrorLog().Lines()[0].contains(QString::number(taken.serverPort())));
    EXPECT_TRUE(module.ServerTanpa->isListening());
    Jobs().Records.HandleRecord(Record(1, LogReadReply, "261231235959" + Code("0012") + "1101"));
    EXPECT_EQ(TableRows("SELECT 個人コード FROM ENTRANCE_LOG2026_12"), QStringList{"0012"});
}

TEST_F(DataSideTest, TheStartPortSendsTheDataPathInCP932) {
    Comm.Place.NetworkDataPath = "/srv/データ/Reruzida";
    TClient client(*Comm.DM1->ServerStart);
    EXPECT_TRUE(
        WaitFor([&] { return client.Received == "/srv/\x83\x66\x81\x5B\x83\x5E/Reruzida"; }));
}

// Samba is not installed here: a "net" that accepts every share stands in for it.
TEST_F(DataSideTest, ASharedFolderSendsItsSharePathAndWorksOnTheLocalFolder) {
    TempFolder bin;
    QFile net(bin.File("net"));
    ASSERT_TRUE(net.open(QIODevice::WriteOnly));
    net.write("#!/bin/sh\nexit 0\n");
    net.close();
    net.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.Path()) + ":" + path);
    const auto first = std::exchange(Comm.DM1, NewDataModule(Comm.Place, Temp.File("Reruzida")));
    TDM1& module = *Comm.DM1;
    module.DataModuleCreate();
    qputenv("PATH", path);
    TClient client(*module.ServerStart);
    EXPECT_TRUE(WaitFor([&] {
        return client.Received ==
               ("//" + QHostInfo::localHostName() + "/Zezoduzu/Reruzida").toUtf8();
    }));
    EXPECT_EQ(Comm.Place.DataPath, Temp.File("Reruzida"));
    Jobs().Records.HandleRecord(Record(1, LogReadReply, "261231235959" + Code("0012") + "1101"));
    EXPECT_EQ(TableRows("SELECT 個人コード FROM ENTRANCE_LOG2026_12"), QStringList{"0012"});
}

TEST_F(DataSideTest, RemovalPortAnswersDeleteOnlyWhenItActed) {
    TClient client(*Comm.DM1->ServerGazoDelete);
    client.Send("123,");
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    client.Send("1\r\n");
    ASSERT_TRUE(WaitFor([&] { return client.Received == "DELETE"; }));
    EXPECT_EQ(SentText(), QStringList{"1 RDR 123"});
    client.Send("123,x\r\n");
    WaitFor([&] { return !ErrorLog().Lines().isEmpty(); });
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_EQ(client.Received, "DELETE");
}

using RemovalRoad = DataSideTest;

// A removal line without a person code could never be cleared by a unit's answer: it is
// malformed, a request fault in the error log, and nothing is kept or sent for it, whether it
// comes by message or over the network (which then gets no "DELETE").
TEST_F(RemovalRoad, ALineWithoutACodeIsRefused) {
    EXPECT_TRUE(HandleCopyData(Jobs(), CD_DELETE_USERS, QByteArray(",3\r\n") + '\0'));
    TClient client(*Comm.DM1->ServerGazoDelete);
    client.Send(" ,2\r\n");
    ASSERT_TRUE(WaitFor([] { return ErrorLog().Lines().size() == 2; }));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_TRUE(client.Received.isEmpty());
    EXPECT_EQ(ErrorLog().Lines().filter(TErrorLog::RequestMark).size(), 2)
        << ErrorLog().Lines().join('\n').toStdString();
    EXPECT_EQ(AccessRows("SELECT count(*) FROM M_使用認証機"), QStringList{"0"});
    Jobs().Periodic.ProcessTick(WM_TICK_EXPIRE);
    EXPECT_TRUE(Sent.isEmpty());
}

// Removals go to the send queue a portion at a time, so they never fill it; one the queue
// could not take stays kept and goes with the next tick.
TEST_F(RemovalRoad, RemovalsGoOutAPortionAtATimeAndAFullQueueLosesNone) {
    QStringList rows;
    for (int i = 1; i <= 2 * TAwaitedAnswers::RemovalPortion; ++i)
        rows << QString("('%1', 2, 1, 1, 0)").arg(i, 3, 10, QChar('0'));
    Access("INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, 登録不可) VALUES " +
           rows.join(", "));
    QueueFull = true;
    Jobs().Periodic.ProcessTick(WM_TICK_EXPIRE);
    EXPECT_TRUE(Sent.isEmpty());
    QueueFull = false;
    Jobs().Periodic.ProcessTick(WM_TICK_EXPIRE);
    ASSERT_EQ(Sent.size(), TAwaitedAnswers::RemovalPortion);
    EXPECT_EQ(SentText().first(), "2 RDR 001");
    EXPECT_EQ(AccessRows("SELECT count(*) FROM M_使用認証機 WHERE 削除"),
              QStringList{QString::number(2 * TAwaitedAnswers::RemovalPortion)});
}

TEST_F(DataSideTest, TheImageAnswerGoesToTheClientThatAsked) {
    TClient first(*Comm.DM1->ServerGazoset);
    TClient second(*Comm.DM1->ServerGazoset);
    first.Send("0012,");
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    first.Send("2"); // no line end: the pause ends the request
    ASSERT_TRUE(WaitFor([&] { return Sent.size() == 1; }));
    EXPECT_EQ(SentText(), QStringList{"2 RRR 0012"});
    Jobs().Records.HandleRecord(
        Record(2, ImageReadReply, Code("0012") + QByteArray(4, '\0') + QByteArray(900, 'x')));
    EXPECT_TRUE(WaitFor([&] { return first.Received == ",2"; }));
    EXPECT_TRUE(second.Received.isEmpty());
}

// A request longer than any the management program sends is cut off: the connection is
// dropped, nothing is queued, and the error log quotes only its start.
TEST_F(DataSideTest, AnOverlongRequestIsCutOffWithAShortLogLine) {
    for (TRequestServer* server : {Comm.DM1->ServerStart, Comm.DM1->ServerGazoDelete}) {
        const qsizetype logged = ErrorLog().Lines().size();
        TClient client(*server);
        client.Send("123," + QByteArray(1024 * 1024, '1'));
        EXPECT_TRUE(
            WaitFor([&] { return client.Socket.state() == QAbstractSocket::UnconnectedState; }));
        ASSERT_TRUE(WaitFor([&] { return ErrorLog().Lines().size() == logged + 1; }));
        EXPECT_LT(ErrorLog().Lines()[0].size(), 200);
        EXPECT_TRUE(ErrorLog().Lines()[0].contains("123,111"));
        EXPECT_TRUE(Sent.isEmpty());
    }
    // Whatever a message carries, a line of the log stays short enough to read.
    ErrorLog().WriteErrorLog(QString(100000, 'x'), Now());
    EXPECT_LT(ErrorLog().Lines()[0].size(), TErrorLog::MaxMessage + 30);
}

TEST(AllowedClients, LoopbackAndTheListedSubnetsOnly) {
    QStringList invalid;
    const TAllowedClients listed(
        TAllowedClients::Parse("192.168.1.0/24, 10.20.0.15;fd00::/8 nonsense 300.1.1.1", &invalid));
    EXPECT_EQ(invalid, (QStringList{"nonsense", "300.1.1.1"}));
    const struct {
        const char* Address;
        bool Allowed;
    } cases[] = {{"127.0.0.1", true},
                 {"::1", true},
                 {"::ffff:127.0.0.1", true},
                 {"192.168.1.77", true},
                 {"::ffff:192.168.1.77", true},
                 {"192.168.2.1", false},
                 {"10.20.0.15", true},
                 {"10.20.0.16", false},
                 {"fd12::1", true},
                 {"2001:db8::1", false}};
    for (const auto& c : cases)
        EXPECT_EQ(listed.Allows(QHostAddress(c.Address)), c.Allowed) << c.Address;
    // Without the setting: the machine's own subnets.
    const TAllowedClients local;
    for (const auto& [address, prefix] : TAllowedClients::LocalSubnets())
        EXPECT_TRUE(local.Allows(address)) << address.toString().toStdString();
    EXPECT_FALSE(local.Allows(QHostAddress("203.0.113.9")));
    // The registry value, when there is one, takes the place of the local subnets.
    TRegistry reg;
    reg.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    reg.OpenKey(AppRegistryKey, true);
    reg.WriteString(AllowedClientsValue, "203.0.113.0/24");
    EXPECT_TRUE(TAllowedClients::FromSetting().Allows(QHostAddress("203.0.113.9")));
    reg.DeleteValue(AllowedClientsValue);
    EXPECT_FALSE(TAllowedClients::FromSetting().Allows(QHostAddress("203.0.113.9")));
}

// A client from an address the setting does not allow is refused with a line in the log.
TEST_F(DataSideTest, AClientFromAnAddressNotAllowedIsRefused) {
    QHostAddress own;
    for (const QHostAddress& address : QNetworkInterface::allAddresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            own = address;
    if (own.isNull())
        GTEST_SKIP() << "no address but loopback";
    for (const bool allowed : {true, false}) {
        // The machine's own addresses are always allowed: the server is told it has none, so
        // that this machine's address stands for another one's.
        Comm.DM1->ServerTanpa->Allowed = TAllowedClients(
            TAllowedClients::Parse(allowed ? own.toString() : QString("203.0.113.0/24")),
            [] { return QList<QHostAddress>{}; });
        QTcpSocket socket;
        socket.connectToHost(own, Comm.DM1->ServerTanpa->serverPort());
        ASSERT_TRUE(WaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }));
        socket.write("1");
        socket.flush();
        const bool dropped =
            WaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 1000);
        EXPECT_EQ(dropped, !allowed);
        EXPECT_EQ(ErrorLog().Lines().size(), allowed ? 0 : 1);
    }
    EXPECT_TRUE(ErrorLog().Lines().value(0).contains(own.toString()));
}

// A unit that answers a read without the person code answers the oldest read sent to it.
TEST_F(DataSideTest, AnImageAnswerWithoutTheCodeAnswersTheOldestReadOnItsUnit) {
    TCopyData answer;
    TCopyDataServer window(EntranceCaption, [&](const TCopyData& data) { answer = data; });
    ASSERT_TRUE(window.Start());
    TClient client(*Comm.DM1->ServerGazoset);
    client.Send("0012,2\r\n");
    ASSERT_TRUE(WaitFor([&] { return Sent.size() == 1; }));
    HandleCopyData(Jobs(), CD_READ_IMAGE, "0013,2");
    HandleCopyData(Jobs(), CD_READ_IMAGE, "0014,3");
    EXPECT_EQ(SentText(), (QStringList{"2 RRR 0012", "2 RRR 0013", "3 RRR 0014"}));
    const QByteArray noCode(8, '\0'), image(900, 'x');
    Jobs().Records.HandleRecord(Record(2, ImageReadReply, noCode + QByteArray(4, '\0') + image));
    EXPECT_TRUE(WaitFor([&] { return client.Received == ",2"; }));
    Jobs().Records.HandleRecord(
        Record(2, ImageReadReply, noCode + QByteArray("\x00\x00\x03\x54", 4) + image));
    EXPECT_EQ(AccessRows("SELECT 個人コード FROM M_個人情報"), QStringList{"0013"});
    ASSERT_TRUE(WaitFor([&] { return answer.Code != 0; }));
    EXPECT_EQ(answer.Payload, QByteArray("0013,2\r\n") + '\0');
    // With no read waiting on the unit, an image without a code belongs to no one.
    Jobs().Records.HandleRecvData(
        Record(2, ImageReadReply, noCode + QByteArray("\x00\x00\x03\x54", 4) + image));
    EXPECT_EQ(AccessRows("SELECT count(*) FROM M_個人情報"), QStringList{"1"});
    EXPECT_EQ(ErrorLog().Lines().size(), 1);
}

TEST_F(DataSideTest, RequestsByLocalSocketReachTheirHandler) {
    QList<TCopyData> received;
    TCopyDataServer window(CommCaption, [&](const TCopyData& data) {
        received << data;
        HandleCopyData(Jobs(), data.Code, data.Payload);
    });
    EXPECT_FALSE(FindWindowByCaption(CommCaption));
    ASSERT_TRUE(window.Start());
    EXPECT_TRUE(FindWindowByCaption(CommCaption));
    ASSERT_TRUE(
        SendCopyData(CommCaption, CD_READ_IMAGE, EntranceCaption, QByteArray("0012,3\r\n") + '\0'));
    ASSERT_TRUE(SendCopyData(CommCaption, CD_TERMINATE, EntranceCaption, {}));
    ASSERT_TRUE(WaitFor([&] { return received.size() == 2; }));
    EXPECT_EQ(received[0].Sender, EntranceCaption);
    EXPECT_EQ(received[1].Code, CD_TERMINATE);
    EXPECT_TRUE(received[1].Payload.isEmpty());
    EXPECT_EQ(SentText(), QStringList{"3 RRR 0012"});
    EXPECT_FALSE(SendCopyData(WorkingCaption, CD_READ_IMAGE_REPLY, CommCaption, "x"));
}

TEST_F(DataSideTest, TheTamperPortReleasesAClosedCase) {
    Tables(
        "INSERT INTO entranceState (認証機ID, 認証機名, 作動状況, タンパー開, タンパー閉) VALUES "
        "(1, 'a', 1, 1, 1)");
    TClient client(*Comm.DM1->ServerTanpa);
    client.Send("1");
    ASSERT_TRUE(WaitFor([&] { return Sent.size() == 1; }));
    EXPECT_EQ(SentText(), QStringList{"1 TSR "});
    EXPECT_EQ(TableRows("SELECT タンパー開, タンパー閉 FROM entranceState"), QStringList{"0|0"});
}

// A client's request still open when the server goes away (the program ends) is not run:
// the server's handler and its members are gone by then.
TEST(RequestServer, ARequestLeftOpenDoesNotRunWhileTheServerIsDestroyed) {
    bool destroying = false, arrived = false;
    int late = 0;
    auto server = std::make_unique<TRequestServer>([&](QTcpSocket*, const QByteArray&) {
        if (destroying)
            ++late;
    });
    server->OnConnect = [&](QTcpSocket* c) {
        QObject::connect(c, &QTcpSocket::readyRead, [&] { arrived = true; });
    };
    ASSERT_TRUE(server->listen(QHostAddress::LocalHost, 0));
    TClient client(*server);
    client.Send("0012,3"); // no CR LF: it waits for the pause
    ASSERT_TRUE(WaitFor([&] { return arrived; }));
    destroying = true;
    server.reset();
    EXPECT_EQ(late, 0);
}
