#include "ErrorLog.h"

#include "base/Files.h"
#include "base/SysUtils.h"
#include "base/Text.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QTextStream>
#include <QTimer>
#include <memory>

namespace reruzida {

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

namespace {

std::unique_ptr<TErrorLog>& TheLog() {
    static std::unique_ptr<TErrorLog> log;
    return log;
}

// The request faults of a client in its current minute.
struct TRequestFaults {
    TDateTime MinuteStart = 0;
    int Held = 0;
    QString Last;
};

QHash<QString, TRequestFaults>& RequestFaults() {
    static QHash<QString, TRequestFaults> faults;
    return faults;
}

constexpr int MinuteMs = 60000;
constexpr TDateTime OneMinute = double(MinuteMs) / MSecsPerDay;

// Sums up what was held back of the clients whose minute is over, and forgets them.
void SumUpRequestFaults() {
    const TDateTime now = Now();
    auto& faults = RequestFaults();
    for (auto it = faults.begin(); it != faults.end();) {
        if (now - it->MinuteStart < OneMinute) {
            ++it;
            continue;
        }
        if (it->Held > 0)
            ErrorLog().WriteRequestLog(it.key() + ": この1分間にほかに" +
                                           QString::number(it->Held) + "件 (最後: " + it->Last +
                                           ")",
                                       now);
        it = faults.erase(it);
    }
}

} // namespace

void SetErrorLogFolder(const QString& folder) {
    RequestFaults().clear();
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

// Runs `work`; the message of what it raises goes to `report`. True when nothing was raised.
static bool RunReporting(const std::function<void()>& work,
                         const std::function<void(const QString&)>& report) {
    try {
        work();
        return true;
    } catch (const Exception& e) {
        report(e.Message());
    } catch (const std::exception& e) {
        report(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

bool RunLogged(const std::function<void()>& work) {
    return RunReporting(work,
                        [](const QString& message) { ErrorLog().WriteErrorLog(message, Now()); });
}

void LogRequestFault(const QString& client, const QString& message) {
    SumUpRequestFaults();
    auto& faults = RequestFaults();
    const auto found = faults.find(client);
    if (found == faults.end()) {
        faults.insert(client, {Now(), 0, {}});
        ErrorLog().WriteRequestLog(client + ": " + message, Now());
        return;
    }
    if (found->Held++ == 0)
        QTimer::singleShot(MinuteMs + 100, QCoreApplication::instance(), SumUpRequestFaults);
    found->Last = message;
}

bool RunRequestLogged(const QString& client, const std::function<void()>& work) {
    return RunReporting(work,
                        [&client](const QString& message) { LogRequestFault(client, message); });
}

} // namespace reruzida
