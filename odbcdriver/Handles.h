#pragma once

#include "Result.h"
#include "storage/Connection.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <sql.h>
#include <sqlext.h>
#include <vector>

// One diagnostic record of a handle.
struct DiagRecord {
    QByteArray State; // five characters
    SQLINTEGER Native = 0;
    QString Message;
};

// What every handle carries: its kind and the diagnostics of its last call.
struct OdbcHandle {
    explicit OdbcHandle(SQLSMALLINT type) : Type(type) {}
    virtual ~OdbcHandle() = default;
    SQLSMALLINT Type;
    QList<DiagRecord> Diags;

    // Adds a record; returns SQL_ERROR, or SQL_SUCCESS_WITH_INFO for a state of class 01.
    SQLRETURN Post(const char* state, const QString& message, SQLINTEGER native = 0);
};

struct OdbcStatement;

struct OdbcEnvironment : OdbcHandle {
    OdbcEnvironment() : OdbcHandle(SQL_HANDLE_ENV) {}
    SQLINTEGER Version = SQL_OV_ODBC3;
};

// A connection: the database file (DBQ=) or the folder of table files (DefaultDir=).
struct OdbcConnection : OdbcHandle {
    explicit OdbcConnection(OdbcEnvironment* env) : OdbcHandle(SQL_HANDLE_DBC), Env(env) {}
    OdbcEnvironment* Env;
    std::unique_ptr<SqlConnection> Db;
    // The calls on the connection and its statements run one at a time, from whichever
    // threads they come: SQLite's connection has no lock of its own.
    std::recursive_mutex Lock;
    std::set<OdbcStatement*> Statements;
    QString DataSource;
    bool AutoCommit = true;
    bool ReadOnly = false;
    // Statement attributes set on the connection, the defaults of its new statements.
    SQLULEN CursorType = SQL_CURSOR_FORWARD_ONLY;
    SQLULEN UseBookmarks = SQL_UB_OFF;
    SQLULEN QueryTimeout = 0; // seconds; 0: none
    // The statement whose execution runs, for SQLCancel from another thread while the run
    // holds Lock: set and read under RunningLock only.
    std::mutex RunningLock;
    OdbcStatement* Running = nullptr;
};

struct ColumnBinding {
    SQLSMALLINT CType = SQL_C_DEFAULT;
    SQLPOINTER Target = nullptr;
    SQLLEN BufferLength = 0;
    SQLLEN* Indicator = nullptr;
};

struct ParameterBinding {
    SQLSMALLINT CType = SQL_C_DEFAULT;
    SQLSMALLINT SqlType = SQL_VARCHAR;
    SQLPOINTER Value = nullptr;
    SQLLEN BufferLength = 0;
    SQLLEN* Indicator = nullptr;
};

struct OdbcStatement : OdbcHandle {
    explicit OdbcStatement(OdbcConnection* dbc)
        : OdbcHandle(SQL_HANDLE_STMT), Dbc(dbc), CursorType(dbc->CursorType),
          UseBookmarks(dbc->UseBookmarks), QueryTimeout(dbc->QueryTimeout) {}
    OdbcConnection* Dbc;
    std::unique_ptr<SqlStatement> Prepared;
    std::map<int, ParameterBinding> Parameters;
    std::map<int, ColumnBinding> Bindings; // column 0 is the bookmark
    std::unique_ptr<OdbcResult> Result;
    SQLLEN RowCount = -1;
    QString CursorName;

    // Cursor: the first row of the current rowset (0 before the start) and its rows.
    int64_t RowsetStart = 0;
    int64_t RowsetRows = 0;

    SQLULEN CursorType;
    SQLULEN UseBookmarks;
    SQLULEN QueryTimeout; // seconds an execution may take; 0: no limit
    SQLULEN RowArraySize = 1;
    SQLULEN RowsetSize = 1; // the older attribute SQLExtendedFetch uses
    SQLULEN BindType = SQL_BIND_BY_COLUMN;
    SQLULEN* BindOffset = nullptr;
    SQLULEN* RowsFetched = nullptr;
    SQLUSMALLINT* RowStatus = nullptr;
    SQLPOINTER FetchBookmark = nullptr;
    SQLULEN MaxLength = 0;
    SQLULEN Concurrency = SQL_CONCUR_READ_ONLY;

    // SQLGetData in pieces: the column read last and how far.
    int PieceColumn = -1;
    qint64 PieceOffset = 0;

    // Parameter arrays: how many sets one execution runs, how they are bound (row-wise: the
    // size of one set's structure; column-wise: 0), and where each set's outcome goes.
    SQLULEN ParamsetSize = 1;
    SQLULEN ParamBindType = SQL_PARAM_BIND_BY_COLUMN;
    SQLULEN* ParamBindOffset = nullptr;
    SQLULEN* ParamsProcessed = nullptr;
    SQLUSMALLINT* ParamStatus = nullptr;
    SQLUSMALLINT* ParamOperation = nullptr;

    // An execution: the parameter set being run. While AwaitingData, SQLParamData and
    // SQLPutData take the set's data at execution: PendingData the parameters still to ask
    // for, CurrentData the one being sent (0: none), PutData what came (nullopt: NULL).
    SQLULEN ParamRow = 0;
    bool AwaitingData = false;
    bool DataAsked = false; // the current set's parameters at execution have been listed
    std::vector<int> PendingData;
    int CurrentData = 0;
    std::map<int, std::optional<QByteArray>> PutData;
    // A cancel that found the connection busy with another call: the wait for data at
    // execution ends as the statement's next call begins.
    std::atomic<bool> CancelPending = false;
};
