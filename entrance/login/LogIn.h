#pragma once

#include "protocol/CommRequests.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

class TClientSocket;
class TQuery;

namespace entrance {

// Whether this PC is on a network: it has an IPv4 address other than loopback.
bool IsNetworkPresent();
// This PC's name as the PC list shows it: at most 15 characters.
QString LocalComputerName();
// A data path as this PC reaches it. A share path "//PC/share/..." goes through the folder
// where that share is mounted here (registry "Software\Zezoduzu\Mounts", value "//PC/share");
// a local path stays as it is. Empty for a share that has no mount here.
QString LocalDataPath(const QString& received);

// Where the login window puts the focus after a refused attempt.
enum class TLogInFocus { None, Operator, Password };

// The login without its window: the PC list, the two modes, a local or remote login, the data
// sources, the database connections of DM1 and the operator check. It fills DataPath,
// NetworkMode, RemotePCName, LocalIPDigits, SavedAutoDial and CurrentOperator.
//
// An attempt (Login) ends in OnFinished, at once for a local login, after the data path has
// come from the other PC for a remote one; Pending() holds meanwhile. The messages for the
// operator go through OnMessage, the wait window through OnWait/OnWaitEnd.
class TLogIn : public QObject {
public:
    explicit TLogIn(const QString& programFile, QObject* parent = nullptr);
    ~TLogIn() override;
    Q_DISABLE_COPY(TLogIn)

    // Taken from this PC at creation; tests set them.
    bool NetworkPresent;
    quint16 StartPort = TcpPort(PORT_START);
    // The data path has all come once its sender has been quiet this long (or has closed).
    int QuietMs = 500;
    // A PC that takes no connection for this long, or has not sent all of its data path this
    // long after connecting, has not answered: the attempt ends with a message. The bytes that
    // come do not move the deadline, and an answer longer than any path ends it at once.
    int ConnectTimeoutMs = 10000;
    int AnswerTimeoutMs = 10000;
    static constexpr int MaxAnswerBytes = 4096;

    std::function<void(const QString& text)> OnMessage;
    std::function<void(const QString& text)> OnWait;
    std::function<void()> OnWaitEnd;
    std::function<void(bool loggedIn, TLogInFocus focus)> OnFinished;

    // The PC list: this PC first ("ローカルコンピュータ" without a network), then the PC of
    // the last remote login; and LocalIPDigits. Done at creation.
    void FillPCList();
    const QStringList& PCList() const { return FPCList; }
    int SelectedPC() const { return FSelectedPC; }
    const QString& LocalPCName() const { return FLocalPCName; }
    // Refills the list with this PC, the computers of the setting "NetworkComputers" (names
    // separated by commas) and those that announce a shared folder on the local network, each
    // once; says so when there is none.
    void ListNetworkComputers();

    // Registration mode: no administrator password is stored yet.
    bool RegistrationMode() const { return FRegistrationMode; }
    // Forgets the stored administrator password: the next login registers one.
    void DiscardAdministratorPassword();

    // One attempt with what the window holds; the confirmation counts in registration mode.
    void Login(const QString& pcText, const QString& name, const QString& password,
               const QString& confirmation);
    bool Pending() const { return FPending; }

    // The data sources and DM1's connections for the folder of DataPath; false after telling
    // the operator why.
    bool SetupDataSources(const QString& pcText);

private:
    bool IsLocalPC(const QString& pcText) const;
    // The computers that announce themselves on the network, by name; where each other than
    // this PC was announced is kept for HostToIPStr.
    QStringList KeepAnnounced() const;
    void LocalLogin();
    void RemoteLogin();
    void ClientSocket1Read(const QByteArray& bytes);
    void DataPathReceived();
    void ClientSocket1Error();
    // The attempt's deadline, `ms` from now on the program's tick count.
    void StartDeadline(int ms);
    void CheckDeadline();
    bool DeadlinePassed() const;
    // No connection or no data path in time.
    void NoAnswer();
    void Fail(const QString& message);
    void SetUpAndCheck();
    bool CheckOperator();
    bool RegisterAdministrator();
    bool CheckPassword();
    void Finish(bool loggedIn, TLogInFocus focus = TLogInFocus::None);
    void Message(const QString& text);

    QString FProgramFile;
    QStringList FPCList;
    int FSelectedPC = 0;
    QString FLocalPCName;
    QString FLastPCName;
    bool FRegistrationMode = false;

    // The attempt under way.
    QString FPCText, FName, FPassword, FConfirmation;
    bool FPending = false;
    TLogInFocus FFocus = TLogInFocus::None;

    TClientSocket* ClientSocket1;
    QByteArray FReceived;
    QTimer FQuietTimer;
    // Looks at the deadline now and then; the deadline itself is read on GetTickCount.
    QTimer FDeadlineTimer;
    uint32_t FDeadline = 0;
    std::unique_ptr<TQuery> sqlOperator;
};

} // namespace entrance
