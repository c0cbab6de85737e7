#pragma once

#include "protocol/UnitFrame.h"

#include <QSet>
#include <QString>
#include <cstdint>
#include <deque>

namespace reruzida {

class TAwaitedAnswers;
class TDM1;
class TDMCreate;
class TJobLine;

// A received record waiting to be stored. Times are tick counts (GetTickCount).
struct TPendingRecord {
    static constexpr uint32_t FirstPauseMs = 1000;

    TRecvDataClass Record;
    int Attempts = 0;
    // The record is not tried again before WaitMs have passed since the tick TriedAt.
    uint32_t TriedAt = 0;
    uint32_t WaitMs = 0;
    // The pause before the next try after a storage fault; it grows with each failed try.
    uint32_t PauseMs = FirstPauseMs;
};

// What holds the waiting records back, for the operator: the fault's message, whether it
// went to the error log, how many records were handled since it began, and when it began (a
// tick count).
struct TStoreFault {
    QString Reason;
    bool Logged = false;
    int Held = 0;
    uint32_t Since = 0;
};

// What each received record does to the data: the records taken from the driver are stored in
// turn, each once, and those that meet a fault wait and are tried again. The answers to the
// removals and image reads find what asked for them in `answers`.
class TRecordStore {
public:
    TRecordStore(TDM1& dm1, TDMCreate& dmCreate, TJobLine& line, TAwaitedAnswers& answers);
    TRecordStore(const TRecordStore&) = delete;
    TRecordStore& operator=(const TRecordStore&) = delete;

    // The record handlers (they raise on failure).
    void StoreReadImage(int unit, const TRecvDataClass& record);
    void StoreUnitLog(int unit, const TRecvDataClass& record);
    void MarkUnitUserRegistered(int unit, const QString& code, bool refused);
    void RemoveUnitUser(int unit, const QString& code);
    // Dispatches a record on its command: RRA, RWA, RDA, LRA; anything else does nothing.
    void HandleRecord(const TRecvDataClass& record);

    // WM_RECV_DATA: takes one record from the driver and handles it, after any record still
    // waiting for a retry. A log record that could not be stored stays waiting, in order, and
    // is tried again after a pause (a couple of seconds for another program's lock; growing up
    // to a minute for any other storage fault) for as long as the fault lasts; the fault gets
    // one line in the error log (a lock once it has held records back for a minute), and so
    // does its end. What fails for good goes to the error log whole. A record that a unit sends
    // again after the program ended before acknowledging it (so that the copy read back from
    // the received-records file is stored) is not stored twice.
    void ProcessRecvData();
    // Puts a record behind the waiting ones and handles what it can.
    void HandleRecvData(const TRecvDataClass& record);
    // Handles the records still waiting for a retry whose pause is over.
    void RetryPendingRecords();
    // Before the program ends: the records still waiting, received or held for a retry, are
    // handled once more; what fails then goes to the error log whole, but a storage fault
    // leaves the records to the next start, which reads them back from the received-records
    // file.
    void HandleRemainingRecords();
    // Records waiting for a retry.
    int PendingRecordCount() const;
    // For the operator while a storage fault holds records back: how many wait and why; empty
    // when none does.
    QString PendingRecordStatus() const;

private:
    enum class TPendingOutcome {
        Done,            // stored, or logged for good
        Retry,           // stays first and is tried again when its pause is over
        KeptForNextStart // the program ends: the received-records file keeps it and those behind
    };

    void EnsureLogTable(const QString& yyyy, const QString& mm);
    bool IsStoredAlready(int unit, const TLogRecord& log, const QString& table);
    void InsertLog(int unit, const TLogRecord& log, bool mayBeStored);
    void SpreadImage(int unit, const QString& code, const QByteArray& image);
    void NoteStoreFault(const Exception& e, const TRecvDataClass& record, bool locked);
    void EndStoreFault();
    TPendingOutcome TryPendingRecord(TPendingRecord& pending, bool lastTry);
    void DrainPendingRecords(bool lastTry = false);
    void Enqueue(const TRecvDataClass& record);

    TDM1& FDM1;
    TDMCreate& FDMCreate;
    TJobLine& FLine;
    TAwaitedAnswers& FAnswers;
    // Records waiting for a retry, oldest first.
    std::deque<TPendingRecord> FPendingRecords;
    TStoreFault FStoreFault;
    // Month tables found or made in this run. A file may stand without its table (the
    // program killed while making it, and the half-made table rolled back), so a table is
    // looked for once a run and again after an insert into it failed.
    QSet<QString> FKnownLogTables;
};

} // namespace reruzida
