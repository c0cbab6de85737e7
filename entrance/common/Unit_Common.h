#pragma once

// The management program's common unit: the globals the login fills and the routines
// that every screen and report calls.

#include "Unit_CommonDatabase.h"
#include "Unit_CommonDates.h"
#include "Unit_CommonGrids.h"
#include "Unit_CommonText.h"
#include "Unit_CommonTimes.h"
#include "Unit_CommonWait.h"

#include <QString>

// The logged-in operator.
struct TOperatorRec {
    int Code = 0;
    QString Name;
    int Rank = 0; // 0 管理者, 1 一般, 2 経理
    QString PassWD;
};

// A program file in the data folder; the data folder is its folder.
extern QString DataPath;
// Logged in to the data of another PC.
extern bool NetworkMode;
extern QString RemotePCName;
// This PC's IPv4 address without its dots: the suffix of the per-PC temporary tables.
extern QString LocalIPDigits;
// The dial-up value saved at a remote login; -1: nothing to restore.
extern int SavedAutoDial;
extern TOperatorRec CurrentOperator;
extern TDisposalDayD ProcessingPeriod;

// String values under HKEY_LOCAL_MACHINE "Software\Zezoduzu". The write tells whether the
// value was stored; the read gives an empty text for a missing value.
bool WriteAppRegistry(const QString& name, const QString& value);
QString ReadAppRegistry(const QString& name);

// The dial-up-on-demand setting does not exist here: nothing changes and the result is -1,
// "nothing to restore".
int SetAutoDial(int value);

// The host's IPv4 address in dotted form, "NA" when the name does not resolve. A name that
// resolves to loopback only (the host's own name) gives this machine's first other IPv4
// address, so that two PCs never share the same digits.
QString HostToIPStr(const QString& host);
