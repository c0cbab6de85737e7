#include "AwaitedAnswers.h"

#include "DataModule1.h"
#include "JobLine.h"

#include "base/SysUtils.h"
#include "base/Text.h"
#include "db/Field.h"
#include "odbc/ODBCDSet.h"
#include "protocol/CommRequests.h"
#include "ui/CopyData.h"

#include <QStringList>
#include <QTcpSocket>
#include <algorithm>
#include <optional>

namespace reruzida {

namespace {

// Keeps a request sent to a unit, each (unit, code) once and oldest first. No more can be on
// their way than the send queue holds.
template <typename Sent> void RememberSent(std::deque<Sent>& sent, Sent request) {
    std::erase_if(sent, [&](const Sent& kept) {
        return kept.Unit == request.Unit && kept.Code == request.Code;
    });
    sent.push_back(std::move(request));
    if (int(sent.size()) > TCommThread::MaxQueue)
        sent.pop_front();
}

// Takes the request an answer of the unit answers; a unit that does not echo the code answers
// the oldest request sent to it.
template <typename Sent>
std::optional<Sent> TakeAnswered(std::deque<Sent>& sent, int unit, const QString& code) {
    const auto found = std::find_if(sent.begin(), sent.end(), [&](const Sent& request) {
        return request.Unit == unit && (code.isEmpty() || request.Code == code);
    });
    if (found == sent.end())
        return std::nullopt;
    Sent answered = std::move(*found);
    sent.erase(found);
    return answered;
}

} // namespace

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

TAwaitedAnswers::TAwaitedAnswers(TDM1& dm1, TJobLine& line) : FDM1(dm1), FLine(line) {}

void TAwaitedAnswers::KeepRemoval(int unit, const QString& code) {
    // No answer could ever clear a removal without a person: the line or reply that asks for
    // one is malformed.
    if (code.isEmpty())
        throw EConvertError("個人コードのない削除です (認証機" + QString::number(unit) + ")");
    TDBQueryODBC& query = *FDM1.sqlEntrance;
    query.Close();
    query.SetReadOnly(true);
    const QString where =
        "WHERE 個人コード=" + QuotedStr(code) + " AND 認証機ID=" + QString::number(unit);
    query.SQL().Assign(QStringList{"UPDATE M_使用認証機 SET 削除=True", where});
    query.ExecSQL();
    query.SQL().Assign(QStringList{"SELECT 個人コード FROM M_使用認証機", where});
    query.Open();
    const bool kept = !query.Eof();
    query.Close();
    if (kept)
        return;
    query.SQL().Assign(QStringList{
        "INSERT INTO M_使用認証機 (個人コード, 認証機ID, 登録, 削除, 登録不可)",
        "VALUES (" + QuotedStr(code) + ", " + QString::number(unit) + ", False, True, False)"});
    query.ExecSQL();
    query.Close();
}

void TAwaitedAnswers::SendPendingRemovals(int unit) {
    const QString filter =
        unit == 0 ? FLine.UnitFilter()
                  : (FLine.IsValidUnit(unit) ? "M_使用認証機.認証機ID=" + QString::number(unit)
                                             : QString());
    const int room = RemovalPortion - FLine.Driver.QueuedCount(RemovalCommand);
    if (filter.isEmpty() || room < RemovalPortion / 2)
        return;
    TDBQueryODBC& query = *FDM1.sqlEntrance;
    query.Close();
    query.SetReadOnly(true);
    query.SQL().Assign(QStringList{"SELECT 個人コード, 認証機ID FROM M_使用認証機",
                                   "WHERE (削除=True) AND (" + filter + ")",
                                   "ORDER BY 認証機ID, 個人コード"});
    query.Open();
    QList<std::pair<int, QString>> removals;
    for (; !query.Eof() && removals.size() < room; query.Next()) {
        const int rowUnit = query.FieldByName("認証機ID")->AsInteger();
        const QString code = query.FieldByName("個人コード")->AsString();
        if (!FLine.Driver.IsQueued(rowUnit, RemovalCommand, code))
            removals << std::pair(rowUnit, code);
    }
    query.Close();
    for (const auto& [rowUnit, code] : removals)
        SendRemoval(rowUnit, code);
}

QString TAwaitedAnswers::TakeRemovalSent(int unit, const QString& code) {
    const auto answered = TakeAnswered(FRemovalsSent, unit, code);
    return answered ? answered->Code : code;
}

bool TAwaitedAnswers::ReadImage(int unit, const QString& code, QTcpSocket* client) {
    if (!FLine.SendCommand(unit, ImageReadCommand, code))
        return false;
    RememberSent(FImageReads, {unit, code, client});
    return true;
}

TImageRead TAwaitedAnswers::TakeImageRead(int unit, const QString& code) {
    return TakeAnswered(FImageReads, unit, code).value_or(TImageRead{unit, code, nullptr});
}

void TAwaitedAnswers::SendRemoval(int unit, const QString& code) {
    if (!FLine.SendCommand(unit, RemovalCommand, code))
        return;
    RememberSent(FRemovalsSent, {unit, code});
}

void TAwaitedAnswers::ForgetRemovalsSent() {
    FRemovalsSent.clear();
}

} // namespace reruzida
