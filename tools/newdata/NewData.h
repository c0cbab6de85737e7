#pragma once

#include <QString>

// The name of the database file in a data folder.
inline constexpr char DatabaseFileName[] = "VODURAVIRIVE.MDB";

// Creates an empty data folder as the programs expect to find it: the database file with
// every M_ table and the unit table "ENTRANCESTATE.DB". The folder is made when missing.
// Raises an Exception, and leaves no new file behind, when a data file is there already or a
// statement fails.
void CreateDataFolder(const QString& folder);

// The schema text: sections that begin with a line "-- section: <where>".
QString NewDataSchema();
