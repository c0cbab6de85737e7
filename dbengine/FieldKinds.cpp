#include "FieldKinds.h"

#include "storage/Statement.h"

#include <limits>

namespace {
bool IsWholeType(TFieldType type) {
    return type == ftSmallint || type == ftInteger || type == ftWord || type == ftAutoInc;
}

bool IsRealType(TFieldType type) {
    switch (type) {
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDate:
    case ftTime:
    case ftDateTime:
        return true;
    default:
        return false;
    }
}

bool IsTextType(TFieldType type) {
    return ColumnKindOfField(type) != ColumnKind::Blob && !IsWholeType(type) && !IsRealType(type) &&
           type != ftLargeint && type != ftBoolean;
}

TFieldType FieldTypeOfValue(const QVariant& sample) {
    switch (sample.typeId()) {
    case QMetaType::LongLong: {
        const qlonglong v = sample.toLongLong();
        return v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()
                   ? ftLargeint
                   : ftInteger;
    }
    case QMetaType::Double:
        return ftFloat;
    case QMetaType::QByteArray:
        return ftBlob;
    default:
        return ftString;
    }
}
} // namespace

TFieldType FieldTypeOfColumn(const ColumnInfo& column, const QVariant& sample) {
    switch (column.Kind) {
    case ColumnKind::String:
        return ftString;
    case ColumnKind::Memo:
        return ftMemo;
    case ColumnKind::Smallint:
        return ftSmallint;
    case ColumnKind::Integer:
        return ftInteger;
    case ColumnKind::AutoInc:
        return ftAutoInc;
    case ColumnKind::Float:
        return ftFloat;
    case ColumnKind::Boolean:
        return ftBoolean;
    case ColumnKind::Date:
        return ftDate;
    case ColumnKind::Time:
        return ftTime;
    case ColumnKind::DateTime:
        return ftDateTime;
    case ColumnKind::Blob:
        return ftBlob;
    case ColumnKind::Unknown:
        break;
    }
    return FieldTypeOfValue(sample);
}

ColumnKind ColumnKindOfField(TFieldType type) {
    switch (type) {
    case ftString:
    case ftWideString:
    case ftGuid:
        return ColumnKind::String;
    case ftMemo:
        return ColumnKind::Memo;
    case ftSmallint:
        return ColumnKind::Smallint;
    case ftInteger:
    case ftWord:
    case ftLargeint:
        return ColumnKind::Integer;
    case ftAutoInc:
        return ColumnKind::AutoInc;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return ColumnKind::Float;
    case ftBoolean:
        return ColumnKind::Boolean;
    case ftDate:
        return ColumnKind::Date;
    case ftTime:
        return ColumnKind::Time;
    case ftDateTime:
        return ColumnKind::DateTime;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
        return ColumnKind::Blob;
    case ftUnknown:
        break;
    }
    return ColumnKind::Unknown;
}

QVariant ToFieldValue(TFieldType type, const QVariant& value) {
    if (value.isNull())
        return {};
    if (IsWholeType(type))
        return value.typeId() == QMetaType::Double ? int(qRound64(value.toDouble()))
                                                   : value.toInt();
    if (IsRealType(type))
        return value.toDouble();
    if (ColumnKindOfField(type) == ColumnKind::Blob)
        return value.toByteArray();
    if (type == ftLargeint)
        return value.toLongLong();
    if (type == ftBoolean)
        return value.typeId() == QMetaType::QString
                   ? QVariant(value.toString().compare("true", Qt::CaseInsensitive) == 0 ||
                              value.toString() == "1")
                   : QVariant(value.toDouble() != 0);
    return value.toString();
}

QVariant FieldValue(TFieldType type, const SqlStatement& statement, int index) {
    switch (statement.ValueKind(index)) {
    case ColumnKind::Unknown:
        return {};
    case ColumnKind::Integer: {
        const qint64 v = statement.IntegerValue(index);
        if (IsWholeType(type))
            return int(v);
        if (IsRealType(type))
            return double(v);
        if (type == ftLargeint)
            return qlonglong(v);
        if (type == ftBoolean)
            return v != 0;
        break;
    }
    case ColumnKind::Float: {
        const double v = statement.FloatValue(index);
        if (IsWholeType(type))
            return int(qRound64(v));
        if (IsRealType(type))
            return v;
        if (type == ftBoolean)
            return v != 0;
        break;
    }
    case ColumnKind::String:
        if (IsTextType(type))
            return QString::fromUtf8(statement.BytesValue(index));
        break;
    case ColumnKind::Blob:
        if (ColumnKindOfField(type) == ColumnKind::Blob)
            return statement.Value(index);
        break;
    default:
        break;
    }
    return ToFieldValue(type, statement.Value(index));
}
