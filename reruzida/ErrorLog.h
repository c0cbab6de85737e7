#pragma once

#include "base/DateTime.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace reruzida {

// The program's error log: at most 100 lines, newest first, mirrored in a file. Each line
// is the date "yyyy/mm/dd", a blank, the time "hh:nn:ss", a blank and the message.
class TErrorLog {
public:
    static constexpr int MaxLines = 100;
    // Characters of a message a line keeps: a received record's text fits.
    static constexpr int MaxMessage = 1100;

    explicit TErrorLog(const QString& fileName);
    TErrorLog(const TErrorLog&) = delete;
    TErrorLog& operator=(const TErrorLog&) = delete;

    // Reads the file; a missing or unreadable file leaves the list empty.
    void LoadErrorLog();
    // Puts the line on top (the message cut to MaxMessage), drops the oldest past 100 and
    // saves (a failed save is ignored).
    void WriteErrorLog(const QString& message, TDateTime time);
    // The same for a line about a request from outside (its message begins with RequestMark):
    // such lines keep at most MaxRequestLines of the log, so that a flood of bad requests
    // never pushes out the lines about records.
    void WriteRequestLog(const QString& message, TDateTime time);
    static constexpr int MaxRequestLines = 20;
    static constexpr char RequestMark[] = "要求 ";
    const QStringList& Lines() const { return FLines; }
    const QString& FileName() const { return FFileName; }

private:
    void Save();
    static bool IsRequestLine(const QString& line);

    const QString FFileName;
    QStringList FLines;
};

// The log "ErrorLog.Log" in the program folder; SetErrorLogFolder points it elsewhere (the
// data folder a test makes).
TErrorLog& ErrorLog();
void SetErrorLogFolder(const QString& folder);

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
