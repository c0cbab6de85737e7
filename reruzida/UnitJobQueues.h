#pragma once

#include "protocol/UnitFrame.h"

#include <QByteArray>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <utility>

class QTcpSocket;

namespace reruzida {

// Queues a command for a unit, as DrvSendCommand does.
using TSendCommand = std::function<bool(int unit, const QByteArray& command, const QString& code,
                                        const QByteArray& tail)>;

// An image read (RRR) sent to a unit and not yet answered; Client is the TCP client that
// asked, or none when the answer goes to the two answer windows.
struct TImageRead {
    int Unit = 0;
    QString Code;
    QPointer<QTcpSocket> Client;
};

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

// What the window thread's unit jobs keep between records, requests and ticks: the records
// waiting to be stored, the commands on their way whose answers must find what asked for
// them, and the turn of the registrations. The session owns them, so a new session starts
// with none.
struct TUnitJobQueues {
    // Records waiting for a retry, oldest first.
    std::deque<TPendingRecord> PendingRecords;
    TStoreFault StoreFault;
    // Removals sent and not yet answered, oldest first, each (unit, code) once; only an
    // answer without the code needs them. No more can be on their way than the send queue
    // holds.
    std::deque<std::pair<int, QString>> RemovalsSent;
    // Image reads sent and not yet answered, oldest first, each (unit, code) once.
    std::deque<TImageRead> ImageReads;
    // Month tables found or made in this run. A file may stand without its table (the
    // program killed while making it, and the half-made table rolled back), so a table is
    // looked for once a run and again after an insert into it failed.
    QSet<QString> KnownLogTables;
    // The person whose image was sent last, so the next tick starts after them.
    QString LastRegistrationCode;
    // Persons whose stored image is not 900 bytes, with a hash of that image: the error log
    // has a line about it, and gets another only when the image changes.
    QHash<QString, size_t> BadImagesLogged;
    // Where commands go; none: the jobs' driver. Tests put a recorder in.
    TSendCommand Send;
};

} // namespace reruzida
