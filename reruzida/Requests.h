#pragma once

#include "protocol/CommRequests.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class QTcpSocket;

namespace reruzida {

struct TUnitJobs;

// The receiver's side of the requests, on the window thread: each reads its payload and
// hands what it asks for to the session's unit jobs. Each takes the payload as it came
// (CP932, a closing zero byte allowed) and raises on a malformed line; what it queued before
// that line stays queued.

// The lines of a removal request in order: `act` for each CodeUnitLine whose unit ID is 1 to
// 32 and whose code fits a frame; raises at a malformed line.
void ForEachRemovalLine(const QByteArray& payload,
                        const std::function<void(int unit, const QString& code)>& act);
// CD_DELETE_USERS: every CodeUnitLine with a unit ID from 1 to 32 is kept as a removal
// (TAwaitedAnswers::KeepRemoval; a line without a code is malformed), then the removals of the
// present units are sent. Returns once every line is kept.
void DeleteUsersRequest(TUnitJobs& jobs, const QByteArray& payload);
// CD_READ_IMAGE: RRR when the line has exactly two items and a valid unit. A TCP client
// that asked is remembered for the answer to that person on that unit.
void ReadImageRequest(TUnitJobs& jobs, const QByteArray& payload, QTcpSocket* client = nullptr);
// CD_RESET_TAMPER: the unit's tamper alarm released (TPeriodicJobs::ReleaseTamper).
void ResetTamperRequest(TUnitJobs& jobs, const QByteArray& payload);

// Handles 1128, 1144 and 1154 (errors go to the error log); false for any other code, which
// the monitor window handles itself (1164, 1165) or ignores. An empty payload does nothing.
bool HandleCopyData(TUnitJobs& jobs, int code, const QByteArray& payload);

} // namespace reruzida
