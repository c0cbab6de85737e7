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

namespace reruzida {

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
    auto& sent = FRemovalsSent;
    // A unit that does not echo the code answers the oldest removal sent to it.
    const auto found = std::find_if(sent.begin(), sent.end(), [&](const auto& removal) {
        return removal.first == unit && (code.isEmpty() || removal.second == code);
    });
    if (found == sent.end())
        return code;
    const QString answered = found->second;
    sent.erase(found);
    return answered;
}

bool TAwaitedAnswers::ReadImage(int unit, const QString& code, QTcpSocket* client) {
    if (!FLine.SendCommand(unit, ImageReadCommand, code))
        return false;
    auto& reads = FImageReads;
    std::erase_if(reads,
                  [&](const TImageRead& read) { return read.Unit == unit && read.Code == code; });
    reads.push_back({unit, code, client});
    // No more image reads can be on their way than the send queue holds.
    if (int(reads.size()) > TCommThread::MaxQueue)
        reads.pop_front();
    return true;
}

TImageRead TAwaitedAnswers::TakeImageRead(int unit, const QString& code) {
    auto& reads = FImageReads;
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

void TAwaitedAnswers::SendRemoval(int unit, const QString& code) {
    if (!FLine.SendCommand(unit, RemovalCommand, code))
        return;
    auto& sent = FRemovalsSent;
    std::erase(sent, std::pair(unit, code));
    sent.emplace_back(unit, code);
    if (int(sent.size()) > TCommThread::MaxQueue)
        sent.pop_front();
}

void TAwaitedAnswers::ForgetRemovalsSent() {
    FRemovalsSent.clear();
}

} // namespace reruzida
