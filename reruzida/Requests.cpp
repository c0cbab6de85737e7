#include "Requests.h"

#include "ErrorLog.h"
#include "UnitJobs.h"

#include "base/Convert.h"
#include "base/SysUtils.h"
#include "base/Text.h"
#include "ui/CopyData.h"

#include <QTcpSocket>
#include <map>

namespace reruzida {

namespace {

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

void DeleteUsersRequest(TUnitJobs& jobs, const QByteArray& payload) {
    ForEachRemovalLine(
        payload, [&](int unit, const QString& code) { jobs.Answers.KeepRemoval(unit, code); });
    // Kept is what the request asks for; a failure to queue is left to the next expiry tick.
    RunLogged([&] { jobs.Answers.SendPendingRemovals(); });
}

void ReadImageRequest(TUnitJobs& jobs, const QByteArray& payload, QTcpSocket* client) {
    const QStringList items = SplitCommaText(PayloadText(payload));
    if (items.size() != 2)
        return;
    const int unit = UnitOf(items[1]);
    if (!jobs.Line.IsValidUnit(unit) || !CodeFits(items[0]))
        return;
    jobs.Answers.ReadImage(unit, items[0], client);
}

void ResetTamperRequest(TUnitJobs& jobs, const QByteArray& payload) {
    jobs.Periodic.ReleaseTamper(UnitOf(PayloadText(payload)));
}

bool HandleCopyData(TUnitJobs& jobs, int code, const QByteArray& payload) {
    const std::map<int, void (*)(TUnitJobs&, const QByteArray&)> handlers = {
        {CD_DELETE_USERS, DeleteUsersRequest},
        {CD_READ_IMAGE, [](TUnitJobs& j, const QByteArray& p) { ReadImageRequest(j, p); }},
        {CD_RESET_TAMPER, ResetTamperRequest}};
    const auto found = handlers.find(code);
    if (found == handlers.end())
        return false;
    if (!payload.isEmpty())
        RunRequestLogged("WM_COPYDATA " + QString::number(code),
                         [&] { found->second(jobs, payload); });
    return true;
}

} // namespace reruzida
