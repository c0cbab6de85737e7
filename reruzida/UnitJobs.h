#pragma once

#include "protocol/UnitFrame.h"
#include "reruzida/UnitJobQueues.h"

#include <QByteArray>
#include <QString>

namespace reruzida {

// The unit jobs of the window thread: what each received record does to the data, and the
// three periodic jobs. They use the datasets of the session's DM1 and DMCreate and keep
// what waits in its Jobs.

// Queues a command for a unit (DrvSendCommand unless a test puts another in; an empty
// function puts DrvSendCommand back).
void SetSendCommand(TSendCommand send);
bool SendCommand(int unit, const QByteArray& command, const QString& code = {},
                 const QByteArray& tail = {});

// The record handlers (they raise on failure).
void StoreReadImage(int unit, const TRecvDataClass& record);
void StoreUnitLog(int unit, const TRecvDataClass& record);
void MarkUnitUserRegistered(int unit, const QString& code, bool refused);
void RemoveUnitUser(int unit, const QString& code);
// Dispatches a record on its command: RRA, RWA, RDA, LRA; anything else does nothing.
void HandleRecord(const TRecvDataClass& record);

// WM_RECV_DATA: takes one record with DrvReadData and handles it, after any record still
// waiting for a retry. A log record that could not be stored stays waiting, in order, and is
// tried again after a pause (a couple of seconds for another program's lock; growing up to a
// minute for any other storage fault) for as long as the fault lasts; the fault gets one line
// in the error log (a lock once it has held records back for a minute), and so does its end. What
// fails for good goes to the error log whole. A record that a unit sends again after the program
// ended before acknowledging it (so that the copy read back from the received-records file is
// stored) is not stored twice.
void ProcessRecvData();
// Puts a record behind the waiting ones and handles what it can.
void HandleRecvData(const TRecvDataClass& record);
// Handles the records still waiting for a retry whose pause is over.
void RetryPendingRecords();
// Before the program ends: the records still waiting, received or held for a retry, are
// handled once more; what fails then goes to the error log whole, but a storage fault leaves
// the records to the next start, which reads them back from the received-records file.
void HandleRemainingRecords();
// Records waiting for a retry.
int PendingRecordCount();
// For the operator while a storage fault holds records back: how many wait and why; empty
// when none does.
QString PendingRecordStatus();

// The periodic jobs (they raise on failure).
void ApplyOperatingHours();
void SendPendingRegistrations();
void DeleteExpiredUsers();

// WM_TICK_UNITSTATE, WM_TICK_REGISTER, WM_TICK_EXPIRE: runs the job (errors go to the
// error log), after retrying waiting records; the expiry tick first sends the removals still
// waiting for their units (SendPendingRemovals).
void ProcessTick(int msg);

// A removal is kept in M_使用認証機: the person's row for the unit marked 削除 until the unit
// confirms it with RDA, which deletes the row. A row that another program marked, or one kept
// while the unit was away, is sent again whenever its unit is found and with every expiry
// tick, also after a restart.

// Keeps the removal of the person from the unit: its rows are marked 削除, or one such row is
// inserted when the person has none there. Raises when it cannot be kept, and EConvertError
// for an empty code (a request line ",3", or a unit's RWA without a code), keeping nothing.
void KeepRemoval(int unit, const QString& code);
// Queues RDR for every row marked 削除 of the unit (0: of every present unit), when present.
void SendPendingRemovals(int unit = 0);
// The person an RDA of the unit is about: `code`, or for an empty code the oldest removal sent
// to the unit (empty when none); either is no longer counted as sent.
QString TakeRemovalSent(int unit, const QString& code);

// Before the program ends: the remaining records are handled (HandleRemainingRecords).
void FinishUnitJobs();

} // namespace reruzida
