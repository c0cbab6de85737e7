#pragma once

#include "base/Component.h"
#include "base/Strings.h"

#include <QList>
#include <QString>
#include <memory>

class SqlConnection;
class TDBDataSet;

// A connection of the database engine by name ("RORazu", "ParaOzka") to a database file or a
// folder of table files. Where it leads, first found: the parameter "DATABASE NAME=" (a file),
// "PATH=" (a folder), or the ODBC data source named by AliasName ("DBQ=" a file, "DefaultDir="
// a folder) in the file ODBCINI names.
class TDatabase : public TComponent {
public:
    explicit TDatabase(TComponent* AOwner = nullptr);
    ~TDatabase() override;

    QString DatabaseName;
    QString AliasName;
    QString DriverName;
    TStringList Params;
    bool LoginPrompt = false;
    // Made by the session for a folder that a dataset names.
    bool Temporary() const { return FTemporary; }

    bool Connected() const { return FConnection != nullptr; }
    void SetConnected(bool value);
    void Open();
    // Closes its datasets first; uncommitted work is rolled back.
    void Close();
    // The open connection; opens the database when needed.
    SqlConnection& Connection();
    // The database file or the folder.
    QString Path() const;

    void StartTransaction();
    void Commit();
    void Rollback();
    bool InTransaction() const;

    int DataSetCount() const { return int(FDataSets.size()); }
    TDBDataSet* DataSets(int index) const { return FDataSets.at(index); }
    void CloseDataSets();

private:
    friend class TSession;
    friend class TDBDataSet;
    // Where the database leads: a file (isFolder false) or a folder.
    QString Target(bool& isFolder) const;

    bool FTemporary = false;
    std::unique_ptr<SqlConnection> FConnection;
    QList<TDBDataSet*> FDataSets;
};
