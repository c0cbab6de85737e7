#include "OdbcInstaller.h"

#include "base/Files.h"
#include "base/SysUtils.h"

#include <QFile>
#include <QFileInfo>
#include <odbcinst.h>

QString DefaultDriverLibrary() {
    const QString beside = ProgramFolder() + QFileInfo(ZZ_ODBC_DRIVER_FILE).fileName();
    return QFile::exists(beside) ? beside : QString(ZZ_ODBC_DRIVER_FILE);
}

void InstallOdbcDriver(const QString& folder, const QString& driverLibrary) {
    QString text;
    for (const char* name : {AccessDriverName, ParadoxDriverName})
        text += QString("[%1]\nDriver=%2\nSetup=%2\nFileUsage=1\n\n").arg(name, driverLibrary);
    QFile file(folder + "/odbcinst.ini");
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0)
        throw Exception("cannot write " + file.fileName());
    file.close();
    qputenv("ODBCSYSINI", QFile::encodeName(folder));
    qputenv("ODBCINI", QFile::encodeName(folder + "/odbc.ini"));
}

void ConfigDataSource(const QString& driver, const QStringList& attributes) {
    QByteArray list;
    for (const QString& a : attributes)
        list += a.toUtf8() + '\0';
    list += '\0';
    if (SQLConfigDataSource(nullptr, ODBC_ADD_DSN, driver.toUtf8().constData(), list.constData()))
        return;
    DWORD code = 0;
    char message[SQL_MAX_MESSAGE_LENGTH] = {0};
    WORD length = 0;
    SQLInstallerError(1, &code, message, sizeof message, &length);
    throw Exception(
        QString("cannot create the data source (%1): %2").arg(attributes.join("; "), message));
}
