#pragma once

#include "reruzida/CommDriver.h"

#include <QByteArray>
#include <QString>

namespace reruzida {

// What the unit jobs use of the line: the units present on the driver, and where their
// commands go (the driver's send queue, DriverQueue; a test hands in a recorder).
class TJobLine {
public:
    TJobLine(TCommDriver& driver, TSendCommand send);

    bool SendCommand(int unit, const QByteArray& command, const QString& code = {},
                     const QByteArray& tail = {}) const;
    // A unit ID from 1 to 32 that answered the driver's last scan.
    bool IsValidUnit(int unit) const;
    // "M_使用認証機.認証機ID=1 OR M_使用認証機.認証機ID=3" for the present units.
    QString UnitFilter() const;

    TCommDriver& Driver;

private:
    const TSendCommand FSend;
};

} // namespace reruzida
