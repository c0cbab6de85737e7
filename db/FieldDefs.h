#pragma once

#include <QString>
#include <memory>
#include <vector>

class TDataSet;
class TField;

enum TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftWideString,
    ftLargeint,
    ftGuid
};

// The type's name as messages show it ("String", "Integer", ...).
QString FieldTypeName(TFieldType type);
bool IsBlobType(TFieldType type);

enum TFieldAttribute { faRequired = 1, faReadOnly = 2, faFixed = 4 };
using TFieldAttributes = int;

// The description of one column of a dataset's result.
class TFieldDef {
public:
    QString Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    int Precision = 0;
    int FieldNo = 0;
    TFieldAttributes Attributes = 0;

    bool Required() const { return Attributes & faRequired; }
    void SetRequired(bool value);
    // A field for this column, owned by the dataset's field list.
    TField* CreateField(TDataSet* dataSet) const;
};

// The column descriptions of a dataset, in column order.
class TFieldDefs {
public:
    int Count() const { return int(FItems.size()); }
    TFieldDef& Items(int index) const { return *FItems.at(size_t(index)); }
    TFieldDef& operator[](int index) const { return Items(index); }
    // Field number is the position + 1.
    TFieldDef& Add(const QString& name, TFieldType type, int size = 0, bool required = false);
    TFieldDef& AddFieldDef();
    void Clear() { FItems.clear(); }
    // Case-insensitive; -1 or nullptr when missing.
    int IndexOf(const QString& name) const;
    TFieldDef* Find(const QString& name) const;

    // False once the dataset's columns may have changed.
    bool Updated = false;

private:
    std::vector<std::unique_ptr<TFieldDef>> FItems;
};
