#include "Registry.h"

#include <QDir>
#include <QStandardPaths>

namespace {
// Marks a key that exists even when it holds no value yet.
const char* const kKeyMarker = "@";
} // namespace

// The store holds the administrator's password.
TRegistry::TRegistry() : FStore(StoreFileName(), TIniAccess::OwnerOnly) {}

QString TRegistry::StoreFileName() {
    const QString overridden = qEnvironmentVariable("ZEZODUZU_REGISTRY");
    if (!overridden.isEmpty())
        return overridden;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/Zezoduzu/registry.ini";
}

QString TRegistry::Section(const QString& key) const {
    QString path = key;
    path.replace('/', '\\');
    while (path.startsWith('\\'))
        path.remove(0, 1);
    while (path.endsWith('\\'))
        path.chop(1);
    const QString root =
        RootKey == HKEY::HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
    return root + '\\' + path;
}

bool TRegistry::OpenKey(const QString& key, bool canCreate) {
    const QString section = Section(key);
    if (!FStore.SectionExists(section)) {
        if (!canCreate)
            return false;
        FStore.WriteString(section, kKeyMarker, QString());
    }
    FCurrentPath = section;
    return true;
}

void TRegistry::CloseKey() {
    FCurrentPath.clear();
}

bool TRegistry::KeyExists(const QString& key) const {
    return FStore.SectionExists(Section(key));
}

void TRegistry::CheckOpen() const {
    if (FCurrentPath.isEmpty())
        throw ERegistryException("No registry key is open");
}

bool TRegistry::ValueExists(const QString& name) const {
    return !FCurrentPath.isEmpty() && FStore.ValueExists(FCurrentPath, name);
}

QString TRegistry::ReadString(const QString& name) const {
    CheckOpen();
    return FStore.ReadString(FCurrentPath, name, QString());
}

void TRegistry::WriteString(const QString& name, const QString& value) {
    CheckOpen();
    FStore.WriteString(FCurrentPath, name, value);
}

int TRegistry::ReadInteger(const QString& name) const {
    CheckOpen();
    bool ok = false;
    const int value = FStore.ReadString(FCurrentPath, name, QString()).toInt(&ok);
    if (!ok)
        throw ERegistryException("Invalid data type for '" + name + "'");
    return value;
}

void TRegistry::WriteInteger(const QString& name, int value) {
    CheckOpen();
    FStore.WriteInteger(FCurrentPath, name, value);
}

bool TRegistry::DeleteValue(const QString& name) {
    CheckOpen();
    if (!FStore.ValueExists(FCurrentPath, name))
        return false;
    FStore.DeleteKey(FCurrentPath, name);
    return true;
}
