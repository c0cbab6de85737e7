#include "RequestServer.h"

#include "ErrorLog.h"

#include "base/DateTime.h"
#include "base/Text.h"

#include <QTcpSocket>
#include <QTimer>

namespace {

// How much of a refused request the error log quotes.
constexpr int QuotedBytes = 40;

} // namespace

TRequestServer::TRequestServer(THandler onRead, QObject* parent)
    : QTcpServer(parent), FOnRead(std::move(onRead)) {
    connect(this, &QTcpServer::newConnection, this, &TRequestServer::ClientConnect);
}

TRequestServer::~TRequestServer() {
    // The clients, children of the server, are deleted after its own members; a client closed
    // then would run its handlers on a server that is gone.
    for (QTcpSocket* client : findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly))
        client->disconnect();
}

void TRequestServer::incomingConnection(qintptr socketDescriptor) {
    auto* client = new QTcpSocket(this);
    if (!client->setSocketDescriptor(socketDescriptor)) {
        delete client;
        return;
    }
    if (!Allowed.Allows(client->peerAddress())) {
        Refuse(client, "許可されていないアドレスからの接続を拒否しました");
        return;
    }
    addPendingConnection(client);
}

void TRequestServer::ClientConnect() {
    while (QTcpSocket* client = nextPendingConnection()) {
        // What Qt holds for a client stays within one request.
        client->setReadBufferSize(MaxRequest + 1);
        auto* pause = new QTimer(client);
        pause->setSingleShot(true);
        pause->setInterval(PauseMs);
        connect(pause, &QTimer::timeout, client, [this, client] { Deliver(client); });
        connect(client, &QTcpSocket::readyRead, client, [this, client] { ClientRead(client); });
        connect(client, &QTcpSocket::disconnected, client, [this, client] {
            Deliver(client);
            client->deleteLater();
        });
        // A client error only drops the connection.
        connect(client, &QTcpSocket::errorOccurred, client, [client] { client->abort(); });
        if (OnConnect)
            OnConnect(client);
    }
}

void TRequestServer::ClientRead(QTcpSocket* client) {
    QByteArray buffer = client->property("request").toByteArray() + client->readAll();
    if (buffer.size() > MaxRequest) {
        client->setProperty("request", QByteArray());
        Refuse(client, "長すぎる要求 (" + QString::number(MaxRequest) +
                           "バイト超) を拒否しました: " + FromCP932(buffer.left(QuotedBytes)));
        return;
    }
    client->setProperty("request", buffer);
    if (buffer.endsWith("\r\n"))
        Deliver(client);
    else if (auto* pause = client->findChild<QTimer*>())
        pause->start();
}

void TRequestServer::Deliver(QTcpSocket* client) {
    if (auto* pause = client->findChild<QTimer*>())
        pause->stop();
    const QByteArray request = client->property("request").toByteArray();
    client->setProperty("request", QByteArray());
    if (!request.isEmpty())
        FOnRead(client, request);
}

void TRequestServer::Refuse(QTcpSocket* client, const QString& reason) {
    ErrorLog().WriteErrorLog("TCP " + QString::number(serverPort()) + " " +
                                 client->peerAddress().toString() + ": " + reason,
                             Now());
    client->abort();
    client->deleteLater();
}
