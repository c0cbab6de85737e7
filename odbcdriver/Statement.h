#pragma once

#include "Handles.h"

// What the driver's statement calls do with an OdbcStatement: prepare and run through the
// storage layer, hold the whole result, and move a block cursor over it.
namespace DriverStatement {

SQLRETURN Prepare(OdbcStatement* st, const QString& sql);
// Runs the prepared statement; SQL_NEED_DATA when parameters come at execution time.
SQLRETURN Execute(OdbcStatement* st);
// Prepares and runs, one execution for the query time-out and SQLCancel.
SQLRETURN ExecDirect(OdbcStatement* st, const QString& sql);
// SQLParamData: the next parameter wanted, or the execution once all have come.
SQLRETURN ParamData(OdbcStatement* st, SQLPOINTER* token);
SQLRETURN PutData(OdbcStatement* st, SQLPOINTER data, SQLLEN length);
// Gives a statement a finished result (the catalog calls).
void SetResult(OdbcStatement* st, std::unique_ptr<OdbcResult> result);
void CloseCursor(OdbcStatement* st);
// SQLCancel: interrupts the statement's execution running on another thread, or ends its wait
// for data at execution. Takes the connection only when the statement does not run; when
// another call holds it, the wait ends as the statement's next call begins (TakeCancel).
SQLRETURN Cancel(OdbcStatement* st);
// At the start of each call on the statement, its connection held: carries out a cancel left
// pending.
void TakeCancel(OdbcStatement* st);

// A block fetch; `rowsetSize`, `rowsFetched` and `rowStatus` are the attributes of
// SQLFetchScroll or SQLExtendedFetch.
SQLRETURN Fetch(OdbcStatement* st, SQLSMALLINT orientation, SQLLEN offset, SQLULEN rowsetSize,
                SQLULEN* rowsFetched, SQLUSMALLINT* rowStatus);
SQLRETURN GetData(OdbcStatement* st, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER target,
                  SQLLEN bufferLength, SQLLEN* indicator);

// The columns described so far (prepared or executed); null when there are none.
const QList<OdbcColumn>* Columns(OdbcStatement* st);
// Reports a storage failure on the handle.
SQLRETURN Failed(OdbcHandle* h, const EDatabaseError& e, bool severalStatements = false);

} // namespace DriverStatement
