#pragma once

#include "Handles.h"

#include <QVariant>

// The outcome of putting a value into an application's buffer.
struct Conversion {
    SQLRETURN Result = SQL_SUCCESS;
    const char* State = nullptr; // with SQL_SUCCESS_WITH_INFO or SQL_ERROR
    const char* Message = nullptr;
};

// The C type SQL_C_DEFAULT stands for with a column of that SQL type.
SQLSMALLINT DefaultCType(SQLSMALLINT sqlType);
// Bytes a value of a fixed-size C type takes; 0 for text and binary.
SQLLEN FixedSize(SQLSMALLINT cType);

// Writes a stored value of a column of `sqlType` into the buffer as `cType`. Text and binary
// values continue from `*offset` when it is given (SQLGetData in pieces) and move it on; a cut
// value answers 01004 with the length of what remained. A fixed bookmark takes 4 bytes when the
// buffer says so.
Conversion WriteValue(const StoredValue& value, SQLSMALLINT sqlType, SQLSMALLINT cType,
                      SQLPOINTER target, SQLLEN bufferLength, SQLLEN* indicator,
                      qint64* offset = nullptr);

// WriteValue's common cases of a block fetch, with `cType` a C type itself (not
// SQL_C_DEFAULT): Null, a whole number into a whole or real C type it fits or into a
// bookmark's bytes, a number into a timestamp, a text whole into its buffer. False, with
// nothing written, where WriteValue must decide.
bool WriteCommon(const StoredValue& value, SQLSMALLINT sqlType, SQLSMALLINT cType,
                 SQLPOINTER target, SQLLEN bufferLength, SQLLEN* indicator);

// Reads a bound parameter's value; `data` is what SQLPutData sent for a parameter given at
// execution. Text meant for a date column becomes a day number. False for a value that
// cannot be read (`message` says why).
bool ReadParameter(const ParameterBinding& p, const QByteArray* data, QVariant& value,
                   QString& message);
// True when the indicator asks for the value at execution time.
bool IsDataAtExecution(const SQLLEN* indicator);

// The SQL type, size and octet length of a column kind; text columns count UTF-8 bytes.
void DescribeKind(ColumnKind kind, int size, OdbcColumn& column);
