#include "TempFolder.h"

#include <QDir>

TempFolder::TempFolder() : FDir(QDir::tempPath() + "/zztest-XXXXXX") {}

QString TempFolder::File(const QString& name) const { return FDir.filePath(name); }
