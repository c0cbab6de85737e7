#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

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
    FLock = std::make_unique<QLockFile>(SocketName(FMutexName) + ".lock");
    FLock->setStaleLockTime(0);
    if (!FLock->tryLock(0)) {
        QLocalSocket socket;
        socket.connectToServer(SocketName(FMutexName));
        socket.waitForConnected(1000);
        socket.disconnectFromServer();
        FLock.reset();
        return false;
    }
    QLocalServer::removeServer(SocketName(FMutexName));
    FServer.listen(SocketName(FMutexName));
    return true;
}
