#pragma once

// The management program's common unit: the session the login fills and the routines
// that every screen and report calls.

#include "EntranceSession.h"
#include "Unit_CommonDatabase.h"
#include "Unit_CommonDates.h"
#include "Unit_CommonGrids.h"
#include "Unit_CommonText.h"
#include "Unit_CommonTimes.h"
#include "Unit_CommonWait.h"

#include <QString>

namespace entrance {

// String values under HKEY_LOCAL_MACHINE "Software\Zezoduzu". The write tells whether the
// value was stored; the read gives an empty text for a missing value.
bool WriteAppRegistry(const QString& name, const QString& value);
QString ReadAppRegistry(const QString& name);

// The dial-up-on-demand setting does not exist here: nothing changes and the result is -1,
// "nothing to restore".
int SetAutoDial(int value);

// The host's IPv4 address in dotted form, "NA" when the name does not resolve. A name that
// resolves to loopback only (the host's own name) gives this machine's first other IPv4
// address, so that two PCs never share the same digits. A computer that the PC list found
// announced on the network is sought first where it announced itself: at its addresses, then
// its host names; a PC that no name service knows is reached so.
QString HostToIPStr(const QString& host);
// Forgets where the computers of an earlier search were announced.
void ForgetAnnouncedHosts();
// Keeps an address or host name that the computer `name` announced.
void RememberAnnouncedHost(const QString& name, const QString& where);

} // namespace entrance
