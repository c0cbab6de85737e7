#include "NewData.h"

#include "base/SysUtils.h"
#include "storage/Connection.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

// The SQL of one section of the schema.
QString Section(const QString& schema, const QString& name) {
    const QStringList parts =
        schema.split(QRegularExpression("^-- section: ", QRegularExpression::MultilineOption));
    for (const QString& part : parts)
        if (part.startsWith(name + "\n"))
            return part.mid(name.size() + 1);
    throw Exception("the schema has no section " + name);
}

void Build(const QString& folder, const QString& schema) {
    SqlConnection::OpenDatabase(folder + "/" + DatabaseFileName, true)
        ->Execute(Section(schema, DatabaseFileName));
    SqlConnection::OpenFolder(folder)->Execute(Section(schema, "data folder"));
}

} // namespace

QString NewDataSchema() {
    QFile file(":/newdata/Schema.sql");
    if (!file.open(QIODevice::ReadOnly))
        throw Exception("the schema is missing from the program");
    return QString::fromUtf8(file.readAll());
}

void CreateDataFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        throw Exception("cannot create the folder " + folder);
    const QStringList files = {folder + "/" + DatabaseFileName, folder + "/ENTRANCESTATE.DB"};
    for (const QString& f : files)
        if (QFile::exists(f))
            throw Exception(f + " exists already; nothing was changed");
    try {
        Build(folder, NewDataSchema());
    } catch (...) {
        for (const QString& f : files)
            QFile::remove(f);
        throw;
    }
}
