#pragma once

#include "base/ErrorLogFile.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace reruzida {

// The log "ErrorLog.Log" in the program folder; SetErrorLogFolder points it elsewhere (the
// data folder a test makes).
TErrorLog& ErrorLog();
void SetErrorLogFolder(const QString& folder);

// Writes a line to the error log through the window thread, which owns the log.
void LogFromThread(const QString& message);
// Qt's critical and fatal messages, a failed assert among them, go to the error log too: from
// another thread through the window thread, but a fatal one at once, the program ending.
void LogQtFaultsToErrorLog();

// Runs `work` and writes whatever it raises to the error log instead of passing it on.
// False when it raised.
bool RunLogged(const std::function<void()>& work);

// A request of `client` ("TCP 11032 192.168.1.5") was refused or failed: the first such line of
// a client goes to the log at once, the others of the next minute are counted and summed up
// in one line when the minute is over.
void LogRequestFault(const QString& client, const QString& message);
// RunLogged for the handling of a request of `client`: what it raises goes to LogRequestFault.
bool RunRequestLogged(const QString& client, const std::function<void()>& work);

} // namespace reruzida
