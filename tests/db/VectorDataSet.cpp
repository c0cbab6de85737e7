#include "VectorDataSet.h"

void TVectorDataSet::Fill(int count) {
    Table.clear();
    for (int i = 1; i <= count; ++i)
        Table.append({i, QString("Row%1").arg(i), i * 1.5, QVariant()});
}

void TVectorDataSet::InternalInitFieldDefs() {
    FieldDefs().Clear();
    FieldDefs().Add("ID", ftInteger, 0, true);
    FieldDefs().Add("NAME", ftString, 20);
    FieldDefs().Add("PRICE", ftFloat);
    FieldDefs().Add("IMAGE", ftBlob);
}

void TVectorDataSet::LoadRows(QList<TRow>& rows) {
    InternalInitFieldDefs();
    rows = Table;
}

void TVectorDataSet::CheckFail() {
    if (!FailWith.isEmpty())
        DatabaseError(FailWith, this);
}

void TVectorDataSet::InsertRow(TRow& row) {
    CheckFail();
    Table.append(row);
    Writes.append("insert " + row[0].toString());
}

void TVectorDataSet::UpdateRow(const TRow& oldRow, TRow& newRow) {
    CheckFail();
    for (TRow& r : Table)
        if (r[0] == oldRow[0])
            r = newRow;
    Writes.append("update " + oldRow[0].toString());
}

void TVectorDataSet::DeleteRow(const TRow& row) {
    CheckFail();
    Table.removeIf([&](const TRow& r) { return r[0] == row[0]; });
    Writes.append("delete " + row[0].toString());
}
