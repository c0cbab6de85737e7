#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QString>
#include <functional>

// A request between the programs, as WM_COPYDATA carried it: the code, the sender and the
// payload bytes.
struct TCopyData {
    int Code = 0;
    QString Sender;
    QByteArray Payload;
};

// The local socket that stands for a top-level window with that caption.
QString CopyDataServerName(const QString& caption);
// Whether a window with that caption exists: its socket takes a connection.
bool FindWindowByCaption(const QString& caption);
// Sends a request to the window with that caption; false when there is none.
bool SendCopyData(const QString& caption, int code, const QString& sender,
                  const QByteArray& payload);

// Receives the requests sent to one caption, on the thread it lives in.
class TCopyDataServer : public QLocalServer {
public:
    using THandler = std::function<void(const TCopyData&)>;

    TCopyDataServer(const QString& caption, THandler onRequest, QObject* parent = nullptr);
    // Listens under the caption's name; false when that fails.
    bool Start();

private:
    void ClientConnect();

    QString FCaption;
    THandler FOnRequest;
};
