#pragma once

#include <QString>

// What a column holds, read from the type name it was declared with (Jet or Paradox).
// The dataset layer maps each kind to its field type.
enum class ColumnKind {
    Unknown,  // no declared type (an expression): judge by the value
    String,   // TEXT (n), Alpha n: Size is n
    Memo,     // MEMO, LONGTEXT
    Smallint, // SHORT, SMALLINT
    Integer,  // LONG, INTEGER
    AutoInc,  // autoincrement (COUNTER, or INTEGER PRIMARY KEY AUTOINCREMENT)
    Float,    // DOUBLE, FLOAT, REAL, CURRENCY
    Boolean,  // BIT, BOOLEAN: 1/0
    Date,     // DATE: a day number
    Time,     // TIME: a fraction of a day
    DateTime, // DATETIME, TIMESTAMP: a day number with the time as fraction
    Blob      // LONGBINARY, BLOB
};

// One column of a table or of a result.
struct ColumnInfo {
    QString Name;
    QString DeclaredType; // as written in CREATE TABLE / ALTER TABLE, e.g. "TEXT (20)"
    ColumnKind Kind = ColumnKind::Unknown;
    int Size = 0; // characters of a String column, 0 otherwise
    bool NotNull = false;
    bool PrimaryKey = false;
    // Where a result column comes from (empty for an expression).
    QString Table;
    QString OriginName;
};

// The kind of a declared type name; `autoIncrement` is SQLite's flag for the column.
ColumnKind KindOfDeclaredType(const QString& declaredType, bool autoIncrement = false);
// The size in characters a String type declares ("TEXT (20)" gives 20, "TEXT" 255).
int SizeOfDeclaredType(const QString& declaredType);
// The type name to declare for a kind, as the Jet DDL writes it ("TEXT (20)", "SHORT", ...).
// AutoInc gives "INTEGER PRIMARY KEY AUTOINCREMENT", which must then be the table's key.
QString DeclaredTypeOf(ColumnKind kind, int size = 0);
// True for Date, Time and DateTime.
bool IsDateKind(ColumnKind kind);
