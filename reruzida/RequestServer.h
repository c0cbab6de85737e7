#pragma once

#include "protocol/CommRequests.h"
#include "reruzida/AllowedClients.h"

#include <QByteArray>
#include <QTcpServer>
#include <functional>

class QTcpSocket;

namespace reruzida {

// A TCP server whose clients send one request of plain text each time: what arrives in
// pieces is put together until it ends in CR LF or the client pauses, then handed on.
// Only allowed clients are served; others, and a request longer than any the management
// program sends, are cut off with a line in the error log. Socket errors only drop the
// connection.
//
// What clients cost is bounded, so that no traffic can starve the program of descriptors
// or memory: at most MaxClients connections per server and MaxAllClients in all (one beyond
// is closed at once, as is one whose descriptor lies within ReservedDescriptors of the
// process's limit, which keeps those for the program's own files); a connection that has
// not completed its request within RequestTimeoutMs, or stays open longer than
// KeepAfterRequestMs after its request, is closed.
class TRequestServer : public QTcpServer {
public:
    static constexpr int PauseMs = 300;
    static constexpr int MaxRequest = MaxRequestBytes;
    static constexpr int MaxClients = 32;
    static constexpr int MaxAllClients = 64;
    static constexpr int ReservedDescriptors = 128;
    static constexpr int RequestTimeoutMs = 5000;

    using THandler = std::function<void(QTcpSocket* client, const QByteArray& request)>;

    TRequestServer(THandler onRead, QObject* parent = nullptr);
    ~TRequestServer() override;

    // Who may connect; set before the server listens.
    TAllowedClients Allowed;
    // Runs for every client taken, as it connects.
    std::function<void(QTcpSocket* client)> OnConnect;
    // How long a connection stays after a request, for an answer that comes later.
    int KeepAfterRequestMs = RequestTimeoutMs;

    // The connections this server serves now.
    int Clients() const { return FClients; }
    // "TCP <port> <address>" of a client, for the error log.
    static QString ClientName(const QTcpSocket* client);

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void ClientConnect();
    void ClientRead(QTcpSocket* client);
    void Deliver(QTcpSocket* client);
    void Refuse(QTcpSocket* client, const QString& reason);

    bool Full(qintptr socketDescriptor) const;
    void Taken(QTcpSocket* client);

    THandler FOnRead;
    int FClients = 0;
};

} // namespace reruzida
