#include "NumberFormat.h"

#include "SysUtils.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>

double StrToFloat(const QString& text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok)
        throw EConvertError(QString("'%1' is not a valid floating point value").arg(text));
    return value;
}

namespace {

// One section of a picture, taken apart.
struct TPicture {
    QString Prefix, Suffix;
    int IntegerZeros = 0;
    int MinDecimals = 0;
    int MaxDecimals = 0;
    bool Grouped = false;
};

// Splits at ";" outside quotes.
QStringList Sections(const QString& format) {
    QStringList sections{QString()};
    QChar quote;
    for (QChar ch : format) {
        if (!quote.isNull()) {
            if (ch == quote)
                quote = QChar();
        } else if (ch == '"' || ch == '\'') {
            quote = ch;
        } else if (ch == ';') {
            sections << QString();
            continue;
        }
        sections.last() += ch;
    }
    return sections;
}

TPicture ParsePicture(const QString& section) {
    TPicture picture;
    bool inDigits = false, afterDigits = false, afterPoint = false;
    QChar quote;
    for (QChar ch : section) {
        if (!quote.isNull()) {
            if (ch == quote)
                quote = QChar();
            else
                (inDigits || afterDigits ? picture.Suffix : picture.Prefix) += ch;
            continue;
        }
        if (ch == '"' || ch == '\'') {
            quote = ch;
            if (inDigits)
                afterDigits = true;
        } else if (ch == '0' || ch == '#') {
            inDigits = true;
            if (afterPoint) {
                ++picture.MaxDecimals;
                if (ch == '0')
                    picture.MinDecimals = picture.MaxDecimals;
            } else if (ch == '0' || picture.IntegerZeros > 0) {
                ++picture.IntegerZeros;
            }
        } else if (ch == '.' && !afterPoint) {
            afterPoint = inDigits = true;
        } else if (ch == ',') {
            picture.Grouped = true;
        } else {
            if (inDigits)
                afterDigits = true;
            (afterDigits ? picture.Suffix : picture.Prefix) += ch;
        }
    }
    return picture;
}

QString Group(const QString& digits) {
    QString out;
    for (int i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

QString Apply(const TPicture& picture, double magnitude) {
    QString text = QString::number(magnitude, 'f', picture.MaxDecimals);
    QString integer = text.section('.', 0, 0);
    QString fraction = text.section('.', 1);
    while (fraction.size() > picture.MinDecimals && fraction.endsWith('0'))
        fraction.chop(1);
    if (integer == "0" && picture.IntegerZeros == 0)
        integer.clear();
    integer = integer.rightJustified(picture.IntegerZeros, '0');
    if (picture.Grouped)
        integer = Group(integer);
    return picture.Prefix + integer + (fraction.isEmpty() ? "" : "." + fraction) + picture.Suffix;
}

} // namespace

QString FormatFloat(const QString& format, double value) {
    if (format.isEmpty())
        return QString::number(value, 'g', 15);
    const QStringList sections = Sections(format);
    if (value == 0 && sections.size() > 2 && !sections[2].isEmpty())
        return Apply(ParsePicture(sections[2]), 0);
    if (value < 0 && sections.size() > 1 && !sections[1].isEmpty())
        return Apply(ParsePicture(sections[1]), -value);
    const QString text = Apply(ParsePicture(sections[0]), std::fabs(value));
    const bool showsDigit = text.contains(QRegularExpression("[1-9]"));
    return value < 0 && showsDigit ? "-" + text : text;
}

QString FormatMaskText(const QString& editMask, const QString& value) {
    const QStringList fields = editMask.split(';');
    const QString mask = fields.value(0);
    const bool keepLiterals = fields.size() < 2 || fields[1] != "0";
    const QChar blank = fields.size() > 2 && !fields[2].isEmpty() ? fields[2][0] : QChar(' ');
    QString out;
    int next = 0;
    int caseMode = 0; // 1 upper, -1 lower
    for (int i = 0; i < mask.size(); ++i) {
        const QChar m = mask[i];
        if (m == '>' || m == '<') {
            const bool both = m == '<' && i + 1 < mask.size() && mask[i + 1] == '>';
            caseMode = both ? 0 : (m == '>' ? 1 : -1);
            i += both ? 1 : 0;
        } else if (m == '!') {
        } else if (QString("09#LlAaCc").contains(m)) {
            QChar ch = next < value.size() ? value[next++] : blank;
            out += caseMode > 0 ? ch.toUpper() : caseMode < 0 ? ch.toLower() : ch;
        } else {
            const QChar literal = m == '\\' && i + 1 < mask.size() ? mask[++i] : m;
            out += literal;
            if (keepLiterals && next < value.size())
                ++next;
        }
    }
    return out;
}
