#include "SingleInstance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>
#include <cstdio>

namespace {

// Whether the process runs: it exists and is not a zombie, whose lock is gone with its files.
bool ProcessRuns(qint64 pid) {
    if (pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH))
        return false;
    QFile stat("/proc/" + QString::number(pid) + "/stat");
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    // "pid (name) state ...": the name may hold blanks and parentheses.
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    const char state = end >= 0 && end + 2 < line.size() ? line[end + 2] : 'R';
    return state != 'Z' && state != 'X';
}

} // namespace

TSingleInstance::TSingleInstance(const QString& mutexName, QObject* parent)
    : QObject(parent), FMutexName(mutexName) {
    connect(&FServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = FServer.nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            if (OnActivate)
                OnActivate();
            s->disconnectFromServer();
        }
    });
}

TSingleInstance::~TSingleInstance() = default;

// The socket and its lock live in the user's runtime folder, so each user (and each test
// with its own runtime folder) has its own.
QString TSingleInstance::SocketName(const QString& mutexName) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    const QByteArray hash = QCryptographicHash::hash(mutexName.toUtf8(), QCryptographicHash::Sha1);
    return folder + "/zz-instance-" + QString::fromLatin1(hash.toHex().left(16));
}

bool TSingleInstance::Acquire() {
    FEndReason.clear();
    FAnswered = false;
    FLock = std::make_unique<QLockFile>(SocketName(FMutexName) + ".lock");
    FLock->setStaleLockTime(0);
    if (FLock->tryLock(0) || (!AskRunningCopy() && TakeStaleLock())) {
        Listen();
        return true;
    }
    FLock.reset();
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(QCoreApplication::applicationName()),
                 qUtf8Printable(FEndReason));
    return false;
}

// True when the running copy answered; it then shows its window.
bool TSingleInstance::AskRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(SocketName(FMutexName));
    FAnswered = socket.waitForConnected(AnswerWaitMs);
    socket.disconnectFromServer();
    if (FAnswered)
        FEndReason = "既に起動しているプログラムにウィンドウを表示させて終了しました";
    return FAnswered;
}

// No copy answered. A holder that still runs (starting, or hung) keeps its lock, and so does
// an empty lock younger than EmptyLockStaleMs; the lock of one that ended is removed, which the
// lock's own file lock allows only when no process holds it, and taken.
bool TSingleInstance::TakeStaleLock() {
    qint64 pid = 0;
    QString host, application;
    const bool named = FLock->getLockInfo(&pid, &host, &application);
    if (named && ProcessRuns(pid)) {
        FEndReason = "既に起動しているプログラム (プロセス " + QString::number(pid) +
                     ") が応答しないため終了しました";
        return false;
    }
    // A copy that starts makes the file first and locks and fills it a moment later: until
    // then the file is empty and no lock shows that it is in use.
    const QFileInfo file(SocketName(FMutexName) + ".lock");
    if (!named && file.exists() &&
        file.lastModified().msecsTo(QDateTime::currentDateTime()) < EmptyLockStaleMs) {
        FEndReason = "別のプログラムが起動中のため終了しました";
        return false;
    }
    if (FLock->removeStaleLockFile() && FLock->tryLock(0))
        return true;
    FEndReason = "起動中の別のプログラムがロックを持ち、応答しないため終了しました";
    return false;
}

void TSingleInstance::Listen() {
    QLocalServer::removeServer(SocketName(FMutexName));
    FServer.listen(SocketName(FMutexName));
}
