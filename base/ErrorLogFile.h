#pragma once

#include "base/DateTime.h"

#include <QString>
#include <QStringList>

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
