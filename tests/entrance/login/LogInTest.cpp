#include "tests/entrance/LogInFixture.h"

#include "base/DateTime.h"
#include "base/Registry.h"
#include "base/Text.h"
#include "dbengine/Database.h"
#include "entrance/common/EntranceSession.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

using namespace entrance;

TEST_F(LogInFixture, RegistrationNeedsEqualPasswordsThatAreNotEmpty) {
    Clock::SetNow([] { return EncodeDate(2026, 12, 10) + 0.5; });
    const auto login = NewLogIn();
    ASSERT_TRUE(login->RegistrationMode());
    const QString local = login->PCList().first();
    EXPECT_FALSE(Attempt(*login, local, "管理者", "abc", "abd"));
    EXPECT_EQ(Messages, QStringList{"パスワードと入力確認が一致しません。"});
    EXPECT_EQ(Outcome->second, TLogInFocus::Password);
    EXPECT_FALSE(Attempt(*login, local, "管理者", "", ""));
    EXPECT_EQ(Messages, QStringList{"パスワードが入力されていません。"});
    EXPECT_EQ(Column(Temp.Path(), "SELECT * FROM M_オペレーター"), QStringList());
    EXPECT_EQ(ReadAppRegistry("UserPassWD"), "");

    // An existing operator 1 is overwritten.
    Run(Temp.Path(), "INSERT INTO M_オペレーター (オペレーターコード,オペレーター名,ランク,passWD) "
                     "VALUES (1,'old',2,'x')");
    EXPECT_TRUE(Attempt(*login, local, "管理者", "abc", "abc"));
    EXPECT_EQ(Messages, QStringList());
    EXPECT_EQ(Column(Temp.Path(), "SELECT オペレーターコード || ',' || オペレーター名 || ',' || "
                                  "ランク || ',' || 補足 || ',' || passWD || ',' || 登録日時 "
                                  "FROM M_オペレーター"),
              QStringList{"1,管理者,0,削除できません。,abc," +
                          QString::number(EncodeDate(2026, 12, 10))});
    EXPECT_EQ(ReadAppRegistry("UserPassWD"), "abc");
    EXPECT_EQ(EntranceSession().CurrentOperator.Code, 1);
    EXPECT_EQ(EntranceSession().CurrentOperator.Name, "管理者");
    EXPECT_EQ(EntranceSession().CurrentOperator.PassWD, "abc");
    EXPECT_FALSE(NewLogIn()->RegistrationMode());
    Clock::SetNow({});
}

TEST_F(LogInFixture, LoginModeTable) {
    WriteAppRegistry("UserPassWD", "abc");
    Run(Temp.Path(), "INSERT INTO M_オペレーター (オペレーターコード,オペレーター名,ランク,passWD) "
                     "VALUES (1,'管理者',0,'abc'), (2,'山田',1,'pw2')");
    const auto login = NewLogIn();
    ASSERT_FALSE(login->RegistrationMode());
    const struct {
        const char* name;
        const char* password;
        bool loggedIn;
        const char* message;
        TLogInFocus focus;
    } cases[] = {
        {"山田", "pw2", true, nullptr, TLogInFocus::None},
        {"山田", "PW2", false, "パスワードが異なっています。", TLogInFocus::Password},
        {"鈴木", "pw2", false, "オペレーターが登録されていません。", TLogInFocus::Operator},
        {"", "pw2", false, "オペレーター名が入力されていません。", TLogInFocus::Operator},
        {"山田\" OR \"1\"=\"1", "pw2", false, "オペレーターが登録されていません。",
         TLogInFocus::Operator},
        {"' OR '1'='1", "pw2", false, "オペレーターが登録されていません。", TLogInFocus::Operator},
    };
    for (const auto& c : cases) {
        EntranceSession().CurrentOperator = TOperatorRec();
        EXPECT_EQ(Attempt(*login, login->PCList().first(), c.name, c.password), c.loggedIn)
            << c.name;
        EXPECT_EQ(Messages, c.message ? QStringList{c.message} : QStringList()) << c.name;
        EXPECT_EQ(Outcome->second, c.focus) << c.name;
        EXPECT_EQ(EntranceSession().CurrentOperator.Code, c.loggedIn ? 2 : 0) << c.name;
        EXPECT_EQ(EntranceSession().CurrentOperator.Rank, c.loggedIn ? 1 : 0) << c.name;
    }
}

// The data sources name the drivers exactly; "ENT" is emptied; both databases open.
TEST_F(LogInFixture, LocalLoginSetsUpTheDataSourcesAndOpensBothDatabases) {
    WriteAppRegistry("UserPassWD", "abc");
    WriteAppRegistry("LastLoginPC", "OTHERPC");
    Run(Temp.Path(), "INSERT INTO M_オペレーター (オペレーターコード,オペレーター名,ランク,passWD) "
                     "VALUES (1,'管理者',0,'abc')");
    QDir().mkpath(Temp.File("ENT"));
    QFile leftOver(Temp.File("ENT/old.tmp"));
    ASSERT_TRUE(leftOver.open(QIODevice::WriteOnly));
    leftOver.close();
    const auto login = NewLogIn();
    login->NetworkPresent = false;
    login->FillPCList();
    EXPECT_EQ(login->PCList(), QStringList{"ローカルコンピュータ"});
    EXPECT_EQ(EntranceSession().LocalIPDigits, "127001");
    ASSERT_TRUE(Attempt(*login, "ローカルコンピュータ", "管理者", "abc"))
        << Messages.join("|").toStdString();
    EXPECT_FALSE(EntranceSession().NetworkMode);
    EXPECT_EQ(EntranceSession().DataPath, ProgramFile());
    EXPECT_EQ(ReadAppRegistry("LastLoginPC"), "");
    EXPECT_EQ(QDir(Temp.File("ENT")).entryList(QDir::Files), QStringList());
    EXPECT_EQ(Session().PrivateDir, Temp.File("ENT") + "/");
    const QString sources = ReadFile(Temp.File("odbc.ini"));
    for (const QString& line : QStringList{
             "[EntParaODBC]", "Driver=Microsoft Paradox Driver (*.DB )",
             "DefaultDir=" + Temp.Path(), "FIL=Paradox 5.X", "[ZorarareVUZU]",
             "Driver=Microsoft Access Driver (*.MDB)", "DBQ=" + Temp.File("VODURAVIRIVE.MDB")})
        EXPECT_TRUE(sources.contains(line)) << line.toStdString() << "\n" << sources.toStdString();
    EXPECT_TRUE(EntranceSession().DM1->DB1->Connected());
    EXPECT_TRUE(EntranceSession().DM1->DB2->Connected());
    EXPECT_EQ(QDir(EntranceSession().DM1->DB2->Path()).canonicalPath(),
              QDir(Temp.Path()).canonicalPath());
}

namespace {

// Port 11123 of a communication program: on every connection it sends the chunks with a
// pause between them, and closes afterwards when asked to.
class TStartServer : public QTcpServer {
public:
    QList<QByteArray> Chunks;
    bool CloseAfter = false;
    TStartServer() {
        listen(QHostAddress::Any, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* client = nextPendingConnection())
                Send(client, 0);
        });
    }

private:
    void Send(QTcpSocket* client, int index) {
        if (index == Chunks.size()) {
            if (CloseAfter)
                client->disconnectFromHost();
            return;
        }
        client->write(Chunks[index]);
        client->flush();
        QTimer::singleShot(100, client, [this, client, index] { Send(client, index + 1); });
    }
};

} // namespace

TEST_F(LogInFixture, RemoteLoginTakesTheWholeDataPathFromTheOtherPC) {
    WriteAppRegistry("UserPassWD", "abc");
    const QString data = Temp.File("データ");
    CreateDataFolder(data);
    Run(data, "INSERT INTO M_オペレーター (オペレーターコード,オペレーター名,ランク,passWD) "
              "VALUES (2,'山田',1,'pw2')");
    TRegistry mounts;
    mounts.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    mounts.OpenKey(MountsRegistryKey, true);
    mounts.WriteString("//PCX/Zezoduzu", data + "/");
    // The path in code page 932, cut inside a double-byte character.
    const QByteArray path = ToCP932(data + "/Reruzida");
    const int cut = int(path.indexOf(ToCP932("データ"))) + 1;
    const struct {
        const char* what;
        QList<QByteArray> chunks;
        bool closeAfter;
        bool loggedIn;
        const char* message; // the first line of it
    } cases[] = {
        {"a local path in two pieces", {path.left(cut), path.mid(cut)}, false, true, nullptr},
        {"a share with a mount, then closed", {"//pcx/Zezoduzu/Reruzida"}, true, true, nullptr},
        {"a share without a mount",
         {"//PCY/Zezoduzu/Reruzida"},
         false,
         false,
         "ネットワーク接続ができませんでした。"},
        {"a folder without the database",
         {ToCP932(Temp.File("none/Reruzida"))},
         false,
         false,
         "ネットワーク接続ができませんでした。"},
        {"nothing, then closed", {}, true, false, "ネットワーク接続ができませんでした。"},
    };
    for (const auto& c : cases) {
        TStartServer server;
        server.Chunks = c.chunks;
        server.CloseAfter = c.closeAfter;
        const auto login = NewLogIn();
        login->NetworkPresent = true;
        login->StartPort = server.serverPort();
        EntranceSession().NetworkMode = false;
        EXPECT_EQ(Attempt(*login, "127.0.0.1", "山田", "pw2"), c.loggedIn) << c.what;
        EXPECT_EQ(Messages.isEmpty() ? QString() : Messages.first().split("\r\n").first(),
                  QString(c.message ? c.message : ""))
            << c.what;
        if (c.loggedIn) {
            EXPECT_TRUE(EntranceSession().NetworkMode) << c.what;
            EXPECT_EQ(EntranceSession().RemotePCName, "127.0.0.1") << c.what;
            EXPECT_EQ(EntranceSession().DataPath, data + "/Zezoduzu") << c.what;
            EXPECT_EQ(EntranceSession().DM1->DB1->Path(), data + "/VODURAVIRIVE.MDB") << c.what;
            EXPECT_EQ(EntranceSession().CurrentOperator.Code, 2) << c.what;
        }
        EXPECT_EQ(ReadAppRegistry("LastLoginPC"), "127.0.0.1") << c.what;
    }
}

TEST_F(LogInFixture, RemoteLoginToAPCWithoutTheCommunicationProgram) {
    quint16 port = 0;
    {
        QTcpServer gone;
        ASSERT_TRUE(gone.listen(QHostAddress::Any, 0));
        port = gone.serverPort();
    }
    const auto login = NewLogIn();
    login->NetworkPresent = true;
    login->StartPort = port;
    QStringList wait;
    login->OnWait = [&](const QString& text) { wait << text; };
    login->OnWaitEnd = [&] { wait << "end"; };
    EXPECT_FALSE(Attempt(*login, "127.0.0.1", "山田", "pw2"));
    EXPECT_EQ(Messages, QStringList{"ネットワーク接続ができませんでした。"});
    EXPECT_EQ(wait, (QStringList{"ネットワークコンピュータの応答を待っています。", "end"}));
    EXPECT_FALSE(EntranceSession().DM1->DB1->Connected());
}
