#include "BatchMove.h"

#include "dbengine/Database.h"
#include "dbengine/LiveTable.h"
#include "dbengine/Table.h"
#include "storage/Connection.h"

QList<QPair<QString, QString>> TBatchMove::FieldPairs() const {
    QList<QPair<QString, QString>> pairs;
    if (Mappings.Count() == 0) {
        for (int i = 0; i < Source->FieldCount(); ++i)
            pairs.append({Source->Fields()[i]->FieldName(), Source->Fields()[i]->FieldName()});
        return pairs;
    }
    for (int i = 0; i < Mappings.Count(); ++i) {
        const QString& line = Mappings[i];
        const int eq = line.indexOf('=');
        const QString target = (eq < 0 ? line : line.left(eq)).trimmed();
        pairs.append({target, eq < 0 ? target : line.mid(eq + 1).trimmed()});
    }
    return pairs;
}

void TBatchMove::CreateDestination(const QList<QPair<QString, QString>>& pairs) {
    Destination->Close();
    if (Destination->Exists())
        Destination->DeleteTable();
    Destination->FieldDefs().Clear();
    Destination->IndexDefs().Clear();
    for (const auto& [target, source] : pairs) {
        const TField* field = Source->FieldByName(source);
        // An automatic number is copied as the number it is.
        const TFieldType type = field->DataType() == ftAutoInc ? ftInteger : field->DataType();
        Destination->FieldDefs().Add(target, type, field->Size());
    }
    Destination->CreateTable();
}

void TBatchMove::AppendRecords(const QList<QPair<QString, QString>>& pairs) {
    QStringList names, marks;
    QList<TField*> fields;
    for (const auto& [target, source] : pairs) {
        names << TLiveTable::Quote(target);
        marks << "?";
        fields << Source->FieldByName(source);
    }
    SqlConnection& connection = Destination->Connection();
    if (!connection.TableExists(Destination->TableName()))
        DatabaseError(QString("Table does not exist: %1").arg(Destination->TableName()),
                      Destination);
    auto insert = connection.Prepare(
        QString("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(TLiveTable::Quote(Destination->TableName()), names.join(","), marks.join(",")));
    const bool ownTransaction = !connection.InTransaction();
    if (ownTransaction)
        connection.StartTransaction();
    try {
        for (Source->First(); !Source->Eof(); Source->Next()) {
            if (RecordCount > 0 && FMovedCount >= RecordCount)
                break;
            for (int i = 0; i < fields.size(); ++i)
                insert->Bind(i + 1, fields[i]->Value());
            insert->Execute();
            ++FMovedCount;
        }
        if (ownTransaction)
            connection.Commit();
    } catch (...) {
        if (ownTransaction)
            connection.Rollback();
        FMovedCount = 0;
        throw;
    }
}

void TBatchMove::Execute() {
    if (!Source || !Destination)
        DatabaseError("Source and Destination must be set", this);
    FMovedCount = 0;
    if (!Source->Active())
        Source->Open();
    const auto pairs = FieldPairs();
    if (Mode == batCopy)
        CreateDestination(pairs);
    Source->DisableControls();
    try {
        AppendRecords(pairs);
    } catch (...) {
        Source->EnableControls();
        throw;
    }
    Source->EnableControls();
    if (Destination->Active())
        Destination->Refresh();
}
