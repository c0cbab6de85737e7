#include "BindParams.h"

#include "base/Text.h"

namespace {

constexpr int MaxParamNameBytes = 128;

// Walks a statement text and keeps track of whether it is inside a quoted literal.
class TSQLScanner {
public:
    explicit TSQLScanner(const QString& text) : FText(text) {}
    bool AtEnd() const { return FPos >= FText.size(); }
    bool InQuotes() const { return FInQuotes; }
    QChar Peek(int ahead = 0) const {
        return FPos + ahead < FText.size() ? FText.at(FPos + ahead) : QChar();
    }
    bool LooksAt(const QString& part) const {
        return QStringView(FText).mid(FPos).startsWith(part);
    }
    void Skip(int count) { FPos += count; }
    // Copies one character; an escaped quote ('') is copied whole and keeps the state.
    void CopyOne(QString& out) {
        if (Peek() == '\'' && Peek(1) == '\'') {
            out += "''";
            FPos += 2;
            return;
        }
        if (Peek() == '\'')
            FInQuotes = !FInQuotes;
        out += FText.at(FPos++);
    }

private:
    const QString& FText;
    int FPos = 0;
    bool FInQuotes = false;
};

bool EndsParamName(QChar c) {
    return c.isNull() || c.unicode() <= 0x20 || c == ')' || c == ',' || c == ';';
}

} // namespace

TqoParsedSQL ParseSQLText(const QString& text) {
    TqoParsedSQL result;
    TSQLScanner scan(text);
    while (!scan.AtEnd()) {
        if (!scan.InQuotes() && scan.Peek() == ':' && scan.Peek(1).unicode() > 0x20) {
            scan.Skip(1);
            QString name;
            while (!EndsParamName(scan.Peek()))
                scan.CopyOne(name);
            result.DriverText += '?';
            result.Names += CutCP932(name, MaxParamNameBytes);
        } else if (!scan.InQuotes() && scan.Peek() == '?') {
            scan.Skip(1);
            result.DriverText += '?';
            result.Names += QString();
        } else {
            scan.CopyOne(result.DriverText);
        }
    }
    return result;
}

QString ReplaceNullStrings(const QString& text, const QString& nullStrings) {
    const QString quoted = '\'' + nullStrings + '\'';
    QString out;
    TSQLScanner scan(text);
    while (!scan.AtEnd()) {
        if (!scan.InQuotes() && scan.LooksAt(quoted)) {
            out += "NULL";
            scan.Skip(quoted.size());
        } else if (!scan.InQuotes() && scan.LooksAt(nullStrings)) {
            out += "NULL";
            scan.Skip(nullStrings.size());
        } else {
            scan.CopyOne(out);
        }
    }
    return out;
}
