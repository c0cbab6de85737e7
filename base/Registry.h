#pragma once

#include "IniFile.h"
#include "SysUtils.h"

#include <QString>

enum class HKEY { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE };

// The keys the two programs keep their settings under, below HKEY_LOCAL_MACHINE.
inline const QString AppRegistryKey = "Software\\Zezoduzu";
// Values "COM1".."COM4": the device each serial port stands for on this machine.
inline const QString PortsRegistryKey = AppRegistryKey + "\\Ports";
// The database engine's configuration, one key per configuration path.
inline const QString EngineRegistryKey = AppRegistryKey + "\\Engine";
// Values "//PC/share": the folder where that share of another PC is mounted on this machine.
inline const QString MountsRegistryKey = AppRegistryKey + "\\Mounts";

// A failed registry operation.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// The settings store that stands in for the Windows registry: keys such as
// "Software\Zezoduzu" under a root, with string and integer values. Key paths compare
// without case. The store is one INI file: $ZEZODUZU_REGISTRY, or
// $XDG_CONFIG_HOME/Zezoduzu/registry.ini, readable by its owner only.
class TRegistry {
public:
    TRegistry();
    static QString StoreFileName();

    HKEY RootKey = HKEY::HKEY_CURRENT_USER;

    // Opens a key below the root; false when it is missing and may not be created.
    bool OpenKey(const QString& key, bool canCreate);
    void CloseKey();
    bool KeyExists(const QString& key) const;

    bool ValueExists(const QString& name) const;
    // Empty when the value is missing.
    QString ReadString(const QString& name) const;
    void WriteString(const QString& name, const QString& value);
    // Raises ERegistryException when the value is missing or no number.
    int ReadInteger(const QString& name) const;
    void WriteInteger(const QString& name, int value);
    bool DeleteValue(const QString& name);

private:
    QString Section(const QString& key) const;
    void CheckOpen() const;

    TIniFile FStore;
    // The open key's section in the store; empty while no key is open.
    QString FCurrentPath;
};
