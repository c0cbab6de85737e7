#pragma once

#include "base/Component.h"
#include "base/DateTime.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace entrance {

// The authentication units in 認証機ID order and the monthly log tables of the data folder.
class TEntrance : public TComponent {
public:
    // Loads the units; the data folder is the folder of DataPath. Database errors are raised.
    explicit TEntrance(TComponent* AOwner = nullptr);

    void Clear();
    const QString& Path() const { return FPath; }
    void SetPath(const QString& folder) { FPath = folder; }
    int Count() const { return FCount; }

    // Empty, 0 or -1 for a unit or index that is not loaded.
    QString NameOfID(int id) const;
    QString NameAt(int i) const;
    int IDAt(int i) const;
    int IndexOfID(int id) const { return int(UnitIDs.indexOf(id)); }

    // Fills LogTables with the names (without extension) of the monthly log files.
    void ListLogTables();
    bool HasLogTables() const { return !LogTables.isEmpty(); }

    // "2001_07" for July 2001.
    static QString YearMonthSuffix(TDateTime date);
    // The month's log file, its name matched without regard to case.
    bool LogTableExists(TDateTime date) const { return !LogFileOfMonth(date).isEmpty(); }
    // The file's full name as it lies in the folder; empty when there is none.
    QString LogFileOfMonth(TDateTime date) const;
    // "ENTRANCE_LOG" + suffix when the month's file exists, else empty.
    QString LogTableOfMonth(TDateTime date) const;
    // This month's log file, else last month's, else empty.
    QString CurrentLogFile() const;
    // An SQL line "AND (...)" that admits exactly the room's units; none for a room without
    // units.
    static QString GroupIDCondition(int roomCode);

    QStringList UnitNames;
    QList<int> UnitIDs;
    QStringList LogTables;

private:
    QString FPath;
    int FCount = 0;
};

} // namespace entrance
