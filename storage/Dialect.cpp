#include "Dialect.h"

#include "JetFunctions.h"
#include "SqlError.h"
#include "base/DateTime.h"

#include <QMap>
#include <QSet>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <sqlite3.h>

namespace {

bool IsIdStart(QChar c) {
    return c == '_' || c.isLetter() || (c.unicode() >= 0x80 && !c.isSpace());
}
bool IsIdChar(QChar c) {
    return IsIdStart(c) || c.isDigit() || c == '$';
}
bool IsHexDigit(QChar c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A quote, bracket or date literal left open: the rest of the text would be read as its
// contents, so the statement is refused as SQLite refuses such a token.
[[noreturn]] void Unterminated(const QString& s, qsizetype i) {
    throw ESqlError(QString("unrecognized token: \"%1\"").arg(s.mid(i)), SQLITE_ERROR, s);
}

// Index of the closing quote of a quoted run starting at `i`; a doubled quote stands for
// itself.
qsizetype QuotedEnd(const QString& s, qsizetype i, QChar quote) {
    qsizetype j = i + 1;
    while (j < s.size()) {
        if (s[j] == quote) {
            if (j + 1 < s.size() && s[j + 1] == quote) {
                j += 2;
                continue;
            }
            return j;
        }
        ++j;
    }
    Unterminated(s, i);
}

QString Unquote(const QString& text, QChar quote) {
    QString inner = text.mid(1, text.size() - 2);
    return inner.replace(QString(2, quote), QString(quote));
}

QString SqlString(const QString& value) {
    QString v = value;
    return "'" + v.replace("'", "''") + "'";
}

QString StripDbSuffix(const QString& name) {
    return name.endsWith(".DB", Qt::CaseInsensitive) ? name.left(name.size() - 3) : name;
}

QString Upper(const SqlToken& t) {
    return t.Type == SqlToken::Word ? t.Text.toUpper() : QString();
}
// `word` is upper-case ASCII.
bool IsWord(const SqlToken& t, const char* word) {
    if (t.Type != SqlToken::Word)
        return false;
    // ASCII letters are compared as they are, without an upper-cased copy; other letters may
    // upper-case to ASCII ones (ı, ß, ligatures), so a word with one takes the copy. A
    // difference before the first of them decides: nothing before it changes its length.
    const QString& text = t.Text;
    qsizetype i = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80)
            return text.toUpper() == QLatin1StringView(word);
        if (word[i] == 0 || (c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c) != char16_t(word[i]))
            return false;
    }
    return word[i] == 0;
}
// The token is one of the words (upper-case ASCII), compared as IsWord compares. Each word
// of a statement is asked against several lists in each of the dialect's passes: an ASCII word
// is upper-cased once here and compared as bytes.
bool IsAnyWord(const SqlToken& t, std::initializer_list<const char*> words) {
    if (t.Type != SqlToken::Word)
        return false;
    constexpr qsizetype Longest = 15;
    char upper[Longest + 1];
    const qsizetype n = t.Text.size();
    qsizetype i = 0;
    for (; i < n && i < Longest; ++i) {
        const char16_t c = t.Text[i].unicode();
        if (c >= 0x80)
            break;
        upper[i] = char(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
    }
    if (i == n) {
        upper[n] = 0;
        return std::any_of(words.begin(), words.end(), [&](const char* w) {
            return w[0] == upper[0] && std::strcmp(w, upper) == 0;
        });
    }
    return std::any_of(words.begin(), words.end(), [&](const char* w) { return IsWord(t, w); });
}
// `s` is ASCII, compared character by character: the passes ask each sign of a statement.
bool IsSymbol(const SqlToken& t, const char* s) {
    if (t.Type != SqlToken::Symbol)
        return false;
    const QString& text = t.Text;
    qsizetype i = 0;
    for (; i < text.size(); ++i)
        if (s[i] == 0 || text[i].unicode() != char16_t(s[i]))
            return false;
    return s[i] == 0;
}
bool IsName(const SqlToken& t) {
    return t.Type == SqlToken::Word || t.Type == SqlToken::Identifier;
}

// The next significant token at or after `i`, or -1.
int NextSignificantFrom(const QList<SqlToken>& tokens, int i) {
    while (i < tokens.size() && tokens[i].Type == SqlToken::Space)
        ++i;
    return i < tokens.size() ? i : -1;
}

// Indexes of the tokens that are not blanks.
QList<int> Significant(const QList<SqlToken>& tokens) {
    QList<int> result(tokens.size());
    int* out = result.data();
    int count = 0;
    for (int i = 0; i < tokens.size(); ++i)
        if (tokens[i].Type != SqlToken::Space)
            out[count++] = i;
    result.resize(count);
    return result;
}

// The text of a token of one ASCII character, shared: most tokens are a blank or a sign, and
// a statement's text is read for every statement.
QString OneCharacter(char16_t c) {
    static const auto characters = [] {
        std::array<char16_t, 128> all{};
        for (int i = 0; i < 128; ++i)
            all[i] = char16_t(i);
        return all;
    }();
    return QString::fromRawData(reinterpret_cast<const QChar*>(&characters[c]), 1);
}

// The significant token `k` stands where a table's name stands: after TABLE, FROM, INTO,
// UPDATE or JOIN, after TABLE IF [NOT] EXISTS, or after RENAME TO.
bool AtTableName(const QList<SqlToken>& tokens, const QList<int>& sig, int k) {
    auto word = [&](int back, std::initializer_list<const char*> words) {
        return k - back >= 0 && IsAnyWord(tokens[sig[k - back]], words);
    };
    if (word(1, {"TABLE", "FROM", "INTO", "UPDATE", "JOIN"}))
        return true;
    if (word(1, {"TO"}))
        return word(2, {"RENAME"});
    if (!word(1, {"EXISTS"}))
        return false;
    return word(2, {"IF"}) ? word(3, {"TABLE"})
                           : word(2, {"NOT"}) && word(3, {"IF"}) && word(4, {"TABLE"});
}

// The text of parameter `number`, "?n", and of a number lifted as a real, "CAST(?n AS REAL)":
// shared for the first hundred, as each row of an insert names its parameters anew.
QString ParameterText(int number, bool real = false) {
    static const auto texts = [] {
        std::array<std::array<QString, 2>, 100> all;
        for (int n = 0; n < 100; ++n)
            all[n] = {"?" + QString::number(n), "CAST(?" + QString::number(n) + " AS REAL)"};
        return all;
    }();
    if (number >= 0 && number < 100)
        return texts[number][real];
    const QString text = "?" + QString::number(number);
    return real ? "CAST(" + text + " AS REAL)" : text;
}

// Double-quoted text: a name where a table's name stands, a string everywhere else; a table
// name written with ".DB" names the table.
void ResolveTableNames(QList<SqlToken>& tokens) {
    const QList<int> sig = Significant(tokens);
    QSet<int> removed;
    for (int k = 0; k < sig.size(); ++k) {
        SqlToken& t = tokens[sig[k]];
        const bool afterTableWord = AtTableName(tokens, sig, k);
        if (t.Type == SqlToken::Identifier && t.Text.startsWith('"')) {
            if (afterTableWord)
                t.Text = "\"" + StripDbSuffix(Unquote(t.Text, '"')).replace("\"", "\"\"") + "\"";
            else
                t = SqlToken{SqlToken::String, SqlString(Unquote(t.Text, '"'))};
        } else if (afterTableWord && t.Type == SqlToken::Word && k + 2 < sig.size() &&
                   IsSymbol(tokens[sig[k + 1]], ".") && IsWord(tokens[sig[k + 2]], "DB") &&
                   !(k + 3 < sig.size() && IsSymbol(tokens[sig[k + 3]], "."))) {
            removed << sig[k + 1] << sig[k + 2];
        }
    }
    for (int i = tokens.size() - 1; i >= 0; --i)
        if (removed.contains(i))
            tokens.removeAt(i);
}

// DELETE * FROM t and DELETE col FROM t: SQLite knows only DELETE FROM t.
void DropDeleteColumns(QList<SqlToken>& tokens) {
    const QList<int> sig = Significant(tokens);
    if (sig.size() < 2 || !IsWord(tokens[sig[0]], "DELETE") || IsWord(tokens[sig[1]], "FROM"))
        return;
    int from = -1;
    for (int k = 1; k < sig.size() && from < 0; ++k)
        if (IsWord(tokens[sig[k]], "FROM"))
            from = sig[k];
    if (from < 0)
        return;
    tokens.erase(tokens.begin() + sig[0] + 1, tokens.begin() + from);
    tokens.insert(sig[0] + 1, SqlToken{SqlToken::Space, " "});
}

// "?" and ":name" become "?n"; a name seen before keeps its number.
void NumberParameters(QList<SqlToken>& tokens, QStringList& parameters) {
    for (SqlToken& t : tokens) {
        if (t.Type != SqlToken::Parameter)
            continue;
        int number;
        if (t.Text == "?") {
            parameters.append(QString());
            number = parameters.size();
        } else {
            const QString name = t.Text.mid(1);
            number = parameters.indexOf(name) + 1;
            if (number == 0) {
                parameters.append(name);
                number = parameters.size();
            }
        }
        t.Text = ParameterText(number);
    }
}

// The names standing where a table stands: after TABLE, FROM, INTO, UPDATE, JOIN and ON (a
// join's condition starts with a table's name, an index's ON names its table), and after a
// comma of a FROM list. Only these are looked for among the folder's files.
QStringList PossibleTables(const QList<SqlToken>& tokens) {
    QStringList names;
    const QList<int> sig = Significant(tokens);
    QList<bool> inFrom = {false}; // per bracket depth: within a FROM list
    for (int k = 1; k < sig.size(); ++k) {
        const SqlToken& before = tokens[sig[k - 1]];
        if (IsSymbol(before, "("))
            inFrom.append(false);
        else if (IsSymbol(before, ")") && inFrom.size() > 1)
            inFrom.removeLast();
        else if (IsWord(before, "FROM"))
            inFrom.last() = true;
        else if (IsAnyWord(before, {"WHERE", "GROUP", "ORDER", "HAVING", "LIMIT", "UNION", "EXCEPT",
                                    "INTERSECT", "ON", "SET"}))
            inFrom.last() = false;
        const SqlToken& t = tokens[sig[k]];
        if (!IsName(t) || !(AtTableName(tokens, sig, k) || IsWord(before, "ON") ||
                            (inFrom.last() && IsSymbol(before, ","))))
            continue;
        const QString name = SqlDialect::NameOf(t);
        if (!names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    }
    return names;
}

// Recognises the statements that create or remove tables and indexes.
void Classify(DialectStatement& st) {
    const QList<int> sig = Significant(st.Tokens);
    auto word = [&](int k, const char* w) {
        return k < sig.size() && IsWord(st.Tokens[sig[k]], w);
    };
    auto nameAt = [&](int k) {
        return k < sig.size() && IsName(st.Tokens[sig[k]]) ? SqlDialect::NameOf(st.Tokens[sig[k]])
                                                           : QString();
    };
    if (word(0, "CREATE") && word(1, "TABLE")) {
        const int k = word(2, "IF") ? 5 : 2;
        st.Kind = DialectStatement::CreateTable;
        st.Table = nameAt(k);
        st.CreatedToken = k < sig.size() ? sig[k] : -1;
    } else if (word(0, "DROP") && word(1, "TABLE")) {
        st.IfExists = word(2, "IF");
        st.Kind = DialectStatement::DropTable;
        st.Table = nameAt(st.IfExists ? 4 : 2);
    } else if (word(0, "ALTER") && word(1, "TABLE")) {
        st.Kind = DialectStatement::AlterTable;
        st.Table = nameAt(2);
        if (word(3, "RENAME") && word(4, "TO") && 5 < sig.size()) {
            const SqlToken& to = st.Tokens[sig[5]];
            st.RenamedTo =
                to.Type == SqlToken::String ? Unquote(to.Text, '\'') : SqlDialect::NameOf(to);
        }
    } else if (word(0, "CREATE") && (word(1, "INDEX") || (word(1, "UNIQUE") && word(2, "INDEX")))) {
        int k = word(1, "UNIQUE") ? 3 : 2;
        if (word(k, "IF"))
            k += 3;
        st.Kind = DialectStatement::CreateIndex;
        st.CreatedToken = k < sig.size() ? sig[k] : -1;
        if (word(k + 1, "ON"))
            st.Table = nameAt(k + 2);
    }
}

// A Jet Yes/No column is False until written, also in rows that exist when it is added.
void DefaultBitColumns(DialectStatement& st) {
    if (st.Kind != DialectStatement::CreateTable && st.Kind != DialectStatement::AlterTable)
        return;
    for (int i = st.Tokens.size() - 1; i >= 0; --i) {
        if (!IsWord(st.Tokens[i], "BIT"))
            continue;
        const int next = NextSignificantFrom(st.Tokens, i + 1);
        if (next < 0 || !IsWord(st.Tokens[next], "DEFAULT"))
            st.Tokens.insert(i + 1, SqlToken{SqlToken::Word, " DEFAULT 0"});
    }
}

// ALTER TABLE t ADD COLUMN a ..., ADD COLUMN b ...: one statement per ADD clause.
QList<QList<SqlToken>> SplitAlterTable(const QList<SqlToken>& tokens) {
    const QList<int> sig = Significant(tokens);
    if (sig.size() < 4 || !IsWord(tokens[sig[0]], "ALTER") || !IsWord(tokens[sig[1]], "TABLE"))
        return {tokens};
    QList<int> commas;
    int depth = 0;
    for (int k = 3; k < sig.size(); ++k) {
        const SqlToken& t = tokens[sig[k]];
        depth += IsSymbol(t, "(") ? 1 : IsSymbol(t, ")") ? -1 : 0;
        if (depth == 0 && IsSymbol(t, ",") && k + 1 < sig.size() &&
            IsWord(tokens[sig[k + 1]], "ADD"))
            commas.append(sig[k]);
    }
    if (commas.isEmpty())
        return {tokens};
    const QList<SqlToken> head = tokens.mid(0, sig[2] + 1);
    QList<QList<SqlToken>> result;
    int start = sig[3];
    commas.append(tokens.size());
    for (int comma : commas) {
        QList<SqlToken> one = head;
        one.append(SqlToken{SqlToken::Space, " "});
        one.append(tokens.mid(start, comma - start));
        result.append(one);
        start = comma + 1;
        while (start < tokens.size() && tokens[start].Type == SqlToken::Space)
            ++start;
    }
    return result;
}

// Splits at ";" outside brackets; blank pieces are dropped. One statement may be followed only
// by blanks and one closing ";".
QList<QList<SqlToken>> SplitStatements(const QList<SqlToken>& tokens, SqlTextForm form,
                                       const QString& sql) {
    QList<QList<SqlToken>> result;
    // Each piece is taken whole from the tokens (a text without ";" is one piece, shared).
    auto flush = [&](qsizetype from, qsizetype to) {
        if (std::any_of(tokens.cbegin() + from, tokens.cbegin() + to,
                        [](const SqlToken& t) { return t.Type != SqlToken::Space; }))
            result.append(tokens.mid(from, to - from));
    };
    bool closed = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const SqlToken& t = tokens[i];
        if (closed && form == SqlTextForm::OneStatement && t.Type != SqlToken::Space)
            throw ESqlError(
                QString("near \"%1\": syntax error: one statement at a time").arg(t.Text),
                SQLITE_ERROR, sql);
        if (IsSymbol(t, ";")) {
            flush(start, i);
            start = i + 1;
            closed = true;
        }
    }
    flush(start, tokens.size());
    return result;
}

SqlToken DateToken(double day) {
    return SqlToken{SqlToken::Number, QString::number(day, 'g', 17)};
}

// The value expressions between top-level commas of tokens[from, to), as index ranges.
QList<QPair<int, int>> SplitTopLevel(const QList<SqlToken>& tokens, int from, int to) {
    QList<QPair<int, int>> parts;
    int depth = 0, start = from;
    for (int i = from; i < to; ++i) {
        const SqlToken& t = tokens[i];
        depth += IsSymbol(t, "(") ? 1 : IsSymbol(t, ")") ? -1 : 0;
        if (depth == 0 && IsSymbol(t, ",")) {
            parts.append({start, i});
            start = i + 1;
        }
    }
    parts.append({start, to});
    return parts;
}

// The index of the ")" that closes the "(" at `open`, or -1.
int Closing(const QList<SqlToken>& tokens, int open) {
    int depth = 0;
    for (int i = open; i < tokens.size(); ++i) {
        depth += IsSymbol(tokens[i], "(") ? 1 : IsSymbol(tokens[i], ")") ? -1 : 0;
        if (depth == 0)
            return i;
    }
    return -1;
}

// The column a "col", "t.col" or "[col]" run names.
QString ColumnOf(const QList<SqlToken>& tokens, int from, int to) {
    QString name;
    for (int i = from; i < to; ++i)
        if (IsName(tokens[i]))
            name = SqlDialect::NameOf(tokens[i]);
    return name;
}

// The kind of an expression given as significant tokens [from, to).
ColumnKind ExpressionKind(const QList<SqlToken>& t, int from, int to,
                          const SqlDialect::ColumnKindLookup& kindOf) {
    static const QHash<QString, ColumnKind> functions = {
        {"CINT", ColumnKind::Smallint},   {"YEAR", ColumnKind::Smallint},
        {"MONTH", ColumnKind::Smallint},  {"DAY", ColumnKind::Smallint},
        {"HOUR", ColumnKind::Smallint},   {"MINUTE", ColumnKind::Smallint},
        {"SECOND", ColumnKind::Smallint}, {"CLNG", ColumnKind::Integer},
        {"COUNT", ColumnKind::Integer},   {"CDBL", ColumnKind::Float},
        {"AVG", ColumnKind::Float}};
    static const QSet<QString> passing = {"FIRST", "LAST", "MIN", "MAX", "SUM"};
    if (to - from >= 2 && IsSymbol(t[from], "(") && Closing(t, from) == to - 1)
        return ExpressionKind(t, from + 1, to - 1, kindOf);
    if (to - from >= 3 && t[from].Type == SqlToken::Word && IsSymbol(t[from + 1], "(") &&
        Closing(t, from + 1) == to - 1) {
        const QString name = t[from].Text.toUpper();
        if (passing.contains(name))
            return ExpressionKind(t, from + 2, to - 1, kindOf);
        return functions.value(name, ColumnKind::Unknown);
    }
    if (to - from == 1 && IsName(t[from]))
        return kindOf(QString(), SqlDialect::NameOf(t[from]));
    if (to - from == 3 && IsName(t[from]) && IsSymbol(t[from + 1], ".") && IsName(t[from + 2]))
        return kindOf(SqlDialect::NameOf(t[from]), SqlDialect::NameOf(t[from + 2]));
    return ColumnKind::Unknown;
}

// The end (exclusive, in `sig`) of a column reference "col" or "t.col" starting at sig[k];
// -1 when there is none.
int ColumnRefEnd(const QList<SqlToken>& tk, const QList<int>& sig, int k) {
    if (k >= sig.size() || !IsName(tk[sig[k]]))
        return -1;
    if (k + 2 < sig.size() && IsSymbol(tk[sig[k + 1]], ".") && IsName(tk[sig[k + 2]]))
        return k + 3;
    return k + 1;
}

// The text of the significant tokens [from, to) of `sig`.
QString SignificantText(const QList<SqlToken>& tk, const QList<int>& sig, int from, int to) {
    QString text;
    for (int k = from; k < to; ++k)
        text += tk[sig[k]].Text;
    return text;
}

// The text names one of the functions the date conditions are rewritten from (UseDateRanges).
bool CallsDateFunctions(const QList<SqlToken>& tk) {
    return std::any_of(tk.cbegin(), tk.cend(), [](const SqlToken& t) {
        return IsAnyWord(t, {"CDBL", "YEAR", "MONTH", "DAY"});
    });
}

bool IsComparison(const SqlToken& t) {
    static const QSet<QString> ops = {"=", "==", "<>", "!=", "<", "<=", ">", ">="};
    return t.Type == SqlToken::Symbol && ops.contains(t.Text);
}

// Words that may stand right before or after a whole condition.
bool BoundsCondition(const SqlToken& t) {
    return IsSymbol(t, "(") || IsSymbol(t, ")") ||
           IsAnyWord(t, {"WHERE", "AND", "OR", "NOT", "ON", "HAVING", "ORDER", "GROUP", "LIMIT",
                         "UNION", "EXCEPT", "INTERSECT"});
}

// The kind of the column a reference [from, to) of `sig` names.
ColumnKind KindOfRef(const QList<SqlToken>& tk, const QList<int>& sig, int from, int to,
                     const SqlDialect::ColumnKindLookup& kindOf) {
    const QString table = to - from == 3 ? SqlDialect::NameOf(tk[sig[from]]) : QString();
    return kindOf(table, SqlDialect::NameOf(tk[sig[to - 1]]));
}

// "CDbl(col) op number" on a date column: the call goes, the column stays. Only where the
// comparison stands alone between condition words, so nothing else takes the call's value.
void UnwrapDateComparisons(QList<SqlToken>& tk, const SqlDialect::ColumnKindLookup& kindOf) {
    const QList<int> sig = Significant(tk);
    for (int k = 0; k + 5 < sig.size(); ++k) {
        if (!IsWord(tk[sig[k]], "CDBL") || !IsSymbol(tk[sig[k + 1]], "(") ||
            (k > 0 && !BoundsCondition(tk[sig[k - 1]])))
            continue;
        const int end = ColumnRefEnd(tk, sig, k + 2);
        if (end < 0 || end + 2 >= sig.size() || !IsSymbol(tk[sig[end]], ")") ||
            !IsComparison(tk[sig[end + 1]]))
            continue;
        int number = end + 2;
        if (IsSymbol(tk[sig[number]], "-") || IsSymbol(tk[sig[number]], "+"))
            ++number;
        if (number >= sig.size() || tk[sig[number]].Type != SqlToken::Number ||
            (number + 1 < sig.size() && !BoundsCondition(tk[sig[number + 1]])) ||
            !IsDateKind(KindOfRef(tk, sig, k + 2, end, kindOf)))
            continue;
        for (const int drop : {sig[k], sig[k + 1], sig[end]})
            tk[drop] = SqlToken{SqlToken::Space, QString()};
    }
}

// One condition "[CInt(]Year|Month|Day(col)[)] = value" in significant tokens [from, to).
struct DatePartCondition {
    int Part = -1; // 0 year, 1 month, 2 day
    QString Column;
    int ColumnFrom = 0, ColumnTo = 0;
    QString Value;
    int First = -1, Last = -1; // the condition's first and last tokens
};

// "[CInt(]Year|Month|Day(col)[)]" from sig[from]: the end of the call (exclusive, in `sig`),
// or -1.
int DatePartCallEnd(const QList<SqlToken>& tk, const QList<int>& sig, int from,
                    DatePartCondition& c) {
    static const QStringList parts = {"YEAR", "MONTH", "DAY"};
    auto symbolAt = [&](int k, const char* symbol) {
        return k < sig.size() && IsSymbol(tk[sig[k]], symbol);
    };
    const bool cint = from < sig.size() && IsWord(tk[sig[from]], "CINT") && symbolAt(from + 1, "(");
    const int k = cint ? from + 2 : from;
    if (k >= sig.size() || !symbolAt(k + 1, "("))
        return -1;
    c.Part = int(parts.indexOf(Upper(tk[sig[k]])));
    const int end = ColumnRefEnd(tk, sig, k + 2);
    if (c.Part < 0 || end < 0 || !symbolAt(end, ")") || (cint && !symbolAt(end + 1, ")")))
        return -1;
    c.ColumnFrom = k + 2;
    c.ColumnTo = end;
    c.Column = SignificantText(tk, sig, k + 2, end).toUpper();
    return cint ? end + 2 : end + 1;
}

// The condition in [from, to) of `sig` without the brackets around it all.
void StripBrackets(const QList<SqlToken>& tk, const QList<int>& sig, int& from, int& to) {
    while (to - from >= 2 && IsSymbol(tk[sig[from]], "(") &&
           Closing(tk, sig[from]) == sig[to - 1]) {
        ++from;
        --to;
    }
}

// "[CInt(]Year|Month|Day(col)[)] = value" in [from, to) of `sig`.
bool MatchDatePart(const QList<SqlToken>& tk, const QList<int>& sig, int from, int to,
                   DatePartCondition& c) {
    StripBrackets(tk, sig, from, to);
    const int k = DatePartCallEnd(tk, sig, from, c);
    if (k < 0 || k + 2 != to || !(IsSymbol(tk[sig[k]], "=") || IsSymbol(tk[sig[k]], "==")))
        return false;
    const SqlToken& value = tk[sig[k + 1]];
    c.Value = value.Text;
    return value.Type == SqlToken::Parameter || value.Type == SqlToken::Number;
}

// The top-level conditions joined by AND of the WHERE at sig[where], as [from, to) of `sig`;
// empty when an OR joins them at that level.
QList<QPair<int, int>> WhereConditions(const QList<SqlToken>& tk, const QList<int>& sig,
                                       int where) {
    QList<QPair<int, int>> conditions;
    int depth = 0, start = where + 1;
    bool between = false;
    int k = where + 1;
    for (; k < sig.size(); ++k) {
        const SqlToken& t = tk[sig[k]];
        if (IsSymbol(t, "(") || IsWord(t, "CASE"))
            ++depth;
        else if (IsSymbol(t, ")") || IsWord(t, "END"))
            --depth;
        if (depth < 0 || (depth == 0 && IsAnyWord(t, {"ORDER", "GROUP", "HAVING", "LIMIT", "UNION",
                                                      "EXCEPT", "INTERSECT", "WINDOW"})))
            break;
        if (depth > 0)
            continue;
        if (IsWord(t, "OR"))
            return {};
        if (IsWord(t, "BETWEEN"))
            between = true;
        else if (IsWord(t, "AND") && between)
            between = false;
        else if (IsWord(t, "AND")) {
            conditions.append({start, k});
            start = k + 1;
        }
    }
    conditions.append({start, k});
    return conditions;
}

// Adds the day's range on the column to a WHERE that holds conditions on its year, month
// and day. The range holds exactly the values of that day, so the conditions are asked only
// where it cannot be made (parts naming no date of 1..9999) and holds every value.
void AddDayRanges(QList<SqlToken>& tk, const SqlDialect::ColumnKindLookup& kindOf) {
    const QList<int> sig = Significant(tk);
    QMap<int, QString> inserts; // token index to insert after, text
    for (int w = 0; w < sig.size(); ++w) {
        if (!IsWord(tk[sig[w]], "WHERE"))
            continue;
        QHash<QString, std::array<DatePartCondition, 3>> found;
        QHash<QString, int> last;
        for (const auto& [from, to] : WhereConditions(tk, sig, w)) {
            DatePartCondition c;
            if (!MatchDatePart(tk, sig, from, to, c))
                continue;
            c.First = sig[from];
            c.Last = sig[to - 1];
            found[c.Column][c.Part] = c;
            last[c.Column] = c.Last;
        }
        for (auto it = found.cbegin(); it != found.cend(); ++it) {
            const auto& [year, month, day] = it.value();
            if (year.Part < 0 || month.Part < 0 || day.Part < 0 ||
                !IsDateKind(KindOfRef(tk, sig, year.ColumnFrom, year.ColumnTo, kindOf)))
                continue;
            const QString parts = QString("%1, %2, %3").arg(year.Value, month.Value, day.Value);
            for (const DatePartCondition& c : it.value()) {
                inserts[c.First - 1] += QString("(%1(%2) OR ").arg(DayRangeExactFunction, parts);
                inserts[c.Last] += ")";
            }
            const QString column = SignificantText(tk, sig, year.ColumnFrom, year.ColumnTo);
            const QString bound = QString("%1(%2, %3)").arg(DayStartFunction, parts);
            inserts[last.value(it.key())] +=
                QString(" AND (%1 >= %2 AND %1 < %3)").arg(column, bound.arg(0), bound.arg(1));
        }
    }
    for (auto it = inserts.cend(); it != inserts.cbegin();) {
        --it;
        tk.insert(it.key() + 1, SqlToken{SqlToken::Symbol, it.value()});
    }
}

// The index (in `sig`) of the first word `word` at bracket depth 0 from sig[from], or -1.
int TopLevelWord(const QList<SqlToken>& tk, const QList<int>& sig, int from, const char* word) {
    int depth = 0;
    for (int k = from; k < sig.size(); ++k) {
        depth += IsSymbol(tk[sig[k]], "(") ? 1 : IsSymbol(tk[sig[k]], ")") ? -1 : 0;
        if (depth == 0 && IsWord(tk[sig[k]], word))
            return k;
    }
    return -1;
}

// "col >= number" or "col < number" in [from, to) of `sig`: the index of the number's token,
// or -1.
int BoundNumber(const QList<SqlToken>& tk, const QList<int>& sig, int from, int to,
                const QString& column, const char* op) {
    StripBrackets(tk, sig, from, to);
    const int end = ColumnRefEnd(tk, sig, from);
    if (end < 0 || end + 2 > to || SignificantText(tk, sig, from, end).toUpper() != column ||
        !IsSymbol(tk[sig[end]], op))
        return -1;
    const int number = to - 1;
    const bool signedNumber = number == end + 2 && (IsSymbol(tk[sig[end + 1]], "-"));
    return (number == end + 1 || signedNumber) && tk[sig[number]].Type == SqlToken::Number ? number
                                                                                           : -1;
}

// The value of a bound's number (with its sign).
double BoundValue(const QList<SqlToken>& tk, const QList<int>& sig, int number) {
    const double v = tk[sig[number]].Text.toDouble();
    return IsSymbol(tk[sig[number - 1]], "-") ? -v : v;
}

// SELECT DISTINCT of the year, month and day of a date column over [lo, hi): rather than read
// every row of the period, one row is looked for in each day through the column's index.
// Every value of a day has the same year, month and day, so the list is the same.
void ListDaysByProbing(QList<SqlToken>& tk, const SqlDialect::ColumnKindLookup& kindOf) {
    constexpr double MaxDays = 400;
    const QList<int> sig = Significant(tk);
    int select = 0; // after EXPLAIN [QUERY PLAN]
    while (select < sig.size() && IsAnyWord(tk[sig[select]], {"EXPLAIN", "QUERY", "PLAN"}))
        ++select;
    if (sig.size() < select + 4 || !IsWord(tk[sig[select]], "SELECT") ||
        !IsWord(tk[sig[select + 1]], "DISTINCT"))
        return;
    const int from = TopLevelWord(tk, sig, select + 2, "FROM");
    const int where = from < 0 ? -1 : TopLevelWord(tk, sig, from, "WHERE");
    if (where < 0)
        return;
    // Each item: a date part of the one column, named with AS.
    QList<DatePartCondition> items;
    for (int k = select + 2; k < from;) {
        DatePartCondition c;
        const int end = DatePartCallEnd(tk, sig, k, c);
        if (end < 0 || end + 2 > from || !IsWord(tk[sig[end]], "AS") || !IsName(tk[sig[end + 1]]) ||
            (!items.isEmpty() && items[0].Column != c.Column))
            return;
        items.append(c);
        k = end + 2;
        if (k < from && !IsSymbol(tk[sig[k++]], ","))
            return;
    }
    const QList<QPair<int, int>> conditions = WhereConditions(tk, sig, where);
    if (items.isEmpty() || conditions.isEmpty() || conditions.last().second != sig.size() ||
        !IsDateKind(KindOfRef(tk, sig, items[0].ColumnFrom, items[0].ColumnTo, kindOf)))
        return;
    int low = -1, high = -1;
    for (const auto& [a, b] : conditions) {
        const int lowHere = BoundNumber(tk, sig, a, b, items[0].Column, ">=");
        const int highHere = BoundNumber(tk, sig, a, b, items[0].Column, "<");
        if ((lowHere >= 0 && low >= 0) || (highHere >= 0 && high >= 0))
            return;
        low = lowHere >= 0 ? lowHere : low;
        high = highHere >= 0 ? highHere : high;
    }
    if (low < 0 || high < 0)
        return;
    const double lo = BoundValue(tk, sig, low), hi = BoundValue(tk, sig, high);
    if (!(hi - lo <= MaxDays) || !(std::fabs(lo) < 1e7) || !(std::fabs(hi) < 1e7))
        return;
    // The period cut at the days' first values.
    QStringList days;
    for (double day = DateOf(lo); lo < hi && day <= DateOf(std::nextafter(hi, lo)); ++day) {
        const double a = std::max(FirstValueOfDay(qint64(day)), lo);
        const double b = std::min(FirstValueOfDay(qint64(day) + 1), hi);
        if (a < b)
            days << QString("(%1, %2)")
                        .arg(QString::number(a, 'g', 17), QString::number(b, 'g', 17));
    }
    if (days.isEmpty())
        return;
    const QString column = SignificantText(tk, sig, items[0].ColumnFrom, items[0].ColumnTo);
    QList<SqlToken> probe = tk;
    for (const DatePartCondition& c : items)
        for (int k = c.ColumnFrom; k < c.ColumnTo; ++k)
            probe[sig[k]] = k == c.ColumnFrom ? SqlToken{SqlToken::Word, "zz_x"}
                                              : SqlToken{SqlToken::Space, QString()};
    probe[sig[low]].Text = "zz_days.column1";
    probe[sig[high]].Text = "zz_days.column2";
    for (const int sign : {low - 1, high - 1})
        if (IsSymbol(probe[sig[sign]], "-"))
            probe[sig[sign]].Text.clear();
    QList<SqlToken> result = probe.mid(0, sig[from]);
    result.append(SqlToken{SqlToken::Symbol, "FROM (SELECT (SELECT " + column + " "});
    result.append(probe.mid(sig[from]));
    result.append(SqlToken{SqlToken::Symbol, "\nLIMIT 1) AS zz_x FROM (VALUES " + days.join(", ") +
                                                 ") AS zz_days) WHERE zz_x IS NOT NULL"});
    tk = result;
}

} // namespace

QString DialectStatement::Text(const QString& schema) const {
    QString text;
    for (int i = 0; i < Tokens.size(); ++i) {
        if (i == CreatedToken && !schema.isEmpty())
            text += "\"" + schema + "\".";
        text += Tokens[i].Text;
    }
    return text;
}

bool DialectStatement::IsVerb(std::initializer_list<const char*> words) const {
    const int first = NextSignificantFrom(Tokens, 0);
    return first >= 0 && IsAnyWord(Tokens[first], words);
}

QString DialectStatement::Verb() const {
    for (const SqlToken& t : Tokens)
        if (t.Type != SqlToken::Space)
            return t.Text.toUpper();
    return QString();
}

QList<SqlToken> SqlDialect::Tokenize(const QString& s) {
    QList<SqlToken> tokens;
    tokens.reserve(s.size() / 2 + 1);
    qsizetype i = 0;
    const qsizetype n = s.size();
    auto at = [&](qsizetype k) { return k < n ? s[k] : QChar(); };
    while (i < n) {
        const QChar c = s[i];
        qsizetype j = i + 1;
        SqlToken::TokenType type = SqlToken::Symbol;
        if (c.isSpace()) {
            while (j < n && s[j].isSpace())
                ++j;
            type = SqlToken::Space;
        } else if (c == '-' && at(i + 1) == '-') {
            while (j < n && s[j] != '\n')
                ++j;
            type = SqlToken::Space;
        } else if (c == '/' && at(i + 1) == '*') {
            // As SQLite reads it: a comment left open runs to the end.
            const qsizetype close = s.indexOf(QLatin1String("*/"), i + 2);
            j = close < 0 ? n : close + 2;
            type = SqlToken::Space;
        } else if (c == '0' && (at(i + 1) == 'x' || at(i + 1) == 'X') && IsHexDigit(at(i + 2))) {
            j = i + 2;
            while (j < n && IsHexDigit(s[j]))
                ++j;
            type = SqlToken::Number;
        } else if (c == '\'' || c == '"' || c == '`') {
            j = QuotedEnd(s, i, c) + 1;
            type = c == '\'' ? SqlToken::String : SqlToken::Identifier;
        } else if (c == '[') {
            j = s.indexOf(']', i);
            if (j < 0)
                Unterminated(s, i);
            ++j;
            type = SqlToken::Identifier;
        } else if (c == '#') {
            const qsizetype close = s.indexOf('#', i + 1);
            if (close < 0)
                Unterminated(s, i);
            double day;
            if (ParseJetDateTime(s.mid(i + 1, close - i - 1), day)) {
                tokens.append(DateToken(day));
                i = close + 1;
                continue;
            }
        } else if (c.isDigit() || (c == '.' && at(i + 1).isDigit())) {
            while (j < n && (s[j].isDigit() || s[j] == '.'))
                ++j;
            if ((at(j) == 'e' || at(j) == 'E') &&
                (at(j + 1).isDigit() ||
                 ((at(j + 1) == '+' || at(j + 1) == '-') && at(j + 2).isDigit()))) {
                j += 2;
                while (j < n && s[j].isDigit())
                    ++j;
            }
            type = SqlToken::Number;
        } else if (c == ':' && IsIdStart(at(i + 1))) {
            while (j < n && IsIdChar(s[j]))
                ++j;
            type = SqlToken::Parameter;
        } else if (c == '?') {
            type = SqlToken::Parameter;
        } else if (IsIdStart(c)) {
            while (j < n && IsIdChar(s[j]))
                ++j;
            type = SqlToken::Word;
        } else {
            // The signs of two characters: <> <= >= != == || << >>.
            const QChar next = at(i + 1);
            if ((c == '<' && (next == '>' || next == '=' || next == '<')) ||
                (c == '>' && (next == '=' || next == '>')) ||
                (next == '=' && (c == '!' || c == '=')) || (c == '|' && next == '|'))
                j = i + 2;
        }
        tokens.append(SqlToken{type, j == i + 1 && c.unicode() < 128 ? OneCharacter(c.unicode())
                                                                     : s.mid(i, j - i)});
        i = j;
    }
    return tokens;
}

QString SqlDialect::NameOf(const SqlToken& token) {
    QString name = token.Text;
    if (token.Type == SqlToken::Identifier)
        name = token.Text.startsWith('[') ? token.Text.mid(1, token.Text.size() - 2)
                                          : Unquote(token.Text, token.Text[0]);
    return StripDbSuffix(name);
}

namespace {

// The text's statements as tokens, the parameters numbered.
QList<QList<SqlToken>> Pieces(const QString& sql, QStringList& parameters, SqlTextForm form) {
    // SQLite reads a text only up to a NUL: what follows would be dropped unseen.
    if (sql.contains(QChar(0)))
        throw ESqlError("unrecognized token: a NUL character in the statement text", SQLITE_ERROR,
                        sql);
    QList<SqlToken> tokens = SqlDialect::Tokenize(sql);
    NumberParameters(tokens, parameters);
    return SplitStatements(tokens, form, sql);
}

// Appends the statements of one piece, each with the values lifted from the piece.
void TranslatePiece(QList<SqlToken> piece, const QList<QVariant>& literals,
                    QList<DialectStatement>& result) {
    ResolveTableNames(piece);
    DropDeleteColumns(piece);
    for (const QList<SqlToken>& one : SplitAlterTable(piece)) {
        DialectStatement st;
        st.Tokens = one;
        Classify(st);
        DefaultBitColumns(st);
        st.Names = PossibleTables(st.Tokens);
        st.Literals = literals;
        result.append(st);
    }
}

} // namespace

QList<DialectStatement> SqlDialect::Translate(const QString& sql, QStringList& parameters,
                                              SqlTextForm form) {
    QList<DialectStatement> result;
    for (const QList<SqlToken>& piece : Pieces(sql, parameters, form))
        TranslatePiece(piece, {}, result);
    return result;
}

SqlReading SqlDialect::Read(const QString& sql, SqlTextForm form) {
    SqlReading reading;
    reading.Pieces = Pieces(sql, reading.Parameters, form);
    const int firstLifted = int(reading.Parameters.size()) + 1;
    for (QList<SqlToken>& piece : reading.Pieces) {
        DialectStatement lifting;
        lifting.Tokens = std::move(piece);
        reading.Literals.append(LiftValues(lifting, firstLifted));
        piece = std::move(lifting.Tokens);
    }
    if (reading.Pieces.size() != 1)
        return reading;
    // A text with nothing lifted is its own key; one with values lifted is the text with them
    // as parameters, and its parameters' names, apart by NULs, which no text holds.
    if (reading.Literals.first().isEmpty()) {
        reading.Key = sql;
        return reading;
    }
    // Written in place: a key is made for every text a client sends.
    qsizetype size = 1;
    for (const SqlToken& t : reading.Pieces.first())
        size += t.Text.size();
    for (const QString& name : reading.Parameters)
        size += 1 + name.size();
    reading.Key.resize(size);
    QChar* out = reading.Key.data();
    auto put = [&out](const QString& text) {
        std::copy(text.cbegin(), text.cend(), out);
        out += text.size();
    };
    for (const SqlToken& t : reading.Pieces.first())
        put(t.Text);
    for (const QString& name : reading.Parameters) {
        *out++ = QChar(0);
        put(name);
    }
    *out = QChar(0);
    return reading;
}

QList<DialectStatement> SqlDialect::Translate(const SqlReading& reading) {
    QList<DialectStatement> result;
    for (qsizetype i = 0; i < reading.Pieces.size(); ++i)
        TranslatePiece(reading.Pieces[i], reading.Literals[i], result);
    return result;
}

void SqlDialect::WrapDateValues(DialectStatement& st, const ColumnKindLookup& kindOf) {
    QList<SqlToken>& tk = st.Tokens;
    const QList<int> sig = Significant(tk);
    if (sig.size() < 3)
        return;
    // Each value range [first, last) that goes into a date column, last range first.
    QList<QPair<int, int>> wrap;
    const bool insert = IsWord(tk[sig[0]], "INSERT");
    if (insert && IsWord(tk[sig[1]], "INTO") && sig.size() > 3 && IsSymbol(tk[sig[3]], "(")) {
        const QString table = NameOf(tk[sig[2]]);
        const int close = Closing(tk, sig[3]);
        if (close < 0)
            return;
        QList<ColumnKind> kinds;
        for (const auto& [a, b] : SplitTopLevel(tk, sig[3] + 1, close))
            kinds.append(kindOf(table, ColumnOf(tk, a, b)));
        int i = NextSignificantFrom(tk, close + 1);
        if (i < 0 || !IsWord(tk[i], "VALUES"))
            return;
        for (i = NextSignificantFrom(tk, i + 1); i >= 0 && IsSymbol(tk[i], "(");) {
            const int end = Closing(tk, i);
            if (end < 0)
                return;
            const auto values = SplitTopLevel(tk, i + 1, end);
            for (int v = 0; v < values.size() && v < kinds.size(); ++v)
                if (IsDateKind(kinds[v]))
                    wrap.prepend(values[v]);
            i = NextSignificantFrom(tk, end + 1);
            if (i >= 0 && IsSymbol(tk[i], ","))
                i = NextSignificantFrom(tk, i + 1);
        }
    } else if (IsWord(tk[sig[0]], "UPDATE") && IsWord(tk[sig[2]], "SET")) {
        const QString table = NameOf(tk[sig[1]]);
        int end = tk.size(), depth = 0;
        for (int i = sig[2] + 1; i < tk.size() && end == tk.size(); ++i) {
            depth += IsSymbol(tk[i], "(") ? 1 : IsSymbol(tk[i], ")") ? -1 : 0;
            if (depth == 0 && IsWord(tk[i], "WHERE"))
                end = i;
        }
        for (const auto& [a, b] : SplitTopLevel(tk, sig[2] + 1, end)) {
            int eq = a;
            while (eq < b && !IsSymbol(tk[eq], "="))
                ++eq;
            if (eq < b && IsDateKind(kindOf(table, ColumnOf(tk, a, eq))))
                wrap.prepend({eq + 1, b});
        }
    }
    for (const auto& [a, b] : wrap) {
        tk.insert(b, SqlToken{SqlToken::Symbol, ")"});
        tk.insert(a, SqlToken{SqlToken::Symbol, QString(DateValueFunction) + "("});
    }
}

void SqlDialect::UseDateRanges(DialectStatement& st, const ColumnKindLookup& kindOf) {
    if (!CallsDateFunctions(st.Tokens))
        return;
    UnwrapDateComparisons(st.Tokens, kindOf);
    AddDayRanges(st.Tokens, kindOf);
    ListDaysByProbing(st.Tokens, kindOf);
}

namespace {

// Turns a text or whole number into the parameter `number`, and where `reals` is set also a
// number with a fraction or an exponent; false for anything else. Such a number stays a text
// that SQLite's CAST reads, as it reads the number in a statement's text, to the same value: a
// value stored is the same to the last bit. (A comparison would differ: a CAST has the REAL
// affinity, a number in the text none.)
bool LiftValue(SqlToken& t, int number, QList<QVariant>& values, bool reals) {
    if (t.Type == SqlToken::String && t.Text.size() >= 2 && t.Text.endsWith('\''))
        values.append(Unquote(t.Text, '\''));
    else if (t.Type == SqlToken::Number && t.Text.size() <= 18 &&
             std::all_of(t.Text.cbegin(), t.Text.cend(), [](QChar c) { return c.isDigit(); }))
        values.append(t.Text.toLongLong());
    else if (reals && t.Type == SqlToken::Number && !t.Text.startsWith(QLatin1String("0x")) &&
             !t.Text.startsWith(QLatin1String("0X")) &&
             std::any_of(t.Text.cbegin(), t.Text.cend(),
                         [](QChar c) { return c == '.' || c == 'e' || c == 'E'; })) {
        values.append(t.Text);
        t = SqlToken{SqlToken::Parameter, ParameterText(number, true)};
        return true;
    } else {
        return false;
    }
    t = SqlToken{SqlToken::Parameter, ParameterText(number)};
    return true;
}

// The values an INSERT ... VALUES writes: each alone in its place of a row.
void LiftInsertValues(QList<SqlToken>& tk, const QList<int>& sig, int firstNumber,
                      QList<QVariant>& values) {
    const int keyword = TopLevelWord(tk, sig, 1, "VALUES");
    int i = keyword < 0 ? -1 : NextSignificantFrom(tk, sig[keyword] + 1);
    while (i >= 0 && IsSymbol(tk[i], "(")) {
        const int end = Closing(tk, i);
        if (end < 0)
            return;
        for (const auto& [a, b] : SplitTopLevel(tk, i + 1, end)) {
            const int first = NextSignificantFrom(tk, a);
            const int second = first < 0 ? -1 : NextSignificantFrom(tk, first + 1);
            if (first >= 0 && first < b && (second < 0 || second >= b))
                LiftValue(tk[first], firstNumber + int(values.size()), values, true);
        }
        i = NextSignificantFrom(tk, end + 1);
        if (i >= 0 && IsSymbol(tk[i], ","))
            i = NextSignificantFrom(tk, i + 1);
    }
}

// The values the top-level WHERE compares with (right after "=", "<", ...): a value there
// means the same bound, while one in a select list names its column and one after ORDER BY
// or GROUP BY a column's place. The date conditions the dialect rewrites read their numbers,
// so a statement calling the date functions keeps its values.
void LiftComparedValues(QList<SqlToken>& tk, const QList<int>& sig, int firstNumber,
                        QList<QVariant>& values) {
    if (CallsDateFunctions(tk))
        return;
    const int where = TopLevelWord(tk, sig, 1, "WHERE");
    int depth = 0;
    for (int k = where + 1; where >= 0 && k < sig.size(); ++k) {
        SqlToken& t = tk[sig[k]];
        depth += IsSymbol(t, "(") ? 1 : IsSymbol(t, ")") ? -1 : 0;
        if (depth < 0 || (depth == 0 && IsAnyWord(t, {"GROUP", "ORDER", "HAVING", "LIMIT", "UNION",
                                                      "EXCEPT", "INTERSECT", "WINDOW"})))
            return;
        if (IsComparison(tk[sig[k - 1]]))
            LiftValue(t, firstNumber + int(values.size()), values, false);
    }
}

} // namespace

QList<QVariant> SqlDialect::LiftValues(DialectStatement& st, int firstNumber) {
    QList<SqlToken>& tk = st.Tokens;
    const QList<int> sig = Significant(tk);
    QList<QVariant> values;
    if (sig.isEmpty())
        return values;
    if (IsWord(tk[sig[0]], "INSERT"))
        LiftInsertValues(tk, sig, firstNumber, values);
    else if (IsAnyWord(tk[sig[0]], {"SELECT", "UPDATE", "DELETE"}))
        LiftComparedValues(tk, sig, firstNumber, values);
    return values;
}

QList<ColumnKind> SqlDialect::SelectListKinds(const DialectStatement& st,
                                              const ColumnKindLookup& kindOf) {
    QList<SqlToken> t;
    for (const SqlToken& token : st.Tokens)
        if (token.Type != SqlToken::Space)
            t.append(token);
    if (t.isEmpty() || !IsWord(t[0], "SELECT"))
        return {};
    int start = 1;
    while (start < t.size() && (IsWord(t[start], "DISTINCT") || IsWord(t[start], "ALL")))
        ++start;
    int end = start, depth = 0;
    for (; end < t.size(); ++end) {
        depth += IsSymbol(t[end], "(") ? 1 : IsSymbol(t[end], ")") ? -1 : 0;
        if (depth == 0 && IsWord(t[end], "FROM"))
            break;
    }
    QList<ColumnKind> kinds;
    for (auto [a, b] : SplitTopLevel(t, start, end)) {
        if (b - a >= 3 && IsWord(t[b - 2], "AS"))
            b -= 2;
        kinds.append(ExpressionKind(t, a, b, kindOf));
    }
    return kinds;
}
