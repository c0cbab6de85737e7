#pragma once

#include "base/Registry.h"
#include "reruzida/RsDrv.h"

#include <QString>

namespace reruzida {

// Maps "COM<port>" to the device `path` and makes it the port the protocol thread opens.
inline void UsePort(int port, const QString& path) {
    TRegistry reg;
    reg.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    reg.OpenKey(PortsRegistryKey, true);
    reg.WriteString("COM" + QString::number(port), path);
    WriteCommSetting(port);
}

} // namespace reruzida
