#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>

// Lets one copy of a program run per user: the first copy holds a lock named after the
// mutex name and listens on a local socket; a later copy asks it to show its window. A lock
// whose holder has ended (killed, even while it started) is taken over: only a copy that runs
// or starts keeps a later one from starting.
class TSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit TSingleInstance(const QString& mutexName, QObject* parent = nullptr);
    ~TSingleInstance() override;
    Q_DISABLE_COPY(TSingleInstance)

    // True for the first copy, which then listens; false when another copy runs: it was
    // asked to show itself, or it did not answer. Either way the reason is on standard error
    // and in EndReason().
    bool Acquire();
    // Why Acquire gave false; empty after true.
    QString EndReason() const { return FEndReason; }
    // Whether the copy that runs answered and was asked to show itself.
    bool OtherCopyAnswered() const { return FAnswered; }
    // Called in the first copy when a later copy asks for its window.
    std::function<void()> OnActivate;

    static QString SocketName(const QString& mutexName);
    // How long a later copy waits for the running copy to answer.
    static constexpr int AnswerWaitMs = 1000;
    // An empty lock file is a copy's that is starting until it is this old; older, its copy
    // was killed before it wrote the file.
    static constexpr int EmptyLockStaleMs = 5000;

private:
    bool AskRunningCopy();
    bool TakeStaleLock();
    void Listen();

    QString FMutexName;
    std::unique_ptr<QLockFile> FLock;
    QLocalServer FServer;
    QString FEndReason;
    bool FAnswered = false;
};
