#include "PeriodicJobs.h"

#include "AwaitedAnswers.h"
#include "DataModule1.h"
#include "ErrorLog.h"
#include "JobLine.h"
#include "RecordStore.h"

#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "db/Field.h"
#include "dbengine/Query.h"
#include "dbengine/Table.h"
#include "odbc/ODBCDSet.h"
#include "ui/WaitCursor.h"

#include <QStringList>
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

TPeriodicJobs::TPeriodicJobs(TDM1& dm1, TJobLine& line, TAwaitedAnswers& answers,
                             TRecordStore& records)
    : FDM1(dm1), FLine(line), FAnswers(answers), FRecords(records) {}

void TPeriodicJobs::ApplyOperatingHours() {
    TTable& table = *FDM1.tblState;
    const int now = SecondsOfDay(Now());
    table.Open();
    try {
        for (; !table.Eof(); table.Next()) {
            const int unit = table.FieldByName("認証機ID")->AsInteger();
            const int start = SecondsOfDay(table.FieldByName("稼動開始")->AsDateTime());
            const int end = SecondsOfDay(table.FieldByName("稼動終了")->AsDateTime());
            const bool run = ShouldRun(start, end, now);
            if (!FLine.IsValidUnit(unit) || table.FieldByName("作動状況")->AsBoolean() == run)
                continue;
            // The flag follows only a command that is on its way; a dropped one is tried again.
            if (!FLine.SendCommand(unit, RunCommand, {}, run ? "1" : "0"))
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

void TPeriodicJobs::SendPendingRegistrations() {
    const QString filter = FLine.UnitFilter();
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
    QString& lastCode = FLastRegistrationCode;
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
        QHash<QString, size_t>& logged = FBadImagesLogged;
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
        if (FLine.IsValidUnit(unit))
            FLine.SendCommand(unit, ImageWriteCommand, code, ImagePrefix + image);
    }
    query.Close();
}

void TPeriodicJobs::DeleteExpiredUsers() {
    const QString filter = FLine.UnitFilter();
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
    // 削除 keeps the removal until the unit confirms it (TAwaitedAnswers::KeepRemoval).
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
            if (FLine.IsValidUnit(unit))
                FAnswers.SendRemoval(unit, code);
        }
    } catch (...) {
        query.Close();
        throw;
    }
    query.Close();
}

void TPeriodicJobs::ProcessTick(int msg) {
    const TSQLWaitAsArrow arrow;
    RunLogged([this] { FRecords.RetryPendingRecords(); });
    if (msg == WM_TICK_UNITSTATE) {
        RunLogged([this] { ApplyOperatingHours(); });
    } else if (msg == WM_TICK_REGISTER) {
        RunLogged([this] { SendPendingRegistrations(); });
    } else if (msg == WM_TICK_EXPIRE) {
        RunLogged([this] { FAnswers.SendPendingRemovals(); });
        RunLogged([this] { DeleteExpiredUsers(); });
    }
}

void TPeriodicJobs::ReleaseTamper(int unit) {
    if (!FLine.IsValidUnit(unit))
        return;
    TQuery& query = *FDM1.sqlState;
    query.Close();
    query.SQL().Assign(QStringList{"SELECT タンパー開, タンパー閉 FROM entranceState",
                                   "WHERE 認証機ID=" + QString::number(unit), "AND タンパー開=1",
                                   "AND タンパー閉=1"});
    query.Open();
    try {
        // The flags are cleared only once the release is on its way to the unit.
        if (!query.Eof() && FLine.SendCommand(unit, TamperResetCommand)) {
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

} // namespace reruzida
