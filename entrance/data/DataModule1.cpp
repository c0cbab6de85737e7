#include "DataModule1.h"

#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_Common.h"

#include "base/Files.h"
#include "base/IniFile.h"
#include "base/SysUtils.h"
#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "dbengine/Session.h"
#include "dbengine/Table.h"
#include "entrance/common/EntranceSession.h"
#include "odbcdriver/OdbcInstaller.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace entrance {

QString DataFolderOf(const QString& path) {
    return ExtractFilePath(path);
}

bool HasDatabaseFile(const QString& path) {
    const QString folder = DataFolderOf(path);
    return !folder.isEmpty() && FileExists(folder + LoadStr(65181));
}

QString DatabaseFileOf(const QString& path) {
    return FindFileNoCase(DataFolderOf(path), LoadStr(65181));
}

void LoadDataPath(const QString& programFile) {
    TIniFile ini(DataFolderOf(programFile) + LoadStr(65153));
    EntranceSession().DataPath = ini.ReadString("APP", "APPNAME", "");
    if (!EntranceSession().DataPath.isEmpty() && HasDatabaseFile(EntranceSession().DataPath))
        return;
    EntranceSession().DataPath = programFile;
    ini.WriteString("APP", "APPNAME", EntranceSession().DataPath);
}

namespace {

TDatabase* NewDatabase(TComponent* owner, const QString& name, const QString& databaseName) {
    auto* database = new TDatabase(owner);
    database->SetName(name);
    database->DatabaseName = databaseName;
    database->LoginPrompt = false;
    return database;
}

} // namespace

TQuery* NewQuery(TComponent* owner, const QString& name, const QString& databaseName) {
    auto* query = new TQuery(owner);
    query->SetName(name);
    query->SetDatabaseName(databaseName);
    return query;
}

void InAccessTransaction(const std::function<void()>& work) {
    TDatabase& db = *EntranceSession().DM1->DB1;
    db.StartTransaction();
    try {
        work();
        db.Commit();
    } catch (...) {
        db.Rollback();
        throw;
    }
}

TDM1::TDM1() : ProgramFile(QCoreApplication::applicationFilePath()) {
    SetName("DM1");
    DB1 = NewDatabase(this, "DB1", "RORazu");
    DB1->DriverName = "MSACCESS";
    DB2 = NewDatabase(this, "DB2", "ParaOzka");
    DB2->AliasName = "EntParaODBC";
    sqlDisposal = NewQuery(this, "sqlDisposal", "RORazu");
    sqlEntUse = NewQuery(this, "sqlEntUse", QString());
    tblTemp = new TTable(this);
    tblTemp->SetName("tblTemp");
    sqlTemp = NewQuery(this, "sqlTemp", QString());
}

TDM1::~TDM1() {
    DestroyComponents();
}

void TDM1::DataModuleCreate() {
    LoadDataPath(ProgramFile);
    CloseDatabases();
    Session().Close();
    Session().SQLHourGlass = false;
    // The data sources the login makes need the driver registered in the program folder. A
    // folder that cannot be written shows up then, as the data sources' own error.
    try {
        InstallOdbcDriver(QFileInfo(ProgramFile).absolutePath());
    } catch (const Exception&) {
    }
}

} // namespace entrance
