#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>

// Lets one copy of a program run per user: the first copy holds a lock named after the
// mutex name and listens on a local socket; a later copy asks it to show its window.
class TSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit TSingleInstance(const QString& mutexName, QObject* parent = nullptr);
    ~TSingleInstance() override;
    Q_DISABLE_COPY(TSingleInstance)

    // True for the first copy, which then listens; false after the running copy was asked
    // to show itself.
    bool Acquire();
    // Called in the first copy when a later copy asks for its window.
    std::function<void()> OnActivate;

    static QString SocketName(const QString& mutexName);

private:
    QString FMutexName;
    std::unique_ptr<QLockFile> FLock;
    QLocalServer FServer;
};
