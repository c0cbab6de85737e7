#include "SqlError.h"

#include <sqlite3.h>

bool ESqlError::Locked() const {
    return FCode >= 0 && ((FCode & 0xFF) == SQLITE_BUSY || (FCode & 0xFF) == SQLITE_LOCKED);
}

void RaiseSqlError(sqlite3* db, int code, const QString& sql) {
    const char* text = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    throw ESqlError(QString::fromUtf8(text), code, sql);
}

void RunSql(sqlite3* db, const QString& sql) {
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errstr(rc));
        sqlite3_free(error);
        throw ESqlError(message, rc, sql);
    }
}
