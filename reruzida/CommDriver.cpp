#include "CommDriver.h"

#include "base/Text.h"

namespace reruzida {

int ProgramStepTime() {
    bool ok = false;
    const int set = qEnvironmentVariableIntValue(TestStepTimeVariable, &ok);
    return ok && set >= 1 && set <= 100 ? set : 100;
}

bool DrvOpen(TCommDriver& driver, QObject* window, const TDrvSetup& setup) {
    if (driver.Thread)
        return true;
    for (int replayed = driver.Received.Open(setup.JournalFile); replayed > 0; --replayed)
        PostMessage(window, WM_RECV_DATA, 0, 0);
    driver.Thread = std::make_unique<TCommThread>(window, driver.Received, driver.UnitPresent,
                                                  setup.StateWriter);
    driver.Thread->StepTime = setup.StepTime;
    driver.Thread->start(QThread::LowPriority);
    return true;
}

bool DrvClose(TCommDriver& driver) {
    if (!driver.Thread)
        return false;
    driver.Thread->requestInterruption();
    // The thread waits for nothing of the window thread, so it stops within a step.
    while (!driver.Thread->IsStopped())
        QThread::msleep(50);
    driver.Thread->wait();
    driver.Thread.reset();
    return true;
}

void DrvRescan(TCommDriver& driver) {
    if (driver.Thread)
        driver.Thread->RequestRescan();
}

bool DrvSendCommand(TCommDriver& driver, int unitId, const QByteArray& command, const QString& code,
                    const QByteArray& tail) {
    if (!driver.Thread || CP932Length(code) > CodeFieldSize)
        return false;
    return driver.Thread->QueueCommand({unitId, command, CodeField(code) + tail});
}

bool DrvReadData(TCommDriver& driver, TRecvDataClass& buffer) {
    buffer = TRecvDataClass();
    return driver.Received.Pop(buffer);
}

QString DrvPortFault(TCommDriver& driver) {
    return driver.Thread ? driver.Thread->PortFault() : QString();
}

QString DrvJournalFault(TCommDriver& driver) {
    return driver.Received.Fault();
}

TSendCommand DriverQueue(TCommDriver& driver) {
    return [&driver](int unit, const QByteArray& command, const QString& code,
                     const QByteArray& tail) {
        return DrvSendCommand(driver, unit, command, code, tail);
    };
}

bool TCommDriver::IsValidUnit(int unit) const {
    return IsUnitId(unit) && UnitPresent[unit].load();
}

int TCommDriver::QueuedCount(const QByteArray& command) const {
    return Thread ? Thread->QueuedCount(command) : 0;
}

bool TCommDriver::IsQueued(int unitId, const QByteArray& command, const QString& code) const {
    return Thread && Thread->IsQueued({unitId, command, CodeField(code)});
}

void TCommDriver::RecordDone(const TRecvDataClass& record) {
    Received.Done(record);
}

} // namespace reruzida
