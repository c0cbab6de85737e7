#include "Column.h"

#include <QRegularExpression>

namespace {

// The type name without its size: "TEXT (20)" gives "TEXT".
QString BaseName(const QString& declaredType) {
    QString name = declaredType.trimmed().toUpper();
    const int paren = name.indexOf('(');
    if (paren >= 0)
        name.truncate(paren);
    return name.simplified();
}

} // namespace

ColumnKind KindOfDeclaredType(const QString& declaredType, bool autoIncrement) {
    struct Entry {
        const char* Name;
        ColumnKind Kind;
    };
    static const Entry entries[] = {
        {"TEXT", ColumnKind::String},
        {"VARCHAR", ColumnKind::String},
        {"CHAR", ColumnKind::String},
        {"MEMO", ColumnKind::Memo},
        {"LONGTEXT", ColumnKind::Memo},
        {"LONGCHAR", ColumnKind::Memo},
        {"SHORT", ColumnKind::Smallint},
        {"SMALLINT", ColumnKind::Smallint},
        {"BYTE", ColumnKind::Smallint},
        {"TINYINT", ColumnKind::Smallint},
        {"LONG", ColumnKind::Integer},
        {"INTEGER", ColumnKind::Integer},
        {"INT", ColumnKind::Integer},
        {"COUNTER", ColumnKind::AutoInc},
        {"AUTOINCREMENT", ColumnKind::AutoInc},
        {"AUTOINC", ColumnKind::AutoInc},
        {"DOUBLE", ColumnKind::Float},
        {"FLOAT", ColumnKind::Float},
        {"REAL", ColumnKind::Float},
        {"SINGLE", ColumnKind::Float},
        {"NUMBER", ColumnKind::Float},
        {"NUMERIC", ColumnKind::Float},
        {"CURRENCY", ColumnKind::Float},
        {"MONEY", ColumnKind::Float},
        {"BIT", ColumnKind::Boolean},
        {"BOOLEAN", ColumnKind::Boolean},
        {"LOGICAL", ColumnKind::Boolean},
        {"YESNO", ColumnKind::Boolean},
        {"DATE", ColumnKind::Date},
        {"TIME", ColumnKind::Time},
        {"DATETIME", ColumnKind::DateTime},
        {"TIMESTAMP", ColumnKind::DateTime},
        {"LONGBINARY", ColumnKind::Blob},
        {"BLOB", ColumnKind::Blob},
        {"BINARY", ColumnKind::Blob},
        {"VARBINARY", ColumnKind::Blob},
        {"IMAGE", ColumnKind::Blob},
        {"OLEOBJECT", ColumnKind::Blob},
        {"GENERAL", ColumnKind::Blob},
    };
    const QString name = BaseName(declaredType);
    // "INTEGER PRIMARY KEY AUTOINCREMENT" arrives as "INTEGER" with SQLite's flag.
    const QString first = name.section(' ', 0, 0);
    for (const Entry& e : entries) {
        if (first == QLatin1String(e.Name)) {
            if (autoIncrement && e.Kind == ColumnKind::Integer)
                return ColumnKind::AutoInc;
            return e.Kind;
        }
    }
    return ColumnKind::Unknown;
}

int SizeOfDeclaredType(const QString& declaredType) {
    if (KindOfDeclaredType(declaredType) != ColumnKind::String)
        return 0;
    static const QRegularExpression size(R"(\(\s*(\d+)\s*\))");
    const QRegularExpressionMatch m = size.match(declaredType);
    return m.hasMatch() ? m.captured(1).toInt() : 255;
}

QString DeclaredTypeOf(ColumnKind kind, int size) {
    switch (kind) {
    case ColumnKind::String:
        return QString("TEXT (%1)").arg(size > 0 ? size : 255);
    case ColumnKind::Memo:
        return "LONGTEXT"; // "MEMO" would give SQLite's numeric affinity
    case ColumnKind::Smallint:
        return "SHORT";
    case ColumnKind::Integer:
        return "LONG";
    case ColumnKind::AutoInc:
        return "INTEGER PRIMARY KEY AUTOINCREMENT";
    case ColumnKind::Float:
        return "DOUBLE";
    case ColumnKind::Boolean:
        return "BIT";
    case ColumnKind::Date:
        return "DATE";
    case ColumnKind::Time:
        return "TIME";
    case ColumnKind::DateTime:
        return "DATETIME";
    case ColumnKind::Blob:
        return "LONGBINARY";
    case ColumnKind::Unknown:
        break;
    }
    return QString();
}

bool IsDateKind(ColumnKind kind) {
    return kind == ColumnKind::Date || kind == ColumnKind::Time || kind == ColumnKind::DateTime;
}
