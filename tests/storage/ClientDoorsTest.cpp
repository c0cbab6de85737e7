// Below the driver: the table names the programs' own engine takes, and the holds a table file
// keeps between the statements of a connection.
#include "storage/Connection.h"
#include "storage/DataFileLock.h"
#include "storage/SqlError.h"

#include "tests/common/TempFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <atomic>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>

namespace {

ino_t Inode(const QString& file) {
    struct stat st;
    return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? st.st_ino : 0;
}

// A data folder inside the test's folder, with the table T.
struct ClientDoors : ::testing::Test {
    TempFolder Temp;
    const QString Data = Temp.File("data");
    const QString TableFile = Data + "/T.DB";
    std::unique_ptr<SqlConnection> Folder;

    ClientDoors() {
        QDir().mkpath(Data);
        Folder = SqlConnection::OpenFolder(Data);
        Folder->Execute("CREATE TABLE T (n LONG)");
    }
    // True when another holder could take the table's file exclusively now.
    bool Free() const { return DataFileLock(TableFile, DataFileLock::Exclusive).IsLocked(); }
};

} // namespace

// The programs' engine, too, takes a table only as a file directly in the folder: a name that
// would be a file elsewhere or a hidden one is refused as a table to make, and names no table
// to read, even where such a file exists.
TEST_F(ClientDoors, ATableIsAFileDirectlyInTheFolder) {
    auto outside = SqlConnection::OpenDatabase(Temp.File("OUTSIDE.DB"), true);
    outside->Execute("CREATE TABLE OUTSIDE (a SHORT)");
    outside.reset();
    auto hidden = SqlConnection::OpenDatabase(Data + "/.HIDDEN.DB", true);
    hidden->Execute("CREATE TABLE \".HIDDEN\" (a SHORT)");
    hidden.reset();
    const QStringList beside = QDir(Temp.Path()).entryList(QDir::Files);
    for (const char* name : {"../OUTSIDE", "..\\OUTSIDE", "sub/X", ".HIDDEN", "a..b", ""}) {
        try {
            Folder->Execute(QString("CREATE TABLE [%1] (a SHORT)").arg(name));
            ADD_FAILURE() << "made: " << name;
        } catch (const ESqlError& e) {
            EXPECT_EQ(e.Code(), SQLITE_AUTH) << name << ": " << e.Message().toStdString();
        }
        EXPECT_FALSE(Folder->TableExists(name)) << name;
    }
    EXPECT_THROW(Folder->Execute("SELECT * FROM [../OUTSIDE]"), ESqlError);
    EXPECT_THROW(Folder->Execute("DROP TABLE [../OUTSIDE]"), ESqlError);
    EXPECT_EQ(Folder->TableNames(), QStringList{"T"});
    EXPECT_EQ(QDir(Temp.Path()).entryList(QDir::Files), beside);
    EXPECT_TRUE(QFile::exists(Temp.File("OUTSIDE.DB")));
}

// Between statements a table file is held by nobody, so a compaction, restore or deletion may
// take it; its lock file is made once, not for each statement, and goes with the connection.
TEST_F(ClientDoors, AnIdleTableIsLetGoAndItsLockFileKept) {
    const QString lockFile = DataFileLock::LockFileOf(TableFile);
    Folder->Execute("INSERT INTO T (n) VALUES (1)");
    const ino_t kept = Inode(lockFile);
    ASSERT_NE(kept, 0u);
    for (int i = 2; i <= 4; ++i) {
        Folder->Execute(QString("INSERT INTO T (n) VALUES (%1)").arg(i));
        EXPECT_EQ(Inode(lockFile), kept);
    }
    // The other holder, the last to let go, takes the lock file away with it.
    EXPECT_TRUE(Free());
    auto reading = Folder->Prepare("SELECT count(*) FROM T");
    ASSERT_TRUE(reading->Step());
    EXPECT_FALSE(Free()) << "held while a statement uses it";
    reading.reset();
    EXPECT_TRUE(Free());
    Folder->Execute("INSERT INTO T (n) VALUES (5)");
    Folder.reset();
    EXPECT_FALSE(QFile::exists(lockFile));
}

// A transaction keeps the hold of its first statement to its end, through the statements after
// it, and lets go when it ends.
TEST_F(ClientDoors, ATransactionKeepsItsHoldToItsEnd) {
    Folder->StartTransaction();
    Folder->Execute("INSERT INTO T (n) VALUES (1)");
    EXPECT_FALSE(Free());
    Folder->Execute("INSERT INTO T (n) VALUES (2)");
    EXPECT_FALSE(Free());
    Folder->Commit();
    EXPECT_TRUE(Free());
    Folder->StartTransaction();
    Folder->Execute("DELETE FROM T");
    Folder->Rollback();
    EXPECT_TRUE(Free());
}

// A connection whose lock file was removed while it was let go takes the one at the name at
// its next statement: it waits while a compaction holds that one, however it came there.
TEST_F(ClientDoors, AHolderWhoseLockFileWasReplacedNotices) {
    Folder->Execute("INSERT INTO T (n) VALUES (1)");
    const QString lockFile = DataFileLock::LockFileOf(TableFile);
    ASSERT_TRUE(QFile::remove(lockFile));
    std::atomic<bool> ready = false, held = false;
    constexpr int HoldMs = 500;
    std::thread compaction([&] {
        const DataFileLock exclusive(TableFile, DataFileLock::Exclusive);
        held = exclusive.IsLocked();
        ready = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(HoldMs));
    });
    while (!ready)
        std::this_thread::yield();
    if (!held) {
        compaction.join();
        GTEST_FAIL() << "the compaction's lock was not taken";
    }
    QElapsedTimer waited;
    waited.start();
    Folder->Execute("INSERT INTO T (n) VALUES (2)");
    EXPECT_GE(waited.elapsed(), HoldMs / 2) << "took the removed lock file, not the held one";
    compaction.join();
}

// A statement run again takes what it was translated and prepared to before only while its
// table stands as it was: made anew by another program with other columns, it is written and
// read as it is now (a date written as text into its date column becomes a day number).
TEST_F(ClientDoors, AStatementRunAgainFollowsItsTableMadeAnew) {
    for (const bool folder : {true, false}) {
        const QString database = Data + "/VODURAVIRIVE.MDB";
        auto open = [&] {
            return folder ? SqlConnection::OpenFolder(Data)
                          : SqlConnection::OpenDatabase(database, true);
        };
        auto c = open();
        c->Execute("CREATE TABLE W (d TEXT (20))");
        const QString insert = "INSERT INTO W (d) VALUES ('12/10/2026')";
        for (int i = 0; i < 3; ++i) {
            c->Execute(insert);
            EXPECT_EQ(c->Prepare("SELECT * FROM W WHERE d = '12/10/2026'")->ColumnCount(), 1);
        }
        auto other = open();
        other->Execute("DROP TABLE W");
        other->Execute("CREATE TABLE W (d DATETIME, e SHORT)");
        other.reset();
        // The database file's change shows to the connection with its next statement; the
        // folder's, when the statement takes the table's file.
        if (!folder) {
            auto count = c->Prepare("SELECT count(*) FROM W");
            ASSERT_TRUE(count->Step());
            EXPECT_EQ(count->Value(0).toInt(), 0);
        }
        c->Execute(insert);
        auto read = c->Prepare("SELECT * FROM W WHERE d = 46366");
        EXPECT_EQ(read->ColumnCount(), 2) << folder;
        ASSERT_TRUE(read->Step()) << folder;
        EXPECT_NE(read->ValueKind(0), ColumnKind::String) << folder;
        read.reset();
        c->Execute("DROP TABLE W");
    }
}
