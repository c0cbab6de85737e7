#include "Table.h"

#include "dbengine/FieldKinds.h"
#include "storage/Connection.h"

TTable::TTable(TComponent* AOwner) : TDBDataSet(AOwner) {}

TTable::~TTable() {
    Destroying();
    Close();
}

void TTable::SetTableName(const QString& value) {
    CheckInactive();
    FTableName = value.endsWith(".DB", Qt::CaseInsensitive) ? value.chopped(3) : value;
}

QString TTable::Quoted() const {
    if (FTableName.isEmpty())
        DatabaseError("Missing TableName property", this);
    return TLiveTable::Quote(FTableName);
}

bool TTable::Exists() {
    return !FTableName.isEmpty() && Connection().TableExists(FTableName);
}

std::unique_ptr<SqlStatement> TTable::CreateCursor(SqlConnection& connection) {
    QStringList keys;
    for (const ColumnInfo& column : connection.Columns(FTableName))
        if (column.PrimaryKey)
            keys << TLiveTable::Quote(column.Name);
    return connection.Prepare(QString("SELECT * FROM %1 ORDER BY %2")
                                  .arg(Quoted(), keys.isEmpty() ? "rowid" : keys.join(",")));
}

QStringList TTable::PrimaryFields() const {
    for (int i = 0; i < FIndexDefs.Count(); ++i)
        if (FIndexDefs.Items(i).Options & ixPrimary)
            return FIndexDefs.Items(i).Fields.split(';', Qt::SkipEmptyParts);
    return {};
}

QString TTable::ColumnText(const TFieldDef& def, bool keyOfItsOwn) const {
    const ColumnKind kind = ColumnKindOfField(def.DataType);
    if (kind == ColumnKind::AutoInc && !keyOfItsOwn)
        DatabaseError(QString("The automatic number %1 must be the primary key").arg(def.Name),
                      this);
    QString text = TLiveTable::Quote(def.Name) + " " + DeclaredTypeOf(kind, def.Size);
    if (def.Required() && kind != ColumnKind::AutoInc)
        text += " NOT NULL";
    return text;
}

void TTable::CreateTable() {
    CheckInactive();
    if (FieldDefs().Count() == 0)
        DatabaseError("No fields defined for the table", this);
    QStringList primary = PrimaryFields();
    for (QString& f : primary)
        f = f.trimmed();
    QStringList columns;
    bool keyInColumn = false;
    for (int i = 0; i < FieldDefs().Count(); ++i) {
        const TFieldDef& def = FieldDefs()[i];
        const bool ownKey =
            primary.size() == 1 && primary[0].compare(def.Name, Qt::CaseInsensitive) == 0;
        columns << ColumnText(def, ownKey);
        keyInColumn = keyInColumn || (ownKey && def.DataType == ftAutoInc);
    }
    if (!primary.isEmpty() && !keyInColumn) {
        QStringList quoted;
        for (const QString& f : primary)
            quoted << TLiveTable::Quote(f);
        columns << "PRIMARY KEY (" + quoted.join(",") + ")";
    }
    QStringList statements;
    statements << QString("CREATE TABLE %1 (%2)").arg(Quoted(), columns.join(", "));
    for (int i = 0; i < FIndexDefs.Count(); ++i) {
        const TIndexDef& index = FIndexDefs.Items(i);
        if (index.Options & ixPrimary)
            continue;
        QStringList fields;
        for (const QString& f : index.Fields.split(';', Qt::SkipEmptyParts))
            fields << TLiveTable::Quote(f.trimmed());
        statements << QString("CREATE %1INDEX %2 ON %3 (%4)")
                          .arg(index.Options & ixUnique ? "UNIQUE " : "",
                               TLiveTable::Quote(FTableName + "_" + index.Name), Quoted(),
                               fields.join(","));
    }
    Connection().Execute(statements.join(";\n"));
}

void TTable::EmptyTable() {
    if (Active())
        CheckBrowseMode();
    Connection().Execute("DELETE FROM " + Quoted());
    if (Active())
        Refresh();
}

void TTable::DeleteTable() {
    CheckInactive();
    Connection().Execute("DROP TABLE " + Quoted());
}

void TTable::Pack() {
    if (Active())
        CheckBrowseMode();
    Connection().Pack(FTableName);
}

bool TTable::FindKey(const QVariantList& keyValues) {
    CheckActive();
    QString fields = IndexFieldNames;
    if (fields.isEmpty()) {
        QStringList keys;
        for (const ColumnInfo& column : Connection().Columns(FTableName))
            if (column.PrimaryKey)
                keys << column.Name;
        fields = keys.join(';');
    }
    if (fields.isEmpty())
        DatabaseError("The table has no index to search", this);
    const QStringList names = fields.split(';', Qt::SkipEmptyParts);
    const QStringList used = names.mid(0, keyValues.size());
    return Locate(used.join(';'), used.size() == 1 ? keyValues.value(0) : QVariant(keyValues), 0);
}
