#include "Unit_CommonText.h"

#include "base/Convert.h"
#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "base/Text.h"

namespace entrance {

namespace {

const QChar kFullWidthBlank(0x3000);
constexpr int kMaxConvertedBytes = 1024;

bool Both(int options, int a, int b) {
    return (options & a) && (options & b);
}

} // namespace

bool IsNumber(const QString& text, int flag) {
    QString digits = text;
    if (flag == 1) {
        const qsizetype dot = digits.indexOf('.');
        if (dot >= 0)
            digits.remove(dot, 1);
    }
    int value;
    return TryStrToInt(digits, value);
}

bool TryDateStr(const QString& text, TDateTime& date) {
    TFormatSettings settings;
    settings.ShortDateFormat = "yyyy/mm/dd";
    settings.DateSeparator = '/';
    return TryStrToDate(text, date, settings);
}

bool IsDateStr(const QString& text) {
    TDateTime date;
    return TryDateStr(text, date);
}

QString IntToStrPadSpace(int number, int width) {
    return QString::number(number).rightJustified(width, ' ');
}

QString IntToStrPadZero(int number, int width) {
    return QString::number(number).rightJustified(width, '0');
}

QString IfThenStr(bool flag, const QString& a, const QString& b) {
    return flag ? a : b;
}

QString LeftStr(const QString& text, int n) {
    return CutCP932(text, n);
}

QString RightStr(const QString& text, int n) {
    if (n <= 0)
        return QString();
    const int length = CP932Length(text);
    if (n >= length)
        return text;
    return MidCP932(text, length - n, n);
}

QString CodePartOf(const QString& item) {
    const qsizetype colon = item.indexOf(':');
    return colon < 0 ? QString() : TrimFull(item.left(colon));
}

QString NamePartOf(const QString& item) {
    const qsizetype colon = item.indexOf(':');
    return colon < 0 ? QString() : item.mid(colon + 1);
}

int CurrentOfficeCode() {
    return 1;
}

QString TrimJ(const QString& text) {
    QString result = text;
    TrimLeftJ(result);
    TrimRightJ(result);
    return result;
}

void TrimLeftJ(QString& text) {
    qsizetype n = 0;
    while (n < text.size() && (text[n] == ' ' || text[n] == kFullWidthBlank))
        ++n;
    text.remove(0, n);
}

void TrimRightJ(QString& text) {
    qsizetype n = text.size();
    while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == kFullWidthBlank))
        --n;
    text.truncate(n);
}

bool IsTrailByteAt(const QString& text, int index) {
    const QByteArray bytes = ToCP932(text);
    if (index < 1 || index > bytes.size())
        throw Exception("Illegal Index");
    // Lead bytes directly before the index: an odd run ends in the lead of this byte.
    int leads = 0;
    for (int i = index - 2; i >= 0 && IsDBCSLeadByte(uchar(bytes[i])); --i)
        ++leads;
    return leads % 2 == 1;
}

QString StrConv(const QString& text, int options) {
    if (Both(options, SC_UPPERCASE, SC_LOWERCASE) || Both(options, SC_FULLWIDTH, SC_HALFWIDTH) ||
        Both(options, SC_KATAKANA, SC_HIRAGANA))
        return QString();
    QString result = text;
    // Widen first so that half-width katakana can become hiragana; narrow last so that
    // hiragana can become half-width katakana.
    if (options & SC_FULLWIDTH)
        result = ToFullWidth(result);
    if (options & SC_KATAKANA)
        result = ToKatakana(result);
    if (options & SC_HIRAGANA)
        result = ToHiragana(result);
    if (options & SC_HALFWIDTH)
        result = ToHalfWidth(result);
    if (options & SC_UPPERCASE)
        result = result.toUpper();
    if (options & SC_LOWERCASE)
        result = result.toLower();
    return CutCP932(result, kMaxConvertedBytes);
}

} // namespace entrance
