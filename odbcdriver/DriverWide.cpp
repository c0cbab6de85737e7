// The wide (UTF-16) entry points. Without them the driver manager maps a client's wide calls
// onto the narrow ones and gets Japanese names, messages and their lengths wrong. Buffer
// sizes and lengths count characters or bytes as each call defines.
#include "Calls.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT SQLRETURN SQLConnectW(SQLHDBC handle, SQLWCHAR* dsn, SQLSMALLINT dsnLength, SQLWCHAR*,
                             SQLSMALLINT, SQLWCHAR*, SQLSMALLINT) {
    return Calls::Connect(handle, InTextW(dsn, dsnLength));
}

EXPORT SQLRETURN SQLDriverConnectW(SQLHDBC handle, SQLHWND, SQLWCHAR* in, SQLSMALLINT inLength,
                                   SQLWCHAR* out, SQLSMALLINT outLength, SQLSMALLINT* outWritten,
                                   SQLUSMALLINT) {
    return Calls::DriverConnect(handle, InTextW(in, inLength), WideCharacters(out, outLength),
                                outWritten);
}

EXPORT SQLRETURN SQLGetConnectAttrW(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER bufferLength, SQLINTEGER* length) {
    return Calls::GetConnectAttr(handle, attribute, value, WideBytes(value, bufferLength), length);
}

EXPORT SQLRETURN SQLGetInfoW(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value,
                             SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    return Calls::GetInfo(handle, type, value, WideBytes(value, bufferLength), length);
}

EXPORT SQLRETURN SQLPrepareW(SQLHSTMT handle, SQLWCHAR* text, SQLINTEGER length) {
    return Calls::Prepare(handle, InTextW(text, length));
}

EXPORT SQLRETURN SQLExecDirectW(SQLHSTMT handle, SQLWCHAR* text, SQLINTEGER length) {
    return Calls::ExecDirect(handle, InTextW(text, length));
}

EXPORT SQLRETURN SQLSetCursorNameW(SQLHSTMT handle, SQLWCHAR* name, SQLSMALLINT length) {
    return Calls::SetCursorName(handle, InTextW(name, length));
}

EXPORT SQLRETURN SQLGetCursorNameW(SQLHSTMT handle, SQLWCHAR* name, SQLSMALLINT bufferLength,
                                   SQLSMALLINT* length) {
    return Calls::GetCursorName(handle, WideCharacters(name, bufferLength), length);
}

EXPORT SQLRETURN SQLDescribeColW(SQLHSTMT handle, SQLUSMALLINT column, SQLWCHAR* name,
                                 SQLSMALLINT bufferLength, SQLSMALLINT* nameLength,
                                 SQLSMALLINT* type, SQLULEN* size, SQLSMALLINT* digits,
                                 SQLSMALLINT* nullable) {
    return Calls::DescribeCol(handle, column, WideCharacters(name, bufferLength), nameLength, type,
                              size, digits, nullable);
}

EXPORT SQLRETURN SQLColAttributeW(SQLHSTMT handle, SQLUSMALLINT column, SQLUSMALLINT field,
                                  SQLPOINTER text, SQLSMALLINT bufferLength,
                                  SQLSMALLINT* textLength, SQLLEN* number) {
    return Calls::ColAttribute(handle, column, field, WideBytes(text, bufferLength), textLength,
                               number);
}

EXPORT SQLRETURN SQLTablesW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT,
                            SQLWCHAR* table, SQLSMALLINT tableLength, SQLWCHAR* types,
                            SQLSMALLINT typesLength) {
    return Calls::Tables(handle, InTextW(table, tableLength), InTextW(types, typesLength));
}

EXPORT SQLRETURN SQLColumnsW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT,
                             SQLWCHAR* table, SQLSMALLINT tableLength, SQLWCHAR* column,
                             SQLSMALLINT columnLength) {
    return Calls::Columns(handle, InTextW(table, tableLength), InTextW(column, columnLength));
}

EXPORT SQLRETURN SQLStatisticsW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT,
                                SQLWCHAR* table, SQLSMALLINT tableLength, SQLUSMALLINT,
                                SQLUSMALLINT) {
    return Calls::Statistics(handle, InTextW(table, tableLength));
}

EXPORT SQLRETURN SQLPrimaryKeysW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT,
                                 SQLWCHAR* table, SQLSMALLINT tableLength) {
    return Calls::PrimaryKeys(handle, InTextW(table, tableLength));
}

EXPORT SQLRETURN SQLGetDiagRecW(SQLSMALLINT, SQLHANDLE handle, SQLSMALLINT record, SQLWCHAR* state,
                                SQLINTEGER* native, SQLWCHAR* message, SQLSMALLINT bufferLength,
                                SQLSMALLINT* length) {
    return Calls::GetDiagRec(handle, record, WideCharacters(state, SQL_SQLSTATE_SIZE + 1), native,
                             WideCharacters(message, bufferLength), length);
}

EXPORT SQLRETURN SQLGetDiagFieldW(SQLSMALLINT, SQLHANDLE handle, SQLSMALLINT record,
                                  SQLSMALLINT field, SQLPOINTER value, SQLSMALLINT bufferLength,
                                  SQLSMALLINT* length) {
    return Calls::GetDiagField(handle, record, field, value, WideBytes(value, bufferLength),
                               length);
}

// Calls whose text the driver does not read: for a client connected through the wide calls,
// the driver manager wants them in their wide form and refuses them when the driver lacks it.

EXPORT SQLRETURN SQLSetConnectAttrW(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER length) {
    return SQLSetConnectAttr(handle, attribute, value, length);
}

EXPORT SQLRETURN SQLProceduresW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT,
                                SQLWCHAR*, SQLSMALLINT) {
    return SQLProcedures(handle, nullptr, 0, nullptr, 0, nullptr, 0);
}

EXPORT SQLRETURN SQLProcedureColumnsW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*,
                                      SQLSMALLINT, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT) {
    return SQLProcedureColumns(handle, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0);
}
