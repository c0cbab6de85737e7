#include "Requests.h"

#include "CommSession.h"
#include "CommThread.h"
#include "DataModule1.h"
#include "ErrorLog.h"
#include "UnitJobs.h"

#include "base/Convert.h"
#include "base/SysUtils.h"
#include "base/Text.h"
#include "db/Field.h"
#include "dbengine/Query.h"
#include "ui/CopyData.h"

#include <QPointer>
#include <QTcpSocket>
#include <algorithm>
#include <deque>
#include <map>

namespace reruzida {

namespace {

// No more image reads can be on their way than the send queue holds.
std::deque<TImageRead>& ImageReads() {
    return CommSession().Jobs.ImageReads;
}

// The payload as text: CP932 up to its closing zero byte.
QString PayloadText(const QByteArray& payload) {
    const int end = payload.indexOf('\0');
    return FromCP932(end < 0 ? payload : payload.left(end));
}

int UnitOf(const QString& text) {
    return StrToInt(text.trimmed());
}

// A code the frames cannot carry is refused here, with a request line in the error log.
bool CodeFits(const QString& code) {
    if (CP932Length(code) <= CodeFieldSize)
        return true;
    ErrorLog().WriteRequestLog("個人コードが8バイトを超えています: " + code, Now());
    return false;
}

} // namespace

bool IsValidUnit(int unit) {
    return IsUnitId(unit) && CommSession().Driver.UnitPresent[unit].load();
}

void ForEachRemovalLine(const QByteArray& payload,
                        const std::function<void(int unit, const QString& code)>& act) {
    for (const QString& line : PayloadText(payload).split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        const QStringList items = SplitCommaText(line);
        if (items.size() < 2)
            throw EConvertError("List index out of bounds (1): " + line.trimmed());
        const int unit = UnitOf(items[1]);
        // A unit away now gets the removal when it is found again.
        if (IsUnitId(unit) && CodeFits(items[0]))
            act(unit, items[0]);
    }
}

void DeleteUsersRequest(const QByteArray& payload) {
    ForEachRemovalLine(payload, KeepRemoval);
    // Kept is what the request asks for; a failure to queue is left to the next expiry tick.
    RunLogged([] { SendPendingRemovals(); });
}

void ReadImageRequest(const QByteArray& payload, QTcpSocket* client) {
    const QStringList items = SplitCommaText(PayloadText(payload));
    if (items.size() != 2)
        return;
    const int unit = UnitOf(items[1]);
    if (!IsValidUnit(unit) || !CodeFits(items[0]))
        return;
    if (SendCommand(unit, "RRR", items[0]))
        NoteImageRead(unit, items[0], client);
}

void ResetTamperRequest(const QByteArray& payload) {
    const int unit = UnitOf(PayloadText(payload));
    if (!IsValidUnit(unit))
        return;
    TQuery& query = *CommSession().DM1->sqlState;
    query.Close();
    query.SQL().Clear();
    query.SQL().Add("SELECT タンパー開, タンパー閉 FROM entranceState");
    query.SQL().Add("WHERE 認証機ID=" + QString::number(unit));
    query.SQL().Add("AND タンパー開=1");
    query.SQL().Add("AND タンパー閉=1");
    query.Open();
    try {
        // The flags are cleared only once the release is on its way to the unit.
        if (!query.Eof() && SendCommand(unit, "TSR")) {
            query.Edit();
            query.FieldByName("タンパー開")->SetAsInteger(0);
            query.FieldByName("タンパー閉")->SetAsInteger(0);
            query.Post();
        }
    } catch (...) {
        query.Close();
        throw;
    }
    query.Close();
}

bool HandleCopyData(int code, const QByteArray& payload) {
    const std::map<int, void (*)(const QByteArray&)> handlers = {
        {CD_DELETE_USERS, DeleteUsersRequest},
        {CD_READ_IMAGE, [](const QByteArray& p) { ReadImageRequest(p); }},
        {CD_RESET_TAMPER, ResetTamperRequest}};
    const auto found = handlers.find(code);
    if (found == handlers.end())
        return false;
    if (!payload.isEmpty())
        RunRequestLogged("WM_COPYDATA " + QString::number(code), [&] { found->second(payload); });
    return true;
}

void NoteImageRead(int unit, const QString& code, QTcpSocket* client) {
    auto& reads = ImageReads();
    std::erase_if(reads,
                  [&](const TImageRead& read) { return read.Unit == unit && read.Code == code; });
    reads.push_back({unit, code, client});
    if (int(reads.size()) > TCommThread::MaxQueue)
        reads.pop_front();
}

TImageRead TakeImageRead(int unit, const QString& code) {
    auto& reads = ImageReads();
    // A unit that does not echo the code answers the oldest read sent to it.
    const auto found = std::find_if(reads.begin(), reads.end(), [&](const TImageRead& read) {
        return read.Unit == unit && (code.isEmpty() || read.Code == code);
    });
    if (found == reads.end())
        return {unit, code, nullptr};
    const TImageRead read = *found;
    reads.erase(found);
    return read;
}

void SendImageAnswer(const QString& code, const TImageRead& read) {
    const QString line = CodeUnitLine(code, read.Unit);
    if (read.Client && read.Client->state() == QAbstractSocket::ConnectedState) {
        read.Client->write(ToCP932(line));
        return;
    }
    const QByteArray payload = ToCP932(line + "\r\n") + '\0';
    for (const char* caption : {EntranceCaption, WorkingCaption})
        SendCopyData(caption, CD_READ_IMAGE_REPLY, CommCaption, payload);
}

} // namespace reruzida
