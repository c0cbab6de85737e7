#pragma once

#include "base/DateTime.h"
#include "db/FieldDefs.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

class TField;

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

// A named, typed value bound into a statement; a null value is NULL.
class TParam {
public:
    TParam(const QString& name, TParamType paramType = ptInput, TFieldType dataType = ftUnknown)
        : Name(name), ParamType(paramType), DataType(dataType) {}

    QString Name;
    TParamType ParamType;
    TFieldType DataType;
    // Set once a value was given; unbound parameters of a detail query take the master's.
    bool Bound = false;

    const QVariant& Value() const { return FValue; }
    // Takes the value; a parameter without a type takes the value's.
    void SetValue(const QVariant& value);
    bool IsNull() const { return FValue.isNull(); }
    void Clear();

    QString AsString() const { return FValue.toString(); }
    void SetAsString(const QString& value) { Set(ftString, value); }
    void SetAsMemo(const QString& value) { Set(ftMemo, value); }
    int AsInteger() const { return FValue.toInt(); }
    void SetAsInteger(int value) { Set(ftInteger, value); }
    void SetAsSmallInt(int value) { Set(ftSmallint, value); }
    void SetAsWord(int value) { Set(ftWord, value); }
    double AsFloat() const { return FValue.toDouble(); }
    void SetAsFloat(double value) { Set(ftFloat, value); }
    void SetAsCurrency(double value) { Set(ftCurrency, value); }
    TDateTime AsDateTime() const { return FValue.toDouble(); }
    void SetAsDateTime(TDateTime value) { Set(ftDateTime, value); }
    void SetAsDate(TDateTime value) { Set(ftDate, DateOf(value)); }
    void SetAsTime(TDateTime value) { Set(ftTime, TimeOf(value)); }
    bool AsBoolean() const { return FValue.toBool(); }
    void SetAsBoolean(bool value) { Set(ftBoolean, value); }
    QByteArray AsBlob() const { return FValue.toByteArray(); }
    void SetAsBlob(const QByteArray& value) { Set(ftBlob, value); }
    // Type and value of a field of the active record.
    void AssignField(const TField* field);
    void Assign(const TParam& other);

private:
    void Set(TFieldType type, const QVariant& value);
    QVariant FValue;
};

// The parameters of a statement, in order of their first appearance.
class TParams {
public:
    TParams() = default;
    TParams(const TParams& other) { Assign(other); }
    TParams& operator=(const TParams& other);

    int Count() const { return int(FItems.size()); }
    TParam& Items(int index) const { return *FItems.at(size_t(index)); }
    TParam& operator[](int index) const { return Items(index); }
    TParam& CreateParam(TFieldType dataType, const QString& name, TParamType paramType);
    void Clear() { FItems.clear(); }
    // Case-insensitive; nullptr when missing.
    TParam* FindParam(const QString& name) const;
    // Raises EDatabaseError "Parameter '<name>' not found".
    TParam& ParamByName(const QString& name) const;
    void Assign(const TParams& other);

    // The names of the :name markers of `sql`, outside quoted text, "#...#" literals and
    // comments, in order, each once. A ":" before a digit or a second ":" marks none.
    static QStringList ParseNames(const QString& sql);
    // Makes the list hold one parameter per marker name, keeping the values of names that
    // stay.
    void ParseSQL(const QString& sql);

private:
    std::vector<std::unique_ptr<TParam>> FItems;
};
