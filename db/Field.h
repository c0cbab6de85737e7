#pragma once

#include "base/DateTime.h"
#include "db/FieldDefs.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class TDataSet;
class TStream;

enum TFieldKind { fkData, fkCalculated };
// How a provider uses a field when it writes changes back: in the SET list, in the WHERE
// clause, as part of the key.
enum TProviderFlag { pfInUpdate = 1, pfInWhere = 2, pfInKey = 4 };
using TProviderFlags = int;

class TField;
using TFieldNotifyEvent = std::function<void(TField* Sender)>;

// One column of a dataset, seen through its active record. In memory a value is a QVariant
// of the kind's own type: QString for text kinds and GUIDs, int for the small and 32-bit
// integer kinds, qlonglong for ftLargeint, bool, double for floating, currency, BCD and the
// date and time kinds (a TDateTime), QByteArray for bytes and blobs; a null QVariant is NULL.
class TField {
public:
    TField(TDataSet* dataSet, const QString& fieldName, TFieldType dataType, int size = 0,
           TFieldKind fieldKind = fkData);
    virtual ~TField() = default;
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    TDataSet* DataSet() const { return FDataSet; }
    const QString& FieldName() const { return FFieldName; }
    TFieldType DataType() const { return FDataType; }
    TFieldKind FieldKind() const { return FFieldKind; }
    bool Calculated() const { return FFieldKind == fkCalculated; }
    // The column number in the dataset's result (1-based); 0 for calculated fields.
    int FieldNo() const { return FFieldNo; }
    void SetFieldNo(int value) { FFieldNo = value; }
    int Size() const { return FSize; }
    void SetSize(int value) { FSize = value; }
    int Precision() const { return FPrecision; }
    void SetPrecision(int value) { FPrecision = value; }
    // Bytes a value takes in the class library's record layout.
    int DataSize() const;
    bool IsBlob() const { return IsBlobType(FDataType); }

    bool Required = false;
    bool ReadOnly = false;
    bool Visible = true;
    bool Currency = false;
    TProviderFlags ProviderFlags = pfInUpdate | pfInWhere;
    QString DefaultExpression;
    // Integer kinds: the accepted range when MaxValue is not 0.
    qlonglong MinValue = 0;
    qlonglong MaxValue = 0;
    QString DisplayLabel() const { return FDisplayLabel.isEmpty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const QString& value) { FDisplayLabel = value; }
    int DisplayWidth() const;
    void SetDisplayWidth(int value) { FDisplayWidth = value; }

    // Fired after a new value is stored, and before it is stored (may raise to refuse it).
    TFieldNotifyEvent OnChange;
    TFieldNotifyEvent OnValidate;

    // The value of the dataset's active record; false when NULL.
    bool GetData(QVariant& value) const;
    // Stores a value (null: NULL) into the active record of a dataset in edit or insert state.
    void SetData(const QVariant& value);

    bool IsNull() const;
    void Clear() { SetData(QVariant()); }
    bool CanModify() const;

    QVariant Value() const;
    void SetValue(const QVariant& value);
    QVariant AsVariant() const { return Value(); }
    QString AsString() const;
    void SetAsString(const QString& value);
    int AsInteger() const;
    void SetAsInteger(int value);
    qlonglong AsLargeInt() const;
    void SetAsLargeInt(qlonglong value);
    double AsFloat() const;
    void SetAsFloat(double value);
    double AsCurrency() const { return AsFloat(); }
    void SetAsCurrency(double value) { SetAsFloat(value); }
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime value);
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    QByteArray AsBytes() const;
    void SetAsBytes(const QByteArray& value);
    QString Text() const { return AsString(); }
    void SetText(const QString& value) { SetAsString(value); }
    QString DisplayText() const { return AsString(); }

    // The value converted to this kind's own type; raises EConvertError for text that is
    // not a number, date or boolean, EDatabaseError for a value outside the kind's range or
    // MinValue..MaxValue.
    QVariant ConvertValue(const QVariant& value) const;

    // Blob fields: the value through the dataset's blob stream.
    int BlobSize() const;
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    // Set when a blob stream wrote the value since the record was read.
    bool Modified = false;

    // Runs OnValidate before a value is stored; the handler reads `value` through the field.
    void Validate(const QVariant& value);
    // Fires OnChange.
    void Change();
    // Asks the data links to put the focus on this field's control.
    void FocusControl();

private:
    [[noreturn]] void AccessError(const QString& typeName) const;
    QVariant ConvertText(const QString& text) const;
    void CheckRange(qlonglong value) const;

    TDataSet* FDataSet;
    QString FFieldName;
    TFieldType FDataType;
    int FSize;
    int FPrecision = 0;
    TFieldKind FFieldKind;
    int FFieldNo = 0;
    QString FDisplayLabel;
    int FDisplayWidth = 0;
    const QVariant* FValidating = nullptr;
};

// The fields of a dataset, in order; owns them.
class TFields {
public:
    explicit TFields(TDataSet* dataSet) : FDataSet(dataSet) {}
    int Count() const { return int(FItems.size()); }
    TField* Fields(int index) const { return FItems.at(size_t(index)).get(); }
    TField* operator[](int index) const { return Fields(index); }
    TField* Add(std::unique_ptr<TField> field);
    void Clear() { FItems.clear(); }
    int IndexOf(const TField* field) const;
    // Case-insensitive; nullptr when missing.
    TField* FindField(const QString& fieldName) const;
    // Raises EDatabaseError "Field '<name>' not found".
    TField* FieldByName(const QString& fieldName) const;
    // The field of a result column, nullptr when none.
    TField* FieldByNumber(int fieldNo) const;

private:
    TDataSet* FDataSet;
    std::vector<std::unique_ptr<TField>> FItems;
};
