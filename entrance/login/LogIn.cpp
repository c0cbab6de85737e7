#include "LogIn.h"

#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/data/DataModule1.h"
#include "entrance/login/NetworkComputers.h"
#include "shared/UnitShare.h"

#include "base/DateTime.h"
#include "base/Files.h"
#include "base/Registry.h"
#include "base/SysUtils.h"
#include "base/Text.h"
#include "db/Field.h"
#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "dbengine/Session.h"
#include "entrance/common/EntranceSession.h"
#include "odbcdriver/OdbcInstaller.h"
#include "ui/ClientSocket.h"

#include <QDir>
#include <QFileInfo>
#include <QHostInfo>
#include <QNetworkInterface>
#include <algorithm>

namespace entrance {

namespace {

const char* const NoNetworkPCName = "ローカルコンピュータ";
const char* const NetworkFailed = "ネットワーク接続ができませんでした。";
// How often the attempt looks at its deadline.
constexpr int DeadlineCheckMs = 50;

QStringList OperatorColumns() {
    return {"SELECT オペレーターコード,オペレーター名,ランク,補足,登録日時,passWD",
            "FROM M_オペレーター"};
}

QString Upper(const QString& text) {
    return StrConv(text, SC_UPPERCASE);
}

} // namespace

bool IsNetworkPresent() {
    for (const QNetworkInterface& net : QNetworkInterface::allInterfaces()) {
        if (!(net.flags() & QNetworkInterface::IsUp) ||
            (net.flags() & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : net.addressEntries())
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !entry.ip().isLoopback())
                return true;
    }
    return false;
}

QString LocalComputerName() {
    return QHostInfo::localHostName().left(15);
}

QString LocalDataPath(const QString& received) {
    QString path = received;
    path.replace('\\', '/');
    if (!path.startsWith("//"))
        return path;
    // "//PC/share" and the rest.
    const int hostEnd = int(path.indexOf('/', 2));
    const int shareEnd = hostEnd < 0 ? -1 : int(path.indexOf('/', hostEnd + 1));
    if (shareEnd < 0)
        return QString();
    TRegistry registry;
    registry.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    const QString share = path.left(shareEnd);
    if (!registry.OpenKey(MountsRegistryKey, false) || !registry.ValueExists(share))
        return QString();
    QString mount = registry.ReadString(share);
    while (mount.endsWith('/'))
        mount.chop(1);
    return mount.isEmpty() ? QString() : mount + path.mid(shareEnd);
}

TLogIn::TLogIn(const QString& programFile, QObject* parent)
    : QObject(parent), NetworkPresent(IsNetworkPresent()), FProgramFile(programFile),
      ClientSocket1(new TClientSocket(this)), sqlOperator(std::make_unique<TQuery>()) {
    sqlOperator->SetName("sqlOperator");
    sqlOperator->SetDatabaseName("RORazu");
    ClientSocket1->OnConnect = [this] {
        EntranceSession().NetworkMode = true;
        StartDeadline(AnswerTimeoutMs);
    };
    ClientSocket1->OnRead = [this](const QByteArray& bytes) { ClientSocket1Read(bytes); };
    ClientSocket1->OnDisconnect = [this] { DataPathReceived(); };
    ClientSocket1->OnError = [this](const QString&) { ClientSocket1Error(); };
    FQuietTimer.setSingleShot(true);
    connect(&FQuietTimer, &QTimer::timeout, this, &TLogIn::DataPathReceived);
    FDeadlineTimer.setInterval(DeadlineCheckMs);
    connect(&FDeadlineTimer, &QTimer::timeout, this, &TLogIn::CheckDeadline);
    FillPCList();
}

TLogIn::~TLogIn() = default;

void TLogIn::FillPCList() {
    FPCList.clear();
    FPCList << (NetworkPresent ? LocalComputerName() : QString(NoNetworkPCName));
    FLocalPCName = FPCList.first();
    FLastPCName = ReadAppRegistry("LastLoginPC");
    if (NetworkPresent && !FLastPCName.isEmpty())
        FPCList << FLastPCName;
    EntranceSession().LocalIPDigits =
        NetworkPresent ? HostToIPStr(FLocalPCName).remove('.') : QString("127001");
    FSelectedPC = FPCList.size() - 1;
    FRegistrationMode = ReadAppRegistry("UserPassWD").isEmpty();
}

void TLogIn::ListNetworkComputers() {
    if (OnWait)
        OnWait("ネットワークコンピュータの一覧を取得しています。");
    FPCList = {NetworkPresent ? LocalComputerName() : QString(NoNetworkPCName)};
    FLocalPCName = FPCList.first();
    FSelectedPC = 0;
    const QStringList names =
        ReadAppRegistry("NetworkComputers").split(',', Qt::SkipEmptyParts) + KeepAnnounced();
    for (const QString& name : names) {
        const QString pc = name.trimmed();
        const bool listed =
            std::any_of(FPCList.cbegin(), FPCList.cend(),
                        [&](const QString& entry) { return Upper(entry) == Upper(pc); });
        if (!pc.isEmpty() && !listed)
            FPCList << pc;
    }
    if (FPCList.size() == 1)
        Message("ネットワークコンピュータが見つかりませんでした。");
    if (OnWaitEnd)
        OnWaitEnd();
}

QStringList TLogIn::KeepAnnounced() const {
    QStringList names;
    ForgetAnnouncedHosts();
    for (const TAnnouncedComputer& computer : EnumNetworkComputers()) {
        names << computer.Name;
        if (!IsLocalPC(computer.Name)) {
            RememberAnnouncedHost(computer.Name, computer.Address);
            RememberAnnouncedHost(computer.Name, computer.Host);
        }
    }
    return names;
}

void TLogIn::DiscardAdministratorPassword() {
    WriteAppRegistry("UserPassWD", QString());
    FRegistrationMode = true;
}

bool TLogIn::IsLocalPC(const QString& pcText) const {
    return Upper(pcText) == Upper(FLocalPCName);
}

void TLogIn::Login(const QString& pcText, const QString& name, const QString& password,
                   const QString& confirmation) {
    FPCText = pcText;
    FName = name;
    FPassword = password;
    FConfirmation = confirmation;
    FPending = true;
    FFocus = TLogInFocus::None;
    if (name.isEmpty()) {
        Message("オペレーター名が入力されていません。");
        Finish(false, TLogInFocus::Operator);
    } else if (!IsLocalPC(pcText) && NetworkPresent) {
        RemoteLogin();
    } else {
        LocalLogin();
    }
}

void TLogIn::LocalLogin() {
    EntranceSession().NetworkMode = false;
    // Other PCs reach this folder through the share; this PC works on the folder itself.
    GetSharedDataPath(QFileInfo(FProgramFile).absolutePath(), DataShareName);
    EntranceSession().DataPath = FProgramFile;
    WriteAppRegistry("LastLoginPC", QString());
    SetUpAndCheck();
}

void TLogIn::RemoteLogin() {
    if (OnWait)
        OnWait("ネットワークコンピュータの応答を待っています。");
    ClientSocket1->Close();
    EntranceSession().SavedAutoDial = SetAutoDial(0);
    FLastPCName = FPCText;
    WriteAppRegistry("LastLoginPC", FPCText);
    FReceived.clear();
    ClientSocket1->Address = HostToIPStr(FPCText);
    ClientSocket1->Port = StartPort;
    StartDeadline(ConnectTimeoutMs);
    ClientSocket1->Open();
}

void TLogIn::StartDeadline(int ms) {
    FDeadline = GetTickCount() + uint32_t(ms);
    FDeadlineTimer.start();
}

bool TLogIn::DeadlinePassed() const {
    return int32_t(GetTickCount() - FDeadline) >= 0;
}

void TLogIn::CheckDeadline() {
    if (DeadlinePassed())
        NoAnswer();
}

// The sender writes its path once and stays connected: what has come once it is quiet is all.
// A sender that trickles or floods is cut off by the deadline or the size.
void TLogIn::ClientSocket1Read(const QByteArray& bytes) {
    FReceived += bytes;
    if (FReceived.size() > MaxAnswerBytes || DeadlinePassed()) {
        NoAnswer();
        return;
    }
    FQuietTimer.start(QuietMs);
}

void TLogIn::DataPathReceived() {
    FQuietTimer.stop();
    FDeadlineTimer.stop();
    ClientSocket1->Close();
    if (!FPending)
        return;
    if (FReceived.isEmpty()) {
        ClientSocket1Error();
        return;
    }
    const QString received = FromCP932(FReceived);
    EntranceSession().NetworkMode = true;
    EntranceSession().RemotePCName = FPCText;
    EntranceSession().DataPath = LocalDataPath(received);
    if (OnWaitEnd)
        OnWaitEnd();
    if (EntranceSession().DataPath.isEmpty()) {
        Message(QString(NetworkFailed) + "\r\n" + received +
                " に対応するフォルダが設定されていません。");
        Finish(false);
    } else if (!HasDatabaseFile(EntranceSession().DataPath)) {
        Message(QString(NetworkFailed) + "\r\n" + DataFolderOf(EntranceSession().DataPath) +
                LoadStr(65181) + " が見つかりませんでした。");
        Finish(false);
    } else {
        SetUpAndCheck();
    }
}

void TLogIn::ClientSocket1Error() {
    Fail(NetworkFailed);
}

void TLogIn::NoAnswer() {
    Fail(QString(NetworkFailed) + "\r\n" + FPCText + " から応答がありませんでした。");
}

void TLogIn::Fail(const QString& message) {
    FQuietTimer.stop();
    FDeadlineTimer.stop();
    ClientSocket1->Close();
    if (!FPending)
        return;
    if (OnWaitEnd)
        OnWaitEnd();
    Message(message);
    Finish(false);
}

bool TLogIn::SetupDataSources(const QString& pcText) {
    try {
        if (!HasDatabaseFile(EntranceSession().DataPath) && IsLocalPC(pcText))
            EntranceSession().DataPath = FProgramFile;
        if (!HasDatabaseFile(EntranceSession().DataPath)) {
            Message("データベースが見つかりませんでした。\r\n" +
                    DataFolderOf(EntranceSession().DataPath) + LoadStr(65181));
            return false;
        }
        const QString folder = DataFolderOf(EntranceSession().DataPath);
        EntranceSession().DataPath = folder + QFileInfo(FProgramFile).fileName();
        ConfigDataSource(ParadoxDriverName,
                         {"DSN=EntParaODBC", "DefaultDir=" + folder.chopped(1), "FIL=Paradox 5.X"});
        ConfigDataSource(AccessDriverName,
                         {"DSN=ZorarareVUZU", "DBQ=" + DatabaseFileOf(EntranceSession().DataPath)});
        Session().DropConnections();
        Session().Close();
        EntranceSession().DM1->DB2->Close();
        EntranceSession().DM1->DB1->Close();
        const QString privateDir = QFileInfo(FProgramFile).absolutePath() + "/ENT/";
        QDir().mkpath(privateDir);
        DeleteFilesInFolder(privateDir);
        Session().PrivateDir = privateDir;
        Session().NetFileDir = folder;
        Session().Open();
        EnsureLocalShare();
        EntranceSession().DM1->DB2->Open();
        EntranceSession().DM1->DB1->Params.Clear();
        EntranceSession().DM1->DB1->Params.Add("DATABASE NAME=" +
                                               DatabaseFileOf(EntranceSession().DataPath));
        EntranceSession().DM1->DB1->Open();
        return true;
    } catch (const Exception& e) {
        Message(e.Message());
        return false;
    }
}

void TLogIn::SetUpAndCheck() {
    const bool loggedIn = SetupDataSources(FPCText) && CheckOperator();
    Finish(loggedIn, FFocus);
}

bool TLogIn::CheckOperator() {
    try {
        return FRegistrationMode ? RegisterAdministrator() : CheckPassword();
    } catch (const Exception& e) {
        sqlOperator->Close();
        Message(e.Message());
        FFocus = TLogInFocus::None;
        return false;
    }
}

bool TLogIn::RegisterAdministrator() {
    if (FPassword != FConfirmation || FPassword.isEmpty()) {
        Message(FPassword.isEmpty() ? "パスワードが入力されていません。"
                                    : "パスワードと入力確認が一致しません。");
        FFocus = TLogInFocus::Password;
        return false;
    }
    sqlOperator->Close();
    sqlOperator->RequestLive = true;
    sqlOperator->SQL().Assign(OperatorColumns() << "WHERE オペレーターコード=1");
    sqlOperator->Open();
    if (sqlOperator->IsEmpty())
        sqlOperator->Append();
    else
        sqlOperator->Edit();
    sqlOperator->FieldByName("オペレーターコード")->SetAsInteger(1);
    sqlOperator->FieldByName("オペレーター名")->SetAsString(FName);
    sqlOperator->FieldByName("passWD")->SetAsString(FPassword);
    sqlOperator->FieldByName("ランク")->SetAsInteger(0);
    sqlOperator->FieldByName("登録日時")->SetAsDateTime(Date());
    sqlOperator->FieldByName("補足")->SetAsString("削除できません。");
    sqlOperator->Post();
    sqlOperator->Close();
    sqlOperator->RequestLive = false;
    WriteAppRegistry("UserPassWD", FPassword);
    EntranceSession().CurrentOperator = {1, FName, 0, FPassword};
    return true;
}

// The typed name is bound, never written into the statement.
bool TLogIn::CheckPassword() {
    sqlOperator->Close();
    sqlOperator->SQL().Assign(OperatorColumns() << "WHERE オペレーター名=:OperatorName");
    sqlOperator->ParamByName("OperatorName").SetAsString(FName);
    sqlOperator->Open();
    bool loggedIn = false;
    if (sqlOperator->Eof()) {
        Message("オペレーターが登録されていません。");
        FFocus = TLogInFocus::Operator;
    } else if (sqlOperator->FieldByName("passWD")->AsString() == FPassword) {
        EntranceSession().CurrentOperator = {
            sqlOperator->FieldByName("オペレーターコード")->AsInteger(), FName,
            sqlOperator->FieldByName("ランク")->AsInteger(), FPassword};
        loggedIn = true;
    } else {
        Message("パスワードが異なっています。");
        FFocus = TLogInFocus::Password;
    }
    sqlOperator->Close();
    return loggedIn;
}

void TLogIn::Finish(bool loggedIn, TLogInFocus focus) {
    FPending = false;
    FFocus = TLogInFocus::None;
    if (OnFinished)
        OnFinished(loggedIn, loggedIn ? TLogInFocus::None : focus);
}

void TLogIn::Message(const QString& text) {
    if (OnMessage)
        OnMessage(text);
}

} // namespace entrance
