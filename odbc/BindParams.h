#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <sql.h>
#include <sqlext.h>

// One parameter of a statement: its marker's name, its value and how it is bound.
struct TBindParams {
    QString Name;
    QString Value;
    // The value text as the driver receives it, kept while the entry is bound.
    QByteArray ValueBytes;
    void* ValuePtr = nullptr;
    SQLLEN OwnIndicator = 0;
    SQLLEN* IndicatorPtr = nullptr;
    SQLSMALLINT SQLType = SQL_CHAR;
    SQLSMALLINT CType = SQL_C_CHAR;
    SQLULEN ColumnSize = 0;
    SQLSMALLINT DecimalDigits = 0;
    bool Bound = false;
    // 0 input, 1 output, 2 input and output.
    quint8 Direction = 0;
};

// A statement text with its markers rewritten for the driver.
struct TqoParsedSQL {
    QString DriverText;
    // One name per marker in order; empty for "?".
    QStringList Names;
};

// Turns ":name" markers outside quotes into "?"; a name is at most 128 bytes long.
TqoParsedSQL ParseSQLText(const QString& text);
// Replaces nullStrings (bare or between single quotes) outside quotes by NULL.
QString ReplaceNullStrings(const QString& text, const QString& nullStrings);
