#pragma once

#include "base/Registry.h"
#include "protocol/CommRequests.h"
#include "reruzida/CommDriver.h"
#include "tools/unitsim/UnitSimulator.h"
#include "ui/CopyData.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

// Puts the simulated units' line on COM1 in the registry store and chooses that port.
inline void UseUnitsOnCom1(const TUnitSimulator& sim) {
    TRegistry ports;
    ports.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    ports.OpenKey(PortsRegistryKey, true);
    ports.WriteString("COM1", sim.SlavePath());
    TRegistry app;
    app.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    app.OpenKey(AppRegistryKey, true);
    app.WriteString("Comm", "1");
}

// The communication program started by `process` runs at a test's pace: its protocol thread
// steps every 10 ms rather than every 100, which shortens every exchange with the units and
// leaves the silence limit as it is.
inline void AtTestPace(QProcess& process) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(reruzida::TestStepTimeVariable, "10");
    process.setProcessEnvironment(environment);
}

// Copies the built communication program into the data folder, as it is installed, and starts
// it there; true once its request socket answers.
inline bool StartCommProgram(QProcess& process, const QString& folder, int waitMs) {
    const QString program = QDir(folder).filePath("Reruzida");
    if (!QFile::exists(program) &&
        !QFile::copy(qEnvironmentVariable("ZZ_BUILD_DIR") + "/reruzida/Reruzida", program))
        return false;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, {});
    return process.waitForStarted(5000) &&
           QTest::qWaitFor([] { return FindWindowByCaption(CommCaption); }, waitMs);
}
