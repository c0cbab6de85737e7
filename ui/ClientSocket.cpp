#include "ClientSocket.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

TClientSocket::TClientSocket(QObject* parent) : QObject(parent), FSocket(new QTcpSocket(this)) {
    connect(FSocket, &QTcpSocket::connected, this, [this] {
        if (OnConnect)
            OnConnect();
    });
    connect(FSocket, &QTcpSocket::readyRead, this, [this] {
        const QByteArray bytes = FSocket->readAll();
        if (!bytes.isEmpty() && OnRead)
            OnRead(bytes);
    });
    connect(FSocket, &QTcpSocket::disconnected, this, [this] {
        if (OnDisconnect)
            OnDisconnect();
    });
    connect(FSocket, &QTcpSocket::errorOccurred, this, &TClientSocket::SocketError);
}

TClientSocket::~TClientSocket() {
    Close();
}

// The peer closing is no error: "disconnected" follows and tells it.
void TClientSocket::SocketError() {
    if (FSocket->error() == QAbstractSocket::RemoteHostClosedError)
        return;
    const QString message = FSocket->errorString();
    FSocket->blockSignals(true);
    FSocket->abort();
    FSocket->blockSignals(false);
    if (OnError)
        OnError(message);
}

bool TClientSocket::Active() const {
    return FSocket->state() != QAbstractSocket::UnconnectedState;
}

void TClientSocket::Open() {
    Close();
    FSocket->connectToHost(Address, Port);
}

void TClientSocket::Close() {
    FSocket->blockSignals(true);
    FSocket->abort();
    FSocket->blockSignals(false);
}

bool TClientSocket::SendBuf(const QByteArray& bytes) {
    return FSocket->state() == QAbstractSocket::ConnectedState &&
           FSocket->write(bytes) == bytes.size();
}

bool TClientSocket::WaitForSent(int timeoutMs) {
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(FSocket, &QTcpSocket::bytesWritten, &loop, [&] {
        if (FSocket->bytesToWrite() == 0)
            loop.quit();
    });
    connect(FSocket, &QTcpSocket::stateChanged, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    while (FSocket->state() == QAbstractSocket::ConnectedState && FSocket->bytesToWrite() > 0 &&
           timer.isActive())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return FSocket->state() == QAbstractSocket::ConnectedState && FSocket->bytesToWrite() == 0;
}
