#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <sys/types.h>

class DataFileLock;
struct sqlite3;
class TableFolder;

// Keeps the table files of one statement attached while it lives.
class TableLease {
public:
    TableLease() = default;
    TableLease(TableFolder* folder, QStringList keys) : FFolder(folder), FKeys(std::move(keys)) {}
    TableLease(TableLease&& other) noexcept;
    TableLease& operator=(TableLease&& other) noexcept;
    TableLease(const TableLease&) = delete;
    TableLease& operator=(const TableLease&) = delete;
    ~TableLease();

private:
    void Release();
    TableFolder* FFolder = nullptr;
    QStringList FKeys;
};

// The folder of table files under one connection: each table X is the file X.DB (upper-case
// file name) holding the one table X. A file is attached while statements use it and then
// stays attached until room is needed: SQLite holds at most ten attached files at once.
// A file is held shared (DataFileLock) while statements use it, and to the end of a
// transaction that used it; an idle attached file is not (its lock file is kept open, let go,
// for the next statement), and a file replaced or removed meanwhile is attached anew at its
// next use. A table's file is deleted only while it can be held exclusively.
class TableFolder {
public:
    // The page cache of an attached file, in KiB: a month's log (some 100,000 rows) stays in
    // memory from one of the record reports' day queries to the next, where SQLite's default
    // of 2 MiB would read most of its pages again for each day. SQLite drops the cache when
    // another program changes the file.
    static constexpr int PageCacheKiB = 8192;

    TableFolder(sqlite3* db, const QString& folder);
    TableFolder(const TableFolder&) = delete;
    TableFolder& operator=(const TableFolder&) = delete;

    const QString& Folder() const { return FFolder; }
    // A table is a file directly in the folder: a name that would reach another folder ("/",
    // "\", "..", a NUL) or make a hidden file (a leading ".", no name at all) names none.
    static bool IsTableName(const QString& name);
    // Raises (SQLITE_AUTH) when `name` is no table name.
    static void CheckTableName(const QString& name);
    // Raises (SQLITE_AUTH) when `table` may not be renamed to `name`: besides the name rule, a
    // table stays the file of its name, as the other program finds it (renamed inside its
    // file, it would be out of reach under either name).
    static void CheckRenaming(const QString& table, const QString& name);
    // The file of a table (found without regard to case), or empty when there is none.
    QString FileOf(const QString& table);
    // The file a new table gets: the folder + the upper-cased name + ".DB".
    QString NewFileOf(const QString& table) const;
    // Attaches the files of those names that are tables of the folder.
    TableLease Use(const QStringList& names);
    // Makes the file of a new table and attaches it; raises when the table or its file
    // exists, or the folder cannot be listed.
    TableLease Create(const QString& table);
    // The schema a table is attached under; empty when it is not attached.
    QString SchemaOf(const QString& table) const;
    // Detaches the table and deletes its file; raises when a statement, of this connection or
    // another, still uses it.
    void Remove(const QString& table);
    // Detaches a table made by Create and deletes the file that Create made, whatever uses
    // it: the undoing of a CREATE TABLE that did not run. A file Create did not make (another
    // program's, or one put in its place since) is never deleted.
    void Discard(const QString& table);
    // The tables of the folder, as their file names give them (without ".DB"). Raises when
    // the folder cannot be listed: no list is not an empty folder.
    QStringList TableNames();
    // Lets go of the files the ended transaction used that no statement uses.
    void TransactionEnded();
    // Detaches, before a transaction begins, the attached files that no statement uses and
    // that another program replaced or removed since: the transaction takes every attached
    // file, and one it has taken cannot be detached before it ends.
    void TransactionStarting();
    // How often a file was attached or detached: the connection's schemas changed.
    quint64 Attachments() const { return FAttachments; }

private:
    friend class TableLease;
    struct Attached {
        QString Schema;
        QString File;
        ino_t Inode = 0;
        ino_t Made = 0;                     // the inode of the file Create made, else 0
        std::shared_ptr<DataFileLock> Hold; // kept while attached, taken while Held
        bool Held = false; // while Users > 0, and to the end of a transaction that used it
        int Users = 0;
        quint64 LastUse = 0;
    };
    // True when the attached file was deleted or replaced by another program.
    static bool IsGone(const Attached& a);
    // Counts a use of an upper-cased table name, attaching and holding its file; false when
    // the folder has no such table. `time` is the folder time, read once per statement.
    bool UseOne(const QString& key, qint64& time);
    // Attaches the file under its hold, taken.
    void Attach(const QString& key, const QString& file, std::shared_ptr<DataFileLock> hold);
    // Lets go of the file's hold, which the statements using it and the transaction are done
    // with.
    static void LetGo(Attached& a);
    void Detach(const QString& key);
    void MakeRoom();
    // Lists the folder's table files as they are at the folder time `time`.
    void Relist(qint64 time);
    // The file of an upper-cased table name at the folder time `time`, or empty.
    QString Lookup(const QString& key, qint64 time);
    void Release(const QStringList& keys);
    static void RemoveIfSame(const QString& file, ino_t inode);

    static constexpr qint64 NotRead = -2; // a folder time not read yet

    sqlite3* FDb;
    QString FFolder;
    QHash<QString, Attached> FAttached; // by upper-cased table name
    QHash<QString, QString> FFiles;     // upper-cased table name -> file name
    qint64 FListedAt = -1;              // folder time of the listing, in nanoseconds
    quint64 FUseCounter = 0;
    quint64 FAttachments = 0;
    bool FHeldForTransaction = false; // a hold is kept to the end of the transaction
};
