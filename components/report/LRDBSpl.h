#pragma once

#include "components/report/LightRep.h"
#include "db/DataSource.h"

// A report item whose text follows a field of a dataset.
class TLRDBItem : public TLRItem {
    Q_OBJECT
public:
    explicit TLRDBItem(QObject* parent);

    TDataSource* DataSource() const { return FDataLink.DataSource(); }
    void SetDataSource(TDataSource* value) { FDataLink.SetDataSource(value); }
    const QString& DataField() const { return FDataLink.FieldName(); }
    // A field name that is not empty also becomes the text.
    void SetDataField(const QString& value);

protected:
    // The dataset opened or closed.
    virtual void ActiveChange() {}
    // The dataset moved or its data changed: the text follows the field's display text.
    virtual void DataChange();

private:
    TFieldDataLink FDataLink;
};
