#include "LogInFixture.h"

#include "dbengine/Database.h"
#include "entrance/common/EntranceSession.h"

#include <QTcpServer>

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
