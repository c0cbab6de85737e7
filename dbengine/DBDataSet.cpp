#include "DBDataSet.h"

#include "dbengine/Database.h"
#include "dbengine/FieldKinds.h"
#include "dbengine/Session.h"
#include "storage/Connection.h"

TDBDataSet::TDBDataSet(TComponent* AOwner) : TRowDataSet(AOwner) {}

TDBDataSet::~TDBDataSet() {
    Destroying();
    Close();
    Detach();
}

void TDBDataSet::SetDatabaseName(const QString& value) {
    CheckInactive();
    FDatabaseName = value;
}

SqlConnection& TDBDataSet::Connection() {
    return FDatabase ? FDatabase->Connection() : Session().OpenDatabase(FDatabaseName).Connection();
}

void TDBDataSet::Attach() {
    if (FDatabase)
        return;
    TDatabase& database = Session().OpenDatabase(FDatabaseName);
    database.FDataSets.append(this);
    FDatabase = &database;
}

void TDBDataSet::Detach() {
    if (FDatabase)
        FDatabase->FDataSets.removeAll(this);
    FDatabase = nullptr;
}

void TDBDataSet::InternalInitFieldDefs() {
    QList<TRow> rows;
    LoadRows(rows);
}

void TDBDataSet::LoadRows(QList<TRow>& rows) {
    Attach();
    SqlConnection& connection = FDatabase->Connection();
    auto statement = CreateCursor(connection);
    if (!statement->IsQuery())
        DatabaseError("The statement returns no rows; run it with ExecSQL", this);
    ReadResult(*statement, rows);
    MakeLiveTable(*statement, connection);
}

// A column of a declared kind has its field type before the first row, so its values are read
// straight into the field's form; an expression's type waits for its first value, so its values
// are converted once the rows are in.
void TDBDataSet::ReadResult(SqlStatement& statement, QList<TRow>& rows) {
    const int count = statement.ColumnCount();
    QList<TFieldType> types(count, ftUnknown);
    for (int i = 0; i < count; ++i)
        if (statement.Column(i).Kind != ColumnKind::Unknown)
            types[i] = FieldTypeOfColumn(statement.Column(i), QVariant());
    QList<QVariant> samples(count);
    while (statement.Step()) {
        TRow row(count);
        QVariant* values = row.data();
        for (int i = 0; i < count; ++i) {
            if (types[i] != ftUnknown) {
                values[i] = FieldValue(types[i], statement, i);
                continue;
            }
            values[i] = statement.Value(i);
            if (samples[i].isNull())
                samples[i] = values[i];
        }
        rows.append(std::move(row));
    }
    FieldDefs().Clear();
    for (int i = 0; i < count; ++i) {
        const ColumnInfo& column = statement.Column(i);
        QString name = column.Name;
        for (int n = 1; FieldDefs().IndexOf(name) >= 0; ++n)
            name = column.Name + "_" + QString::number(n);
        TFieldDef& def = FieldDefs().Add(name, FieldTypeOfColumn(column, samples[i]));
        if (def.DataType == ftString) {
            def.Size = column.Size;
            // A text expression is as wide as its widest value.
            if (column.Kind == ColumnKind::Unknown)
                for (const TRow& row : rows)
                    def.Size = std::max(def.Size, int(row[i].toString().size()));
            def.Size = std::max(def.Size, 1);
        }
        def.SetRequired(column.NotNull && column.Kind != ColumnKind::AutoInc);
        if (column.Kind == ColumnKind::AutoInc || column.Table.isEmpty())
            def.Attributes |= faReadOnly;
    }
    for (int i = 0; i < count; ++i)
        if (types[i] == ftUnknown)
            for (TRow& row : rows)
                row[i] = ToFieldValue(FieldDefs()[i].DataType, row[i]);
}

void TDBDataSet::MakeLiveTable(SqlStatement& statement, SqlConnection& connection) {
    FLive.reset();
    if (!WantsLiveResult())
        return;
    QString table;
    QStringList columns;
    QList<bool> keys;
    for (int i = 0; i < statement.ColumnCount(); ++i) {
        const ColumnInfo& column = statement.Column(i);
        if (!column.Table.isEmpty()) {
            if (!table.isEmpty() && table.compare(column.Table, Qt::CaseInsensitive) != 0)
                return;
            table = column.Table;
        }
        columns << column.OriginName;
        keys << column.PrimaryKey;
    }
    if (!table.isEmpty())
        FLive = std::make_unique<TLiveTable>(connection, table, columns, keys);
}

void TDBDataSet::InternalClose() {
    TRowDataSet::InternalClose();
    FLive.reset();
    Detach();
}

void TDBDataSet::InsertRow(TRow& row) {
    FLive->Insert(row);
    for (int i = 0; i < row.size(); ++i)
        row[i] = ToFieldValue(FieldDefs()[i].DataType, row[i]);
}

void TDBDataSet::UpdateRow(const TRow& oldRow, TRow& newRow) {
    FLive->Update(oldRow, newRow);
}

void TDBDataSet::DeleteRow(const TRow& row) {
    FLive->Delete(row);
}
