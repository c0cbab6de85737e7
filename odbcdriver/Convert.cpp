#include "Convert.h"

#include "base/DateTime.h"
#include "storage/JetFunctions.h"

#include <QtEndian>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace {

Conversion Fail(const char* state, const char* message) {
    return Conversion{SQL_ERROR, state, message};
}

bool IsDateType(SQLSMALLINT t) {
    return t == SQL_TYPE_DATE || t == SQL_TYPE_TIME || t == SQL_TYPE_TIMESTAMP || t == SQL_DATE ||
           t == SQL_TIME || t == SQL_TIMESTAMP;
}

bool IsNumberType(SQLSMALLINT t) {
    switch (t) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
        return true;
    default:
        return false;
    }
}

// Text given for a numeric parameter as that number: whole for the integer types.
bool TextToNumber(const QString& text, SQLSMALLINT sqlType, QVariant& value) {
    bool ok = false;
    const QString t = text.trimmed();
    switch (sqlType) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
        value = t.toLongLong(&ok);
        break;
    default:
        value = t.toDouble(&ok);
        break;
    }
    return ok;
}

using Kind = StoredValue::Kind;

// The value as a day number, when it is one.
bool DayNumber(const StoredValue& v, double& day) {
    switch (v.Type) {
    case Kind::Integer:
        day = double(v.Integer);
        return true;
    case Kind::Real:
        day = v.Real;
        return true;
    case Kind::Text:
        return ParseJetDateTime(QString::fromUtf8(v.Bytes), day);
    default: {
        bool ok = false;
        day = v.ToVariant().toDouble(&ok);
        return ok;
    }
    }
}

// The value as a whole number the way a QVariant converts it.
qint64 WholeOf(const StoredValue& v) {
    return v.Type == Kind::Integer ? v.Integer : v.ToVariant().toLongLong();
}

// Room for the text of a value that is not stored as text: a number or a date is written
// into Chars, a real number's or a blob's text is made in Made.
struct TextRoom {
    char Chars[64];
    QByteArray Made;
};

// Writes `value` in decimal with zeros in front up to `width` characters (before a minus sign
// too, as the date formatting pads); returns the end.
char* PutPadded(char* out, int value, int width) {
    char digits[16];
    char* const end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (auto n = end - digits; n < width; ++n)
        *out++ = '0';
    return std::copy(digits, end, out);
}

// A day number as ODBC's date, time or timestamp text ("yyyy-mm-dd hh:nn:ss").
QByteArrayView DateText(double day, SQLSMALLINT sqlType, TextRoom& room) {
    const bool dateOnly = sqlType == SQL_TYPE_DATE || sqlType == SQL_DATE;
    const bool timeOnly = sqlType == SQL_TYPE_TIME || sqlType == SQL_TIME;
    const QChar separator = FormatSettings().TimeSeparator;
    if (separator.unicode() >= 0x80)
        return room.Made = FormatDateTime(dateOnly   ? "yyyy-mm-dd"
                                          : timeOnly ? "hh:nn:ss"
                                                     : "yyyy-mm-dd hh:nn:ss",
                                          day)
                               .toUtf8();
    int y, m, d, h, n, s, ms;
    DecodeDateTime(day, y, m, d, h, n, s, ms);
    char* p = room.Chars;
    if (!timeOnly) {
        p = PutPadded(p, y, 4);
        *p++ = '-';
        p = PutPadded(p, m, 2);
        *p++ = '-';
        p = PutPadded(p, d, 2);
    }
    if (!dateOnly && !timeOnly)
        *p++ = ' ';
    if (!dateOnly) {
        p = PutPadded(p, h, 2);
        *p++ = char(separator.unicode());
        p = PutPadded(p, n, 2);
        *p++ = char(separator.unicode());
        p = PutPadded(p, s, 2);
    }
    return QByteArrayView(room.Chars, p - room.Chars);
}

// The value as text in UTF-8: a date column's number as a date, a real number to 15 digits, a
// blob in hexadecimal.
QByteArrayView Text(const StoredValue& v, SQLSMALLINT sqlType, TextRoom& room) {
    double day;
    if (v.Type == Kind::Text)
        return v.Bytes;
    if (IsDateType(sqlType) && DayNumber(v, day))
        return DateText(day, sqlType, room);
    switch (v.Type) {
    case Kind::Integer:
        return QByteArrayView(
            room.Chars,
            std::to_chars(room.Chars, room.Chars + sizeof room.Chars, v.Integer).ptr - room.Chars);
    case Kind::Real:
        return room.Made = QString::number(v.Real, 'g', 15).toLatin1();
    default:
        return room.Made = v.Bytes.toByteArray().toHex().toUpper();
    }
}

// A value as binary data: a number as the bytes of its default C type (a bookmark: four).
QByteArrayView Bytes(const StoredValue& v, SQLSMALLINT sqlType, TextRoom& room) {
    if (v.Type == Kind::Text || v.Type == Kind::Blob)
        return v.Bytes;
    auto raw = [&](auto n) {
        memcpy(room.Chars, &n, sizeof n);
        return QByteArrayView(room.Chars, sizeof n);
    };
    switch (sqlType) {
    case SQL_SMALLINT:
        return raw(SQLSMALLINT(WholeOf(v)));
    case SQL_INTEGER:
        return raw(SQLINTEGER(WholeOf(v)));
    case SQL_BIT:
        return raw(SQLCHAR(WholeOf(v) != 0));
    default:
        return raw(v.Type == Kind::Integer ? double(v.Integer) : v.Real);
    }
}

// Copies bytes from `*offset` with room for `terminator` zero bytes.
Conversion CopyBytes(QByteArrayView bytes, SQLPOINTER target, SQLLEN bufferLength,
                     SQLLEN* indicator, qint64* offset, int terminator) {
    const qint64 from = offset ? *offset : 0;
    if (offset && from > 0 && from >= bytes.size())
        return Conversion{SQL_NO_DATA, nullptr, nullptr};
    const qint64 remaining = bytes.size() - from;
    if (indicator)
        qToUnaligned(SQLLEN(remaining), indicator);
    const qint64 room = qMax<qint64>(0, bufferLength - terminator);
    qint64 n = qMin(room, remaining);
    if (terminator == 1 && n < remaining) {
        // never half a UTF-8 character
        while (n > 0 && (uchar(bytes[from + n]) & 0xC0) == 0x80)
            --n;
    }
    if (terminator == 2)
        n &= ~qint64(1);
    if (target && bufferLength > 0) {
        if (n > 0)
            memcpy(target, bytes.constData() + from, size_t(n));
        if (terminator)
            memset(static_cast<char*>(target) + n, 0, size_t(terminator));
    }
    // An empty value counts as read once it was given, so the next piece is SQL_NO_DATA.
    if (offset)
        *offset = bytes.isEmpty() ? 1 : from + n;
    if (n < remaining)
        return Conversion{SQL_SUCCESS_WITH_INFO, "01004", "String data, right truncated"};
    return Conversion{};
}

template <typename T> Conversion Put(T value, SQLPOINTER target, SQLLEN* indicator) {
    if (target)
        memcpy(target, &value, sizeof(T));
    if (indicator)
        qToUnaligned(SQLLEN(sizeof(T)), indicator);
    return Conversion{};
}

// A stored value read as a number: a whole number exactly, else a double.
struct Number {
    bool Whole = false;
    qint64 Integer = 0;
    double Real = 0;
};

bool ReadNumber(const StoredValue& v, Number& n) {
    bool ok = false;
    switch (v.Type) {
    case Kind::Integer:
        n.Whole = true;
        n.Integer = v.Integer;
        n.Real = double(n.Integer);
        return true;
    case Kind::Real:
        n.Real = v.Real;
        return true;
    case Kind::Text: {
        const QString text = QString::fromUtf8(v.Bytes).trimmed();
        n.Integer = text.toLongLong(&ok);
        if (ok) {
            n.Whole = true;
            n.Real = double(n.Integer);
            return true;
        }
        n.Real = text.toDouble(&ok);
        return ok;
    }
    default:
        n.Real = v.ToVariant().toDouble(&ok);
        return ok;
    }
}

// Writes a number into an integer C type of [low, high]: 22003 when its whole part does not
// fit, 01S07 when a fraction is cut off.
template <typename T> Conversion PutWhole(const Number& n, SQLPOINTER target, SQLLEN* ind) {
    using Limits = std::numeric_limits<T>;
    const bool fits =
        n.Whole ? (Limits::is_signed
                       ? n.Integer >= qint64(Limits::lowest()) && n.Integer <= qint64(Limits::max())
                       : n.Integer >= 0 && quint64(n.Integer) <= quint64(Limits::max()))
                : std::trunc(n.Real) >= double(Limits::lowest()) &&
                      std::trunc(n.Real) < double(Limits::max()) + 1.0;
    if (!fits)
        return Fail("22003", "Numeric value out of range");
    const T value = n.Whole ? T(n.Integer) : T(std::trunc(n.Real));
    Conversion c = Put<T>(value, target, ind);
    if (!n.Whole && std::trunc(n.Real) != n.Real)
        c = Conversion{SQL_SUCCESS_WITH_INFO, "01S07", "Fractional truncation"};
    return c;
}

Conversion WriteNumber(const StoredValue& v, SQLSMALLINT cType, SQLPOINTER target, SQLLEN* ind) {
    Number n;
    if (!ReadNumber(v, n))
        return Fail("22018", "Invalid character value for cast");
    switch (cType) {
    case SQL_C_SHORT:
    case SQL_C_SSHORT:
        return PutWhole<SQLSMALLINT>(n, target, ind);
    case SQL_C_USHORT:
        return PutWhole<SQLUSMALLINT>(n, target, ind);
    case SQL_C_LONG:
    case SQL_C_SLONG:
        return PutWhole<SQLINTEGER>(n, target, ind);
    case SQL_C_ULONG:
        return PutWhole<SQLUINTEGER>(n, target, ind);
    case SQL_C_SBIGINT:
        return PutWhole<SQLBIGINT>(n, target, ind);
    case SQL_C_UBIGINT:
        return PutWhole<SQLUBIGINT>(n, target, ind);
    case SQL_C_TINYINT:
    case SQL_C_STINYINT:
        return PutWhole<SQLSCHAR>(n, target, ind);
    case SQL_C_UTINYINT:
        return PutWhole<SQLCHAR>(n, target, ind);
    case SQL_C_BIT:
        // 0 and 1 only; a fraction between them is cut to 0 or 1.
        if (n.Real < 0 || n.Real >= 2)
            return Fail("22003", "Numeric value out of range");
        return PutWhole<SQLCHAR>(n, target, ind);
    case SQL_C_DOUBLE:
        return Put<SQLDOUBLE>(n.Real, target, ind);
    case SQL_C_FLOAT:
        if (std::isfinite(n.Real) && std::abs(n.Real) > double(std::numeric_limits<float>::max()))
            return Fail("22003", "Numeric value out of range");
        return Put<SQLREAL>(SQLREAL(n.Real), target, ind);
    default:
        return Fail("07006", "Restricted data type attribute violation");
    }
}

// A number as text must keep its whole digits: cutting them would give another number.
bool WholeDigitsFit(const StoredValue& value, QByteArrayView text, SQLLEN bufferLength,
                    int charBytes) {
    if ((value.Type != Kind::Integer && value.Type != Kind::Real) ||
        text.size() < bufferLength / charBytes)
        return true;
    const auto point = std::find(text.begin(), text.end(), '.');
    const bool exponent = std::find(text.begin(), text.end(), 'e') != text.end();
    const qsizetype whole = exponent ? text.size() : point - text.begin();
    return bufferLength / charBytes > whole;
}

Conversion WriteDate(const StoredValue& v, SQLSMALLINT cType, SQLPOINTER target, SQLLEN* ind) {
    double day;
    if (!DayNumber(v, day))
        return Fail("22018", "Invalid character value for cast");
    int y, m, d, h, n, s, ms;
    DecodeDateTime(day, y, m, d, h, n, s, ms);
    if (cType == SQL_C_TYPE_DATE || cType == SQL_C_DATE)
        return Put(DATE_STRUCT{SQLSMALLINT(y), SQLUSMALLINT(m), SQLUSMALLINT(d)}, target, ind);
    if (cType == SQL_C_TYPE_TIME || cType == SQL_C_TIME)
        return Put(TIME_STRUCT{SQLUSMALLINT(h), SQLUSMALLINT(n), SQLUSMALLINT(s)}, target, ind);
    return Put(TIMESTAMP_STRUCT{SQLSMALLINT(y), SQLUSMALLINT(m), SQLUSMALLINT(d), SQLUSMALLINT(h),
                                SQLUSMALLINT(n), SQLUSMALLINT(s), SQLUINTEGER(ms) * 1000000},
               target, ind);
}

template <typename T> bool FitsIn(qint64 n) {
    return n >= qint64(std::numeric_limits<T>::lowest()) &&
           n <= qint64(std::numeric_limits<T>::max());
}

bool IsDone(const Conversion& c) {
    return c.Result == SQL_SUCCESS && !c.State;
}

} // namespace

SQLSMALLINT DefaultCType(SQLSMALLINT sqlType) {
    switch (sqlType) {
    case SQL_SMALLINT:
        return SQL_C_SSHORT;
    case SQL_INTEGER:
        return SQL_C_SLONG;
    case SQL_BIGINT:
        return SQL_C_SBIGINT;
    case SQL_TINYINT:
        return SQL_C_STINYINT;
    case SQL_DOUBLE:
    case SQL_FLOAT:
        return SQL_C_DOUBLE;
    case SQL_REAL:
        return SQL_C_FLOAT;
    case SQL_BIT:
        return SQL_C_BIT;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return SQL_C_TYPE_DATE;
    case SQL_TYPE_TIME:
    case SQL_TIME:
        return SQL_C_TYPE_TIME;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return SQL_C_TYPE_TIMESTAMP;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return SQL_C_BINARY;
    default:
        return SQL_C_CHAR;
    }
}

SQLLEN FixedSize(SQLSMALLINT cType) {
    switch (cType) {
    case SQL_C_SHORT:
    case SQL_C_SSHORT:
    case SQL_C_USHORT:
        return 2;
    case SQL_C_LONG:
    case SQL_C_SLONG:
    case SQL_C_ULONG:
    case SQL_C_FLOAT:
        return 4;
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
    case SQL_C_DOUBLE:
        return 8;
    case SQL_C_TINYINT:
    case SQL_C_STINYINT:
    case SQL_C_UTINYINT:
    case SQL_C_BIT:
        return 1;
    case SQL_C_TYPE_DATE:
    case SQL_C_DATE:
    case SQL_C_TYPE_TIME:
    case SQL_C_TIME:
        return 6;
    case SQL_C_TYPE_TIMESTAMP:
    case SQL_C_TIMESTAMP:
        return 16;
    default:
        return 0;
    }
}

Conversion WriteValue(const StoredValue& value, SQLSMALLINT sqlType, SQLSMALLINT cType,
                      SQLPOINTER target, SQLLEN bufferLength, SQLLEN* indicator, qint64* offset) {
    if (cType == SQL_C_DEFAULT)
        cType = DefaultCType(sqlType);
    if (value.IsNull()) {
        if (offset && *offset > 0)
            return Conversion{SQL_NO_DATA, nullptr, nullptr};
        if (!indicator)
            return Fail("22002", "Indicator variable required but not supplied");
        qToUnaligned(SQLLEN(SQL_NULL_DATA), indicator);
        if (offset)
            *offset = 1;
        return Conversion{};
    }
    TextRoom room;
    switch (cType) {
    case SQL_C_CHAR:
    case SQL_C_WCHAR: {
        const QByteArrayView text = Text(value, sqlType, room);
        const bool wide = cType == SQL_C_WCHAR;
        if (target && (!offset || *offset == 0) && !IsDateType(sqlType) &&
            !WholeDigitsFit(value, text, bufferLength, wide ? 2 : 1))
            return Fail("22003", "Numeric value out of range");
        if (!wide)
            return CopyBytes(text, target, bufferLength, indicator, offset, 1);
        const QString chars = QString::fromUtf8(text);
        return CopyBytes(
            QByteArrayView(reinterpret_cast<const char*>(chars.utf16()), chars.size() * 2), target,
            bufferLength, indicator, offset, 2);
    }
    case SQL_C_BINARY:
        return CopyBytes(Bytes(value, sqlType, room), target, bufferLength, indicator, offset, 0);
    case SQL_C_TYPE_DATE:
    case SQL_C_DATE:
    case SQL_C_TYPE_TIME:
    case SQL_C_TIME:
    case SQL_C_TYPE_TIMESTAMP:
    case SQL_C_TIMESTAMP:
        return WriteDate(value, cType, target, indicator);
    case SQL_C_UBIGINT:
        // A fixed bookmark bound into 4 bytes, as ODBC 2 defined it.
        if (bufferLength == 4)
            return Put<SQLUINTEGER>(SQLUINTEGER(WholeOf(value)), target, indicator);
        return WriteNumber(value, cType, target, indicator);
    default:
        return WriteNumber(value, cType, target, indicator);
    }
}

bool WriteCommon(const StoredValue& value, SQLSMALLINT sqlType, SQLSMALLINT cType,
                 SQLPOINTER target, SQLLEN bufferLength, SQLLEN* indicator) {
    switch (value.Type) {
    case Kind::Null:
        if (!indicator)
            return false;
        qToUnaligned(SQLLEN(SQL_NULL_DATA), indicator);
        return true;
    case Kind::Integer:
        switch (cType) {
        case SQL_C_SHORT:
        case SQL_C_SSHORT:
            return FitsIn<SQLSMALLINT>(value.Integer) &&
                   IsDone(Put(SQLSMALLINT(value.Integer), target, indicator));
        case SQL_C_LONG:
        case SQL_C_SLONG:
            return FitsIn<SQLINTEGER>(value.Integer) &&
                   IsDone(Put(SQLINTEGER(value.Integer), target, indicator));
        case SQL_C_SBIGINT:
            return IsDone(Put(SQLBIGINT(value.Integer), target, indicator));
        case SQL_C_DOUBLE:
            return IsDone(Put(SQLDOUBLE(value.Integer), target, indicator));
        case SQL_C_BINARY: // a bookmark
            return sqlType == SQL_INTEGER && bufferLength >= SQLLEN(sizeof(SQLINTEGER)) &&
                   IsDone(Put(SQLINTEGER(value.Integer), target, indicator));
        default:
            break;
        }
        break;
    case Kind::Real:
        if (cType == SQL_C_DOUBLE)
            return IsDone(Put(SQLDOUBLE(value.Real), target, indicator));
        break;
    case Kind::Text:
        // Whole, with room for its end: nothing cut, no piece to remember.
        if (cType == SQL_C_CHAR && target && value.Bytes.size() < bufferLength) {
            memcpy(target, value.Bytes.data(), size_t(value.Bytes.size()));
            static_cast<char*>(target)[value.Bytes.size()] = 0;
            if (indicator)
                qToUnaligned(SQLLEN(value.Bytes.size()), indicator);
            return true;
        }
        break;
    case Kind::Blob:
        break;
    }
    if ((value.Type == Kind::Integer || value.Type == Kind::Real) &&
        (cType == SQL_C_TYPE_TIMESTAMP || cType == SQL_C_TIMESTAMP))
        return IsDone(WriteDate(value, cType, target, indicator));
    return false;
}

bool IsDataAtExecution(const SQLLEN* indicator) {
    if (!indicator)
        return false;
    const SQLLEN length = qFromUnaligned<SQLLEN>(indicator);
    return length == SQL_DATA_AT_EXEC || length <= SQL_LEN_DATA_AT_EXEC_OFFSET;
}

bool ReadParameter(const ParameterBinding& p, const QByteArray* data, QVariant& value,
                   QString& message) {
    // The indicator, as every value in a client's buffer, need not be aligned.
    const std::optional<SQLLEN> ind =
        p.Indicator ? std::optional(qFromUnaligned<SQLLEN>(p.Indicator)) : std::nullopt;
    if (ind == SQL_NULL_DATA) {
        value = QVariant();
        return true;
    }
    const SQLSMALLINT cType = p.CType == SQL_C_DEFAULT ? DefaultCType(p.SqlType) : p.CType;
    auto bytes = [&]() -> QByteArray {
        if (data)
            return *data;
        const char* v = static_cast<const char*>(p.Value);
        if (!v)
            return QByteArray();
        if (!ind || *ind == SQL_NTS)
            return cType == SQL_C_WCHAR
                       ? QByteArray(
                             v, int(2 * QStringView(reinterpret_cast<const char16_t*>(v)).size()))
                       : QByteArray(v);
        return QByteArray(v, int(*ind));
    };
    switch (cType) {
    case SQL_C_CHAR:
    case SQL_C_WCHAR: {
        const QByteArray b = bytes();
        QString text = cType == SQL_C_CHAR
                           ? QString::fromUtf8(b)
                           : QString::fromUtf16(reinterpret_cast<const char16_t*>(b.constData()),
                                                b.size() / 2);
        double day;
        if (IsDateType(p.SqlType) && !text.trimmed().isEmpty()) {
            if (!ParseJetDateTime(text, day)) {
                message = "Invalid datetime format: " + text;
                return false;
            }
            value = day;
        } else if (IsNumberType(p.SqlType)) {
            // A number sent as text compares as a number, also with an expression.
            if (!TextToNumber(text, p.SqlType, value)) {
                message = "Invalid character value for cast: " + text;
                return false;
            }
        } else {
            value = text;
        }
        return true;
    }
    case SQL_C_BINARY:
        value = bytes();
        return true;
    default:
        break;
    }
    const void* v = p.Value;
    if (!v) {
        value = QVariant();
        return true;
    }
    switch (cType) {
    case SQL_C_SHORT:
    case SQL_C_SSHORT:
        value = qlonglong(qFromUnaligned<SQLSMALLINT>(v));
        return true;
    case SQL_C_USHORT:
        value = qlonglong(qFromUnaligned<SQLUSMALLINT>(v));
        return true;
    case SQL_C_LONG:
    case SQL_C_SLONG:
        value = qlonglong(qFromUnaligned<SQLINTEGER>(v));
        return true;
    case SQL_C_ULONG:
        value = qlonglong(qFromUnaligned<SQLUINTEGER>(v));
        return true;
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
        value = qlonglong(qFromUnaligned<SQLBIGINT>(v));
        return true;
    case SQL_C_TINYINT:
    case SQL_C_STINYINT:
        value = qlonglong(qFromUnaligned<SQLSCHAR>(v));
        return true;
    case SQL_C_UTINYINT:
    case SQL_C_BIT:
        value = qlonglong(qFromUnaligned<SQLCHAR>(v));
        return true;
    case SQL_C_DOUBLE:
        value = qFromUnaligned<SQLDOUBLE>(v);
        return true;
    case SQL_C_FLOAT:
        value = double(qFromUnaligned<SQLREAL>(v));
        return true;
    case SQL_C_TYPE_DATE:
    case SQL_C_DATE: {
        const auto d = qFromUnaligned<DATE_STRUCT>(v);
        double day;
        if (!TryEncodeDate(d.year, d.month, d.day, day))
            break;
        value = day;
        return true;
    }
    case SQL_C_TYPE_TIME:
    case SQL_C_TIME: {
        const auto t = qFromUnaligned<TIME_STRUCT>(v);
        double time;
        if (!TryEncodeTime(t.hour, t.minute, t.second, 0, time))
            break;
        value = time;
        return true;
    }
    case SQL_C_TYPE_TIMESTAMP:
    case SQL_C_TIMESTAMP: {
        const auto t = qFromUnaligned<TIMESTAMP_STRUCT>(v);
        double day, time;
        if (!TryEncodeDate(t.year, t.month, t.day, day) ||
            !TryEncodeTime(t.hour, t.minute, t.second, int(t.fraction / 1000000), time))
            break;
        value = day + time;
        return true;
    }
    default:
        message = QString("Program type out of range: %1").arg(cType);
        return false;
    }
    message = "Invalid datetime format";
    return false;
}

void DescribeKind(ColumnKind kind, int size, OdbcColumn& c) {
    auto set = [&](SQLSMALLINT type, SQLULEN columnSize, SQLLEN octets) {
        c.SqlType = type;
        c.Size = columnSize;
        c.Octets = octets;
    };
    constexpr SQLLEN Long = 1073741823;
    switch (kind) {
    case ColumnKind::String:
        set(SQL_VARCHAR, size, SQLLEN(size) * 3);
        break;
    case ColumnKind::Memo:
        set(SQL_LONGVARCHAR, Long, Long);
        break;
    case ColumnKind::Smallint:
        set(SQL_SMALLINT, 5, 2);
        break;
    case ColumnKind::Integer:
    case ColumnKind::AutoInc:
        set(SQL_INTEGER, 10, 4);
        c.AutoIncrement = kind == ColumnKind::AutoInc;
        break;
    case ColumnKind::Float:
        set(SQL_DOUBLE, 15, 8);
        break;
    case ColumnKind::Boolean:
        set(SQL_BIT, 1, 1);
        break;
    case ColumnKind::Date:
        set(SQL_TYPE_DATE, 10, 6);
        break;
    case ColumnKind::Time:
        set(SQL_TYPE_TIME, 8, 6);
        break;
    case ColumnKind::DateTime:
        set(SQL_TYPE_TIMESTAMP, 19, 16);
        break;
    case ColumnKind::Blob:
        set(SQL_LONGVARBINARY, Long, Long);
        break;
    case ColumnKind::Unknown:
        set(SQL_VARCHAR, 255, 765);
        break;
    }
}
