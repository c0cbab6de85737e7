#include "tests/entrance/LogInFixture.h"

#include "base/DateTime.h"
#include "dbengine/Database.h"
#include "entrance/common/EntranceSession.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

using namespace entrance;

namespace {

using MaintenanceSafety = LogInFixture;

} // namespace

// A PC that takes the connection and never sends its data path: the attempt ends after the
// answer time-out with a plain message, and a new attempt can follow.
TEST_F(MaintenanceSafety, ALoginToAPCThatNeverAnswersEnds) {
    // The login reaches "127.0.0.1" through this machine's network address where it has one.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::AnyIPv4, 0));
    const auto login = NewLogIn();
    login->NetworkPresent = true;
    login->StartPort = silent.serverPort();
    login->AnswerTimeoutMs = 300;
    QStringList wait;
    login->OnWait = [&](const QString& text) { wait << text; };
    login->OnWaitEnd = [&] { wait << "end"; };
    EXPECT_FALSE(Attempt(*login, "127.0.0.1", "山田", "pw"));
    EXPECT_EQ(Messages, QStringList{"ネットワーク接続ができませんでした。\r\n127.0.0.1 から応答が"
                                    "ありませんでした。"});
    EXPECT_EQ(wait, (QStringList{"ネットワークコンピュータの応答を待っています。", "end"}));
    EXPECT_FALSE(EntranceSession().DM1->DB1->Connected());
}

// A PC that trickles its answer, a byte every 300 ms, or floods it: neither keeps the attempt
// going. Bytes do not move the deadline (the clock is stepped past it), and an answer longer
// than any data path ends it at once.
TEST_F(MaintenanceSafety, ALoginToAPCThatTricklesOrFloodsEnds) {
    uint32_t ticks = 0;
    Clock::SetTicks([&ticks] { return ticks; });
    const struct {
        const char* what;
        int bytesEvery300Ms;
        bool stepClock;
    } cases[] = {{"a trickle", 1, true}, {"a flood", TLogIn::MaxAnswerBytes + 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTcpServer peer;
        ASSERT_TRUE(peer.listen(QHostAddress::AnyIPv4, 0));
        int sent = 0;
        QTimer sender;
        QObject::connect(&peer, &QTcpServer::newConnection, [&] {
            QTcpSocket* client = peer.nextPendingConnection();
            QObject::connect(&sender, &QTimer::timeout, client, [&, client] {
                client->write(QByteArray(c.bytesEvery300Ms, 'x'));
                ++sent;
            });
            sender.start(300);
        });
        const auto login = NewLogIn();
        login->NetworkPresent = true;
        login->StartPort = peer.serverPort();
        Messages.clear();
        Outcome.reset();
        login->Login("127.0.0.1", "山田", "pw", QString());
        if (c.stepClock) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return sent >= 4; }, 10000));
            EXPECT_TRUE(login->Pending()) << "before its deadline";
            ticks += login->AnswerTimeoutMs;
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return Outcome.has_value(); }, 5000));
        EXPECT_FALSE(login->Pending());
        EXPECT_EQ(Messages, QStringList{"ネットワーク接続ができませんでした。\r\n127.0.0.1 から"
                                        "応答がありませんでした。"});
    }
    Clock::SetTicks({});
}
