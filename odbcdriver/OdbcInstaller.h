#pragma once

#include <QString>
#include <QStringList>

// The driver names the programs pass when they make their data sources.
inline constexpr char AccessDriverName[] = "Microsoft Access Driver (*.MDB)";
inline constexpr char ParadoxDriverName[] = "Microsoft Paradox Driver (*.DB )";

// The driver library: beside the running program when it is there, else where the build put it.
QString DefaultDriverLibrary();

// Points unixODBC at "odbcinst.ini" and "odbc.ini" in `folder` (ODBCSYSINI, ODBCINI) and
// registers the driver there under both driver names, as driver and as setup library, so the
// data sources need no file outside that folder. Call it before the driver manager is loaded.
// Raises Exception when the file cannot be written.
void InstallOdbcDriver(const QString& folder,
                       const QString& driverLibrary = DefaultDriverLibrary());

// Adds or replaces a user data source through the installer's add-data-source call
// (SQLConfigDataSource), e.g. ("Microsoft Access Driver (*.MDB)", {"DSN=ZorarareVUZU",
// "DBQ=/data/VODURAVIRIVE.MDB"}). Raises Exception with the installer's message on failure.
void ConfigDataSource(const QString& driver, const QStringList& attributes);
