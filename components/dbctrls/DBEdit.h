#pragma once

#include "db/DataSource.h"

#include <QLineEdit>

// An edit field bound to one field of a data source: it shows the field's text, typing puts
// the dataset into edit state (when the source allows it), and the typed text is written into
// the field when the field is left or the record is posted. Esc shows the field's value again.
class TDBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget* parent = nullptr);
    ~TDBEdit() override;
    Q_DISABLE_COPY(TDBEdit)

    TDataSource* DataSource() const { return FDataLink.DataSource(); }
    void SetDataSource(TDataSource* value) { FDataLink.SetDataSource(value); }
    const QString& DataField() const { return FDataLink.FieldName(); }
    void SetDataField(const QString& value) { FDataLink.SetFieldName(value); }
    TField* Field() const { return FDataLink.Field(); }
    // The longest text in code page 932 bytes; 0 for no limit.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int bytes);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void DataChange();
    bool CanEdit();
    void TextEdited();
    void UpdateData();

    TFieldDataLink FDataLink;
    int FMaxLength = 0;
};
