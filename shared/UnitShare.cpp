#include "UnitShare.h"

#include "base/Files.h"
#include "base/Process.h"
#include "base/Registry.h"
#include "base/SysUtils.h"
#include "ui/ShowMessage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cerrno>
#include <cstdlib>

namespace {

// Each configuration path of the engine is a key below EngineRegistryKey and holds the
// entries the engine knows, with their defaults.
const QString LocalShareKey = "\\SYSTEM\\INIT\\;LOCAL SHARE";

struct TConfigEntry {
    QString Path;
    QString Entry;
    QString Default;
};

const TConfigEntry KnownEntries[] = {{"\\SYSTEM\\INIT\\", "LOCAL SHARE", "FALSE"}};

QString RegistryKey(const QString& path) {
    QString key = path;
    while (key.endsWith('\\'))
        key.chop(1);
    return EngineRegistryKey + key;
}

QString ReadConfigValue(const QString& path, const QString& entry) {
    TRegistry registry;
    if (registry.OpenKey(RegistryKey(path), false) && registry.ValueExists(entry))
        return registry.ReadString(entry);
    for (const TConfigEntry& known : KnownEntries)
        if (known.Path.compare(path, Qt::CaseInsensitive) == 0 && known.Entry == entry)
            return known.Default;
    return {};
}

} // namespace

bool AddShare(const QString& folder, const QString& shareName) {
    const QString net = QStandardPaths::findExecutable("net");
    if (net.isEmpty())
        return false;
    QProcess process;
    process.start(net, {"usershare", "add", shareName, QDir::toNativeSeparators(folder), "Zezoduzu",
                        "Everyone:F", "guest_ok=y"});
    if (!process.waitForFinished(10000))
        return false;
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    // Already shared under that name: "net usershare info" finds it.
    QProcess info;
    info.start(net, {"usershare", "info", shareName});
    return info.waitForFinished(10000) && info.exitCode() == 0;
}

QString GetSharedDataPath(const QString& folder, const QString& shareName) {
    QString path = folder;
    while (path.endsWith('/') && path.size() > 1)
        path.chop(1);
    if (AddShare(path, shareName))
        return "//" + QHostInfo::localHostName() + "/" + shareName + "/";
    return path + "/";
}

QString GetSharedDataPath(const QString& shareName) {
    return GetSharedDataPath(ProgramFolder(), shareName);
}

void SetBdeConfigValue(const QString& key, const QString& value) {
    const int semicolon = key.indexOf(';');
    if (semicolon < 0)
        throw Exception("Invalid parameter passed to function.  There must be a semi-colon "
                        "delimited sting passed");
    const QString path = key.left(semicolon);
    const QString entry = key.mid(semicolon + 1);
    bool known = false;
    for (const TConfigEntry& e : KnownEntries)
        known = known || (e.Path.compare(path, Qt::CaseInsensitive) == 0 && e.Entry == entry);
    if (!known)
        throw Exception(entry + " entry was not found in configuration file");
    TRegistry registry;
    registry.OpenKey(RegistryKey(path), true);
    registry.WriteString(entry, value);
}

bool IsLocalShareOn() {
    const int semicolon = LocalShareKey.indexOf(';');
    return ReadConfigValue(LocalShareKey.left(semicolon), LocalShareKey.mid(semicolon + 1))
               .compare("TRUE", Qt::CaseInsensitive) == 0;
}

void EnsureLocalShare() {
    if (IsLocalShareOn())
        return;
    SetBdeConfigValue(LocalShareKey, "TRUE");
    if (IsLocalShareOn())
        return;
    ShowMessage("このプログラムを問題なく実行させるためにシステムの設定を変更しました。(LOCAL "
                "SHARE = TRUE)\r\n設定を反映させるために、すべてのデータベースアプリケーションを"
                "終了させたのち、このアプリケーションを再起動してください。 ");
    std::exit(0);
}

void DeleteFilesInFolder(const QString& folder) {
    DeleteFilesByPattern(folder, "*");
}

bool ExecProgram(const QString& path) {
    const QFileInfo info(ResolveFileNoCase(path));
    QString file = info.absoluteFilePath();
    if (!info.exists() && info.suffix().compare("exe", Qt::CaseInsensitive) == 0)
        file = FindProgram(info.absolutePath(), info.fileName());
    errno = 0;
    if (!file.isEmpty() && QProcess::startDetached(file, {}, info.absolutePath()))
        return true;
    // 2: the system's "file not found".
    ShowMessage("起動できませんでした " + QString::number(file.isEmpty() || !errno ? 2 : errno));
    return false;
}
