#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class QTcpSocket;

// A non-blocking TCP client: Open connects to Address on Port, and the events run on the
// event loop of the thread the client lives in. Each connection ends with exactly one of
// OnDisconnect (the peer closed) or OnError (it could not connect, or the connection broke);
// Close ends it quietly.
class TClientSocket : public QObject {
public:
    explicit TClientSocket(QObject* parent = nullptr);
    ~TClientSocket() override;
    Q_DISABLE_COPY(TClientSocket)

    QString Address;
    quint16 Port = 0;

    std::function<void()> OnConnect;
    // The bytes that arrived since the last read; TCP may split what the peer sent.
    std::function<void(const QByteArray&)> OnRead;
    std::function<void()> OnDisconnect;
    std::function<void(const QString& message)> OnError;

    // Connecting or connected.
    bool Active() const;
    void Open();
    void Close();
    // Queues the bytes for sending; false when the client is not connected.
    bool SendBuf(const QByteArray& bytes);
    // Waits, with the event loop running but taking no clicks or keys, until what was queued
    // has been handed to the network; false when the connection ends first or `timeoutMs`
    // passes.
    bool WaitForSent(int timeoutMs);

private:
    void SocketError();

    QTcpSocket* FSocket;
};
