#pragma once

#include "base/Strings.h"

#include <QList>
#include <QString>
#include <memory>
#include <vector>

class TDatabase;

// The database engine's session: the databases by name and the folders that datasets name in
// place of a database. Private and network folders are kept for the programs that set them;
// SQLite needs neither.
class TSession {
public:
    TSession();
    ~TSession();
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    QString PrivateDir;
    QString NetFileDir;
    bool SQLHourGlass = true;

    bool Active() const { return FActive; }
    void Open() { FActive = true; }
    // Closes every database (and so its datasets) and frees the temporary ones.
    void Close();
    // Frees the temporary databases that no open dataset uses.
    void DropConnections();

    int DatabaseCount() const { return int(FDatabases.size()); }
    TDatabase* Databases(int index) const { return FDatabases.at(index); }
    // The database of that name, compared without regard to case; nullptr when none.
    TDatabase* FindDatabase(const QString& name) const;
    // The database of that name, or for a folder a temporary database on it (one that is
    // already open on the same folder serves); opens it and the session.
    TDatabase& OpenDatabase(const QString& name);
    // The table names of a database or folder, with ".DB" for a folder's tables when
    // `extensions` is set.
    void GetTableNames(const QString& databaseName, const QString& pattern, bool extensions,
                       TStrings& list);

private:
    friend class TDatabase;
    void AddDatabase(TDatabase* database) { FDatabases.append(database); }
    void RemoveDatabase(TDatabase* database) { FDatabases.removeAll(database); }

    bool FActive = false;
    QList<TDatabase*> FDatabases;
    std::vector<std::unique_ptr<TDatabase>> FTemporary;
};

// The program's one session.
TSession& Session();
