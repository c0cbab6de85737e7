#include "Field.h"

#include "base/Stream.h"
#include "db/DataSet.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>
#include <limits>

namespace {

enum TValueKind { vkText, vkInteger, vkLargeint, vkBoolean, vkFloat, vkDateTime, vkBytes };

TValueKind KindOf(TFieldType type) {
    switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return vkInteger;
    case ftLargeint:
        return vkLargeint;
    case ftBoolean:
        return vkBoolean;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return vkFloat;
    case ftDate:
    case ftTime:
    case ftDateTime:
        return vkDateTime;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
        return vkBytes;
    default:
        return vkText;
    }
}

bool IsTextVariant(const QVariant& v) {
    return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QChar;
}

// Date, then an optional time after a blank.
bool TryStrToDateTime(const QString& text, TDateTime& result) {
    const QString trimmed = text.trimmed();
    const int blank = trimmed.indexOf(' ');
    TDateTime date = 0, time = 0;
    if (blank < 0)
        return TryStrToDate(trimmed, result) || TryStrToTime(trimmed, result);
    if (!TryStrToDate(trimmed.left(blank), date) ||
        !TryStrToTime(trimmed.mid(blank + 1).trimmed(), time))
        return false;
    result = date < 0 ? date - time : date + time;
    return true;
}

qlonglong TextToInteger(const QString& text) {
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    if (!ok)
        throw EConvertError(QString("'%1' is not a valid integer value").arg(text));
    return v;
}

double TextToFloat(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok)
        throw EConvertError(QString("'%1' is not a valid floating point value").arg(text));
    return v;
}

// A prefix of "True" or "False", case ignored.
bool TextToBoolean(const QString& text, const QString& fieldName) {
    const QString t = text.trimmed();
    if (!t.isEmpty() && QString("True").startsWith(t, Qt::CaseInsensitive))
        return true;
    if (!t.isEmpty() && QString("False").startsWith(t, Qt::CaseInsensitive))
        return false;
    throw EConvertError(
        QString("'%1' is not a valid boolean value for field '%2'").arg(text, fieldName));
}

TDateTime FromVariantDate(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::QDate:
        return FromQDate(v.toDate());
    case QMetaType::QDateTime:
        return FromQDateTime(v.toDateTime());
    case QMetaType::QTime:
        return v.toTime().msecsSinceStartOfDay() / MSecsPerDay;
    default:
        return v.toDouble();
    }
}

} // namespace

TField::TField(TDataSet* dataSet, const QString& fieldName, TFieldType dataType, int size,
               TFieldKind fieldKind)
    : FDataSet(dataSet), FFieldName(fieldName), FDataType(dataType), FSize(size),
      FFieldKind(fieldKind) {
    if (dataType == ftGuid && size == 0)
        FSize = 38;
}

int TField::DataSize() const {
    switch (FDataType) {
    case ftString:
    case ftGuid:
        return FSize + 1;
    case ftWideString:
        return (FSize + 1) * 2;
    case ftSmallint:
    case ftWord:
    case ftBoolean:
        return 2;
    case ftInteger:
    case ftAutoInc:
    case ftDate:
    case ftTime:
        return 4;
    case ftLargeint:
    case ftFloat:
    case ftCurrency:
    case ftDateTime:
        return 8;
    case ftBCD:
        return 34;
    case ftBytes:
        return FSize;
    case ftVarBytes:
        return FSize + 2;
    default:
        return 0;
    }
}

int TField::DisplayWidth() const {
    if (FDisplayWidth > 0)
        return FDisplayWidth;
    switch (FDataType) {
    case ftString:
    case ftWideString:
    case ftGuid:
        return FSize;
    case ftSmallint:
        return 6;
    case ftInteger:
    case ftAutoInc:
        return 11;
    case ftWord:
    case ftBoolean:
        return 5;
    case ftLargeint:
        return 15;
    case ftDateTime:
        return 18;
    default:
        return 10;
    }
}

// ---------------------------------------------------------------- reading and writing

bool TField::GetData(QVariant& value) const {
    if (FValidating) {
        value = *FValidating;
        return !value.isNull();
    }
    if (!FDataSet) {
        value.clear();
        return false;
    }
    auto* self = const_cast<TField*>(this);
    return Calculated() ? FDataSet->GetCalcFieldData(self, value)
                        : FDataSet->GetFieldData(self, value);
}

void TField::SetData(const QVariant& value) {
    if (!FDataSet)
        DatabaseError(QString("Field '%1' has no dataset").arg(FFieldName));
    const TDataSetState state = FDataSet->State();
    const QVariant converted = ConvertValue(value);
    if (Calculated()) {
        FDataSet->SetCalcFieldData(this, converted);
        return;
    }
    if (state != dsEdit && state != dsInsert && state != dsSetKey && state != dsNewValue)
        DatabaseError("Dataset not in edit or insert mode", FDataSet);
    if (ReadOnly && state != dsSetKey)
        DatabaseError(QString("Field '%1' cannot be modified").arg(DisplayLabel()), FDataSet);
    Validate(converted);
    FDataSet->SetFieldData(this, converted);
    if (state != dsNewValue) {
        FDataSet->DataEvent(deFieldChange, this);
        Change();
    }
}

void TField::Validate(const QVariant& value) {
    if (!OnValidate)
        return;
    // The handler reads the new value through the field while it decides.
    FValidating = &value;
    try {
        OnValidate(this);
    } catch (...) {
        FValidating = nullptr;
        throw;
    }
    FValidating = nullptr;
}

void TField::Change() {
    if (OnChange)
        OnChange(this);
}

void TField::FocusControl() {
    if (FDataSet)
        FDataSet->DataEvent(deFocusControl, this);
}

bool TField::IsNull() const {
    QVariant value;
    return !GetData(value);
}

bool TField::CanModify() const {
    if (ReadOnly || !FDataSet)
        return false;
    return Calculated() || !FDataSet->Active() || FDataSet->CanModify();
}

// ---------------------------------------------------------------- conversions

void TField::CheckRange(qlonglong value) const {
    qlonglong low = std::numeric_limits<int>::min(), high = std::numeric_limits<int>::max();
    if (FDataType == ftSmallint)
        low = -32768, high = 32767;
    else if (FDataType == ftWord)
        low = 0, high = 65535;
    if (MaxValue != 0 || MinValue != 0)
        low = std::max(low, MinValue), high = std::min(high, MaxValue);
    if (value < low || value > high)
        DatabaseError(QString("%1 is not a valid value for field '%2'. The allowed range is %3 "
                              "to %4")
                          .arg(value)
                          .arg(DisplayLabel())
                          .arg(low)
                          .arg(high));
}

QVariant TField::ConvertText(const QString& text) const {
    const QString t = text.trimmed();
    switch (KindOf(FDataType)) {
    case vkInteger: {
        const qlonglong v = TextToInteger(text);
        CheckRange(v);
        return int(v);
    }
    case vkLargeint:
        return TextToInteger(text);
    case vkFloat:
        return TextToFloat(text);
    case vkBoolean:
        return TextToBoolean(text, FFieldName);
    case vkDateTime: {
        TDateTime v = 0;
        const bool ok = FDataType == ftDate   ? TryStrToDate(t, v)
                        : FDataType == ftTime ? TryStrToTime(t, v)
                                              : TryStrToDateTime(t, v);
        if (!ok)
            throw EConvertError(QString("'%1' is not a valid date and time").arg(text));
        return v;
    }
    case vkBytes:
        return text.toLatin1();
    case vkText:
        break;
    }
    return text;
}

QVariant TField::ConvertValue(const QVariant& value) const {
    if (value.isNull())
        return {};
    const TValueKind kind = KindOf(FDataType);
    if (IsTextVariant(value) && kind != vkText) {
        // An empty text clears a number, a date or a boolean.
        if (value.toString().isEmpty())
            return {};
        return ConvertText(value.toString());
    }
    switch (kind) {
    case vkText:
        return value.typeId() == QMetaType::QByteArray ? QString::fromUtf8(value.toByteArray())
                                                       : value.toString();
    case vkInteger: {
        const qlonglong v =
            value.typeId() == QMetaType::Double ? qRound64(value.toDouble()) : value.toLongLong();
        CheckRange(v);
        return int(v);
    }
    case vkLargeint:
        return value.typeId() == QMetaType::Double ? qRound64(value.toDouble())
                                                   : value.toLongLong();
    case vkBoolean:
        return value.toBool();
    case vkFloat:
        return FromVariantDate(value);
    case vkDateTime: {
        const TDateTime v = FromVariantDate(value);
        if (FDataType == ftDate)
            return DateOf(v);
        if (FDataType == ftTime)
            return TimeOf(v);
        return v;
    }
    case vkBytes:
        return value.toByteArray();
    }
    return value;
}

void TField::AccessError(const QString& typeName) const {
    DatabaseError(QString("Cannot access field '%1' as type %2").arg(DisplayLabel(), typeName),
                  FDataSet);
}

QVariant TField::Value() const {
    QVariant value;
    if (!GetData(value))
        value.clear();
    return value;
}

void TField::SetValue(const QVariant& value) {
    SetData(value);
}

QString TField::AsString() const {
    QVariant v;
    if (!GetData(v))
        return {};
    switch (KindOf(FDataType)) {
    case vkBoolean:
        return v.toBool() ? "True" : "False";
    case vkFloat:
        return QString::number(v.toDouble(), 'g', 15);
    case vkDateTime:
        if (FDataType == ftDate)
            return DateToStr(v.toDouble());
        if (FDataType == ftTime)
            return TimeToStr(v.toDouble());
        return DateTimeToStr(v.toDouble());
    case vkBytes:
        return QString::fromLatin1(v.toByteArray());
    default:
        return v.toString();
    }
}

void TField::SetAsString(const QString& value) {
    SetData(value);
}

int TField::AsInteger() const {
    const qlonglong v = AsLargeInt();
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        AccessError("Integer");
    return int(v);
}

void TField::SetAsInteger(int value) {
    SetData(value);
}

qlonglong TField::AsLargeInt() const {
    QVariant v;
    if (!GetData(v))
        return 0;
    switch (KindOf(FDataType)) {
    case vkInteger:
    case vkLargeint:
        return v.toLongLong();
    case vkFloat:
        return qRound64(v.toDouble());
    case vkText:
        return TextToInteger(v.toString());
    default:
        AccessError("Integer");
    }
}

void TField::SetAsLargeInt(qlonglong value) {
    SetData(value);
}

double TField::AsFloat() const {
    QVariant v;
    if (!GetData(v))
        return 0;
    switch (KindOf(FDataType)) {
    case vkInteger:
    case vkLargeint:
    case vkFloat:
    case vkDateTime:
        return v.toDouble();
    case vkText:
        return TextToFloat(v.toString());
    default:
        AccessError("Float");
    }
}

void TField::SetAsFloat(double value) {
    SetData(value);
}

TDateTime TField::AsDateTime() const {
    QVariant v;
    if (!GetData(v))
        return 0;
    switch (KindOf(FDataType)) {
    case vkDateTime:
    case vkFloat:
        return v.toDouble();
    case vkText: {
        TDateTime d = 0;
        if (!TryStrToDateTime(v.toString(), d))
            throw EConvertError(QString("'%1' is not a valid date and time").arg(v.toString()));
        return d;
    }
    default:
        AccessError("DateTime");
    }
}

void TField::SetAsDateTime(TDateTime value) {
    SetData(KindOf(FDataType) == vkText ? QVariant(DateTimeToStr(value)) : QVariant(value));
}

bool TField::AsBoolean() const {
    QVariant v;
    if (!GetData(v))
        return false;
    switch (KindOf(FDataType)) {
    case vkBoolean:
    case vkInteger:
    case vkLargeint:
        return v.toLongLong() != 0;
    case vkText:
        return TextToBoolean(v.toString(), FFieldName);
    default:
        AccessError("Boolean");
    }
}

void TField::SetAsBoolean(bool value) {
    SetData(KindOf(FDataType) == vkText ? QVariant(value ? "True" : "False") : QVariant(value));
}

QByteArray TField::AsBytes() const {
    QVariant v;
    if (!GetData(v))
        return {};
    return v.typeId() == QMetaType::QString ? v.toString().toUtf8() : v.toByteArray();
}

void TField::SetAsBytes(const QByteArray& value) {
    SetData(value);
}

// ---------------------------------------------------------------- blobs

int TField::BlobSize() const {
    QVariant v;
    if (!GetData(v))
        return 0;
    return int(v.typeId() == QMetaType::QString ? v.toString().toUtf8().size()
                                                : v.toByteArray().size());
}

void TField::LoadFromStream(TStream& stream) {
    if (!FDataSet)
        DatabaseError(QString("Field '%1' has no dataset").arg(FFieldName));
    FDataSet->CreateBlobStream(this, bmWrite)->CopyFrom(stream, 0);
}

void TField::SaveToStream(TStream& stream) const {
    if (!FDataSet)
        return;
    auto blob = FDataSet->CreateBlobStream(const_cast<TField*>(this), bmRead);
    const int64_t size = blob->Size();
    if (size > 0)
        stream.CopyFrom(*blob, 0);
}

// ---------------------------------------------------------------- the field list

TField* TFields::Add(std::unique_ptr<TField> field) {
    FItems.push_back(std::move(field));
    return FItems.back().get();
}

int TFields::IndexOf(const TField* field) const {
    for (int i = 0; i < Count(); ++i)
        if (FItems[size_t(i)].get() == field)
            return i;
    return -1;
}

TField* TFields::FindField(const QString& fieldName) const {
    for (const auto& field : FItems)
        if (field->FieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return field.get();
    return nullptr;
}

TField* TFields::FieldByName(const QString& fieldName) const {
    TField* field = FindField(fieldName);
    if (!field)
        DatabaseError(QString("Field '%1' not found").arg(fieldName), FDataSet);
    return field;
}

TField* TFields::FieldByNumber(int fieldNo) const {
    for (const auto& field : FItems)
        if (field->FieldNo() == fieldNo && !field->Calculated())
            return field.get();
    return nullptr;
}
