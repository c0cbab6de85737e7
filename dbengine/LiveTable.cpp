#include "LiveTable.h"

#include "base/SysUtils.h"
#include "storage/Connection.h"

TLiveTable::TLiveTable(SqlConnection& connection, const QString& table, const QStringList& columns,
                       const QList<bool>& keyColumns)
    : FConnection(connection), FTable(table), FColumns(columns), FKeyColumns(keyColumns) {
    // The key serves only when the result holds every key column of the table.
    int keysInResult = 0;
    for (bool key : keyColumns)
        keysInResult += key ? 1 : 0;
    int keysOfTable = 0;
    for (const ColumnInfo& c : connection.Columns(table))
        keysOfTable += c.PrimaryKey ? 1 : 0;
    FUseKey = keysOfTable > 0 && keysInResult == keysOfTable;
}

QString TLiveTable::RowCondition(const QVariantList& row, QVariantList& values) const {
    QStringList terms;
    for (int i = 0; i < FColumns.size(); ++i) {
        if (FColumns[i].isEmpty() || (FUseKey && !FKeyColumns.value(i)))
            continue;
        terms << Quote(FColumns[i]) + " IS ?";
        values << row.value(i);
    }
    return QString("rowid IN (SELECT rowid FROM %1 WHERE %2 LIMIT 1)")
        .arg(Quote(FTable), terms.join(" AND "));
}

void TLiveTable::RaiseRowGone() const {
    throw EDatabaseError(
        QString("The row of %1 was changed or deleted by another user").arg(FTable));
}

void TLiveTable::Insert(QVariantList& row) {
    QStringList names, marks;
    QVariantList values;
    for (int i = 0; i < FColumns.size(); ++i) {
        if (FColumns[i].isEmpty() || row.value(i).isNull())
            continue;
        names << Quote(FColumns[i]);
        marks << "?";
        values << row.value(i);
    }
    const QString sql = names.isEmpty()
                            ? QString("INSERT INTO %1 DEFAULT VALUES").arg(Quote(FTable))
                            : QString("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(Quote(FTable), names.join(","), marks.join(","));
    auto insert = FConnection.Prepare(sql);
    for (int i = 0; i < values.size(); ++i)
        insert->Bind(i + 1, values[i]);
    insert->Execute();
    QStringList selected;
    for (const QString& column : FColumns)
        if (!column.isEmpty())
            selected << Quote(column);
    auto read = FConnection.Prepare(
        QString("SELECT %1 FROM %2 WHERE rowid = ?").arg(selected.join(","), Quote(FTable)));
    read->Bind(1, insert->LastInsertRowId());
    if (!read->Step())
        return;
    for (int i = 0, c = 0; i < FColumns.size(); ++i)
        if (!FColumns[i].isEmpty())
            row[i] = read->Value(c++);
}

void TLiveTable::Update(const QVariantList& oldRow, const QVariantList& newRow) {
    QStringList sets;
    QVariantList values;
    for (int i = 0; i < FColumns.size(); ++i) {
        if (FColumns[i].isEmpty() || oldRow.value(i) == newRow.value(i))
            continue;
        sets << Quote(FColumns[i]) + "=?";
        values << newRow.value(i);
    }
    if (sets.isEmpty())
        return;
    const QString condition = RowCondition(oldRow, values);
    auto update = FConnection.Prepare(
        QString("UPDATE %1 SET %2 WHERE %3").arg(Quote(FTable), sets.join(","), condition));
    for (int i = 0; i < values.size(); ++i)
        update->Bind(i + 1, values[i]);
    if (update->Execute() != 1)
        RaiseRowGone();
}

void TLiveTable::Delete(const QVariantList& row) {
    QVariantList values;
    const QString condition = RowCondition(row, values);
    auto remove =
        FConnection.Prepare(QString("DELETE FROM %1 WHERE %2").arg(Quote(FTable), condition));
    for (int i = 0; i < values.size(); ++i)
        remove->Bind(i + 1, values[i]);
    if (remove->Execute() != 1)
        RaiseRowGone();
}
