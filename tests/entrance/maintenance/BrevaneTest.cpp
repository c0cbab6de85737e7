#include "entrance/maintenance/Brevane.h"
#include "tests/common/TempFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace entrance;

namespace {

QStringList Query(const QString& file, const char* sql) {
    sqlite3* db = nullptr;
    QStringList rows;
    sqlite3_open(file.toUtf8(), &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

void Exec(sqlite3* db, const char* sql) {
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
}

} // namespace

// A writer in the middle of a transaction: the copy holds the committed rows and is whole;
// the restore replaces the data folder's files and drops the journals beside them.
TEST(Brevane, BacksUpConsistentlyAndRestores) {
    TempFolder data, store;
    qputenv("BREVANE_FOLDER", store.Path().toUtf8());
    const QString db = data.File("VODURAVIRIVE.MDB");
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(db.toUtf8(), &writer), SQLITE_OK);
    Exec(writer, "CREATE TABLE t (v INTEGER)");
    Exec(writer, "INSERT INTO t VALUES (1), (2)");
    QFile px(data.File("ENTRANCESTATE.PX"));
    ASSERT_TRUE(px.open(QIODevice::WriteOnly));
    px.write("index");
    px.close();
    Exec(writer, "BEGIN");
    Exec(writer, "INSERT INTO t VALUES (3)");

    ClearResFile();
    AddResFile(data.File("missing.db"));
    ClearResFile();
    AddResFile(db);
    AddResFile(px.fileName());
    EXPECT_TRUE(StartBackup(nullptr, "CompName"));
    Exec(writer, "COMMIT");
    sqlite3_close(writer);
    const QString copy = store.Path() + "/" + BackupSetName("CompName") + "/VODURAVIRIVE.MDB";
    EXPECT_EQ(Query(copy, "PRAGMA integrity_check"), QStringList{"ok"});
    EXPECT_EQ(Query(copy, "SELECT v FROM t ORDER BY v"), (QStringList{"1", "2"}));

    QFile journal(db + "-journal");
    ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
    journal.close();
    EXPECT_EQ(StartRestore(nullptr, data.Path(), "CompName"), TRestoreResult::Restored);
    EXPECT_FALSE(QFile::exists(db + "-journal"));
    EXPECT_EQ(Query(db, "SELECT v FROM t ORDER BY v"), (QStringList{"1", "2"}));
    EXPECT_TRUE(QFile::exists(data.File("ENTRANCESTATE.PX")));
    qunsetenv("BREVANE_FOLDER");
}

// A set made before sets were named after the computer lies in the folder "CompName": the
// restore still finds it there.
TEST(Brevane, RestoresASetInTheEarlierFolderName) {
    TempFolder data, store;
    qputenv("BREVANE_FOLDER", store.Path().toUtf8());
    ASSERT_TRUE(QDir().mkpath(store.File("CompName")));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(store.File("CompName/VODURAVIRIVE.MDB").toUtf8(), &db), SQLITE_OK);
    Exec(db, "CREATE TABLE t (v INTEGER)");
    Exec(db, "INSERT INTO t VALUES (7)");
    sqlite3_close(db);

    EXPECT_EQ(StartRestore(nullptr, data.Path(), "CompName"), TRestoreResult::Restored);
    EXPECT_EQ(Query(data.File("VODURAVIRIVE.MDB"), "SELECT v FROM t"), QStringList{"7"});
    qunsetenv("BREVANE_FOLDER");
}
