#pragma once

#include "Column.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <initializer_list>

// A piece of SQL text as the dialect reads it.
struct SqlToken {
    enum TokenType { Space, Word, Number, String, Identifier, Parameter, Symbol };
    TokenType Type;
    QString Text;
};

// One SQLite statement made from the SQL the programs write.
struct DialectStatement {
    enum StatementKind { Other, CreateTable, DropTable, AlterTable, CreateIndex };
    StatementKind Kind = Other;
    // The table a CREATE/DROP/ALTER TABLE or CREATE INDEX names, without ".DB".
    QString Table;
    bool IfExists = false; // DROP TABLE IF EXISTS
    QString RenamedTo;     // ALTER TABLE ... RENAME TO: the new name (null for other statements)
    // Every name in the text that may be a table (for attaching table files).
    QStringList Names;
    QList<SqlToken> Tokens;
    // The token CREATE TABLE creates (the table) or CREATE INDEX creates (the index).
    int CreatedToken = -1;
    // The values lifted into parameters from the text it came from (SqlDialect::Read).
    QList<QVariant> Literals;

    // The SQLite text; with a schema, the created table or index is put into that schema.
    QString Text(const QString& schema = QString()) const;
    // The first word, upper-cased ("SELECT", "INSERT", ...).
    QString Verb() const;
    // The first word is one of these (upper-case).
    bool IsVerb(std::initializer_list<const char*> words) const;
};

// What a text may hold: statements separated by ";" (a script such as the schema), or one
// statement with at most a closing ";" (what a client of the ODBC driver sends in one call; a
// connection keeps such a statement to its own files, see SqlConnection::Prepare).
enum class SqlTextForm { Statements, OneStatement };

// A text read as far as the dialect reads it before it translates (SqlDialect::Read): its
// statements as tokens, the parameters numbered, and in each INSERT ... VALUES the texts and
// whole numbers it writes lifted into parameters (SqlDialect::LiftValues). Texts of one
// statement that read to the same Key translate to the same statement, the lifted values
// aside.
struct SqlReading {
    QList<QList<SqlToken>> Pieces; // split at ";"
    QStringList Parameters;
    QList<QList<QVariant>> Literals; // the values lifted from each piece
    QString Key;                     // empty for a text of several statements
};

// Turns the Jet SQL the programs write into SQLite's: #m/d/yyyy# dates become day numbers,
// double-quoted text becomes a string (a table name after TABLE/FROM/INTO/UPDATE/JOIN stays a
// name, its ".DB" suffix dropped), DELETE * FROM becomes DELETE FROM, an ALTER TABLE with
// several ADD clauses becomes one statement per clause, and text is split at ";". A quote,
// bracket or date literal left open, a NUL character, or a second statement where the form
// allows one raises ESqlError (a syntax error).
// Parameters ("?" and ":name") become "?1", "?2", ...; a name used twice is one parameter.
class SqlDialect {
public:
    // The statements in order; `parameters` receives one entry per parameter number, the
    // name without ":" or empty for "?".
    static QList<DialectStatement> Translate(const QString& sql, QStringList& parameters,
                                             SqlTextForm form = SqlTextForm::Statements);
    // The same in two steps, the values of INSERTs lifted: a connection looks up what it
    // translated before by the reading's key, and translates the reading only when it has not.
    static SqlReading Read(const QString& sql, SqlTextForm form);
    static QList<DialectStatement> Translate(const SqlReading& reading);

    // The kind of a table's column; Unknown when there is no such column.
    using ColumnKindLookup = std::function<ColumnKind(const QString& table, const QString& column)>;
    // Puts the date-value function around each value that INSERT ... VALUES or UPDATE ... SET
    // writes into a date or time column, so text such as '12/10/2026, 13:05:00' is stored as a
    // day number.
    static void WrapDateValues(DialectStatement& statement, const ColumnKindLookup& kindOf);
    // Turns the texts and numbers an INSERT ... VALUES writes (a number with a fraction read
    // by SQLite's CAST, as SQLite reads it in the text), and the texts and whole numbers the
    // WHERE of a SELECT, UPDATE or DELETE compares with (that calls no date function), into
    // parameters numbered from `firstNumber` and returns their values in that order, so row after
    // row of the same insert, or a query asked for another value, is one statement text that can be
    // prepared once.
    static QList<QVariant> LiftValues(DialectStatement& statement, int firstNumber);

    // Lets an index on a date column serve the conditions the programs write on it:
    // "CDbl(col) op number" becomes "col op number", and where a WHERE's conditions hold
    // "CInt(Year(col)) = y", "CInt(Month(col)) = m" and "CInt(Day(col)) = d" they gain the
    // range of that day on col (DayStartFunction), and are asked only where the parts name no
    // date the range can hold (DayRangeExactFunction). Date columns hold day numbers (text
    // written to them is converted on the way in), so the rows found are the same.
    static void UseDateRanges(DialectStatement& statement, const ColumnKindLookup& kindOf);

    // The kinds of a SELECT's result columns that are calls of the Jet functions: CInt, Year,
    // Month, Day, Hour, Minute, Second give Smallint; CLng and Count Integer; CDbl and Avg
    // Float; First, Last, Min, Max and Sum the kind of what they take. One entry per item of
    // the select list, Unknown where it cannot tell (a table omitted from a column is empty).
    static QList<ColumnKind> SelectListKinds(const DialectStatement& statement,
                                             const ColumnKindLookup& kindOf);

    // Raises ESqlError on a quote, bracket or date literal left open.
    static QList<SqlToken> Tokenize(const QString& sql);
    // The plain name a word, a quoted or a bracketed name token stands for, without ".DB".
    static QString NameOf(const SqlToken& token);
};
