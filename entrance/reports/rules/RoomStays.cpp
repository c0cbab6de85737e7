#include "RoomStays.h"

#include "entrance/common/LogOperations.h"
#include "entrance/common/Unit_CommonDates.h"

#include <algorithm>
#include <optional>

namespace entrance {

namespace {

QList<TStayRecord> Sorted(QList<TStayRecord> records) {
    std::stable_sort(
        records.begin(), records.end(), [](const TStayRecord& a, const TStayRecord& b) {
            return a.PersonCode != b.PersonCode ? a.PersonCode < b.PersonCode
                                                : WholeSeconds(a.Time) < WholeSeconds(b.Time);
        });
    return records;
}

// The person's first or last record of a neighbouring day.
std::optional<TStayRecord> Neighbour(const QList<TStayRecord>& records, const QString& person,
                                     bool last) {
    std::optional<TStayRecord> found;
    for (const TStayRecord& r : records) {
        if (r.PersonCode != person)
            continue;
        if (!found || (last ? WholeSeconds(r.Time) >= WholeSeconds(found->Time)
                            : WholeSeconds(r.Time) < WholeSeconds(found->Time)))
            found = r;
    }
    return found;
}

qint64 Between(TDateTime from, TDateTime to) {
    return WholeSeconds(to) - WholeSeconds(from);
}

// The lines of one person's records, in time order, before the neighbouring days are seen.
QList<TStayLine> PairedLines(const QList<TStayRecord>& records) {
    QList<TStayLine> lines;
    for (qsizetype i = 0; i < records.size(); ++i) {
        TStayLine line;
        if (IsEntry(records[i].Operation)) {
            line.InUnit = records[i].UnitID;
            line.InTime = records[i].Time;
            if (i + 1 == records.size() || !IsExit(records[i + 1].Operation)) {
                lines << line;
                continue;
            }
            ++i;
        }
        line.OutUnit = records[i].UnitID;
        line.OutTime = records[i].Time;
        if (line.InUnit != 0)
            line.StaySeconds = Between(line.InTime, line.OutTime);
        lines << line;
    }
    return lines;
}

void CompleteFromPreviousDay(TStayLine& first, const std::optional<TStayRecord>& previous) {
    if (first.InUnit != 0 || !previous || !IsEntry(previous->Operation))
        return;
    first.InUnit = previous->UnitID;
    first.InTime = previous->Time;
    first.InMarked = true;
    first.StaySeconds = Between(first.InTime, first.OutTime);
}

void CompleteFromNextDay(TStayLine& last, const std::optional<TStayRecord>& next) {
    if (last.OutUnit != 0 || !next || !IsExit(next->Operation))
        return;
    last.OutUnit = next->UnitID;
    last.OutTime = next->Time;
    last.OutMarked = true;
    last.StaySeconds = Between(last.InTime, last.OutTime);
}

} // namespace

QList<TStayPerson> RoomStaysOfDay(const QList<TStayRecord>& day,
                                  const QList<TStayRecord>& previousDay,
                                  const QList<TStayRecord>& nextDay) {
    QList<TStayPerson> persons;
    const QList<TStayRecord> records = Sorted(day);
    for (qsizetype from = 0; from < records.size();) {
        qsizetype to = from;
        while (to < records.size() && records[to].PersonCode == records[from].PersonCode)
            ++to;
        TStayPerson person;
        person.PersonCode = records[from].PersonCode;
        person.Lines = PairedLines(records.mid(from, to - from));
        CompleteFromPreviousDay(person.Lines.first(),
                                Neighbour(previousDay, person.PersonCode, true));
        CompleteFromNextDay(person.Lines.last(), Neighbour(nextDay, person.PersonCode, false));
        for (const TStayLine& line : person.Lines)
            person.TotalSeconds += line.StaySeconds;
        persons << person;
        from = to;
    }
    return persons;
}

QString FormatStayTime(qint64 seconds) {
    return SecondsToHMSStr(std::max<qint64>(seconds, 0), 3);
}

QString FormatTimeMarked(TDateTime time) {
    return time == 0 ? QString() : '*' + SecondsToHMSStr(WholeSeconds(time) % SecondsPerDay, 2);
}

QString FormatStayMarked(qint64 seconds) {
    return '*' + SecondsToHMSStr(seconds, 2);
}

QString FormatStayLine(qint64 seconds) {
    return seconds == 0 ? QString() : SecondsToHMSStr(seconds, 3);
}

} // namespace entrance
