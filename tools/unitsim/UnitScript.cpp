#include "UnitScript.h"

#include "UnitSimulator.h"

#include <QMap>
#include <QStringList>

namespace {

const QMap<QString, TSimFault>& FaultNames() {
    static const QMap<QString, TSimFault> names = {
        {"none", TSimFault::None},     {"badbcc", TSimFault::BadBcc},
        {"badetx", TSimFault::BadEtx}, {"silence", TSimFault::Silence},
        {"split", TSimFault::Split},   {"double", TSimFault::Double},
        {"noise", TSimFault::Noise},   {"wrongsource", TSimFault::WrongSource}};
    return names;
}

// The action of one line, or an empty function when the line is bad.
std::function<void()> ParseEvent(TUnitSimulator& sim, const QStringList& f) {
    bool ok = f.size() >= 3;
    const QString event = ok ? f[1] : QString();
    const int unit = ok ? f[2].toInt(&ok) : 0;
    if (!ok)
        return {};
    auto number = [&](int index) { return f.size() > index ? f[index].toInt(&ok) : (ok = false); };
    if (event == "log" && f.size() == 6) {
        const int operation = number(3), result = number(4);
        const QString code = f[5];
        return ok ? std::function<void()>([&sim, unit, operation, result, code] {
            sim.AddLogRecord(unit, operation, result, code);
        })
                  : nullptr;
    }
    if ((event == "enrol" || event == "remove") && f.size() == 4) {
        const QString code = f[3];
        if (event == "enrol")
            return [&sim, unit, code] { sim.Enrol(unit, code); };
        return [&sim, unit, code] { sim.Remove(unit, code); };
    }
    if (event == "tamper" && f.size() == 4 && (f[3] == "open" || f[3] == "close")) {
        const bool open = f[3] == "open";
        return [&sim, unit, open] { sim.Tamper(unit, open); };
    }
    if (event == "fault" && (f.size() == 4 || f.size() == 5) && FaultNames().contains(f[3])) {
        const TSimFault fault = FaultNames().value(f[3]);
        const int times = f.size() == 5 ? number(4) : 1;
        return ok ? std::function<void()>(
                        [&sim, unit, fault, times] { sim.SetFault(unit, fault, times); })
                  : nullptr;
    }
    if (event == "delay" && f.size() == 5) {
        const QByteArray command = f[3].toLatin1();
        const int ms = number(4);
        return ok ? std::function<void()>(
                        [&sim, unit, command, ms] { sim.SetReplyDelay(unit, command, ms); })
                  : nullptr;
    }
    return {};
}

} // namespace

QString ScheduleScript(TUnitSimulator& sim, const QString& script) {
    const QStringList lines = script.split('\n');
    QList<std::pair<qint64, std::function<void()>>> events;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList fields = line.split(' ', Qt::SkipEmptyParts);
        bool ok = false;
        const qint64 at = fields[0].toLongLong(&ok);
        auto action = ok ? ParseEvent(sim, fields) : std::function<void()>();
        if (!action)
            return QString("line %1: %2").arg(i + 1).arg(line);
        events.append({at, action});
    }
    for (const auto& [at, action] : events)
        sim.Schedule(at, action);
    return {};
}
