#include "LRDBSpl.h"

TLRDBItem::TLRDBItem(QObject* parent) : TLRItem(parent) {
    FDataLink.OnActiveChange = [this] { ActiveChange(); };
    FDataLink.OnDataChange = [this] { DataChange(); };
}

void TLRDBItem::SetDataField(const QString& value) {
    FDataLink.SetFieldName(value);
    if (!value.isEmpty())
        Text = value;
}

void TLRDBItem::DataChange() {
    if (DataField().isEmpty() || !FDataLink.DataSet())
        return;
    if (TField* field = FDataLink.DataSet()->FindField(DataField()))
        Text = field->DisplayText();
}
