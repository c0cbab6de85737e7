#include "CopyData.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

constexpr int ConnectTimeoutMs = 1000;

// A message on the socket: code, sender and payload, in QDataStream's form.
QByteArray Encode(int code, const QString& sender, const QByteArray& payload) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << qint32(code) << sender << payload;
    return bytes;
}

// Reads one whole message from the start of `buffer` and removes it; false while incomplete.
bool Decode(QByteArray& buffer, TCopyData& data) {
    QDataStream in(buffer);
    in.startTransaction();
    qint32 code = 0;
    in >> code >> data.Sender >> data.Payload;
    if (!in.commitTransaction())
        return false;
    data.Code = code;
    buffer.remove(0, int(in.device()->pos()));
    return true;
}

} // namespace

// The socket lives in the user's runtime folder, so each user (and each test with its own
// runtime folder) has its own set of windows.
QString CopyDataServerName(const QString& caption) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    const QByteArray hash = QCryptographicHash::hash(caption.toUtf8(), QCryptographicHash::Sha1);
    return folder + "/zz-window-" + QString::fromLatin1(hash.toHex().left(16));
}

bool FindWindowByCaption(const QString& caption) {
    QLocalSocket socket;
    socket.connectToServer(CopyDataServerName(caption));
    const bool found = socket.waitForConnected(ConnectTimeoutMs);
    socket.abort();
    return found;
}

bool SendCopyData(const QString& caption, int code, const QString& sender,
                  const QByteArray& payload) {
    QLocalSocket socket;
    socket.connectToServer(CopyDataServerName(caption));
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return false;
    socket.write(Encode(code, sender, payload));
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(ConnectTimeoutMs))
            return false;
    socket.disconnectFromServer();
    return true;
}

TCopyDataServer::TCopyDataServer(const QString& caption, THandler onRequest, QObject* parent)
    : QLocalServer(parent), FCaption(caption), FOnRequest(std::move(onRequest)) {
    connect(this, &QLocalServer::newConnection, this, &TCopyDataServer::ClientConnect);
}

bool TCopyDataServer::Start() {
    const QString name = CopyDataServerName(FCaption);
    if (listen(name))
        return true;
    // A socket file left by a program that ended without closing it.
    if (FindWindowByCaption(FCaption))
        return false;
    QLocalServer::removeServer(name);
    return listen(name);
}

void TCopyDataServer::ClientConnect() {
    while (QLocalSocket* client = nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        auto take = [this, client, buffer] {
            *buffer += client->readAll();
            TCopyData data;
            while (Decode(*buffer, data))
                FOnRequest(data);
        };
        connect(client, &QLocalSocket::readyRead, this, take);
        connect(client, &QLocalSocket::disconnected, this, [client, take] {
            take();
            client->deleteLater();
        });
        if (client->bytesAvailable() > 0)
            take();
    }
}
