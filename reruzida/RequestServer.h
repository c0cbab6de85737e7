#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <functional>

class QTcpSocket;

// A TCP server whose clients send one request of plain text each time: what arrives in
// pieces is put together until it ends in CR LF or the client pauses, then handed on.
// Socket errors only drop the connection.
class TRequestServer : public QTcpServer {
public:
    static constexpr int PauseMs = 300;
    // Bytes a request may grow to before it is handed on as it is.
    static constexpr int MaxRequest = 64 * 1024;

    using THandler = std::function<void(QTcpSocket* client, const QByteArray& request)>;

    TRequestServer(THandler onRead, QObject* parent = nullptr);

private:
    void ClientConnect();
    void ClientRead(QTcpSocket* client);
    void Deliver(QTcpSocket* client);

    THandler FOnRead;
};
