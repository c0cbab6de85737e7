#include "Session.h"

#include "dbengine/DBDataSet.h"
#include "dbengine/Database.h"
#include "storage/Connection.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

TSession& Session() {
    static TSession session;
    return session;
}

TSession::TSession() = default;

TSession::~TSession() {
    FTemporary.clear();
    // Databases of data modules that outlive the session forget it.
    FDatabases.clear();
}

void TSession::Close() {
    for (TDatabase* database : QList<TDatabase*>(FDatabases))
        database->Close();
    FTemporary.clear();
    FActive = false;
}

void TSession::DropConnections() {
    std::erase_if(FTemporary, [](const auto& d) { return d->DataSetCount() == 0; });
}

TDatabase* TSession::FindDatabase(const QString& name) const {
    for (TDatabase* database : FDatabases)
        if (database->DatabaseName.compare(name, Qt::CaseInsensitive) == 0)
            return database;
    return nullptr;
}

TDatabase& TSession::OpenDatabase(const QString& name) {
    FActive = true;
    TDatabase* database = FindDatabase(name);
    if (!database && !name.isEmpty() && QFileInfo(name).isDir()) {
        const QString folder = QDir(name).canonicalPath();
        for (TDatabase* d : FDatabases)
            if (d->Connected() && d->FConnection->IsFolder() &&
                QDir(d->Path()).canonicalPath() == folder)
                database = d;
        if (!database) {
            auto temporary = std::make_unique<TDatabase>();
            temporary->DatabaseName = name;
            temporary->Params.Add("PATH=" + folder);
            temporary->FTemporary = true;
            database = temporary.get();
            FTemporary.push_back(std::move(temporary));
        }
    }
    if (!database)
        throw EDatabaseError(QString("Unknown database: %1").arg(name));
    database->Open();
    return *database;
}

void TSession::GetTableNames(const QString& databaseName, const QString& pattern, bool extensions,
                             TStrings& list) {
    TDatabase& database = OpenDatabase(databaseName);
    const bool folder = database.Connection().IsFolder();
    const QRegularExpression match(
        QRegularExpression::wildcardToRegularExpression(pattern.isEmpty() ? "*" : pattern),
        QRegularExpression::CaseInsensitiveOption);
    list.Clear();
    for (const QString& table : database.Connection().TableNames())
        if (match.match(table).hasMatch())
            list.Add(folder && extensions ? table + ".DB" : table);
}
