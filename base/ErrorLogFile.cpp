#include "ErrorLogFile.h"

#include "base/Text.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

TErrorLog::TErrorLog(const QString& fileName) : FFileName(fileName) {}

void TErrorLog::LoadErrorLog() {
    FLines.clear();
    QFile file(FFileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // Written in UTF-8; a log written in code page 932 reads as well.
    QString text = DecodeTextFile(file.readAll()).replace("\r\n", "\n");
    if (text.endsWith('\n'))
        text.chop(1);
    if (!text.isEmpty())
        FLines = text.split('\n').mid(0, MaxLines);
}

namespace {

// One entry per line: a message that carries a record's bytes may hold line breaks. A line
// quotes at most a whole record, whatever a message carries.
QString LineOf(const QString& message, TDateTime time) {
    QString text = message.size() > TErrorLog::MaxMessage
                       ? message.left(TErrorLog::MaxMessage) + "…"
                       : message;
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control)
            c = ' ';
    return FormatDateTime("yyyy/mm/dd hh:nn:ss", time) + " " + text;
}

} // namespace

void TErrorLog::WriteErrorLog(const QString& message, TDateTime time) {
    FLines.prepend(LineOf(message, time));
    while (FLines.size() > MaxLines)
        FLines.removeLast();
    Save();
}

void TErrorLog::WriteRequestLog(const QString& message, TDateTime time) {
    FLines.prepend(LineOf(RequestMark + message, time));
    int requestLines = 0;
    for (qsizetype i = 0; i < FLines.size(); ++i)
        if (IsRequestLine(FLines[i]) && ++requestLines > MaxRequestLines)
            FLines.removeAt(i--);
    while (FLines.size() > MaxLines)
        FLines.removeLast();
    Save();
}

bool TErrorLog::IsRequestLine(const QString& line) {
    // After "yyyy/mm/dd hh:nn:ss ".
    return QStringView(line).mid(20).startsWith(QString(RequestMark));
}

void TErrorLog::Save() {
    // Written beside and then put in place: a full disk leaves the last good file as it was.
    QSaveFile file(FFileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    QTextStream out(&file);
    for (const QString& line : FLines)
        out << line << '\n';
    out.flush();
    file.commit();
}
