#pragma once

#include "base/SysUtils.h"

#include <QList>
#include <QStringList>
#include <QVariant>
#include <functional>

class TDataSet;
class TQuery;

namespace entrance {

// What another terminal did to the rows a save found different from what the screen read.
enum class TRowChange {
    Changed, // the rows are there, changed (or, for a room, some added or deleted)
    Deleted, // every row read is gone
    Taken,   // a new entry's rows were added meanwhile
};

// The refusal of a save whose rows another terminal changed or deleted since the screen read
// them; what the operator typed stays on screen. The message says what the screen shows now.
class ERecordChanged : public EDatabaseError {
public:
    explicit ERecordChanged(TRowChange change);
    TRowChange Change() const { return FChange; }

private:
    TRowChange FChange;
};

// What a screen read of the rows it edits (one row of a person, a department, ...; the rows of
// a room), by the columns it shows and stores, so that its save can tell whether another
// terminal changed, deleted or added them since. The save opens the statement that finds those
// rows, in the transaction that writes them, and calls Check before it writes. Empty (nothing
// read) stands for a new entry: no row may be there yet.
//
// Values compare NULL-safe: NULL equals NULL only. Times and date-times compare as finely as
// the field that reads them again keeps them (through ODBC: the second of the day, the
// millisecond), so that a row read through the database engine checks alike.
class TReadRows {
public:
    TReadRows() = default;
    // Every row of `data`, by `columns`; `data` is back on its first row afterwards.
    TReadRows(TDataSet& data, const QStringList& columns);
    // The current row of `data` alone.
    static TReadRows CurrentOf(const TDataSet& data, const QStringList& columns);

    bool IsEmpty() const { return FRows.isEmpty(); }
    // Raises ERecordChanged unless `data` holds the rows as read, in the same order; `data`
    // is back on its first row afterwards. The rows read stay as they were: only a screen that
    // shows the rows as they are now reads them again, so no save stores over a value that the
    // operator has not seen; rows that are gone stay expected (an edit never inserts them
    // again), and a new entry never takes rows another terminal added.
    void Check(TDataSet& data) const;

private:
    bool HeldBy(TDataSet& data) const;
    QVariantList RowOf(const TDataSet& data) const;

    QStringList FColumns;
    QList<QVariantList> FRows;
};

// Opens `query` (lines and parameters set) live, in one transaction on "RORazu": checks its rows
// against `asRead`, then `write` inserts or edits and posts. The query is closed and no longer
// live afterwards, however it ends.
void PostChecked(TQuery& query, const TReadRows& asRead, const std::function<void()>& write);

} // namespace entrance
