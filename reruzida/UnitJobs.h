#pragma once

#include "protocol/UnitFrame.h"
#include "reruzida/UnitJobQueues.h"

#include <QByteArray>
#include <QString>

class QTcpSocket;

namespace reruzida {

struct TCommDriver;
class TDM1;
class TDMCreate;

// The unit jobs of the window thread: what each received record does to the data, the three
// periodic jobs, and the removals and image reads whose answers come later. They work on the
// datasets of the two data modules, take the received records from the driver and queue their
// commands there, and keep what waits between records, requests and ticks in the queues. The
// session owns one on its own parts, and hands it to the monitor window and the request
// handlers.
//
// A removal is kept in M_使用認証機: the person's row for the unit marked 削除 until the unit
// confirms it with RDA, which deletes the row. A row that another program marked, or one kept
// while the unit was away, is sent again whenever its unit is found and with every expiry
// tick, also after a restart.
class TUnitJobs {
public:
    // Removals go to the send queue this many at most (about six seconds of the line), so
    // they leave it room for every other command, a found unit's run command above all.
    static constexpr int RemovalPortion = 20;

    TUnitJobs(TDM1& dm1, TDMCreate& dmCreate, TCommDriver& driver, TUnitJobQueues& queues);
    TUnitJobs(const TUnitJobs&) = delete;
    TUnitJobs& operator=(const TUnitJobs&) = delete;

    // Queues a command for a unit (DrvSendCommand on the driver unless a test puts another
    // in; an empty function puts the driver back).
    void SetSendCommand(TSendCommand send);
    bool SendCommand(int unit, const QByteArray& command, const QString& code = {},
                     const QByteArray& tail = {});
    // A unit ID from 1 to 32 that answered the driver's last scan.
    bool IsValidUnit(int unit) const;

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

    // The periodic jobs (they raise on failure).
    void ApplyOperatingHours();
    void SendPendingRegistrations();
    void DeleteExpiredUsers();

    // WM_TICK_UNITSTATE, WM_TICK_REGISTER, WM_TICK_EXPIRE: runs the job (errors go to the
    // error log), after retrying waiting records; the expiry tick first sends the removals
    // still waiting for their units (SendPendingRemovals).
    void ProcessTick(int msg);

    // Keeps the removal of the person from the unit: its rows are marked 削除, or one such row
    // is inserted when the person has none there. Raises when it cannot be kept, and
    // EConvertError for an empty code (a request line ",3", or a unit's RWA without a code),
    // keeping nothing.
    void KeepRemoval(int unit, const QString& code);
    // Queues RDR for the rows marked 削除 of the unit (0: of every present unit), when present
    // and not queued already, up to RemovalPortion waiting; nothing while more than half of a
    // portion waits. The next portion follows as the units answer (HandleRecord), with the
    // expiry tick, and when a unit is found.
    void SendPendingRemovals(int unit = 0);
    // The person an RDA of the unit is about: `code`, or for an empty code the oldest removal
    // sent to the unit (empty when none); either is no longer counted as sent.
    QString TakeRemovalSent(int unit, const QString& code);

    // Queues RRR for the person on the unit and notes the read, for `client` when a TCP client
    // asked; false when it was not queued. A read for the same person there is replaced.
    bool ReadImage(int unit, const QString& code, QTcpSocket* client = nullptr);
    // The read that an RRA from `unit` carrying `code` answers, taken off the list: the one for
    // that code, or for an empty code the oldest on that unit; none noted gives {unit, code}.
    TImageRead TakeImageRead(int unit, const QString& code);

    // TSR and both tamper flags cleared, when the unit's case was opened and closed.
    void ReleaseTamper(int unit);

    // Before the program ends: the remaining records are handled (HandleRemainingRecords).
    void Finish();

private:
    enum class TPendingOutcome {
        Done,            // stored, or logged for good
        Retry,           // stays first and is tried again when its pause is over
        KeptForNextStart // the program ends: the received-records file keeps it and those behind
    };

    void SendRemoval(int unit, const QString& code);
    // "M_使用認証機.認証機ID=1 OR M_使用認証機.認証機ID=3" for the present units.
    QString UnitFilter() const;
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
    TCommDriver& FDriver;
    TUnitJobQueues& FQueues;
};

} // namespace reruzida
