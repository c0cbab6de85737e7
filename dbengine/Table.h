#pragma once

#include "dbengine/DBDataSet.h"

#include <QString>
#include <QVariant>
#include <vector>

enum TIndexOption { ixPrimary = 1, ixUnique = 2, ixDescending = 4, ixCaseInsensitive = 8 };
using TIndexOptions = int;

// One index of a table to be created: its fields separated by ";".
struct TIndexDef {
    QString Name;
    QString Fields;
    TIndexOptions Options = 0;
};

class TIndexDefs {
public:
    int Count() const { return int(FItems.size()); }
    const TIndexDef& Items(int index) const { return FItems.at(size_t(index)); }
    void Add(const QString& name, const QString& fields, TIndexOptions options) {
        FItems.push_back({name, fields, options});
    }
    void Clear() { FItems.clear(); }

private:
    std::vector<TIndexDef> FItems;
};

// A table of a database or folder, in the order of its primary key. A table of a folder is
// the file <name>.DB; TableName may carry that ".DB".
class TTable : public TDBDataSet {
public:
    explicit TTable(TComponent* AOwner = nullptr);
    ~TTable() override;

    const QString& TableName() const { return FTableName; }
    void SetTableName(const QString& value);
    TIndexDefs& IndexDefs() { return FIndexDefs; }
    // Fields that FindKey searches, separated by ";"; the primary key when empty.
    QString IndexFieldNames;
    bool ReadOnly = false;
    // Accepted for the programs that ask for it; SQLite locks while a statement writes.
    bool Exclusive = false;

    bool Exists();
    // Creates the table from FieldDefs and IndexDefs; raises when it exists.
    void CreateTable();
    // Removes every row.
    void EmptyTable();
    void DeleteTable();
    // Rebuilds the table's file without its free space (open or closed, outside a transaction).
    void Pack();
    // Goes to the first record whose index fields equal the values.
    bool FindKey(const QVariantList& keyValues);

protected:
    std::unique_ptr<SqlStatement> CreateCursor(SqlConnection& connection) override;
    bool WantsLiveResult() const override { return true; }
    bool GetCanModify() override { return !ReadOnly && HasLiveTable(); }

private:
    QString Quoted() const;
    QStringList PrimaryFields() const;
    QString ColumnText(const TFieldDef& def, bool keyOfItsOwn) const;

    QString FTableName;
    TIndexDefs FIndexDefs;
};
