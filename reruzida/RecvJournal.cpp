#include "RecvJournal.h"

#include <QSaveFile>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <map>
#include <unistd.h>

namespace reruzida {

namespace {

constexpr char RecordTag = 'R';
constexpr char DoneTag = 'D';
constexpr int RecordHead = 11; // tag, number, unit, command, frame length
constexpr int DoneHead = 5;    // tag, number
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
    return bytes[at] == DoneTag && CheckAt(bytes, at, DoneHead) ? DoneHead + CheckSize : 0;
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

} // namespace

TRecvJournal::TRecvJournal(const QString& fileName) : FFile(fileName) {}

QList<TRecvDataClass> TRecvJournal::Replay() {
    std::lock_guard lock(FLock);
    std::map<quint32, TRecvDataClass> waiting;
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
        if (bytes[at] == RecordTag) {
            TRecvDataClass record;
            record.JournalNumber = NumberAt(bytes, at + 1);
            record.UnitId = uint8_t(bytes[at + 5]);
            record.Command = bytes.mid(at + 6, 3);
            record.Frame = bytes.mid(at + RecordHead, length - RecordHead - CheckSize);
            record.Replayed = true;
            waiting[record.JournalNumber] = record;
            FLastNumber = std::max(FLastNumber, record.JournalNumber);
        } else {
            waiting.erase(NumberAt(bytes, at + 1));
        }
        at += length;
        end = at;
    }
    QList<TRecvDataClass> records;
    for (const auto& [number, record] : waiting) {
        FWaiting.insert(number);
        records << record;
    }
    // A damaged file is kept as it was beside the one rewritten with the waiting records; new
    // entries go after the last whole one.
    if (FSkipped > 0 && KeepDamagedCopy())
        Rewrite(records);
    if (FFile.open(QIODevice::ReadWrite)) {
        if (FSkipped == 0)
            FFile.resize(waiting.empty() ? 0 : end);
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

void TRecvJournal::Rewrite(const QList<TRecvDataClass>& records) {
    QSaveFile file(FFile.fileName());
    if (!file.open(QIODevice::WriteOnly))
        return;
    for (const TRecvDataClass& record : records)
        file.write(RecordEntry(record.JournalNumber, record));
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
    return true;
}

void TRecvJournal::Done(quint32 number) {
    std::lock_guard lock(FLock);
    if (FWaiting.erase(number) == 0)
        return;
    // Nothing waits: the file starts again from empty.
    if (FWaiting.empty() && FFile.resize(0)) {
        FFile.seek(0);
        ::fdatasync(FFile.handle());
        return;
    }
    QByteArray entry(1, DoneTag);
    AppendNumber(entry, number);
    Write(Sealed(entry));
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
