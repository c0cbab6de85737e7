#pragma once

#include "reruzida/AllowedClients.h"

#include <QByteArray>
#include <QTcpServer>
#include <functional>

class QTcpSocket;

// A TCP server whose clients send one request of plain text each time: what arrives in
// pieces is put together until it ends in CR LF or the client pauses, then handed on.
// Only allowed clients are served; others, and a request longer than any the management
// program sends, are cut off with a line in the error log. Socket errors only drop the
// connection.
class TRequestServer : public QTcpServer {
public:
    static constexpr int PauseMs = 300;
    // The longest request: a removal for all 32 units is about 500 bytes.
    static constexpr int MaxRequest = 4096;

    using THandler = std::function<void(QTcpSocket* client, const QByteArray& request)>;

    TRequestServer(THandler onRead, QObject* parent = nullptr);
    ~TRequestServer() override;

    // Who may connect; set before the server listens.
    TAllowedClients Allowed;
    // Runs for every client taken, as it connects.
    std::function<void(QTcpSocket* client)> OnConnect;

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void ClientConnect();
    void ClientRead(QTcpSocket* client);
    void Deliver(QTcpSocket* client);
    void Refuse(QTcpSocket* client, const QString& reason);

    THandler FOnRead;
};
