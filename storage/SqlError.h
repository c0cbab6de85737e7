#pragma once

#include "base/SysUtils.h"

struct sqlite3;

// How the message of text too long for its field begins; the field's name follows.
inline constexpr char TextTooLongMessage[] = "text too long for the field ";

// The messages of a statement stopped before its end (SQLITE_INTERRUPT): it ran past its time
// limit (SqlRunLimit), or SqlConnection::Interrupt stopped it.
inline constexpr char TimedOutMessage[] = "Timeout expired";
inline constexpr char InterruptedMessage[] = "Operation canceled";

// A failed SQL statement: the message is SQLite's own text.
class ESqlError : public EDatabaseError {
public:
    ESqlError(const QString& message, int code, const QString& sql = QString())
        : EDatabaseError(message), FCode(code), FSql(sql) {}
    // SQLite's result code (SQLITE_ERROR, SQLITE_BUSY, ...); -1 for a fault found before SQLite.
    int Code() const { return FCode; }
    // Another connection held the lock the statement needed, past the busy timeout.
    bool Locked() const;
    // The statement as it was given, when there was one.
    const QString& Sql() const { return FSql; }

private:
    int FCode;
    QString FSql;
};

// Raises ESqlError with the connection's last error text.
[[noreturn]] void RaiseSqlError(sqlite3* db, int code, const QString& sql = QString());

// Runs SQL text straight on SQLite, past the dialect; raises ESqlError.
void RunSql(sqlite3* db, const QString& sql);
