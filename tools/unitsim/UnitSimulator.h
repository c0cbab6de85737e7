#pragma once

#include "protocol/UnitFrame.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

// Ways a simulated unit can spoil its next replies.
enum class TSimFault {
    None,
    BadBcc,      // the check byte is wrong
    BadEtx,      // the byte before the check byte is no ETX
    Silence,     // no reply at all
    Split,       // three bytes first, the rest a moment later
    Double,      // the reply twice in one write
    Noise,       // stray bytes before STX in the same write
    WrongSource, // another source address
};

// One frame the simulated units received from the line.
struct TSimFrame {
    qint64 AtMs = 0; // since the simulator started
    int Source = 0;
    int Destination = 0;
    // Three letters, or "ACK" for an acknowledgement.
    QByteArray Command;
    QByteArray Parameters;
    bool Valid = false;
};

// Authentication units 1..N on the master side of a pseudo-terminal (or a device): each
// answers the PC's commands, keeps its run flag, persons and images, clock, tamper state
// and a queue of log records, which it hands out one per LRR and drops on the ACK.
class TUnitSimulator {
public:
    explicit TUnitSimulator(int unitCount);
    ~TUnitSimulator();
    TUnitSimulator(const TUnitSimulator&) = delete;
    TUnitSimulator& operator=(const TUnitSimulator&) = delete;

    // Opens a new pseudo-terminal; the PC side opens SlavePath().
    bool OpenPty();
    bool OpenDevice(const QString& path);
    QString SlavePath() const { return FSlavePath; }
    const QString& LastError() const { return FLastError; }
    void Start();
    void Stop();
    // The PC's program ended without closing the line (killed). A real port's last close
    // ends the program's exclusive hold on it; a pseudo-terminal's other side, held open
    // here, keeps it, so this ends it as that close would.
    void PcClosedLine();

    // Events at a unit; each queues its log record with the unit's clock.
    void AddLogRecord(int unit, int operation, int result, const QString& code);
    // Queues the 24-byte log record as it is, stamp and all, as from a unit whose clock
    // stands still or was set back.
    void AddRecord(int unit, const QByteArray& record);
    void Enrol(int unit, const QString& code, const QByteArray& image = {});
    void Remove(int unit, const QString& code);
    void Tamper(int unit, bool open);
    // The unit holds the person already, as one enrolled long ago: no record.
    void Hold(int unit, const QString& code);
    // The next `times` replies of the unit (all, when -1) carry the fault; WrongSource
    // sends `source` as the reply's source address.
    void SetFault(int unit, TSimFault fault, int times = 1, int source = 40);
    // From now on the unit misses the first ACK of each of its records, as on a noisy line,
    // and hands the record over again at the next LRR.
    void MissFirstAcks(int unit);
    // The unit answers `command` only after `ms`.
    void SetReplyDelay(int unit, const QByteArray& command, int ms);
    // From now on one stray byte goes on the line every `everyMs`, as from a unit that
    // chatters.
    void Chatter(int everyMs);
    // Runs `action` on the simulator's thread `atMs` after the start.
    void Schedule(qint64 atMs, std::function<void()> action);

    QList<TSimFrame> Frames() const;
    void ClearFrames();
    std::function<void(const TSimFrame&)> OnFrame;
    bool IsRunning(int unit) const;
    bool HasPerson(int unit, const QString& code) const;
    int PersonCount(int unit) const;
    QByteArray Image(int unit, const QString& code) const;
    int PendingRecords(int unit) const;
    QDateTime UnitClock(int unit) const;
    bool TamperOpen(int unit) const;
    qint64 ElapsedMs() const;

    // The image a person enrols with, when none is given: the same for the same code.
    static QByteArray MakeImage(const QString& code);

private:
    struct TUnit {
        bool Running = false;
        QMap<QString, QByteArray> Persons;
        qint64 ClockOffsetSecs = 0;
        bool TamperOpen = false;
        std::deque<QByteArray> Log;
        // The oldest record went out in the last reply: an ACK now drops it.
        bool RecordSent = false;
        // MissFirstAcks: whether to miss an ACK, and whether the oldest record missed one.
        bool MissAcks = false;
        bool AckMissed = false;
        TSimFault Fault = TSimFault::None;
        int FaultTimes = 0;
        int WrongSource = 0;
        QMap<QByteArray, int> Delays;
    };

    void Run();
    void ReadLine();
    void HandleFrame(const QByteArray& frame);
    QByteArray Answer(TUnit& unit, int id, const QByteArray& command, const QByteArray& params);
    void SendReply(TUnit& unit, QByteArray reply, int delayMs);
    void QueueRecord(int unit, int operation, int result, const QString& code);
    void WriteLine(const QByteArray& bytes);
    void RunDue();
    TUnit* Unit(int id);
    const TUnit* Unit(int id) const;

    int FMaster = -1;
    int FSlaveKeeper = -1;
    QString FSlavePath;
    QString FLastError;
    TFrameReader FReader;
    qint64 FLastByteMs = 0;
    QList<TUnit> FUnits;
    QList<TSimFrame> FFrames;
    std::multimap<qint64, std::function<void()>> FDue;
    mutable std::recursive_mutex FLock;
    std::atomic<bool> FStop = false;
    std::thread FThread;
    std::chrono::steady_clock::time_point FStart = std::chrono::steady_clock::now();
};
