#pragma once

#include <sql.h>
#include <sqlext.h>

// Wide-character column types.
inline bool IsWideType(SQLSMALLINT type) {
    return type == SQL_WCHAR || type == SQL_WVARCHAR;
}

// Column types whose length is their data length: characters and binaries, long or not.
inline bool HasDataLength(SQLSMALLINT type) {
    switch (type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return true;
    default:
        return false;
    }
}
