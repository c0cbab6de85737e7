#pragma once

#include "reruzida/CommThread.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace reruzida {

// The program folder's file of received records not yet handled (TRecvJournal).
inline constexpr char ReceivedRecordsFile[] = "ReceivedRecords.dat";

// The pace of the protocol thread in ms: 100, or for a test run of the program 1 to 100 set
// in the environment variable TestStepTimeVariable.
int ProgramStepTime();
inline constexpr char TestStepTimeVariable[] = "ZEZODUZU_TEST_STEP_TIME";

// What the driver needs besides its window.
struct TDrvSetup {
    // Runs the protocol thread's statements on entranceState (a TUnitStateTable on the
    // data folder); none leaves the table alone.
    std::shared_ptr<TUnitStateWriter> StateWriter;
    // The pace of the protocol thread in ms; only tests and measurements change it.
    int StepTime = ProgramStepTime();
    // The file that keeps the received records until they are handled; none keeps them
    // in memory only.
    QString JournalFile{};
};

// The protocol thread and what it hands the window thread: the received records, which
// outlive the thread, and the units that answered its last scan. The session owns one and
// hands it to what uses it; the driver interface below works on it. Call the members from the
// window thread only.
struct TCommDriver {
    std::unique_ptr<TCommThread> Thread;
    TRecvDataList Received;
    TUnitPresence UnitPresent{};

    // A unit ID from 1 to 32 that answered the last scan.
    bool IsValidUnit(int unit) const;
    // The commands of this kind waiting for the line or on it, and whether the one for
    // `code` on the unit is; none while no thread runs.
    int QueuedCount(const QByteArray& command) const;
    bool IsQueued(int unitId, const QByteArray& command, const QString& code) const;
    // The window has handled a record DrvReadData gave (stored it, or logged it for good).
    void RecordDone(const TRecvDataClass& record);
};

// The driver interface between the window thread and the protocol thread of `driver`. Call
// these from the window thread only.

// Starts the protocol thread for `window`; does not wait for the port to open. At the first
// open, the records the file kept from an earlier run come first, a WM_RECV_DATA each.
bool DrvOpen(TCommDriver& driver, QObject* window, const TDrvSetup& setup = {});
// Stops the protocol thread and waits, pausing, until it has ended. The thread waits for
// nothing of the window thread (its messages are posted), so it ends within a step; what it
// posted is handled once the window's event loop runs again. False when no thread runs.
bool DrvClose(TCommDriver& driver);
// A new scan starts, from unit 1, when the poll next begins a round.
void DrvRescan(TCommDriver& driver);
// Queues a command: the code padded to 8 bytes (when given), then the tail. False when it
// was not queued: no running thread, a full queue, a unit ID outside 1 to 32, or a code
// longer than 8 bytes.
bool DrvSendCommand(TCommDriver& driver, int unitId, const QByteArray& command,
                    const QString& code = {}, const QByteArray& tail = {});
// Takes the oldest received record; `buffer` is emptied first. False when none waits.
bool DrvReadData(TCommDriver& driver, TRecvDataClass& buffer);
// Why the serial port does not open while the thread tries it again; empty when it is open
// or no thread runs.
QString DrvPortFault(TCommDriver& driver);
// Why received records cannot be kept (so the units keep them); empty when they can.
QString DrvJournalFault(TCommDriver& driver);

// Queues a command for a unit, as DrvSendCommand does.
using TSendCommand = std::function<bool(int unit, const QByteArray& command, const QString& code,
                                        const QByteArray& tail)>;
// DrvSendCommand on `driver`.
TSendCommand DriverQueue(TCommDriver& driver);

} // namespace reruzida
