#include "base/SingleInstance.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString LockPath(const QString& mutexName) {
    return TSingleInstance::SocketName(mutexName) + ".lock";
}

// The lock file a copy of this program leaves when it is killed: naming process `pid`, or
// empty when the copy was killed between making the file and writing it (pid 0).
void LeaveLock(const QString& mutexName, qint64 pid) {
    QByteArray content;
    if (pid != 0) {
        QLockFile real(LockPath(mutexName));
        ASSERT_TRUE(real.tryLock(0));
        QFile written(LockPath(mutexName));
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        content = written.readAll();
        real.unlock();
        content = QByteArray::number(pid) + content.mid(content.indexOf('\n'));
    }
    QFile left(LockPath(mutexName));
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.write(content);
}

// The lock file dates from `ms` ago.
void AgeLock(const QString& mutexName, int ms) {
    QFile lock(LockPath(mutexName));
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addMSecs(-ms),
                                 QFileDevice::FileModificationTime));
}

// A child process that has ended; with `reaped` false it stays a zombie until Reap.
pid_t EndedChild(bool reaped) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    siginfo_t info{};
    ::waitid(P_PID, id_t(child), &info, WEXITED | (reaped ? 0 : WNOWAIT));
    return child;
}

void Reap(pid_t child) {
    ::waitpid(child, nullptr, 0);
}

} // namespace

TEST(SingleInstance, SecondCopyAsksTheFirstToShowItself) {
    TSingleInstance first("hMutexZentoria");
    int activations = 0;
    first.OnActivate = [&] { ++activations; };
    ASSERT_TRUE(first.Acquire());

    TSingleInstance second("hMutexZentoria");
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(second.OtherCopyAnswered());
    QElapsedTimer t;
    t.start();
    while (activations == 0 && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(activations, 1);

    TSingleInstance other("dIradoRorudiviVerovi"); // another program's name is free
    EXPECT_TRUE(other.Acquire());
}

// A copy killed at any moment leaves its lock behind, and the program still starts: whether its
// process is gone, a zombie its parent has not reaped yet, or it never wrote the lock's content
// (some seconds ago).
TEST(SingleInstance, ALockLeftByAnEndedCopyIsTakenOver) {
    const pid_t gone = EndedChild(true);
    const pid_t zombie = EndedChild(false);
    const struct {
        const char* Holder;
        qint64 Pid;
    } cases[] = {{"gone", gone}, {"zombie", zombie}, {"no content", 0}};
    for (const auto& left : cases) {
        const QString name = QString("StaleLock ") + left.Holder;
        ASSERT_NO_FATAL_FAILURE(LeaveLock(name, left.Pid));
        ASSERT_NO_FATAL_FAILURE(AgeLock(name, TSingleInstance::EmptyLockStaleMs + 1000));
        TSingleInstance next(name);
        EXPECT_TRUE(next.Acquire()) << left.Holder << ": " << next.EndReason().toStdString();
        // It holds the lock now, and answers the copy after it.
        TSingleInstance after(name);
        EXPECT_FALSE(after.Acquire()) << left.Holder;
        EXPECT_TRUE(after.OtherCopyAnswered()) << left.Holder;
    }
    Reap(zombie);
}

// A copy that runs but does not answer (starting, or hung) keeps its lock, and the start that
// ends says why.
TEST(SingleInstance, ACopyThatRunsWithoutAnsweringKeepsItsLock) {
    QLockFile running(LockPath("Silent"));
    ASSERT_TRUE(running.tryLock(0));
    TSingleInstance next("Silent");
    EXPECT_FALSE(next.Acquire());
    EXPECT_FALSE(next.OtherCopyAnswered());
    EXPECT_TRUE(next.EndReason().contains(QString::number(QCoreApplication::applicationPid())))
        << next.EndReason().toStdString();
    running.unlock();
    EXPECT_TRUE(next.Acquire());
}

// A copy that starts has made its lock file and not yet locked or written it: the file is
// empty, and a second copy started then must leave it and end. Only an empty file some
// seconds old was left by a copy killed there.
TEST(SingleInstance, AnEmptyLockOfACopyThatStartsIsKept) {
    ASSERT_NO_FATAL_FAILURE(LeaveLock("Starting", 0));
    TSingleInstance second("Starting");
    EXPECT_FALSE(second.Acquire());
    EXPECT_FALSE(second.OtherCopyAnswered());
    EXPECT_TRUE(QFile::exists(LockPath("Starting")));
    EXPECT_FALSE(second.EndReason().isEmpty());
    ASSERT_NO_FATAL_FAILURE(AgeLock("Starting", TSingleInstance::EmptyLockStaleMs + 1000));
    EXPECT_TRUE(second.Acquire()) << second.EndReason().toStdString();
}
