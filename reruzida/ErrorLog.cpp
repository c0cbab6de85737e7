#include "ErrorLog.h"

#include "base/Files.h"
#include "base/QtFaults.h"
#include "base/SysUtils.h"

#include <QCoreApplication>
#include <QHash>
#include <QThread>
#include <QTimer>
#include <memory>

namespace reruzida {

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

void LogFromThread(const QString& message) {
    const TDateTime time = Now();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [message, time] { ErrorLog().WriteErrorLog(message, time); },
        Qt::QueuedConnection);
}

void LogQtFaultsToErrorLog() {
    ErrorLog();
    LogQtFaults([](const QString& message, bool fatal) {
        const QCoreApplication* app = QCoreApplication::instance();
        if (!app || QThread::currentThread() == app->thread())
            ErrorLog().WriteErrorLog(message, Now());
        else if (fatal)
            WriteToLogFile(ErrorLog().FileName(), message);
        else
            LogFromThread(message);
    });
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
