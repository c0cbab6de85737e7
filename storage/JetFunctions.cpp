#include "JetFunctions.h"

#include "base/DateTime.h"

#include <QRegularExpression>
#include <cfenv>
#include <climits>
#include <cmath>
#include <sqlite3.h>
#include <vector>

namespace {

// One element of a compiled LIKE pattern.
struct PatternItem {
    enum Kind { AnyText, AnyChar, Digit, Literal, Class } Kind;
    QChar Char;
    QList<QPair<QChar, QChar>> Ranges; // for Class
    bool Negated = false;

    bool Matches(QChar c) const {
        switch (Kind) {
        case AnyChar:
            return true;
        case Digit:
            return c >= '0' && c <= '9';
        case Literal:
            return c == Char;
        case Class: {
            bool in = false;
            for (const auto& r : Ranges)
                in = in || (c >= r.first && c <= r.second);
            return in != Negated;
        }
        case AnyText:
            break;
        }
        return false;
    }
};

// Reads a class after its "[" at `i`; false when it is not closed.
bool ReadClass(const QString& p, qsizetype& i, PatternItem& item) {
    qsizetype j = i + 1;
    item = PatternItem{PatternItem::Class, QChar(), {}, false};
    if (j < p.size() && p[j] == '!') {
        item.Negated = true;
        ++j;
    }
    for (; j < p.size() && p[j] != ']'; ++j) {
        QChar from = p[j];
        QChar to = from;
        if (j + 2 < p.size() && p[j + 1] == '-' && p[j + 2] != ']') {
            to = p[j + 2];
            j += 2;
        }
        item.Ranges.append({from, to});
    }
    if (j >= p.size())
        return false;
    i = j;
    return true;
}

std::vector<PatternItem> Compile(const QString& pattern) {
    std::vector<PatternItem> items;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        PatternItem item{PatternItem::Literal, c, {}, false};
        if (c == '*')
            item.Kind = PatternItem::AnyText;
        else if (c == '?')
            item.Kind = PatternItem::AnyChar;
        else if (c == '#')
            item.Kind = PatternItem::Digit;
        else if (c == '[' && !ReadClass(pattern, i, item))
            item = PatternItem{PatternItem::Literal, c, {}, false};
        items.push_back(item);
    }
    return items;
}

// ---- values ----

// The number a value stands for, as CDbl reads it; false for Null.
bool ToNumber(sqlite3_context* ctx, sqlite3_value* v, double& result) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
        return false;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        result = sqlite3_value_double(v);
        return true;
    case SQLITE_TEXT: {
        const QString text =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v))).trimmed();
        bool ok = false;
        result = text.toDouble(&ok);
        if (ok || ParseJetDateTime(text, result))
            return true;
        break;
    }
    default:
        break;
    }
    sqlite3_result_error(ctx, "Data type mismatch in expression", -1);
    return false;
}

void CDbl(sqlite3_context* ctx, int, sqlite3_value** argv) {
    double v;
    if (ToNumber(ctx, argv[0], v))
        sqlite3_result_double(ctx, v);
    else if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        sqlite3_result_null(ctx);
}

// CInt and CLng round halves to the even neighbour, as the Jet conversions do.
template <qint64 Low, qint64 High>
void RoundToInt(sqlite3_context* ctx, int, sqlite3_value** argv) {
    double r;
    // A whole number (what Year, Month and Day give) needs no rounding.
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
        r = double(sqlite3_value_int64(argv[0]));
    } else if (ToNumber(ctx, argv[0], r)) {
        r = std::nearbyint(r);
    } else {
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
            sqlite3_result_null(ctx);
        return;
    }
    if (r < double(Low) || r > double(High)) {
        sqlite3_result_error(ctx, "Overflow", -1);
        return;
    }
    sqlite3_result_int64(ctx, qint64(r));
}

enum class DatePart { Year, Month, Day, Hour, Minute, Second };

template <DatePart Part> void PartOf(sqlite3_context* ctx, int, sqlite3_value** argv) {
    double v;
    if (!ToNumber(ctx, argv[0], v)) {
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
            sqlite3_result_null(ctx);
        return;
    }
    int a, b, c, msec;
    if (Part <= DatePart::Day)
        DecodeDate(v, a, b, c);
    else
        DecodeTime(v, a, b, c, msec);
    const int parts[] = {a, b, c};
    sqlite3_result_int(ctx, parts[int(Part) % 3]);
}

// Reads a date text of the usual shape, "m/d/yyyy" or "m/d/yyyy h:m:s" (each part of one or two
// digits, the year of four), as the full reading (ParseJetDateTime) reads it, without its
// pattern: a log written with its dates as text has one a row. False for another shape; where
// the shape is the usual one, `valid` tells whether it names a date and time.
template <typename Char>
bool ReadUsualDateTime(const Char* s, qsizetype n, bool& valid, double& result) {
    qsizetype i = 0;
    auto digit = [&] { return i < n && s[i] >= '0' && s[i] <= '9'; };
    auto number = [&](int least, int most, int& value) {
        const qsizetype start = i;
        for (value = 0; i - start < most && digit(); ++i)
            value = value * 10 + int(s[i] - '0');
        return i - start >= least && !digit();
    };
    auto sign = [&](char c) { return i < n && s[i] == Char(c) && ++i; };
    int month, day, year, hour = 0, minute = 0, second = 0;
    if (!number(1, 2, month) || !sign('/') || !number(1, 2, day) || !sign('/') ||
        !number(4, 4, year))
        return false;
    const bool timed = i < n;
    if (timed && (!sign(' ') || !number(1, 2, hour) || !sign(':') || !number(1, 2, minute) ||
                  !sign(':') || !number(1, 2, second) || i != n))
        return false;
    double date = 0, time = 0;
    valid = TryEncodeDate(year, month, day, date) &&
            (!timed || TryEncodeTime(hour, minute, second, 0, time));
    result = date + time;
    return true;
}

void DateValue(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* v = argv[0];
    if (sqlite3_value_type(v) != SQLITE_TEXT) {
        sqlite3_result_value(ctx, v);
        return;
    }
    const auto* utf8 = reinterpret_cast<const char*>(sqlite3_value_text(v));
    bool valid = false;
    double day;
    if (ReadUsualDateTime(utf8, sqlite3_value_bytes(v), valid, day) && valid) {
        sqlite3_result_double(ctx, day);
        return;
    }
    const QString text = QString::fromUtf8(utf8);
    if (!ParseJetDateTime(text, day)) {
        const QByteArray message =
            QString("Data type mismatch: '%1' is not a date or time").arg(text).toUtf8();
        sqlite3_result_error(ctx, message.constData(), -1);
        return;
    }
    sqlite3_result_double(ctx, day);
}

// A whole number within int's range, as an equality with a small integer can hold it.
bool WholeNumber(sqlite3_value* v, int& result) {
    const int type = sqlite3_value_type(v);
    if (type != SQLITE_INTEGER && type != SQLITE_FLOAT)
        return false;
    const double d = sqlite3_value_double(v);
    if (d != std::trunc(d) || d < INT_MIN || d > INT_MAX)
        return false;
    result = int(d);
    return true;
}

// The day the parts (y, m, d) name; false where a part is no whole number (`whole` false)
// or they name no date of 1..9999.
bool DayOfParts(sqlite3_value** argv, bool& whole, double& day) {
    int parts[3];
    whole = WholeNumber(argv[0], parts[0]) && WholeNumber(argv[1], parts[1]) &&
            WholeNumber(argv[2], parts[2]);
    return whole && TryEncodeDate(parts[0], parts[1], parts[2], day);
}

// Null where a part is no whole number (no date part equals it); an infinite bound where the
// parts name no date of 1..9999, which leaves the decision to the conditions on the parts.
void DayStart(sqlite3_context* ctx, int, sqlite3_value** argv) {
    bool whole;
    double day;
    const bool found = DayOfParts(argv, whole, day);
    const qint64 offset = sqlite3_value_int64(argv[3]);
    if (!whole)
        sqlite3_result_null(ctx);
    else if (found)
        sqlite3_result_double(ctx, FirstValueOfDay(qint64(day) + offset));
    else
        sqlite3_result_double(ctx, offset > 0 ? HUGE_VAL : -HUGE_VAL);
}

void DayRangeExact(sqlite3_context* ctx, int, sqlite3_value** argv) {
    bool whole;
    double day;
    const bool found = DayOfParts(argv, whole, day);
    sqlite3_result_int(ctx, !whole || found ? 1 : 0);
}

void Like(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    auto text = [](sqlite3_value* v) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)));
    };
    sqlite3_result_int(ctx, JetLike(text(argv[0]), text(argv[1])) ? 1 : 0);
}

// First(x): the value of the group's first row, Null included.
void FirstStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto** slot = static_cast<sqlite3_value**>(sqlite3_aggregate_context(ctx, sizeof(void*) + 1));
    if (!slot)
        return;
    bool* seen = reinterpret_cast<bool*>(slot + 1);
    if (!*seen) {
        *seen = true;
        *slot = sqlite3_value_dup(argv[0]);
    }
}

void FirstFinal(sqlite3_context* ctx) {
    auto** slot = static_cast<sqlite3_value**>(sqlite3_aggregate_context(ctx, 0));
    if (slot && *slot) {
        sqlite3_result_value(ctx, *slot);
        sqlite3_value_free(*slot);
        *slot = nullptr;
    } else {
        sqlite3_result_null(ctx);
    }
}

} // namespace

bool JetLike(const QString& pattern, const QString& text) {
    const std::vector<PatternItem> items = Compile(pattern.toCaseFolded());
    const QString s = text.toCaseFolded();
    // Greedy match with one back-tracking point at the last "*".
    size_t p = 0, star = size_t(-1);
    qsizetype t = 0, starText = 0;
    while (t < s.size()) {
        if (p < items.size() && items[p].Kind == PatternItem::AnyText) {
            star = p++;
            starText = t;
        } else if (p < items.size() && items[p].Matches(s[t])) {
            ++p;
            ++t;
        } else if (star != size_t(-1)) {
            p = star + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < items.size() && items[p].Kind == PatternItem::AnyText)
        ++p;
    return p == items.size();
}

bool ParseJetDateTime(const QString& text, double& result) {
    bool valid = false;
    if (ReadUsualDateTime(reinterpret_cast<const char16_t*>(text.utf16()), text.size(), valid,
                          result))
        return valid;
    static const QRegularExpression re(
        R"(^\s*(?:(\d{1,4})[/-](\d{1,2})[/-](\d{1,4}))?\s*(?:,|T)?\s*)"
        R"((?:(\d{1,2}):(\d{1,2})(?::(\d{1,2})(?:\.(\d{1,3})\d*)?)?)?\s*$)");
    const QRegularExpressionMatch m = re.match(text);
    const bool hasDate = m.hasMatch() && !m.captured(1).isEmpty();
    const bool hasTime = m.hasMatch() && !m.captured(4).isEmpty();
    if (!hasDate && !hasTime)
        return false;
    double date = 0, time = 0;
    if (hasDate) {
        int year, month, day;
        if (m.captured(1).size() == 4) {
            year = m.captured(1).toInt();
            month = m.captured(2).toInt();
            day = m.captured(3).toInt();
        } else {
            month = m.captured(1).toInt();
            day = m.captured(2).toInt();
            year = m.captured(3).toInt();
            if (m.captured(3).size() <= 2)
                year += year < 30 ? 2000 : 1900;
        }
        if (!TryEncodeDate(year, month, day, date))
            return false;
    }
    if (hasTime) {
        const int msec = m.captured(7).isEmpty() ? 0 : m.captured(7).leftJustified(3, '0').toInt();
        if (!TryEncodeTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(),
                           msec, time))
            return false;
    }
    result = date + time;
    return true;
}

void RegisterJetFunctions(sqlite3* db) {
    struct Scalar {
        const char* Name;
        int Args;
        void (*Fn)(sqlite3_context*, int, sqlite3_value**);
    };
    const Scalar scalars[] = {
        {"CDbl", 1, CDbl},
        {"CInt", 1, RoundToInt<-32768, 32767>},
        {"CLng", 1, RoundToInt<-2147483648LL, 2147483647LL>},
        {"Year", 1, PartOf<DatePart::Year>},
        {"Month", 1, PartOf<DatePart::Month>},
        {"Day", 1, PartOf<DatePart::Day>},
        {"Hour", 1, PartOf<DatePart::Hour>},
        {"Minute", 1, PartOf<DatePart::Minute>},
        {"Second", 1, PartOf<DatePart::Second>},
        {DateValueFunction, 1, DateValue},
        {DayStartFunction, 4, DayStart},
        {DayRangeExactFunction, 3, DayRangeExact},
        {"like", 2, Like},
    };
    // Harmless, so a client's view may call them in a schema that is not trusted.
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    for (const Scalar& s : scalars)
        sqlite3_create_function_v2(db, s.Name, s.Args, flags, nullptr, s.Fn, nullptr, nullptr,
                                   nullptr);
    sqlite3_create_function_v2(db, "First", 1, SQLITE_UTF8 | SQLITE_INNOCUOUS, nullptr, nullptr,
                               FirstStep, FirstFinal, nullptr);
}
