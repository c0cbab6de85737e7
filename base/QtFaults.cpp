#include "QtFaults.h"

#include "ErrorLogFile.h"

#include <QtGlobal>
#include <mutex>

namespace {

std::function<void(const QString&, bool)>& Writer() {
    static std::function<void(const QString&, bool)> write;
    return write;
}

QtMessageHandler& QtHandler() {
    static QtMessageHandler handler = nullptr;
    return handler;
}

void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    static std::recursive_mutex writing;
    thread_local bool inside = false;
    if ((type == QtCriticalMsg || type == QtFatalMsg) && !inside) {
        const std::lock_guard lock(writing);
        inside = true;
        const QString where =
            context.file ? QString(" (%1:%2)").arg(context.file).arg(context.line) : QString();
        Writer()(message + where, type == QtFatalMsg);
        inside = false;
    }
    if (QtHandler())
        QtHandler()(type, context, message);
}

} // namespace

void LogQtFaults(std::function<void(const QString& message, bool fatal)> write) {
    Writer() = std::move(write);
    const QtMessageHandler previous = qInstallMessageHandler(Handle);
    if (previous != Handle)
        QtHandler() = previous;
}

void WriteToLogFile(const QString& fileName, const QString& message) {
    TErrorLog log(fileName);
    log.LoadErrorLog();
    log.WriteErrorLog(message, Now());
}
