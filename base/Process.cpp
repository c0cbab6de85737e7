#include "Process.h"

#include "Files.h"

#include <QFileInfo>
#include <QProcess>

QString FindProgram(const QString& folder, const QString& exeName) {
    QString name = exeName;
    if (name.endsWith(".exe", Qt::CaseInsensitive))
        name.chop(4);
    const QFileInfo info(FindFileNoCase(folder, name));
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

bool StartProgram(const QString& folder, const QString& exeName) {
    const QString program = FindProgram(folder, exeName);
    return !program.isEmpty() && QProcess::startDetached(program, {}, QFileInfo(program).path());
}
