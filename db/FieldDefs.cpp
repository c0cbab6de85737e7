#include "FieldDefs.h"

#include "db/DataSet.h"
#include "db/Field.h"

QString FieldTypeName(TFieldType type) {
    static const char* const names[] = {"Unknown", "String",   "SmallInt",   "Integer",  "Word",
                                        "Boolean", "Float",    "Currency",   "BCD",      "Date",
                                        "Time",    "DateTime", "Bytes",      "VarBytes", "AutoInc",
                                        "Blob",    "Memo",     "WideString", "LargeInt", "Guid"};
    return names[type];
}

bool IsBlobType(TFieldType type) {
    return type == ftBlob || type == ftMemo;
}

void TFieldDef::SetRequired(bool value) {
    Attributes = value ? (Attributes | faRequired) : (Attributes & ~faRequired);
}

TField* TFieldDef::CreateField(TDataSet* dataSet) const {
    auto field = std::make_unique<TField>(dataSet, Name, DataType, Size);
    field->SetPrecision(Precision);
    field->SetFieldNo(FieldNo);
    field->Required = Required();
    field->ReadOnly = Attributes & faReadOnly;
    return dataSet->Fields().Add(std::move(field));
}

TFieldDef& TFieldDefs::Add(const QString& name, TFieldType type, int size, bool required) {
    TFieldDef& def = AddFieldDef();
    def.Name = name;
    def.DataType = type;
    def.Size = size;
    def.SetRequired(required);
    return def;
}

TFieldDef& TFieldDefs::AddFieldDef() {
    FItems.push_back(std::make_unique<TFieldDef>());
    FItems.back()->FieldNo = Count();
    return *FItems.back();
}

int TFieldDefs::IndexOf(const QString& name) const {
    for (int i = 0; i < Count(); ++i)
        if (FItems[size_t(i)]->Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TFieldDef* TFieldDefs::Find(const QString& name) const {
    const int index = IndexOf(name);
    return index < 0 ? nullptr : FItems[size_t(index)].get();
}
