#include "RecordStore.h"

#include "AwaitedAnswers.h"
#include "DataCreate.h"
#include "DataModule1.h"
#include "ErrorLog.h"
#include "JobLine.h"

#include "base/DateTime.h"
#include "base/Files.h"
#include "base/Stream.h"
#include "base/SysUtils.h"
#include "db/Field.h"
#include "dbengine/Query.h"
#include "dbengine/Table.h"
#include "odbc/ODBCCall.h"
#include "odbc/ODBCDSet.h"
#include "storage/Connection.h"
#include "ui/WaitCursor.h"

#include <QStringList>
#include <functional>

namespace reruzida {

namespace {

// A log record that fails for another reason than storage is tried this many times before it
// goes to the log.
constexpr int MaxAttempts = 10;
// A log row waits for another program's lock on the month table only LogLockWaitMs at a
// time, and a record held by the lock is tried again RetryIntervalMs later: the window thread
// serves the screens and the requests meanwhile, and the record is on disk.
constexpr uint32_t RetryIntervalMs = 2000;
constexpr int LogLockWaitMs = 250;
// The longest pause between tries of a record held by any other storage fault.
constexpr uint32_t LongestPauseMs = 60000;
// Records held back this long by another program's lock get a line in the error log.
constexpr uint32_t LockReportMs = 60000;

QString Person(const QByteArray& field) {
    return CodeFromField(field.left(CodeFieldSize));
}

QString Digits2(int value) {
    return QString::number(value).rightJustified(LogDigitsSize, '0');
}

// The unit's last row in the month table, as the 24 bytes of its log record; empty when the
// unit has no row there.
QByteArray LastLogRow(TQuery& query, int unit, const QString& table) {
    query.Close();
    query.SQL().Assign(
        QStringList{"SELECT 個人コード, 操作種別, 操作日時, エラー種別 FROM " + table,
                    "WHERE autoNum=(SELECT Max(autoNum) FROM " + table +
                        " WHERE 認証機ID=" + QString::number(unit) + ")"});
    query.Open();
    QByteArray row;
    if (!query.Eof()) {
        TLogRecord log;
        const qint64 seconds = WholeSeconds(query.FieldByName("操作日時")->AsDateTime());
        DecodeDate(TDateTime(seconds / SecondsPerDay), log.Year, log.Month, log.Day);
        log.Hour = int(seconds % SecondsPerDay / 3600);
        log.Minute = int(seconds % 3600 / 60);
        log.Second = int(seconds % 60);
        log.Code = query.FieldByName("個人コード")->AsString();
        log.Operation = query.FieldByName("操作種別")->AsInteger();
        log.Result = query.FieldByName("エラー種別")->AsInteger();
        row = log.Bytes();
    }
    query.Close();
    return row;
}

void EnsurePerson(TDBQueryODBC& query, const QString& code) {
    query.Close();
    query.SetReadOnly(false);
    query.SQL().Assign(
        QStringList{"SELECT 個人コード FROM M_個人情報", "WHERE 個人コード=" + QuotedStr(code)});
    query.SetUpdateKeyColumn("個人コード");
    query.SetUpdateTableName("M_個人情報");
    query.Open();
    if (query.Eof()) {
        query.Append();
        query.FieldByName("個人コード")->SetAsString(code);
        query.Post();
    }
    query.Close();
}

// The person's rows for the unit, only those meeting `condition` when one is given.
void DeleteUnitRow(TDBQueryODBC& query, int unit, const QString& code,
                   const QString& condition = {}) {
    query.Close();
    query.SetReadOnly(true);
    query.SQL().Assign(QStringList{"DELETE * FROM M_使用認証機",
                                   "WHERE 個人コード=" + QuotedStr(code) +
                                       " AND 認証機ID=" + QString::number(unit) +
                                       (condition.isEmpty() ? "" : " AND " + condition)});
    query.ExecSQL();
    query.Close();
}

void SetTamper(TQuery& query, int unit, int result) {
    query.Close();
    query.SQL().Assign(QStringList{result != 0
                                       ? "UPDATE entranceState SET タンパー開=1, タンパー閉=1"
                                       : "UPDATE entranceState SET タンパー開=1, タンパー閉=0",
                                   "WHERE 認証機ID=" + QString::number(unit)});
    query.ExecSQL();
    query.Close();
}

// Stores the image in M_個人情報 in one transaction; false (rolled back) when that fails.
bool StoreImage(TDBQueryODBC& gazo, const QString& code, const QByteArray& image) {
    bool stored = false;
    gazo.Close();
    gazo.SetTransaction(true);
    try {
        gazo.SQL().Assign(QStringList{"SELECT 個人コード, 認証画像, ユーザーレベル FROM M_個人情報",
                                      "WHERE 個人コード=" + QuotedStr(code)});
        gazo.SetUpdateKeyColumn("個人コード");
        gazo.SetUpdateTableName("M_個人情報");
        gazo.Open();
        if (gazo.Eof()) {
            gazo.Append();
            gazo.FieldByName("個人コード")->SetAsString(code);
        } else {
            gazo.Edit();
        }
        TMemoryStream source(image);
        gazo.CreateBlobStream(gazo.FieldByName("認証画像"), bmWrite)->CopyFrom(source, 0);
        gazo.Post();
        gazo.Commit();
        stored = true;
    } catch (const Exception& e) {
        ErrorLog().WriteErrorLog(e.Message(), Now());
        try {
            gazo.Rollback();
        } catch (const Exception&) {
            // The connection is gone, and the transaction with it.
        }
    }
    gazo.SetTransaction(false);
    gazo.Close();
    return stored;
}

// Runs `act` on the person's rows for the unit in M_使用認証機 that meet `condition` (the
// columns given are also the update key), when there is one; the dataset is closed afterwards
// in every case.
void OnUnitRow(TDBQueryODBC& query, int unit, const QString& code, const QString& columns,
               const QString& condition, const std::function<void(TDBQueryODBC&)>& act) {
    query.Close();
    query.SetReadOnly(false);
    query.SQL().Assign(QStringList{"SELECT " + columns + " FROM M_使用認証機",
                                   "WHERE 個人コード=" + QuotedStr(code) + " AND 認証機ID=" +
                                       QString::number(unit) + " AND " + condition});
    query.SetUpdateKeyColumn(QString(columns).replace(", ", "; "));
    query.SetUpdateTableName("M_使用認証機");
    try {
        query.Open();
        if (!query.Eof())
            act(query);
    } catch (...) {
        query.Close();
        throw;
    }
    query.Close();
}

void LogRecordError(const Exception& e, const TRecvDataClass& record, const QString& note = {}) {
    ErrorLog().WriteErrorLog(e.Message() + " / " + record.Text() + note, Now());
}

// A failure the data files or the database gave: it lasts only as long as its cause (a full
// disk, a read-only or damaged file, a lock), so the record waits for it.
bool IsStorageFault(const Exception& e) {
    return dynamic_cast<const EDatabaseError*>(&e) || dynamic_cast<const EODBCError*>(&e);
}

} // namespace

TRecordStore::TRecordStore(TDM1& dm1, TDMCreate& dmCreate, TJobLine& line, TAwaitedAnswers& answers)
    : FDM1(dm1), FDMCreate(dmCreate), FLine(line), FAnswers(answers) {}

void TRecordStore::EnsureLogTable(const QString& yyyy, const QString& mm) {
    const QString name = "ENTRANCE_LOG" + yyyy + "_" + mm;
    QSet<QString>& known = FKnownLogTables;
    // The table's database is the data folder, set by the module's start.
    TTable& table = *FDMCreate.tblNyuTaiLog;
    if (known.contains(name) && FileExists(table.DatabaseName() + "/" + name + ".DB"))
        return;
    table.Close();
    table.SetTableName(name + ".DB");
    if (table.Exists()) {
        known.insert(name);
        return;
    }
    table.FieldDefs().Clear();
    table.FieldDefs().Add("autoNum", ftAutoInc, 0, false);
    table.FieldDefs().Add("個人コード", ftString, 10, false);
    table.FieldDefs().Add("操作種別", ftSmallint, 0, false);
    table.FieldDefs().Add("操作日時", ftDateTime, 0, false);
    table.FieldDefs().Add("エラー種別", ftSmallint, 0, false);
    table.FieldDefs().Add("認証機ID", ftSmallint, 0, false);
    table.IndexDefs().Clear();
    table.IndexDefs().Add("", "autoNum", ixPrimary);
    table.IndexDefs().Add("操作日時", "操作日時", 0);
    table.CreateTable();
    known.insert(name);
}

// A record read back at a start may have been stored just before the program ended: then it
// is the last row of its unit, as records are stored in turn. (A unit's resends never get
// here: the protocol thread acknowledges them and keeps them no more.)
bool TRecordStore::IsStoredAlready(int unit, const TLogRecord& log, const QString& table) {
    return LastLogRow(*FDM1.sqlLog, unit, table) == log.Bytes();
}

void TRecordStore::InsertLog(int unit, const TLogRecord& log, bool mayBeStored) {
    const QString yyyy = QString::number(log.Year), mm = Digits2(log.Month);
    EnsureLogTable(yyyy, mm);
    if (mayBeStored && IsStoredAlready(unit, log, "ENTRANCE_LOG" + yyyy + "_" + mm))
        return;
    TQuery& query = *FDM1.sqlLog;
    query.Close();
    query.SQL().Assign(
        QStringList{"insert into ENTRANCE_LOG" + yyyy + "_" + mm + "(",
                    "個人コード, 操作種別, 操作日時, エラー種別, 認証機ID)", "Values",
                    "(" + QuotedStr(log.Code) + "," + Digits2(log.Operation) + "," + "'" + mm +
                        "/" + Digits2(log.Day) + "/" + yyyy + ", " + Digits2(log.Hour) + ":" +
                        Digits2(log.Minute) + ":" + Digits2(log.Second) + "'" + "," +
                        Digits2(log.Result) + "," + QString::number(unit) + ")"});
    try {
        query.ExecSQL();
    } catch (...) {
        FKnownLogTables.remove("ENTRANCE_LOG" + yyyy + "_" + mm);
        throw;
    }
}

// The answering unit's row registered, every other row of the person unregistered with the
// image queued for its unit. Rows marked 削除 stay so: their units get no image, and the
// answering unit, should its row be one, is sent the removal again.
void TRecordStore::SpreadImage(int unit, const QString& code, const QByteArray& image) {
    TDBQueryODBC& query = *FDM1.sqlEntrance;
    query.Close();
    query.SetReadOnly(false);
    query.SQL().Assign(
        QStringList{"SELECT * FROM M_使用認証機", "WHERE 個人コード=" + QuotedStr(code)});
    query.SetUpdateKeyColumn("個人コード; 認証機ID; 登録; 削除");
    query.SetUpdateTableName("M_使用認証機");
    query.Open();
    bool ownRow = false, removing = false;
    for (; !query.Eof(); query.Next()) {
        const int rowUnit = query.FieldByName("認証機ID")->AsInteger();
        if (query.FieldByName("削除")->AsBoolean()) {
            removing = removing || rowUnit == unit;
            continue;
        }
        query.Edit();
        query.FieldByName("登録")->SetAsBoolean(rowUnit == unit);
        query.FieldByName("削除")->SetAsBoolean(false);
        query.FieldByName("登録不可")->SetAsBoolean(false);
        if (rowUnit == unit)
            ownRow = true;
        else
            FLine.SendCommand(rowUnit, ImageWriteCommand, code, ImagePrefix + image);
        query.Post();
    }
    if (!ownRow && !removing) {
        query.Append();
        query.FieldByName("個人コード")->SetAsString(code);
        query.FieldByName("認証機ID")->SetAsInteger(unit);
        query.FieldByName("登録")->SetAsBoolean(true);
        query.FieldByName("削除")->SetAsBoolean(false);
        query.FieldByName("登録不可")->SetAsBoolean(false);
        query.Post();
    }
    query.Close();
    if (removing && !ownRow)
        FAnswers.SendPendingRemovals(unit);
}

// The oldest waiting record could not be stored: the operator learns it once per fault.
// Another program's lock is part of the day's work: it is shown, and logged only once it has
// held the records back for LockReportMs.
void TRecordStore::NoteStoreFault(const Exception& e, const TRecvDataClass& record, bool locked) {
    TStoreFault& fault = FStoreFault;
    if (fault.Reason.isEmpty())
        fault.Since = GetTickCount();
    const bool known = fault.Reason == e.Message();
    fault.Reason = e.Message();
    const QString waiting = "記録" + QString::number(FPendingRecords.size()) + "件";
    if (locked) {
        if (!fault.Logged && GetTickCount() - fault.Since > LockReportMs) {
            fault.Logged = true;
            LogRecordError(e, record,
                           " / 他のプログラムのロックのため" + waiting +
                               "を1分以上保存できずにいます");
        }
        return;
    }
    if (known)
        return;
    fault.Logged = true;
    LogRecordError(e, record, " / " + waiting + "を保存できるまで保留します");
}

// The fault has cleared and nothing waits any more.
void TRecordStore::EndStoreFault() {
    TStoreFault& fault = FStoreFault;
    if (fault.Logged)
        ErrorLog().WriteErrorLog(
            "保留していた記録" + QString::number(fault.Held) + "件を保存しました", Now());
    fault = TStoreFault();
}

// One try of the oldest waiting record. A log record that meets a storage fault is the only
// copy there is: it stays first, however long the fault lasts, and is tried again after a
// pause that grows up to LongestPauseMs (RetryIntervalMs for a lock, which another program lets go
// soon), so the window thread is seldom held meanwhile. Other failures of a log record are
// tried MaxAttempts times, those of other records once.
TRecordStore::TPendingOutcome TRecordStore::TryPendingRecord(TPendingRecord& pending,
                                                             bool lastTry) {
    const TRecvDataClass& record = pending.Record;
    const bool log = record.Command == LogReadReply;
    try {
        HandleRecord(record);
        return TPendingOutcome::Done;
    } catch (const ERecordRejected& e) {
        LogRecordError(e, record);
        return TPendingOutcome::Done;
    } catch (const Exception& e) {
        const auto* sql = dynamic_cast<const ESqlError*>(&e);
        const bool locked = sql && sql->Locked();
        if (log && IsStorageFault(e)) {
            NoteStoreFault(e, record, locked);
            pending.TriedAt = GetTickCount();
            pending.WaitMs = locked ? RetryIntervalMs : pending.PauseMs;
            if (!locked)
                pending.PauseMs = std::min(pending.PauseMs * 2, LongestPauseMs);
            if (!lastTry)
                return TPendingOutcome::Retry;
            LogRecordError(e, record,
                           " / 次回の起動時に保存します (" +
                               QString::number(FPendingRecords.size()) + "件)");
            return TPendingOutcome::KeptForNextStart;
        }
        if (!lastTry && log && ++pending.Attempts < MaxAttempts)
            return TPendingOutcome::Retry;
        LogRecordError(e, record);
        return TPendingOutcome::Done;
    }
}

// Handles the waiting records in order. A log record that could not be stored stays first and
// holds the others back (TryPendingRecord). On the last try a storage fault leaves the records
// to the next start, which reads them back from the file.
void TRecordStore::DrainPendingRecords(bool lastTry) {
    auto& pending = FPendingRecords;
    TStoreFault& fault = FStoreFault;
    if (!lastTry && !pending.empty() &&
        GetTickCount() - pending.front().TriedAt < pending.front().WaitMs)
        return;
    while (!pending.empty()) {
        TPendingRecord& next = pending.front();
        const TPendingOutcome outcome = TryPendingRecord(next, lastTry);
        if (outcome == TPendingOutcome::Retry)
            return;
        if (outcome == TPendingOutcome::KeptForNextStart) {
            pending.clear();
            fault = TStoreFault();
            return;
        }
        FLine.Driver.RecordDone(next.Record);
        pending.pop_front();
        if (!fault.Reason.isEmpty())
            ++fault.Held;
    }
    if (!fault.Reason.isEmpty())
        EndStoreFault();
}

// Puts a record read from the driver behind the waiting ones.
void TRecordStore::Enqueue(const TRecvDataClass& record) {
    FPendingRecords.push_back({.Record = record});
}

// A unit that took the image of a person it is not to hold (the row unticked or the person
// deleted while the image was on its way) is sent the removal.
void TRecordStore::MarkUnitUserRegistered(int unit, const QString& code, bool refused) {
    bool wanted = false;
    OnUnitRow(*FDM1.sqlEntrance, unit, code, "個人コード, 認証機ID, 登録, 削除, 登録不可",
              UnitRowInUse, [&](TDBQueryODBC& query) {
                  query.Edit();
                  query.FieldByName("登録")->SetAsBoolean(true);
                  query.FieldByName("削除")->SetAsBoolean(false);
                  query.FieldByName("登録不可")->SetAsBoolean(refused);
                  query.Post();
                  wanted = true;
              });
    if (wanted || refused)
        return;
    FAnswers.KeepRemoval(unit, code);
    FAnswers.SendPendingRemovals(unit);
}

// The rows marked 削除 go; a row ticked again meanwhile stays and, the unit no longer holding
// the person, is sent the image again.
void TRecordStore::RemoveUnitUser(int unit, const QString& code) {
    if (code.isEmpty())
        return;
    DeleteUnitRow(*FDM1.sqlEntrance, unit, code, "削除=True");
    OnUnitRow(*FDM1.sqlEntrance, unit, code, "個人コード, 認証機ID, 登録, 削除", UnitRowInUse,
              [](TDBQueryODBC& query) {
                  query.Edit();
                  query.FieldByName("登録")->SetAsBoolean(false);
                  query.Post();
              });
}

void TRecordStore::StoreReadImage(int unit, const TRecvDataClass& record) {
    const QByteArray parameters = record.Parameters();
    const TImageRead read = FAnswers.TakeImageRead(unit, Person(parameters));
    if (parameters.mid(ImageStatusOffset, ImageStatusSize) == QByteArray(ImageStatusSize, '\0')) {
        SendImageAnswer({}, read);
        return;
    }
    if (read.Code.isEmpty())
        throw ERecordRejected("認証画像に個人コードがありません");
    const QByteArray image = parameters.mid(ImageOffset, ImageSize);
    if (image.size() != ImageSize)
        throw ERecordRejected("認証画像が900バイトありません");
    const bool stored = StoreImage(*FDM1.sqlGazo, read.Code, image);
    SpreadImage(unit, read.Code, image);
    if (stored)
        SendImageAnswer(read.Code, read);
}

void TRecordStore::StoreUnitLog(int unit, const TRecvDataClass& record) {
    const TLogRecord log = TLogRecord::Parse(record.Parameters());
    const int operation = log.Operation;
    if ((operation == OpEnrolled || operation == OpRemovedAtUnit) && log.Result != 1)
        return;
    if (operation == OpEnrolled) {
        EnsurePerson(*FDM1.sqlEntrance, log.Code);
        // Without the read the image never reaches the database: the record waits instead.
        if (!FAnswers.ReadImage(unit, log.Code))
            throw Exception("認証機" + QString::number(unit) + "へ画像の読み出しを送れません");
    } else if (operation == OpRemovedAtUnit) {
        DeleteUnitRow(*FDM1.sqlEntrance, unit, log.Code);
    } else if (log.WritesLogRow()) {
        const SqlBusyTimeoutScope briefly(FDM1.sqlLog->Connection(), LogLockWaitMs);
        InsertLog(unit, log, record.MayBeStored);
    } else if (operation == OpTamper) {
        SetTamper(*FDM1.sqlState, unit, log.Result);
    }
}

void TRecordStore::HandleRecord(const TRecvDataClass& record) {
    const TSQLWaitAsArrow arrow;
    const int unit = record.UnitId;
    if (!IsUnitId(unit))
        throw ERecordRejected("認証機IDが不正です: " + QString::number(unit));
    const QByteArray parameters = record.Parameters();
    if (record.Command == ImageReadReply) {
        StoreReadImage(unit, record);
    } else if (record.Command == ImageWriteReply) {
        // The result digit follows the code field.
        const char result = parameters.size() > CodeFieldSize ? parameters[CodeFieldSize] : ' ';
        if (!std::isdigit(uchar(result)))
            throw ERecordRejected("RWAの結果が数字ではありません");
        MarkUnitUserRegistered(unit, Person(parameters), result != '1' && result != '2');
    } else if (record.Command == RemovalReply) {
        RemoveUnitUser(unit, FAnswers.TakeRemovalSent(unit, Person(parameters)));
        // The next portion of removals follows as this one is answered.
        RunLogged([this] { FAnswers.SendPendingRemovals(); });
    } else if (record.Command == LogReadReply) {
        StoreUnitLog(unit, record);
    }
}

void TRecordStore::ProcessRecvData() {
    TRecvDataClass record;
    if (DrvReadData(FLine.Driver, record))
        HandleRecvData(record);
    else
        DrainPendingRecords();
}

void TRecordStore::HandleRecvData(const TRecvDataClass& record) {
    Enqueue(record);
    DrainPendingRecords();
}

void TRecordStore::RetryPendingRecords() {
    DrainPendingRecords();
}

void TRecordStore::HandleRemainingRecords() {
    TRecvDataClass record;
    while (DrvReadData(FLine.Driver, record))
        Enqueue(record);
    DrainPendingRecords(true);
}

int TRecordStore::PendingRecordCount() const {
    return int(FPendingRecords.size());
}

QString TRecordStore::PendingRecordStatus() const {
    if (FPendingRecords.empty() || FStoreFault.Reason.isEmpty())
        return {};
    return "未保存の記録 " + QString::number(FPendingRecords.size()) + "件: " + FStoreFault.Reason;
}

} // namespace reruzida
