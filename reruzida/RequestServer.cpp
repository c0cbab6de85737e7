#include "RequestServer.h"

#include <QTcpSocket>
#include <QTimer>

TRequestServer::TRequestServer(THandler onRead, QObject* parent)
    : QTcpServer(parent), FOnRead(std::move(onRead)) {
    connect(this, &QTcpServer::newConnection, this, &TRequestServer::ClientConnect);
}

void TRequestServer::ClientConnect() {
    while (QTcpSocket* client = nextPendingConnection()) {
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
    }
}

void TRequestServer::ClientRead(QTcpSocket* client) {
    QByteArray buffer = client->property("request").toByteArray() + client->readAll();
    client->setProperty("request", buffer);
    if (buffer.endsWith("\r\n") || buffer.size() >= MaxRequest)
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
