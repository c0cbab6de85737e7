#include "Column.h"

namespace {

// The type name without its size or what follows it: "TEXT (20)" gives "TEXT", "INTEGER
// PRIMARY KEY" gives "INTEGER". Read in place: the kinds of a result's columns are read for
// every statement.
QStringView BaseName(const QString& declaredType) {
    qsizetype from = 0;
    while (from < declaredType.size() && declaredType[from].isSpace())
        ++from;
    qsizetype to = from;
    while (to < declaredType.size() && !declaredType[to].isSpace() && declaredType[to] != '(')
        ++to;
    return QStringView(declaredType).mid(from, to - from);
}

// The number in "( n )" at `open`, or -1.
int SizeAt(const QString& type, qsizetype open) {
    qsizetype i = open + 1;
    while (i < type.size() && type[i].isSpace())
        ++i;
    const qsizetype digits = i;
    while (i < type.size() && type[i] >= '0' && type[i] <= '9')
        ++i;
    if (i == digits)
        return -1;
    const int size = QStringView(type).mid(digits, i - digits).toInt();
    while (i < type.size() && type[i].isSpace())
        ++i;
    return i < type.size() && type[i] == ')' ? size : -1;
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
    // "INTEGER PRIMARY KEY AUTOINCREMENT" arrives as "INTEGER" with SQLite's flag.
    const QStringView first = BaseName(declaredType);
    if (first.isEmpty())
        return ColumnKind::Unknown;
    const char16_t initial = first[0].toUpper().unicode();
    for (const Entry& e : entries) {
        if (char16_t(e.Name[0]) != initial)
            continue;
        const QLatin1StringView name(e.Name);
        if (first.size() == name.size() && first.compare(name, Qt::CaseInsensitive) == 0) {
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
    for (qsizetype open = declaredType.indexOf('('); open >= 0;
         open = declaredType.indexOf('(', open + 1)) {
        const int size = SizeAt(declaredType, open);
        if (size >= 0)
            return size;
    }
    return 255;
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
