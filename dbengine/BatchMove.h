#pragma once

#include "base/Component.h"
#include "base/Strings.h"

class TDataSet;
class TTable;

enum TBatchMode { batAppend, batCopy };

// Copies the records of a dataset into a table: appended to the table (batAppend), or into a
// table made anew with the source's fields (batCopy). Mappings "dest=source" or "name" choose
// the fields; without mappings every source field goes to the field of the same name.
class TBatchMove : public TComponent {
public:
    explicit TBatchMove(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

    TDataSet* Source = nullptr;
    TTable* Destination = nullptr;
    TBatchMode Mode = batAppend;
    TStringList Mappings;
    // At most this many records; 0 for all.
    int RecordCount = 0;

    // All records or none: the inserts run in one transaction of the destination's database.
    void Execute();
    int MovedCount() const { return FMovedCount; }

private:
    // Destination and source field names, in pairs.
    QList<QPair<QString, QString>> FieldPairs() const;
    void CreateDestination(const QList<QPair<QString, QString>>& pairs);
    void AppendRecords(const QList<QPair<QString, QString>>& pairs);

    int FMovedCount = 0;
};
