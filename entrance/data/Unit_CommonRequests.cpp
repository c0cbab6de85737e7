#include "Unit_CommonRequests.h"

#include "DataModule1.h"
#include "entrance/common/Unit_Common.h"
#include "protocol/CommRequests.h"

#include "base/Text.h"
#include "db/Field.h"
#include "dbengine/Query.h"
#include "entrance/common/EntranceSession.h"
#include "ui/ClientSocket.h"
#include "ui/CopyData.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace entrance {

namespace {

// How long a TCP request may take to connect, then to be sent, then to be answered.
constexpr int TcpRequestTimeoutMs = 5000;

// The answer a request's port gives once it has taken the request; none for the others.
QByteArray RequestAnswer(quint16 port) {
    return port == PORT_GAZODELETE ? QByteArray("DELETE") : QByteArray();
}

// Handed over: connected and sent, and, where the port answers, the answer read; a client the
// server refuses is cut off before it reads anything, so its request fails here. The operator
// sees why the program waits, and no screen takes a click meanwhile.
bool SendOverTcp(quint16 port, const QByteArray& bytes) {
    const TWaitWindowScope wait(nullptr, "ネットワーク接続を確認しています。");
    const QByteArray answer = RequestAnswer(port);
    TClientSocket client;
    client.Address = HostToIPStr(EntranceSession().RemotePCName);
    client.Port = TcpPort(port);
    QEventLoop loop;
    bool connected = false, ended = false;
    QByteArray received;
    client.OnConnect = [&] {
        connected = true;
        loop.quit();
    };
    client.OnRead = [&](const QByteArray& part) {
        received += part;
        loop.quit();
    };
    client.OnError = [&](const QString&) {
        ended = true;
        loop.quit();
    };
    client.OnDisconnect = [&] {
        ended = true;
        loop.quit();
    };
    // Runs the event loop until `done`, the end of the connection or the time-out.
    const auto waitFor = [&](const std::function<bool()>& done) {
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(TcpRequestTimeoutMs);
        while (!done() && !ended && timer.isActive())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        return done();
    };
    client.Open();
    bool handed = waitFor([&] { return connected; }) && client.SendBuf(bytes) &&
                  client.WaitForSent(TcpRequestTimeoutMs);
    if (handed && !answer.isEmpty())
        handed = waitFor([&] { return received.contains(answer); });
    client.Close();
    return handed;
}

} // namespace

quint16 RequestPort(int code) {
    switch (code) {
    case CD_DELETE_USERS:
        return PORT_GAZODELETE;
    case CD_READ_IMAGE:
        return PORT_GAZOSET;
    case CD_RESET_TAMPER:
        return PORT_TANPA;
    default:
        return 0;
    }
}

QByteArray LocalRequestPayload(const QString& text) {
    return text.isEmpty() ? QByteArray() : ToCP932(text) + '\0';
}

bool SendCommRequest(int code, const QString& text) {
    const quint16 port = RequestPort(code);
    if (EntranceSession().NetworkMode && port != 0)
        return SendOverTcp(port, ToCP932(text));
    return SendCopyData(CommCaption, code, QCoreApplication::applicationName(),
                        LocalRequestPayload(text));
}

QStringList RequestParts(const QStringList& lines, int maxBytes) {
    QStringList parts;
    int partBytes = 0;
    for (const QString& line : lines) {
        const int bytes = CP932Length(line);
        if (parts.isEmpty() || partBytes + bytes > maxBytes) {
            parts << QString();
            partBytes = 0;
        }
        parts.last() += line;
        partBytes += bytes;
    }
    return parts;
}

namespace {

// One CodeUnitLine for each row that `condition` selects (binding :Code or :Unit), in unit
// then code order; the requests go when there is any line.
bool RequestRemovals(const QString& condition, const QString& code, int unit) {
    TQuery& query = *EntranceSession().DM1->sqlEntUse;
    query.Close();
    query.SetDatabaseName("RORazu");
    query.SQL().Assign(QStringList{"SELECT 個人コード,認証機ID", "FROM M_使用認証機",
                                   "WHERE " + condition, "ORDER BY 認証機ID,個人コード"});
    if (TParam* param = query.Params().FindParam("Code"))
        param->SetAsString(code);
    if (TParam* param = query.Params().FindParam("Unit"))
        param->SetAsInteger(unit);
    query.Open();
    QStringList lines;
    for (; !query.Eof(); query.Next())
        lines << CodeUnitLine(query.FieldByName("個人コード")->AsString(),
                              query.FieldByName("認証機ID")->AsInteger()) +
                     "\r\n";
    query.Close();
    for (const QString& part : RequestParts(lines))
        if (!SendCommRequest(CD_DELETE_USERS, part))
            return false;
    return true;
}

} // namespace

bool RequestUserRemoval(const QString& code) {
    return RequestRemovals(QString("(個人コード=:Code) AND ") + UnitRowInUse, code, 0);
}

bool RequestUnitRemoval(int unit) {
    return RequestRemovals("(認証機ID=:Unit)", {}, unit);
}

bool RemovalGoesAhead(bool handedOver) {
    return handedOver || !EntranceSession().NetworkMode;
}

} // namespace entrance
