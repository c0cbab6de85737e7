#include "SqlError.h"

#include <sqlite3.h>

void RaiseSqlError(sqlite3* db, int code, const QString& sql) {
    const char* text = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    throw ESqlError(QString::fromUtf8(text), code, sql);
}
