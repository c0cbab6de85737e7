// The three periodic unit jobs, the commands the jobs send, and the removals and image reads
// that wait for their unit's answer.
#include "UnitJobs.h"

#include "CommDriver.h"
#include "DataModule1.h"
#include "ErrorLog.h"

#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "db/Field.h"
#include "dbengine/Query.h"
#include "dbengine/Table.h"
#include "odbc/ODBCDSet.h"
#include "ui/WaitCursor.h"

#include <QStringList>
#include <QTcpSocket>
#include <algorithm>
#include <cmath>

namespace reruzida {

namespace {

// The code of the row to take this tick: the first after `last` by code, else the first.
// Rows are read from the open dataset's "個人コード" column, in code order.
QString NextInTurn(TDataSet& result, const QString& last) {
    QString first;
    for (; !result.Eof(); result.Next()) {
        const QString code = result.FieldByName("個人コード")->AsString();
        if (first.isEmpty())
            first = code;
        if (code > last)
            return code;
    }
    return first;
}

// The person's stored image, read by its code.
QByteArray StoredImage(TDBQueryODBC& query, const QString& code) {
    query.Close();
    query.SQL().Assign(
        QStringList{"SELECT 認証画像 FROM M_個人情報", "WHERE 個人コード=" + QuotedStr(code)});
    query.Open();
    const QByteArray image = query.Eof() ? QByteArray() : query.FieldByName("認証画像")->AsBytes();
    query.Close();
    return image;
}

// The time of day in whole seconds.
int SecondsOfDay(TDateTime value) {
    return int(std::lround((value - std::floor(value)) * 86400)) % 86400;
}

bool ShouldRun(int start, int end, int now) {
    if (start == end)
        return true;
    if (end > start)
        return start <= now && now <= end;
    return !(end <= now && now <= start);
}

} // namespace

TUnitJobs::TUnitJobs(TDM1& dm1, TDMCreate& dmCreate, TCommDriver& driver, TUnitJobQueues& queues)
    : FDM1(dm1), FDMCreate(dmCreate), FDriver(driver), FQueues(queues) {}

void TUnitJobs::SendRemoval(int unit, const QString& code) {
    if (!SendCommand(unit, RemovalCommand, code))
        return;
    auto& sent = FQueues.RemovalsSent;
    std::erase(sent, std::pair(unit, code));
    sent.emplace_back(unit, code);
    if (int(sent.size()) > TCommThread::MaxQueue)
        sent.pop_front();
}

QString TUnitJobs::UnitFilter() const {
    QStringList terms;
    for (int unit = 1; unit <= MaxUnitId; ++unit)
        if (IsValidUnit(unit))
            terms << "M_使用認証機.認証機ID=" + QString::number(unit);
    return terms.join(" OR ");
}

void TUnitJobs::SetSendCommand(TSendCommand send) {
    FQueues.Send = std::move(send);
}

bool TUnitJobs::SendCommand(int unit, const QByteArray& command, const QString& code,
                            const QByteArray& tail) {
    const TSendCommand& send = FQueues.Send;
    return send ? send(unit, command, code, tail)
                : DrvSendCommand(FDriver, unit, command, code, tail);
}

bool TUnitJobs::IsValidUnit(int unit) const {
    return FDriver.IsValidUnit(unit);
}

void TUnitJobs::ApplyOperatingHours() {
    TTable& table = *FDM1.tblState;
    const int now = SecondsOfDay(Now());
    table.Open();
    try {
        for (; !table.Eof(); table.Next()) {
            const int unit = table.FieldByName("認証機ID")->AsInteger();
            const int start = SecondsOfDay(table.FieldByName("稼動開始")->AsDateTime());
            const int end = SecondsOfDay(table.FieldByName("稼動終了")->AsDateTime());
            const bool run = ShouldRun(start, end, now);
            if (!IsValidUnit(unit) || table.FieldByName("作動状況")->AsBoolean() == run)
                continue;
            // The flag follows only a command that is on its way; a dropped one is tried again.
            if (!SendCommand(unit, RunCommand, {}, run ? "1" : "0"))
                continue;
            TQuery& state = *FDM1.sqlState;
            state.Close();
            state.SQL().Assign(QStringList{run ? "UPDATE entranceState SET 作動状況=True"
                                               : "UPDATE entranceState SET 作動状況=False",
                                           "WHERE 認証機ID=" + QString::number(unit)});
            state.ExecSQL();
            state.Close();
        }
    } catch (...) {
        table.Close();
        throw;
    }
    table.Close();
}

void TUnitJobs::SendPendingRegistrations() {
    const QString filter = UnitFilter();
    if (filter.isEmpty())
        return;
    TDBQueryODBC& query = *FDM1.sqlEntrance;
    query.Close();
    query.SetReadOnly(true);
    query.SQL().Assign(
        QStringList{"SELECT M_個人情報.個人コード, First(M_個人情報.認証画像) AS 認証画像, "
                    "Count(M_使用認証機.認証機ID) AS 未登録認証機数",
                    "FROM M_個人情報 INNER JOIN M_使用認証機 ON M_個人情報.個人コード = "
                    "M_使用認証機.個人コード",
                    "WHERE (M_使用認証機.登録=False AND M_使用認証機.登録不可=False AND "
                    "M_使用認証機.削除=False) AND (" +
                        filter + ")",
                    "GROUP BY M_個人情報.個人コード",
                    "HAVING (((First(M_個人情報.認証画像)) Is Not Null) AND "
                    "((Count(M_使用認証機.認証機ID))>0))",
                    "ORDER BY M_個人情報.個人コード"});
    query.Open();
    QString& lastCode = FQueues.LastRegistrationCode;
    const QString code = NextInTurn(query, lastCode);
    if (code.isEmpty()) {
        query.Close();
        return;
    }
    if (code == lastCode) {
        // Its units may still be answering the last sending: skip one tick.
        lastCode.clear();
        query.Close();
        return;
    }
    lastCode = code;
    const QByteArray image = StoredImage(query, code);
    // A unit takes exactly the 900-byte image; another length would be refused or misread.
    // The person stays a candidate, so the line is written once until the image changes.
    if (image.size() != ImageSize) {
        const size_t stored = qHash(image);
        QHash<QString, size_t>& logged = FQueues.BadImagesLogged;
        if (const auto found = logged.constFind(code); found == logged.cend() || *found != stored)
            ErrorLog().WriteErrorLog(
                "個人コード" + code + "の認証画像が" + QString::number(ImageSize) +
                    "バイトではないため送れません (" + QString::number(image.size()) + "バイト)",
                Now());
        logged.insert(code, stored);
        return;
    }
    query.SQL().Assign(QStringList{"SELECT 認証機ID FROM M_使用認証機",
                                   "WHERE (個人コード=" + QuotedStr(code) + ") AND (登録=False)" +
                                       " AND (削除=False) AND (" + filter + ")"});
    query.Open();
    for (; !query.Eof(); query.Next()) {
        const int unit = query.FieldByName("認証機ID")->AsInteger();
        if (IsValidUnit(unit))
            SendCommand(unit, ImageWriteCommand, code, ImagePrefix + image);
    }
    query.Close();
}

void TUnitJobs::DeleteExpiredUsers() {
    const QString filter = UnitFilter();
    if (filter.isEmpty())
        return;
    int year = 0, month = 0, day = 0;
    DecodeDate(Date(), year, month, day);
    TDBQueryODBC& query = *FDM1.sqlEntrance;
    query.Close();
    query.SetReadOnly(true);
    query.SQL().Assign(QStringList{
        "SELECT M_個人情報.個人コード, M_個人情報.有効終了日, Count(M_使用認証機.認証機ID) AS "
        "利用認証機数",
        "FROM M_個人情報 INNER JOIN M_使用認証機 ON M_個人情報.個人コード = "
        "M_使用認証機.個人コード",
        "WHERE (M_使用認証機.削除=False) AND (" + filter + ")",
        "GROUP BY M_個人情報.個人コード, M_個人情報.氏名, M_個人情報.有効終了日",
        "HAVING (M_個人情報.有効終了日<#" + QString::number(month) + "/" + QString::number(day) +
            "/" + QString::number(year) + "#)",
        "ORDER BY M_個人情報.個人コード"});
    query.Open();
    const QString code = query.Eof() ? QString() : query.FieldByName("個人コード")->AsString();
    query.Close();
    if (code.isEmpty())
        return;
    // 削除 keeps the removal until the unit confirms it (KeepRemoval).
    query.SetReadOnly(false);
    query.SQL().Assign(QStringList{"SELECT 個人コード, 認証機ID, 削除 FROM M_使用認証機",
                                   "WHERE (個人コード=" + QuotedStr(code) + ") AND (削除=False)" +
                                       " AND (" + filter + ")"});
    query.SetUpdateKeyColumn("個人コード; 認証機ID; 削除");
    query.SetUpdateTableName("M_使用認証機");
    query.Open();
    try {
        for (; !query.Eof(); query.Next()) {
            const int unit = query.FieldByName("認証機ID")->AsInteger();
            query.Edit();
            query.FieldByName("削除")->SetAsBoolean(true);
            query.Post();
            if (IsValidUnit(unit))
                SendRemoval(unit, code);
        }
    } catch (...) {
        query.Close();
        throw;
    }
    query.Close();
}

void TUnitJobs::KeepRemoval(int unit, const QString& code) {
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

void TUnitJobs::SendPendingRemovals(int unit) {
    const QString filter =
        unit == 0
            ? UnitFilter()
            : (IsValidUnit(unit) ? "M_使用認証機.認証機ID=" + QString::number(unit) : QString());
    const int room = RemovalPortion - FDriver.QueuedCount(RemovalCommand);
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
        if (!FDriver.IsQueued(rowUnit, RemovalCommand, code))
            removals << std::pair(rowUnit, code);
    }
    query.Close();
    for (const auto& [rowUnit, code] : removals)
        SendRemoval(rowUnit, code);
}

QString TUnitJobs::TakeRemovalSent(int unit, const QString& code) {
    auto& sent = FQueues.RemovalsSent;
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

void TUnitJobs::ProcessTick(int msg) {
    const TSQLWaitAsArrow arrow;
    RunLogged([this] { RetryPendingRecords(); });
    if (msg == WM_TICK_UNITSTATE) {
        RunLogged([this] { ApplyOperatingHours(); });
    } else if (msg == WM_TICK_REGISTER) {
        RunLogged([this] { SendPendingRegistrations(); });
    } else if (msg == WM_TICK_EXPIRE) {
        RunLogged([this] { SendPendingRemovals(); });
        RunLogged([this] { DeleteExpiredUsers(); });
    }
}

bool TUnitJobs::ReadImage(int unit, const QString& code, QTcpSocket* client) {
    if (!SendCommand(unit, ImageReadCommand, code))
        return false;
    auto& reads = FQueues.ImageReads;
    std::erase_if(reads,
                  [&](const TImageRead& read) { return read.Unit == unit && read.Code == code; });
    reads.push_back({unit, code, client});
    // No more image reads can be on their way than the send queue holds.
    if (int(reads.size()) > TCommThread::MaxQueue)
        reads.pop_front();
    return true;
}

TImageRead TUnitJobs::TakeImageRead(int unit, const QString& code) {
    auto& reads = FQueues.ImageReads;
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

void TUnitJobs::ReleaseTamper(int unit) {
    if (!IsValidUnit(unit))
        return;
    TQuery& query = *FDM1.sqlState;
    query.Close();
    query.SQL().Assign(QStringList{"SELECT タンパー開, タンパー閉 FROM entranceState",
                                   "WHERE 認証機ID=" + QString::number(unit), "AND タンパー開=1",
                                   "AND タンパー閉=1"});
    query.Open();
    try {
        // The flags are cleared only once the release is on its way to the unit.
        if (!query.Eof() && SendCommand(unit, TamperResetCommand)) {
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

void TUnitJobs::Finish() {
    HandleRemainingRecords();
    FQueues.RemovalsSent.clear();
}

} // namespace reruzida
