#pragma once

// This PC's working tables in the data folder and the compaction of the database file.

#include <QString>
#include <functional>

class DataFileLock;
class TFieldDefs;

namespace entrance {

// The numbered texts that hold the prefixes of the per-PC working tables; each prefix is
// followed by LocalIPDigits, so that the PCs sharing one data folder never use one another's
// tables.
enum TTempTablePrefix {
    TempLogListPrefix = 65154,       // room list view
    TempLogDetailPrefix = 65155,     // room detail view
    TempRoomDayListPrefix = 65156,   // day list of the room stay report
    TempUnitDayListPrefix = 65157,   // day list of the record report by unit
    TempDeptDayListPrefix = 65158,   // day list of the record report by person, one department
    TempPersonDayListPrefix = 65159, // day list of the record report by person otherwise
};

// The prefix followed by this PC's address digits.
QString TempTableName(TTempTablePrefix prefix);

// Removes a table of the data folder; a table that cannot be removed (in use) is emptied.
// Either way no old row is left. Database errors of the emptying are raised.
void DropTempTable(const QString& tableName);
// A fresh, empty table: autoNum (the primary key), then the fields `defineFields` adds. A
// table that could not be dropped stays, emptied.
void CreateTempTable(const QString& tableName,
                     const std::function<void(TFieldDefs&)>& defineFields);
// A fresh, empty table in the layout of the monthly log.
void CreateTempLogTable(const QString& tableName);
// A fresh, empty table of days: autoNum, 操作Year, 操作Month, 操作Day.
void CreateTempDayTable(const QString& tableName);

// Compacts the database file into the data folder's `workSubfolder` (made when missing; a
// failure to make it is raised), then puts the copy in its place by an atomic rename. False,
// with the database file left as it was, when anything fails or no copy was made. The caller
// holds the file exclusively (`exclusive`) for the whole of it, so no program has it open.
bool CompactDatabase(const QString& databaseFile, const QString& workSubfolder,
                     const DataFileLock& exclusive);

} // namespace entrance
