#include "Params.h"

#include "base/SysUtils.h"
#include "db/Field.h"

namespace {
bool IsNameChar(QChar c) {
    return c.isLetterOrNumber() || c == '_' || c.unicode() >= 0x80;
}

TFieldType TypeOfVariant(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
        return ftInteger;
    case QMetaType::LongLong:
        return ftLargeint;
    case QMetaType::Bool:
        return ftBoolean;
    case QMetaType::Double:
        return ftFloat;
    case QMetaType::QByteArray:
        return ftBlob;
    case QMetaType::QString:
        return ftString;
    default:
        return ftUnknown;
    }
}
} // namespace

void TParam::Set(TFieldType type, const QVariant& value) {
    DataType = type;
    FValue = value;
    Bound = true;
}

void TParam::SetValue(const QVariant& value) {
    if (DataType == ftUnknown)
        DataType = TypeOfVariant(value);
    FValue = value;
    Bound = true;
}

void TParam::Clear() {
    FValue.clear();
    Bound = true;
}

void TParam::AssignField(const TField* field) {
    DataType = field->DataType();
    FValue = field->Value();
    Bound = true;
}

void TParam::Assign(const TParam& other) {
    Name = other.Name;
    ParamType = other.ParamType;
    DataType = other.DataType;
    Bound = other.Bound;
    FValue = other.FValue;
}

TParams& TParams::operator=(const TParams& other) {
    if (this != &other)
        Assign(other);
    return *this;
}

void TParams::Assign(const TParams& other) {
    FItems.clear();
    for (const auto& p : other.FItems)
        FItems.push_back(std::make_unique<TParam>(*p));
}

TParam& TParams::CreateParam(TFieldType dataType, const QString& name, TParamType paramType) {
    FItems.push_back(std::make_unique<TParam>(name, paramType, dataType));
    return *FItems.back();
}

TParam* TParams::FindParam(const QString& name) const {
    for (const auto& p : FItems)
        if (p->Name.compare(name, Qt::CaseInsensitive) == 0)
            return p.get();
    return nullptr;
}

TParam& TParams::ParamByName(const QString& name) const {
    TParam* p = FindParam(name);
    if (!p)
        DatabaseError(QString("Parameter '%1' not found").arg(name));
    return *p;
}

QStringList TParams::ParseNames(const QString& sql) {
    QStringList names;
    const int n = int(sql.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = sql[i];
        if (c == '\'' || c == '"' || c == '#' || c == '`' || c == '[') {
            const QChar close = c == '[' ? QChar(']') : c;
            const int end = int(sql.indexOf(close, i + 1));
            i = end < 0 ? n : end;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            const int end = int(sql.indexOf('\n', i));
            i = end < 0 ? n : end;
        } else if (c == ':' && i + 1 < n) {
            if (sql[i + 1] == ':') {
                ++i;
                continue;
            }
            if (sql[i + 1].isDigit() || !IsNameChar(sql[i + 1]))
                continue;
            int j = i + 1;
            while (j < n && IsNameChar(sql[j]))
                ++j;
            const QString name = sql.mid(i + 1, j - i - 1);
            if (!names.contains(name, Qt::CaseInsensitive))
                names.append(name);
            i = j - 1;
        }
    }
    return names;
}

void TParams::ParseSQL(const QString& sql) {
    const TParams old(*this);
    FItems.clear();
    for (const QString& name : ParseNames(sql)) {
        TParam& p = CreateParam(ftUnknown, name, ptInput);
        if (const TParam* previous = old.FindParam(name))
            p.Assign(*previous);
        p.Name = name;
    }
}
