#pragma once

#include "Text.h"

// The driver's calls that take or give text, written once for the narrow entry points
// (UTF-8) and the wide ones (UTF-16): texts come in as QString and go out through a TextOut.
namespace Calls {

SQLRETURN Connect(SQLHDBC handle, const QString& dsn);
SQLRETURN DriverConnect(SQLHDBC handle, const QString& in, TextOut out, SQLSMALLINT* outWritten);
SQLRETURN GetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value, TextOut text,
                         SQLINTEGER* length);
SQLRETURN GetInfo(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value, TextOut text,
                  SQLSMALLINT* length);

SQLRETURN Prepare(SQLHSTMT handle, const QString& text);
SQLRETURN ExecDirect(SQLHSTMT handle, const QString& text);
SQLRETURN SetCursorName(SQLHSTMT handle, const QString& name);
SQLRETURN GetCursorName(SQLHSTMT handle, TextOut name, SQLSMALLINT* length);
SQLRETURN DescribeCol(SQLHSTMT handle, SQLUSMALLINT column, TextOut name, SQLSMALLINT* nameLength,
                      SQLSMALLINT* type, SQLULEN* size, SQLSMALLINT* digits, SQLSMALLINT* nullable);
SQLRETURN ColAttribute(SQLHSTMT handle, SQLUSMALLINT column, SQLUSMALLINT field, TextOut text,
                       SQLSMALLINT* textLength, SQLLEN* number);

SQLRETURN Tables(SQLHSTMT handle, const QString& table, const QString& types);
SQLRETURN Columns(SQLHSTMT handle, const QString& table, const QString& column);
SQLRETURN Statistics(SQLHSTMT handle, const QString& table);
SQLRETURN PrimaryKeys(SQLHSTMT handle, const QString& table);

// Reading diagnostics adds none: a cut text answers SQL_SUCCESS_WITH_INFO alone.
SQLRETURN GetDiagRec(SQLHANDLE handle, SQLSMALLINT record, TextOut state, SQLINTEGER* native,
                     TextOut message, SQLSMALLINT* length);
SQLRETURN GetDiagField(SQLHANDLE handle, SQLSMALLINT record, SQLSMALLINT field, SQLPOINTER value,
                       TextOut text, SQLSMALLINT* length);

} // namespace Calls
