#pragma once

#include "base/Component.h"

#include <QString>
#include <functional>

class TDatabase;
class TQuery;
class TTable;

namespace entrance {

// The data folder of a program file's path: its folder, with the closing "/".
QString DataFolderOf(const QString& path);
// Whether the folder of `path` holds the database file (its name compared without case).
bool HasDatabaseFile(const QString& path);
// The database file in the folder of `path`, as it is spelt there.
QString DatabaseFileOf(const QString& path);

// Sets DataPath from "APP"/"APPNAME" of the INI file beside `programFile`. A missing value,
// or one whose folder holds no database, gives `programFile`, which is written back.
void LoadDataPath(const QString& programFile);

// Runs `work` in one transaction on "RORazu": committed when it returns, rolled back when it
// raises, and the error raised again.
void InAccessTransaction(const std::function<void()>& work);

// A query of a data module: named, owned by the module, on that database.
TQuery* NewQuery(TComponent* owner, const QString& name, const QString& databaseName);

// The management program's first data module: the two database connections, closed until
// the login opens them, and the queries the shared routines use.
class TDM1 : public TComponent {
public:
    TDM1();
    ~TDM1() override;

    // The program file: its folder holds the INI file, the session's "ENT" folder and the
    // ODBC files. Tests point it into a folder of their own.
    QString ProgramFile;

    // The data path from the INI file, the session closed, the ODBC driver installed in the
    // program folder (before any ODBC call of the process).
    void DataModuleCreate();

    TDatabase* DB1; // "RORazu": the Access database
    TDatabase* DB2; // "ParaOzka": the table files, through the data source "EntParaODBC"
    TQuery* sqlDisposal;
    TQuery* sqlEntUse;
    TTable* tblTemp;
    TQuery* sqlTemp;
};

} // namespace entrance
