#pragma once

#include "protocol/CommRequests.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace entrance {

// The requests to the communication program. The way is the one the login chose: with this
// PC's data (NetworkMode false) through the local socket of the window captioned
// "認証機コミュニケーション"; with another PC's data over TCP to RemotePCName on the
// request's port, the text sent as soon as the connection opens. A request without a port
// (stop, restart) always goes the local way. Each sender tells whether the request was
// handed over, so a caller can refuse what depends on it; over TCP a removal is handed over
// only once the communication program answered "DELETE", which it does once it kept it.

// The port of a request code; 0 for a code that has none.
quint16 RequestPort(int code);
// What the local socket carries: the text in CP932 and one closing zero byte; nothing for an
// empty text.
QByteArray LocalRequestPayload(const QString& text);
// Sends one request; true once it was handed over to the communication program.
bool SendCommRequest(int code, const QString& text);

// The lines in requests of whole lines, in order, each at most `maxBytes` long in CP932 (a
// line longer than that goes alone).
QStringList RequestParts(const QStringList& lines, int maxBytes = MaxRequestBytes);

// Asks for the removal of the person from every unit of the person's rows in use, one
// CodeUnitLine per unit in unit order: a unit may hold the person whatever its row says of
// the registration. True when the request was handed over, or when there was nothing to
// remove.
bool RequestUserRemoval(const QString& code);
// Asks for the removal of every person of the unit's rows, marked for removal or not, from
// the unit, in requests that each fit the servers' limit; the first that is not handed over
// ends it. True when all were handed over, or when there was nothing to remove.
bool RequestUnitRemoval(int unit);
// Whether a person's removal from units goes ahead once its request was tried: with this PC's
// data always, the rows marked 削除 carrying it to the units whenever the communication program
// runs; with another PC's data only once the request was handed over.
bool RemovalGoesAhead(bool handedOver);

} // namespace entrance
