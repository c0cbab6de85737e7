#include "RequestServer.h"

#include "ErrorLog.h"

#include "base/Text.h"

#include <QTcpSocket>
#include <QTimer>
#include <malloc.h>
#include <sys/resource.h>

namespace reruzida {

namespace {

// How much of a refused request the error log quotes.
constexpr int QuotedBytes = 40;

int& AllClientCount() {
    static int count = 0;
    return count;
}

// The client's timers: the pause that ends a request, and the deadline of the connection.
QTimer* PauseOf(QTcpSocket* client) {
    return client->findChild<QTimer*>("pause", Qt::FindDirectChildrenOnly);
}
QTimer* DeadlineOf(QTcpSocket* client) {
    return client->findChild<QTimer*>("deadline", Qt::FindDirectChildrenOnly);
}

QTimer* NewTimer(QTcpSocket* client, const char* name, int ms) {
    auto* timer = new QTimer(client);
    timer->setObjectName(name);
    timer->setSingleShot(true);
    timer->setInterval(ms);
    return timer;
}

} // namespace

QString TRequestServer::ClientName(const QTcpSocket* client) {
    bool isV4 = false;
    const quint32 v4 = client->peerAddress().toIPv4Address(&isV4);
    return "TCP " + QString::number(client->localPort()) + " " +
           (isV4 ? QHostAddress(v4) : client->peerAddress()).toString();
}

bool TRequestServer::Full(qintptr socketDescriptor) const {
    rlimit limit{};
    const bool nearLimit = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 &&
                           limit.rlim_cur != RLIM_INFINITY &&
                           rlim_t(socketDescriptor) + ReservedDescriptors >= limit.rlim_cur;
    return nearLimit || FClients >= MaxClients || AllClientCount() >= MaxAllClients;
}

void TRequestServer::Taken(QTcpSocket* client) {
    ++FClients;
    ++AllClientCount();
    connect(client, &QObject::destroyed, this, [this] {
        --FClients;
        // The memory a flood of clients took goes back to the system once they are gone.
        if (--AllClientCount() == 0)
            ::malloc_trim(0);
    });
}

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
    if (Full(socketDescriptor)) {
        Refuse(client, "接続が多すぎるため拒否しました");
        return;
    }
    Taken(client);
    addPendingConnection(client);
}

void TRequestServer::ClientConnect() {
    while (QTcpSocket* client = nextPendingConnection()) {
        // What Qt holds for a client stays within one request.
        client->setReadBufferSize(MaxRequest + 1);
        QTimer* pause = NewTimer(client, "pause", PauseMs);
        connect(pause, &QTimer::timeout, client, [this, client] { Deliver(client); });
        QTimer* deadline = NewTimer(client, "deadline", RequestTimeoutMs);
        connect(deadline, &QTimer::timeout, client, [client] {
            client->abort();
            client->deleteLater();
        });
        deadline->start();
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
    else if (QTimer* pause = PauseOf(client))
        pause->start();
}

void TRequestServer::Deliver(QTcpSocket* client) {
    if (QTimer* pause = PauseOf(client))
        pause->stop();
    const QByteArray request = client->property("request").toByteArray();
    client->setProperty("request", QByteArray());
    if (request.isEmpty())
        return;
    if (QTimer* deadline = DeadlineOf(client))
        deadline->start(KeepAfterRequestMs);
    FOnRead(client, request);
}

void TRequestServer::Refuse(QTcpSocket* client, const QString& reason) {
    LogRequestFault(ClientName(client), reason);
    client->abort();
    client->deleteLater();
}

} // namespace reruzida
