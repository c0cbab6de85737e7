#include "Database.h"

#include "base/IniFile.h"
#include "dbengine/DBDataSet.h"
#include "dbengine/Session.h"
#include "storage/Connection.h"

#include <QDir>

namespace {
// The value of a "NAME=value" line, name without regard to case.
QString ParamValue(const TStrings& params, const QString& name) {
    for (int i = 0; i < params.Count(); ++i) {
        const QString& line = params[i];
        const int eq = line.indexOf('=');
        if (eq > 0 && line.left(eq).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

QString OdbcIniFile() {
    const QString file = qEnvironmentVariable("ODBCINI");
    return file.isEmpty() ? QDir::homePath() + "/.odbc.ini" : file;
}
} // namespace

TDatabase::TDatabase(TComponent* AOwner) : TComponent(AOwner) {
    Session().AddDatabase(this);
}

TDatabase::~TDatabase() {
    Destroying();
    Close();
    Session().RemoveDatabase(this);
}

QString TDatabase::Target(bool& isFolder) const {
    isFolder = false;
    QString file = ParamValue(Params, "DATABASE NAME");
    if (!file.isEmpty())
        return file;
    isFolder = true;
    QString folder = ParamValue(Params, "PATH");
    if (!folder.isEmpty())
        return folder;
    if (!AliasName.isEmpty()) {
        const TIniFile ini(OdbcIniFile());
        folder = ini.ReadString(AliasName, "DefaultDir", "");
        if (!folder.isEmpty())
            return folder;
        isFolder = false;
        file = ini.ReadString(AliasName, "DBQ", "");
        if (!file.isEmpty())
            return file;
        DatabaseError(QString("Unknown alias: %1").arg(AliasName), this);
    }
    DatabaseError("No database file or folder is set", this);
}

void TDatabase::SetConnected(bool value) {
    if (value)
        Open();
    else
        Close();
}

void TDatabase::Open() {
    if (FConnection)
        return;
    bool isFolder = false;
    const QString target = Target(isFolder);
    FConnection =
        isFolder ? SqlConnection::OpenFolder(target) : SqlConnection::OpenDatabase(target);
    Session().Open();
}

void TDatabase::Close() {
    if (!FConnection)
        return;
    CloseDataSets();
    FConnection.reset();
}

void TDatabase::CloseDataSets() {
    while (!FDataSets.isEmpty()) {
        TDBDataSet* dataSet = FDataSets.takeLast();
        dataSet->Close();
        dataSet->FDatabase = nullptr;
    }
}

SqlConnection& TDatabase::Connection() {
    Open();
    return *FConnection;
}

QString TDatabase::Path() const {
    return FConnection ? FConnection->Path() : QString();
}

void TDatabase::StartTransaction() {
    Connection().StartTransaction();
}

void TDatabase::Commit() {
    Connection().Commit();
}

void TDatabase::Rollback() {
    Connection().Rollback();
}

bool TDatabase::InTransaction() const {
    return FConnection && FConnection->InTransaction();
}
