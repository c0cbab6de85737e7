#include "RecvJournal.h"

#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <unistd.h>

namespace reruzida {

namespace {

constexpr char RecordTag = 'R';
constexpr char DoneTag = 'D';
constexpr char AcknowledgedTag = 'A';
constexpr int RecordHead = 11; // tag, number, unit, command, frame length
constexpr int MarkHead = 5;    // tag, number
constexpr int CheckSize = 4;

quint32 Check(QByteArrayView bytes) {
    quint32 hash = 2166136261u;
    for (const char byte : bytes)
        hash = (hash ^ uint8_t(byte)) * 16777619u;
    return hash;
}

void AppendNumber(QByteArray& entry, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    entry.append(bytes, 4);
}

quint32 NumberAt(const QByteArray& bytes, qsizetype offset) {
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

// The entry with its check appended.
QByteArray Sealed(QByteArray entry) {
    AppendNumber(entry, Check(entry));
    return entry;
}

bool CheckAt(const QByteArray& bytes, qsizetype offset, qsizetype length) {
    return offset + length + CheckSize <= bytes.size() &&
           NumberAt(bytes, offset + length) == Check(QByteArrayView(bytes).sliced(offset, length));
}

// The length of the whole entry at `at` whose check is good; 0 when none starts there.
qsizetype EntryLength(const QByteArray& bytes, qsizetype at) {
    if (bytes[at] == RecordTag && at + RecordHead <= bytes.size()) {
        const int length = qFromLittleEndian<quint16>(bytes.constData() + at + 9);
        return length <= TRecvDataClass::MaxFrame && CheckAt(bytes, at, RecordHead + length)
                   ? RecordHead + length + CheckSize
                   : 0;
    }
    return (bytes[at] == DoneTag || bytes[at] == AcknowledgedTag) && CheckAt(bytes, at, MarkHead)
               ? MarkHead + CheckSize
               : 0;
}

// The record entry of `record` under `number`.
QByteArray RecordEntry(quint32 number, const TRecvDataClass& record) {
    const QByteArray frame = record.Frame.left(TRecvDataClass::MaxFrame);
    QByteArray entry(1, RecordTag);
    AppendNumber(entry, number);
    entry.append(char(record.UnitId));
    entry.append(record.Command.leftJustified(3, ' ', true));
    char length[2];
    qToLittleEndian(quint16(frame.size()), length);
    entry.append(length, 2);
    entry.append(frame);
    return Sealed(entry);
}

// The done or acknowledged entry of record `number`.
QByteArray MarkEntry(char tag, quint32 number) {
    QByteArray entry(1, tag);
    AppendNumber(entry, number);
    return Sealed(entry);
}

} // namespace

TRecvJournal::TRecvJournal(const QString& fileName) : FFile(fileName) {}

QList<TRecvDataClass> TRecvJournal::Replay() {
    std::lock_guard lock(FLock);
    std::map<quint32, TRecvDataClass> kept;
    std::set<quint32> done;
    QByteArray bytes;
    if (FFile.open(QIODevice::ReadOnly)) {
        bytes = FFile.readAll();
        FFile.close();
    }
    // Bytes that are no whole entry are skipped up to the next whole one; with none after
    // them they are a torn last write, and `end` stays before them.
    qsizetype at = 0, end = 0;
    FSkipped = 0;
    while (at < bytes.size()) {
        const qsizetype length = EntryLength(bytes, at);
        if (length == 0) {
            qsizetype next = at + 1;
            while (next < bytes.size() && EntryLength(bytes, next) == 0)
                ++next;
            if (next == bytes.size())
                break;
            FSkipped += next - at;
            at = next;
            continue;
        }
        const quint32 number = NumberAt(bytes, at + 1);
        if (bytes[at] == RecordTag) {
            TRecvDataClass record;
            record.JournalNumber = number;
            record.UnitId = uint8_t(bytes[at + 5]);
            record.Command = bytes.mid(at + 6, 3);
            record.Frame = bytes.mid(at + RecordHead, length - RecordHead - CheckSize);
            kept[number] = record;
            FUnacknowledged[record.UnitId] = record;
            FLastNumber = std::max(FLastNumber, number);
        } else if (bytes[at] == DoneTag) {
            done.insert(number);
        } else if (kept.contains(number)) {
            std::erase_if(FUnacknowledged,
                          [&](const auto& last) { return last.second.JournalNumber == number; });
        }
        at += length;
        end = at;
    }
    // The file still needs the records not done and each unit's last one.
    std::erase_if(kept, [&](const auto& entry) {
        const auto last = FUnacknowledged.find(entry.second.UnitId);
        return done.contains(entry.first) &&
               (last == FUnacknowledged.end() || last->second.JournalNumber != entry.first);
    });
    QList<TRecvDataClass> records;
    for (const auto& [number, record] : kept)
        if (!done.contains(number)) {
            FWaiting.insert(number);
            records << record;
        }
    // Records are handled in turn, each marked done before the next: only the oldest can have
    // been stored when the program ended.
    if (!records.isEmpty())
        records.first().MayBeStored = true;
    // A damaged file is kept as it was beside the one rewritten with the entries needed; new
    // entries go after the last whole one.
    if (FSkipped > 0 && KeepDamagedCopy())
        Rewrite(kept);
    if (FFile.open(QIODevice::ReadWrite)) {
        if (FSkipped == 0)
            FFile.resize(kept.empty() ? 0 : end);
        FFile.seek(FFile.size());
    }
    return records;
}

bool TRecvJournal::KeepDamagedCopy() {
    const QString copy = FFile.fileName() + ".damaged";
    QFile::remove(copy);
    if (!QFile::copy(FFile.fileName(), copy))
        return false;
    FDamagedCopy = copy;
    return true;
}

void TRecvJournal::Rewrite(const std::map<quint32, TRecvDataClass>& records) {
    QSaveFile file(FFile.fileName());
    if (!file.open(QIODevice::WriteOnly))
        return;
    for (const auto& [number, record] : records)
        file.write(RecordEntry(number, record));
    for (const auto& [number, record] : records)
        if (!FWaiting.contains(number))
            file.write(MarkEntry(DoneTag, number));
    // Committed whole (synced, then put in place of the old) or not at all.
    file.commit();
}

bool TRecvJournal::Append(TRecvDataClass& record) {
    std::lock_guard lock(FLock);
    if (!FFile.isOpen() && !FFile.open(QIODevice::ReadWrite | QIODevice::Append)) {
        FError = FFile.errorString();
        return false;
    }
    if (!Write(RecordEntry(FLastNumber + 1, record)))
        return false;
    record.JournalNumber = ++FLastNumber;
    FWaiting.insert(record.JournalNumber);
    FUnacknowledged[record.UnitId] = record;
    return true;
}

void TRecvJournal::Done(quint32 number) {
    std::lock_guard lock(FLock);
    if (FWaiting.erase(number) != 0)
        Mark(DoneTag, number);
}

void TRecvJournal::Acknowledged(int unit) {
    std::lock_guard lock(FLock);
    const auto last = FUnacknowledged.find(unit);
    if (last == FUnacknowledged.end())
        return;
    const quint32 number = last->second.JournalNumber;
    FUnacknowledged.erase(last);
    Mark(AcknowledgedTag, number);
}

// Writes the mark, or, when the file needs no entry any more, starts it again from empty.
// With nothing waiting it needs only the units' last records, and a file grown large is
// started again with those: a unit that went silent after its last record would otherwise
// hold every later entry in it.
void TRecvJournal::Mark(char tag, quint32 number) {
    if (FWaiting.empty() && FUnacknowledged.empty() && FFile.resize(0)) {
        FFile.seek(0);
        // A cut that may not have reached the disk is followed by the mark itself.
        if (::fdatasync(FFile.handle()) == 0)
            return;
    }
    if (!Write(MarkEntry(tag, number)) || !FWaiting.empty() || FFile.size() <= CompactBytes)
        return;
    std::map<quint32, TRecvDataClass> last;
    for (const auto& [unit, record] : FUnacknowledged)
        last[record.JournalNumber] = record;
    FFile.close();
    Rewrite(last);
    FFile.open(QIODevice::ReadWrite | QIODevice::Append);
}

QList<TRecvDataClass> TRecvJournal::LastReplies() {
    std::lock_guard lock(FLock);
    QList<TRecvDataClass> records;
    for (const auto& [unit, record] : FUnacknowledged)
        records << record;
    return records;
}

bool TRecvJournal::Write(const QByteArray& entry) {
    const qint64 start = FFile.size();
    if (FFile.write(entry) != entry.size() || !FFile.flush() || ::fdatasync(FFile.handle()) != 0) {
        FError = FFile.error() != QFileDevice::NoError
                     ? FFile.errorString()
                     : QString::fromLocal8Bit(std::strerror(errno));
        // A half-written entry would hide every entry after it.
        FFile.resize(start);
        FFile.seek(start);
        return false;
    }
    return true;
}

} // namespace reruzida
