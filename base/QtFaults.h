#pragma once

#include <QString>
#include <functional>

// Sends Qt's critical and fatal messages (a failed assert is a fatal one) to `write` as well,
// before Qt's own handling, which ends the program after a fatal message. `write` runs on the
// message's thread, one call at a time; `fatal` says the program ends as it returns. A message
// raised while `write` runs is left to Qt alone.
void LogQtFaults(std::function<void(const QString& message, bool fatal)> write);

// What a program without a log of its own in memory writes: the line goes on top of the log
// file `fileName` as it is on the disk (TErrorLog).
void WriteToLogFile(const QString& fileName, const QString& message);
