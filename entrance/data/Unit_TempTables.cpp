#include "Unit_TempTables.h"

#include "DataModule1.h"
#include "base/Files.h"
#include "base/SysUtils.h"
#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "dbengine/Table.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_Common.h"
#include "storage/Connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace entrance {

namespace {

// The working tables are reached through the database of the table files, the data folder:
// one connection drops, empties and creates them.
TTable& OpenTempTable(const QString& tableName) {
    TTable& tblTemp = *EntranceSession().DM1->tblTemp;
    tblTemp.Close();
    tblTemp.SetDatabaseName(EntranceSession().DM1->DB2->DatabaseName);
    tblTemp.SetTableName(tableName);
    return tblTemp;
}

void EmptyTable(const QString& tableName) {
    TQuery& sqlTemp = *EntranceSession().DM1->sqlTemp;
    sqlTemp.Close();
    sqlTemp.SetDatabaseName(EntranceSession().DM1->DB2->DatabaseName);
    sqlTemp.SQL().Assign(QStringList{"DELETE FROM " + tableName});
    sqlTemp.ExecSQL();
}

// Lets queued events run, as the compaction does around its work.
void ProcessMessages() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

bool MakeCompactCopy(const QString& databaseFile, const QString& copy,
                     const DataFileLock& exclusive) {
    if (QFileInfo::exists(copy) && !QFile::remove(copy))
        return false;
    SqlConnection::OpenDatabase(databaseFile, false, &exclusive)->VacuumInto(copy);
    return QFileInfo(copy).isFile() && SyncToDisk(copy);
}

} // namespace

QString TempTableName(TTempTablePrefix prefix) {
    return LoadStr(prefix) + EntranceSession().LocalIPDigits;
}

void DropTempTable(const QString& tableName) {
    TTable& tblTemp = OpenTempTable(tableName);
    if (!tblTemp.Exists())
        return;
    try {
        tblTemp.DeleteTable();
    } catch (const Exception&) {
        // In use by a statement or not deletable: emptied below.
    }
    if (tblTemp.Exists())
        EmptyTable(tableName);
}

void CreateTempTable(const QString& tableName,
                     const std::function<void(TFieldDefs&)>& defineFields) {
    DropTempTable(tableName);
    TTable& tblTemp = OpenTempTable(tableName);
    if (tblTemp.Exists())
        return;
    tblTemp.FieldDefs().Clear();
    tblTemp.FieldDefs().Add("autoNum", ftAutoInc, 0, false);
    defineFields(tblTemp.FieldDefs());
    tblTemp.IndexDefs().Clear();
    tblTemp.IndexDefs().Add("", "autoNum", ixPrimary);
    tblTemp.CreateTable();
}

void CreateTempLogTable(const QString& tableName) {
    CreateTempTable(tableName, [](TFieldDefs& defs) {
        defs.Add("個人コード", ftString, 10, false);
        defs.Add("操作種別", ftSmallint, 0, false);
        defs.Add("操作日時", ftDateTime, 0, false);
        defs.Add("エラー種別", ftSmallint, 0, false);
        defs.Add("認証機ID", ftSmallint, 0, false);
    });
}

void CreateTempDayTable(const QString& tableName) {
    CreateTempTable(tableName, [](TFieldDefs& defs) {
        defs.Add("操作Year", ftSmallint, 0, false);
        defs.Add("操作Month", ftSmallint, 0, false);
        defs.Add("操作Day", ftSmallint, 0, false);
    });
}

bool CompactDatabase(const QString& databaseFile, const QString& workSubfolder,
                     const DataFileLock& exclusive) {
    const QString workFolder =
        QDir(ExtractFilePath(EntranceSession().DataPath) + workSubfolder).absolutePath();
    if (!QDir().mkpath(workFolder))
        throw Exception("Cannot create the folder " + workFolder);
    ProcessMessages();
    const QString original = ResolveFileNoCase(databaseFile);
    const QString copy = workFolder + "/" + QFileInfo(original).fileName();
    try {
        // A copy on the database's own name would delete the database.
        if (!QFileInfo(original).isFile() || QFileInfo(copy) == QFileInfo(original) ||
            !exclusive.HoldsExclusively(original) || !MakeCompactCopy(original, copy, exclusive))
            return false;
        QFile::setPermissions(copy, QFileInfo(original).permissions());
        // rename(2) replaces the file in one step: the name always holds a whole database.
        if (std::rename(QFile::encodeName(copy).constData(),
                        QFile::encodeName(original).constData()) != 0) {
            QFile::remove(copy);
            return false;
        }
        SyncToDisk(QFileInfo(original).absolutePath());
    } catch (const Exception&) {
        QFile::remove(copy);
        return false;
    }
    ProcessMessages();
    return true;
}

} // namespace entrance
