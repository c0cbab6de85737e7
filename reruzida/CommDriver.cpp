#include "CommDriver.h"

#include "CommSession.h"

#include "base/Text.h"

namespace reruzida {

namespace {

TCommDriver& Driver() {
    return CommSession().Driver;
}

} // namespace

int ProgramStepTime() {
    bool ok = false;
    const int set = qEnvironmentVariableIntValue(TestStepTimeVariable, &ok);
    return ok && set >= 1 && set <= 100 ? set : 100;
}

bool DrvOpen(QObject* window, const TDrvSetup& setup) {
    auto& driver = Driver();
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

bool DrvClose() {
    auto& driver = Driver();
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

void DrvRescan() {
    if (Driver().Thread)
        Driver().Thread->RequestRescan();
}

bool DrvSendCommand(int unitId, const QByteArray& command, const QString& code,
                    const QByteArray& tail) {
    return Driver().SendCommand(unitId, command, code, tail);
}

bool DrvReadData(TRecvDataClass& buffer) {
    return Driver().ReadData(buffer);
}

QString DrvPortFault() {
    return Driver().Thread ? Driver().Thread->PortFault() : QString();
}

QString DrvJournalFault() {
    return Driver().Received.Fault();
}

bool TCommDriver::IsValidUnit(int unit) const {
    return IsUnitId(unit) && UnitPresent[unit].load();
}

bool TCommDriver::SendCommand(int unitId, const QByteArray& command, const QString& code,
                              const QByteArray& tail) {
    if (!Thread || CP932Length(code) > CodeFieldSize)
        return false;
    return Thread->QueueCommand({unitId, command, CodeField(code) + tail});
}

int TCommDriver::QueuedCount(const QByteArray& command) const {
    return Thread ? Thread->QueuedCount(command) : 0;
}

bool TCommDriver::IsQueued(int unitId, const QByteArray& command, const QString& code) const {
    return Thread && Thread->IsQueued({unitId, command, CodeField(code)});
}

bool TCommDriver::ReadData(TRecvDataClass& buffer) {
    buffer = TRecvDataClass();
    return Received.Pop(buffer);
}

void TCommDriver::RecordDone(const TRecvDataClass& record) {
    Received.Done(record);
}

} // namespace reruzida
