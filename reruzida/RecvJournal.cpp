#include "RecvJournal.h"

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

quint32 Check(const QByteArray& bytes) {
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
           NumberAt(bytes, offset + length) == Check(bytes.mid(offset, length));
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
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (bytes[at] == RecordTag && at + RecordHead <= bytes.size()) {
            const int length = qFromLittleEndian<quint16>(bytes.constData() + at + 9);
            if (!CheckAt(bytes, at, RecordHead + length))
                break;
            TRecvDataClass record;
            record.JournalNumber = NumberAt(bytes, at + 1);
            record.UnitId = uint8_t(bytes[at + 5]);
            record.Command = bytes.mid(at + 6, 3);
            record.Frame = bytes.mid(at + RecordHead, length);
            record.Replayed = true;
            waiting[record.JournalNumber] = record;
            FLastNumber = std::max(FLastNumber, record.JournalNumber);
            at += RecordHead + length + CheckSize;
        } else if (bytes[at] == DoneTag && CheckAt(bytes, at, DoneHead)) {
            waiting.erase(NumberAt(bytes, at + 1));
            at += DoneHead + CheckSize;
        } else {
            break;
        }
    }
    // What follows the last whole entry is a torn write: new entries go where it began.
    if (FFile.open(QIODevice::ReadWrite)) {
        FFile.resize(waiting.empty() ? 0 : at);
        FFile.seek(FFile.size());
    }
    QList<TRecvDataClass> records;
    for (const auto& [number, record] : waiting) {
        FWaiting.insert(number);
        records << record;
    }
    return records;
}

bool TRecvJournal::Append(TRecvDataClass& record) {
    std::lock_guard lock(FLock);
    if (!FFile.isOpen() && !FFile.open(QIODevice::ReadWrite | QIODevice::Append)) {
        FError = FFile.errorString();
        return false;
    }
    const QByteArray frame = record.Frame.left(TRecvDataClass::MaxFrame);
    QByteArray entry(1, RecordTag);
    AppendNumber(entry, FLastNumber + 1);
    entry.append(char(record.UnitId));
    entry.append(record.Command.leftJustified(3, ' ', true));
    char length[2];
    qToLittleEndian(quint16(frame.size()), length);
    entry.append(length, 2);
    entry.append(frame);
    if (!Write(Sealed(entry)))
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
