#include "ErrorLog.h"

#include "base/Files.h"
#include "base/SysUtils.h"
#include "base/Text.h"

#include <QFile>
#include <QTextStream>
#include <memory>

TErrorLog::TErrorLog(const QString& fileName) : FFileName(fileName) {}

void TErrorLog::LoadErrorLog() {
    FLines.clear();
    QFile file(FFileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // Written in UTF-8; a log from the original system's folder is in code page 932.
    QString text = DecodeTextFile(file.readAll()).replace("\r\n", "\n");
    if (text.endsWith('\n'))
        text.chop(1);
    if (!text.isEmpty())
        FLines = text.split('\n').mid(0, MaxLines);
}

void TErrorLog::WriteErrorLog(const QString& message, TDateTime time) {
    // One entry per line: a message that carries a record's bytes may hold line breaks. A
    // line quotes at most a whole record, whatever a message carries.
    QString text = message.size() > MaxMessage ? message.left(MaxMessage) + "…" : message;
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control)
            c = ' ';
    FLines.prepend(FormatDateTime("yyyy/mm/dd hh:nn:ss", time) + " " + text);
    while (FLines.size() > MaxLines)
        FLines.removeLast();
    QFile file(FFileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return;
    QTextStream out(&file);
    for (const QString& line : FLines)
        out << line << '\n';
}

namespace {

std::unique_ptr<TErrorLog>& TheLog() {
    static std::unique_ptr<TErrorLog> log;
    return log;
}

} // namespace

void SetErrorLogFolder(const QString& folder) {
    QString path = folder;
    if (!path.endsWith('/'))
        path += '/';
    TheLog() = std::make_unique<TErrorLog>(path + "ErrorLog.Log");
    TheLog()->LoadErrorLog();
}

TErrorLog& ErrorLog() {
    if (!TheLog())
        SetErrorLogFolder(ProgramFolder());
    return *TheLog();
}

bool RunLogged(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const Exception& e) {
        ErrorLog().WriteErrorLog(e.Message(), Now());
    } catch (const std::exception& e) {
        ErrorLog().WriteErrorLog(QString::fromLocal8Bit(e.what()), Now());
    }
    return false;
}
