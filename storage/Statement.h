#pragma once

#include "Column.h"
#include "Dialect.h"
#include "TableFolder.h"

#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class SqlConnection;

// A table by the schema it is in and its name.
using SqlTableRef = QPair<QString, QString>;

// A value of the current row as SQLite holds it: its kind (Integer, Float, String, Blob;
// Unknown for Null) and the number, or the text (UTF-8) or blob bytes, valid until the next
// Step or Reset.
struct StepValue {
    ColumnKind Kind = ColumnKind::Unknown;
    qint64 Integer = 0;
    double Real = 0;
    QByteArrayView Bytes;
};

// A prepared statement of a connection (made by SqlConnection::Prepare). The text may hold
// several statements (";", or an ALTER TABLE with several ADD clauses): Execute runs them all
// or none; Step runs all but the last, then steps through the last one's rows.
// Parameters are numbered from 1 in the order they appear; a ":name" used twice is one
// parameter. Values: Null (an invalid QVariant), integers, doubles, text (QString), blobs
// (QByteArray); bool is 1/0; QDate, QTime and QDateTime become day numbers.
// A statement must not outlive its connection.
class SqlStatement {
public:
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;
    ~SqlStatement();

    // The text as it was given.
    const QString& Sql() const { return FSql; }

    // How many statements the text holds.
    int StatementCount() const { return FParts.size(); }
    // True when running the text cannot change the database (every statement a read).
    bool IsReadOnly() const;
    int ParamCount() const { return FParamNames.size(); }
    // The name of parameter `index` (1-based) without ":"; empty for "?".
    QString ParamName(int index) const { return FParamNames.value(index - 1); }
    // The number of the parameter of that name (case ignored), 0 when there is none.
    int ParamIndex(const QString& name) const;
    void Bind(int index, const QVariant& value);
    // Raises when the text has no parameter of that name.
    void Bind(const QString& name, const QVariant& value);
    void ClearBindings();

    // Runs every statement to its end; returns the rows the last changing statement changed.
    // A failure undoes what the text's earlier statements did.
    qint64 Execute();
    // True while a row of the last statement is there to read.
    bool Step();
    // Back to before the first step, so the statement can run again; bindings stay.
    void Reset();
    // Brings the statement up to its tables as they are now: one whose schemas changed since
    // it was prepared, also by another connection or program (SqlConnection::CatchUp), is
    // prepared anew and its columns described anew. Execute and Step do it as a run begins;
    // for a query they leave the look at the files to SQLite, which prepares it again for a
    // changed table as it runs, its columns then described again.
    void Refresh();

    // True when the (last) statement gives rows.
    bool IsQuery();
    int ColumnCount();
    // The column's name, declared type and kind. An expression's kind is read from the
    // functions it calls (SqlDialect::SelectListKinds); where that cannot tell, Kind is
    // Unknown and the values tell their own kind (ValueKind).
    const ColumnInfo& Column(int index);
    // The current row's value in a column: Null, qlonglong, double, QString or QByteArray.
    QVariant Value(int index) const;
    // The current row's value as a whole or a real number, as SQLite converts it; for readers
    // that take an Integer or a Float value (ValueKind) without a QVariant between.
    qint64 IntegerValue(int index) const;
    double FloatValue(int index) const;
    // The current row's text (UTF-8) or blob bytes, valid until the next Step or Reset.
    QByteArrayView BytesValue(int index) const;
    bool IsNull(int index) const;
    // The kind the current row's value has: Integer, Float, String, Blob; Unknown for Null.
    ColumnKind ValueKind(int index) const;
    // The current row's value with its kind, read in one call: for readers of every value of
    // long results.
    StepValue ValueAt(int index) const;

    qint64 RowsAffected() const { return FRowsAffected; }
    qint64 LastInsertRowId() const;

private:
    friend class SqlConnection;
    // One statement of the text: SQL to prepare, or an action done in its place.
    struct Part {
        DialectStatement Source;
        sqlite3_stmt* Handle = nullptr;
        std::function<void()> Action;
        std::function<void()> Undo; // removes what preparing made when the part never ran
        bool Done = false;
        // Values of the text made parameters (SqlDialect::LiftValues), numbered from
        // LiteralBase.
        QList<QVariant> Literals;
        int LiteralBase = 0;
        bool Client = false;       // a client's statement (SqlTextForm::OneStatement)
        QList<SqlTableRef> Writes; // the tables it writes
        QStringList Schemas;       // where its tables are (SqlConnection::SchemasOf)
        bool LooksFirst = false;   // its files are looked at before it runs (WritesValues)
        quint64 HeldIn = ~0ULL;    // the write transaction that held all of them when it looked
        QString Key;               // the text's reading key (SqlReading), when it is one statement
        QByteArray Text;           // the SQLite text, once made, or as it was made before
        quint64 Stamp = 0;         // the schemas' stamp Text was made under
        bool ChangesSchema = false;
        bool IsRollback = false;
        QList<ColumnInfo> Columns; // a query's, as described when it was kept
    };
    SqlStatement(SqlConnection* connection, const QString& sql, SqlTextForm form);
    // The parts of the text's statements.
    void MakeParts(const SqlReading& reading, bool client);
    void PreparePart(int index);
    bool StepPart(int index);
    void BindValue(sqlite3_stmt* handle, int index, const QVariant& value);
    // Prepares the statement anew where the schemas changed since it was prepared; first looks
    // at its files for another's change when `look` is set.
    void Renew(bool look);
    // Renew as a run begins.
    void RenewForRun();
    void Fail(int rc, int index);
    void LoadColumns();
    // The columns are described anew when next asked for.
    void ForgetColumns();
    // Kinds of the result columns that are calls of the Jet functions.
    void KindsOfExpressions();

    SqlConnection* FConnection;
    sqlite3* FDb;
    QString FSql;
    QStringList FParamNames;
    QList<QVariant> FValues;
    QList<Part> FParts;
    std::vector<TableLease> FLeases;
    QList<ColumnInfo> FColumns;
    bool FColumnsLoaded = false;
    int FColumnsPrepared = 0; // how often SQLite had prepared the query when it was described
    int FCurrent = 0;         // the part Step is at
    bool FCaughtUp = false;   // its files looked at as it was prepared just now
    qint64 FRowsAffected = 0;
};
