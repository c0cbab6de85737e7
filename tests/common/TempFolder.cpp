#include "TempFolder.h"

#include <QDir>

TempFolder::TempFolder() : FDir(QDir::tempPath() + "/zztest-XXXXXX") {}

QString TempFolder::File(const QString& name) const {
    return FDir.filePath(name);
}

QString TestOutputFolder() {
    const QString folder = qEnvironmentVariable("ZZ_BUILD_DIR", QDir::tempPath()) + "/test-output";
    QDir().mkpath(folder);
    return folder;
}
