#pragma once

#include <QString>

struct sqlite3;

// What a client's statement (one that came through the ODBC driver) may do, as SQLite's
// authorizer is asked while the statement is prepared. A client reaches only the connected
// files and does not change how they are stored (no ATTACH, DETACH, PRAGMA), reaches no memory
// and no file through a function (fts3_tokenizer hands out addresses and takes one to call,
// load_extension runs a library), and makes only what Jet makes: tables, indexes and views, no
// virtual tables, no triggers (which would undo the field-size guard) and no ANALYZE statistics.
// Returns the refusal's message ("<what> is not allowed: <why>"), empty when it is allowed.
QString ClientRefusal(int action, const char* a, const char* b);

// The refusal of a statement that would do `what` to the way the files are stored.
QString StorageRefusal(const QString& what);

// Sets up a connection so that no statement, the programs' or a client's, can break out of the
// data: SQLite's defensive mode, the files' schemas untrusted (functions and virtual tables in
// views and triggers only when harmless), no extensions, no FTS3 tokenizer addresses, and no
// virtual table modules but JSON's.
void GuardConnection(sqlite3* db);
