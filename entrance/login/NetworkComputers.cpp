#include "NetworkComputers.h"

#include "base/DateTime.h"

#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace entrance {

namespace {

// How often the wait for the browser looks at the clock.
constexpr int BrowseWakeMs = 100;

QString Unescaped(const QByteArray& label) {
    QByteArray bytes;
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label[i] != '\\' || i + 1 >= label.size()) {
            bytes += label[i];
            continue;
        }
        const QByteArray digits = label.mid(i + 1, 3);
        bool decimal = digits.size() == 3;
        for (char c : digits)
            decimal = decimal && c >= '0' && c <= '9';
        if (decimal) {
            bytes += char(digits.toInt());
            i += 3;
        } else {
            bytes += label[++i];
        }
    }
    return QString::fromUtf8(bytes);
}

} // namespace

QList<TAnnouncedComputer> AnnouncedComputers(const QByteArray& output) {
    QList<TAnnouncedComputer> computers;
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> fields = line.split(';');
        if (fields.size() < 7 || fields[0] != "=")
            continue;
        const QString name = Unescaped(fields[3]).trimmed();
        if (!name.isEmpty())
            computers << TAnnouncedComputer{
                name, QString::fromUtf8(fields[6]).trimmed(),
                fields.size() > 7 ? QString::fromUtf8(fields[7]).trimmed() : QString()};
    }
    return computers;
}

QList<TAnnouncedComputer> EnumNetworkComputers() {
    const QString browser = QStandardPaths::findExecutable(NetworkBrowser);
    if (browser.isEmpty())
        return {};
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer wake;
    QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
    wake.start(BrowseWakeMs);
    // Every shared folder, resolved, as parsable lines, ending once the list is complete.
    process.start(browser, {"-tpr", "_smb._tcp"});
    const uint32_t start = GetTickCount();
    while (process.state() != QProcess::NotRunning && GetTickCount() - start < BrowseTimeoutMs)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(BrowseWakeMs);
    }
    return AnnouncedComputers(process.readAllStandardOutput());
}

} // namespace entrance
