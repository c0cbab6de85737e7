#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class SqlConnection;

// Writes the rows of a result back into the one table they come from: each INSERT, UPDATE or
// DELETE touches exactly one row, found by the primary key when the result holds all of it,
// else by every column's old value.
class TLiveTable {
public:
    // `columns` names the table's column behind each value of a row; empty for a value that
    // is no column of the table (an expression), which is never written.
    TLiveTable(SqlConnection& connection, const QString& table, const QStringList& columns,
               const QList<bool>& keyColumns);

    const QString& Table() const { return FTable; }
    // Inserts the row's non-null values, then reads back what the table filled in (an
    // automatic number, defaults).
    void Insert(QVariantList& row);
    // Writes the changed values; raises when the row is no longer there.
    void Update(const QVariantList& oldRow, const QVariantList& newRow);
    void Delete(const QVariantList& row);

    // A name as SQL text: between brackets.
    static QString Quote(const QString& name) { return "[" + name + "]"; }

private:
    // "rowid IN (SELECT rowid FROM t WHERE ... LIMIT 1)" for the row's old values.
    QString RowCondition(const QVariantList& row, QVariantList& values) const;
    void RaiseRowGone() const;

    SqlConnection& FConnection;
    QString FTable;
    QStringList FColumns;
    QList<bool> FKeyColumns;
    bool FUseKey;
};
