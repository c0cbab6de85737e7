#include "Unit_CommonRequests.h"

#include "CommRequests.h"
#include "DataModule1.h"
#include "Unit_Common.h"

#include "base/Text.h"
#include "db/Field.h"
#include "dbengine/Query.h"
#include "ui/ClientSocket.h"
#include "ui/CopyData.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace {

// How long a TCP request may take to connect, and then to be sent.
constexpr int TcpRequestTimeoutMs = 5000;

// The operator sees why the program waits, and no screen takes a click meanwhile.
bool SendOverTcp(quint16 port, const QByteArray& bytes) {
    const TWaitWindowScope wait(nullptr, "ネットワーク接続を確認しています。");
    TClientSocket client;
    client.Address = HostToIPStr(RemotePCName);
    client.Port = port;
    QEventLoop loop;
    bool connected = false;
    client.OnConnect = [&] {
        connected = true;
        loop.quit();
    };
    client.OnError = [&](const QString&) { loop.quit(); };
    client.OnDisconnect = [&] { loop.quit(); };
    QTimer::singleShot(TcpRequestTimeoutMs, &loop, &QEventLoop::quit);
    client.Open();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    const bool sent = connected && client.SendBuf(bytes) && client.WaitForSent(TcpRequestTimeoutMs);
    client.Close();
    return sent;
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
    if (NetworkMode && port != 0)
        return SendOverTcp(port, ToCP932(text));
    return SendCopyData(CommCaption, code, QCoreApplication::applicationName(),
                        LocalRequestPayload(text));
}

bool RequestUserRemoval(const QString& code) {
    TQuery& query = *DM1->sqlEntUse;
    query.Close();
    query.SetDatabaseName("RORazu");
    query.SQL().Assign(QStringList{"SELECT 個人コード,認証機ID", "FROM M_使用認証機",
                                   "WHERE (個人コード=:Code)", "AND (登録=True) AND (削除=False)",
                                   "ORDER BY 認証機ID"});
    query.ParamByName("Code").SetAsString(code);
    query.Open();
    QString lines;
    for (; !query.Eof(); query.Next())
        lines += CodeUnitLine(code, query.FieldByName("認証機ID")->AsInteger()) + "\r\n";
    query.Close();
    return lines.isEmpty() || SendCommRequest(CD_DELETE_USERS, lines);
}
