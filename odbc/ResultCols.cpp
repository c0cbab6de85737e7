#include "ResultCols.h"

#include "odbc/ODBCCall.h"

void TResultCols::RaiseInvalidNumber(int number) {
    RaiseComponentError("ResultCols", "Invalid Column number. Index=" + QString::number(number));
}

int TResultCols::IndexOf(const QString& name) const {
    for (int i = 0; i < Count(); ++i)
        if (FItems[i].DisplayName() == name)
            return i + 1;
    RaiseComponentError("ResultCols", "Column not found. Name=" + name);
}

bool IsZeroTerminatedType(SQLSMALLINT type) {
    switch (type) {
    case SQL_WLONGVARCHAR:
    case SQL_BIGINT:
    case SQL_LONGVARCHAR:
    case SQL_CHAR:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_VARCHAR:
        return true;
    default:
        return false;
    }
}

int TResultCols::DataLength(int number) const {
    const TResultCol& col = Items(number);
    if (col.SQLType == SQL_GUID || IsZeroTerminatedType(col.SQLType))
        return col.Size - 1;
    if (col.SQLType == SQL_WVARCHAR || col.SQLType == SQL_WCHAR)
        return FWCharMapsChar ? col.Size - 1 : (col.Size - 2) / 2;
    return col.Size;
}

TResultCol& TResultCols::Add() {
    FItems.emplace_back();
    return FItems.back();
}
