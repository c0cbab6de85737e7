#pragma once

#include "reruzida/UnitFrame.h"

#include <QByteArray>
#include <QString>
#include <functional>

// The unit jobs of the window thread: what each received record does to the data, and the
// three periodic jobs. They use the datasets of DM1 and DMCreate.

// Queues a command for a unit (DrvSendCommand unless a test puts another in; an empty
// function puts DrvSendCommand back).
using TSendCommand = std::function<bool(int unit, const QByteArray& command, const QString& code,
                                        const QByteArray& tail)>;
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
// waiting for a retry. A log record that could not be stored stays waiting and is tried
// again with the next record or tick (a couple of seconds later when another program holds
// its table locked, for as long as the lock lasts); what fails for good goes to the error
// log whole.
void ProcessRecvData();
// Puts a record behind the waiting ones and handles what it can.
void HandleRecvData(const TRecvDataClass& record);
// Handles the records still waiting for a retry.
void RetryPendingRecords();
// Before the program ends: the records still waiting, received or held for a retry, are
// handled once more; what fails then goes to the error log whole, but a locked month table
// leaves the records to the next start, which reads them back from the received-records file.
void HandleRemainingRecords();
// Records waiting for a retry.
int PendingRecordCount();
void ForgetPendingRecords();

// The periodic jobs (they raise on failure).
void ApplyOperatingHours();
void SendPendingRegistrations();
void DeleteExpiredUsers();

// WM_TICK_UNITSTATE, WM_TICK_REGISTER, WM_TICK_EXPIRE: runs the job (errors go to the
// error log), after retrying waiting records and re-sending unconfirmed removals.
void ProcessTick(int msg);

// Removals (RDR) asked for by request and not yet confirmed by the unit's RDA; they are
// queued again with every expiry tick until the unit confirms.
void AddPendingRemoval(int unit, const QString& code);
// The unit answered RDA for the person.
void ConfirmRemoval(int unit, const QString& code);
int PendingRemovalCount();

// Before the program ends: the remaining records are handled (HandleRemainingRecords), and
// each removal no unit confirmed goes to the error log, since nothing will send it again.
void FinishUnitJobs();

// Forgets the state kept between ticks and records (a new start, or a test).
void ResetUnitJobs();
