#include "Catalog.h"

#include "Convert.h"
#include "storage/JetFunctions.h"

namespace Catalog {

namespace {

// A result whose columns are named as the catalog call defines them; `types` gives each
// column's SQL type (SQL_VARCHAR or SQL_SMALLINT or SQL_INTEGER).
std::unique_ptr<OdbcResult> Make(const QStringList& names, const QList<SQLSMALLINT>& types) {
    auto r = std::make_unique<OdbcResult>(int(names.size()));
    for (int i = 0; i < names.size(); ++i) {
        OdbcColumn c;
        c.Name = names[i];
        c.Updatable = false;
        DescribeKind(types[i] == SQL_SMALLINT  ? ColumnKind::Smallint
                     : types[i] == SQL_INTEGER ? ColumnKind::Integer
                                               : ColumnKind::String,
                     128, c);
        r->Columns.append(c);
    }
    return r;
}

// An ODBC search pattern ("%", "_") as a Jet pattern; empty matches everything.
bool Matches(const QString& pattern, const QString& name) {
    if (pattern.isEmpty())
        return true;
    QString jet = pattern;
    jet.replace('%', '*').replace('_', '?');
    return JetLike(jet, name);
}

constexpr SQLSMALLINT V = SQL_VARCHAR, S = SQL_SMALLINT, I = SQL_INTEGER;
const QVariant Null;

} // namespace

std::unique_ptr<OdbcResult> Tables(SqlConnection& db, const QString& table, const QString& types) {
    auto r =
        Make({"TABLE_CAT", "TABLE_SCHEM", "TABLE_NAME", "TABLE_TYPE", "REMARKS"}, {V, V, V, V, V});
    if (!types.isEmpty() && !types.contains("TABLE", Qt::CaseInsensitive))
        return r;
    for (const QString& name : db.TableNames())
        if (Matches(table, name))
            r->AddRow({Null, Null, name, QString("TABLE"), Null});
    return r;
}

std::unique_ptr<OdbcResult> Columns(SqlConnection& db, const QString& table,
                                    const QString& column) {
    auto r = Make({"TABLE_CAT", "TABLE_SCHEM", "TABLE_NAME", "COLUMN_NAME", "DATA_TYPE",
                   "TYPE_NAME", "COLUMN_SIZE", "BUFFER_LENGTH", "DECIMAL_DIGITS", "NUM_PREC_RADIX",
                   "NULLABLE", "REMARKS", "COLUMN_DEF", "SQL_DATA_TYPE", "SQL_DATETIME_SUB",
                   "CHAR_OCTET_LENGTH", "ORDINAL_POSITION", "IS_NULLABLE"},
                  {V, V, V, V, S, V, I, I, S, S, S, V, V, S, S, I, I, V});
    for (const QString& name : db.TableNames()) {
        if (!Matches(table, name))
            continue;
        int position = 0;
        for (const ColumnInfo& info : db.Columns(name)) {
            ++position;
            if (!Matches(column, info.Name))
                continue;
            OdbcColumn c;
            DescribeKind(info.Kind, info.Size, c);
            const bool dateType = c.SqlType == SQL_TYPE_DATE || c.SqlType == SQL_TYPE_TIME ||
                                  c.SqlType == SQL_TYPE_TIMESTAMP;
            r->AddRow({Null, Null, name, info.Name, qlonglong(c.SqlType), info.DeclaredType,
                       qlonglong(c.Size), qlonglong(c.Octets), Null, Null,
                       qlonglong(info.NotNull ? SQL_NO_NULLS : SQL_NULLABLE), Null, Null,
                       qlonglong(dateType ? SQL_DATETIME : c.SqlType),
                       dateType ? QVariant(qlonglong(c.SqlType - 90)) : Null,
                       c.SqlType == SQL_VARCHAR ? QVariant(qlonglong(c.Octets)) : Null,
                       qlonglong(position), QString(info.NotNull ? "NO" : "YES")});
        }
    }
    return r;
}

std::unique_ptr<OdbcResult> Statistics(SqlConnection& db, const QString& table) {
    auto r = Make({"TABLE_CAT", "TABLE_SCHEM", "TABLE_NAME", "NON_UNIQUE", "INDEX_QUALIFIER",
                   "INDEX_NAME", "TYPE", "ORDINAL_POSITION", "COLUMN_NAME", "ASC_OR_DESC",
                   "CARDINALITY", "PAGES", "FILTER_CONDITION"},
                  {V, V, V, S, V, V, S, S, V, V, I, I, V});
    int position = 0;
    for (const ColumnInfo& info : db.Columns(table))
        if (info.PrimaryKey)
            r->AddRow({Null, Null, table, qlonglong(SQL_FALSE), Null, QString("PrimaryKey"),
                       qlonglong(SQL_INDEX_OTHER), qlonglong(++position), info.Name, QString("A"),
                       Null, Null, Null});
    return r;
}

std::unique_ptr<OdbcResult> PrimaryKeys(SqlConnection& db, const QString& table) {
    auto r = Make({"TABLE_CAT", "TABLE_SCHEM", "TABLE_NAME", "COLUMN_NAME", "KEY_SEQ", "PK_NAME"},
                  {V, V, V, V, S, V});
    int position = 0;
    for (const ColumnInfo& info : db.Columns(table))
        if (info.PrimaryKey)
            r->AddRow({Null, Null, table, info.Name, qlonglong(++position), QString("PrimaryKey")});
    return r;
}

std::unique_ptr<OdbcResult> TypeInfo(SQLSMALLINT type) {
    auto r = Make({"TYPE_NAME", "DATA_TYPE", "COLUMN_SIZE", "LITERAL_PREFIX", "LITERAL_SUFFIX",
                   "CREATE_PARAMS", "NULLABLE", "CASE_SENSITIVE", "SEARCHABLE",
                   "UNSIGNED_ATTRIBUTE", "FIXED_PREC_SCALE", "AUTO_UNIQUE_VALUE", "LOCAL_TYPE_NAME",
                   "MINIMUM_SCALE", "MAXIMUM_SCALE", "SQL_DATA_TYPE", "SQL_DATETIME_SUB",
                   "NUM_PREC_RADIX", "INTERVAL_PRECISION"},
                  {V, S, I, V, V, V, S, S, S, S, S, S, V, S, S, S, S, I, S});
    const ColumnKind kinds[] = {ColumnKind::Boolean, ColumnKind::Smallint, ColumnKind::Integer,
                                ColumnKind::Float,   ColumnKind::String,   ColumnKind::Date,
                                ColumnKind::Time,    ColumnKind::DateTime, ColumnKind::Memo,
                                ColumnKind::Blob};
    for (ColumnKind kind : kinds) {
        OdbcColumn c;
        DescribeKind(kind, 255, c);
        if (type != SQL_ALL_TYPES && type != c.SqlType)
            continue;
        const bool text = kind == ColumnKind::String || kind == ColumnKind::Memo;
        const bool dateType =
            kind == ColumnKind::Date || kind == ColumnKind::Time || kind == ColumnKind::DateTime;
        const QString name = DeclaredTypeOf(kind, 0).section(' ', 0, 0);
        r->AddRow({name, qlonglong(c.SqlType), qlonglong(c.Size),
                   text       ? QVariant(QString("'"))
                   : dateType ? QVariant(QString("#"))
                              : Null,
                   text       ? QVariant(QString("'"))
                   : dateType ? QVariant(QString("#"))
                              : Null,
                   kind == ColumnKind::String ? QVariant(QString("length")) : Null,
                   qlonglong(SQL_NULLABLE), qlonglong(SQL_FALSE),
                   qlonglong(kind == ColumnKind::Blob ? SQL_PRED_NONE : SQL_SEARCHABLE), Null,
                   qlonglong(SQL_FALSE), qlonglong(SQL_FALSE), name, Null, Null,
                   qlonglong(dateType ? SQL_DATETIME : c.SqlType),
                   dateType ? QVariant(qlonglong(c.SqlType - 90)) : Null, Null, Null});
    }
    return r;
}

std::unique_ptr<OdbcResult> Procedures() {
    return Make({"PROCEDURE_CAT", "PROCEDURE_SCHEM", "PROCEDURE_NAME", "NUM_INPUT_PARAMS",
                 "NUM_OUTPUT_PARAMS", "NUM_RESULT_SETS", "REMARKS", "PROCEDURE_TYPE"},
                {V, V, V, I, I, I, V, S});
}

std::unique_ptr<OdbcResult> ProcedureColumns() {
    return Make({"PROCEDURE_CAT", "PROCEDURE_SCHEM", "PROCEDURE_NAME", "COLUMN_NAME", "COLUMN_TYPE",
                 "DATA_TYPE", "TYPE_NAME", "COLUMN_SIZE", "BUFFER_LENGTH", "DECIMAL_DIGITS",
                 "NUM_PREC_RADIX", "NULLABLE", "REMARKS", "COLUMN_DEF", "SQL_DATA_TYPE",
                 "SQL_DATETIME_SUB", "CHAR_OCTET_LENGTH", "ORDINAL_POSITION", "IS_NULLABLE"},
                {V, V, V, V, S, S, V, I, I, S, S, S, V, V, S, S, I, I, V});
}

} // namespace Catalog
