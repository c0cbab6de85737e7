#include "Text.h"

#include <cstring>

QString InText(const SQLCHAR* text, SQLINTEGER length) {
    if (!text)
        return QString();
    const char* t = reinterpret_cast<const char*>(text);
    return length == SQL_NTS ? QString::fromUtf8(t) : QString::fromUtf8(t, length);
}

QString InTextW(const SQLWCHAR* text, SQLINTEGER length) {
    if (!text)
        return QString();
    const auto* t = reinterpret_cast<const char16_t*>(text);
    return length == SQL_NTS ? QString::fromUtf16(t) : QString::fromUtf16(t, length);
}

bool CopyText(const QString& text, const TextOut& out, SQLLEN& whole) {
    // Units: UTF-8 bytes or UTF-16 code units; a unit that continues a character is not cut
    // from the one it continues.
    const QByteArray bytes =
        out.Wide ? QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2)
                 : text.toUtf8();
    const qsizetype unit = out.Wide ? 2 : 1;
    const qsizetype units = bytes.size() / unit;
    whole = out.CountsCharacters ? units : bytes.size();
    if (!out.Buffer || out.Size <= 0)
        return false;
    const qsizetype room = (out.CountsCharacters ? out.Size : out.Size / unit) - 1;
    qsizetype n = qMin<qsizetype>(units, qMax<qsizetype>(room, 0));
    auto continues = [&](qsizetype i) {
        return out.Wide ? QChar::isLowSurrogate(text[i].unicode())
                        : (uchar(bytes[i]) & 0xC0) == 0x80;
    };
    while (n > 0 && n < units && continues(n))
        --n;
    memcpy(out.Buffer, bytes.constData(), size_t(n * unit));
    memset(static_cast<char*>(out.Buffer) + n * unit, 0, size_t(unit));
    return n < units;
}

SQLRETURN OutText(OdbcHandle* h, const QString& text, const TextOut& out, SQLSMALLINT* length16,
                  SQLINTEGER* length32) {
    SQLLEN whole = 0;
    const bool cut = CopyText(text, out, whole);
    if (length16)
        *length16 = SQLSMALLINT(whole);
    if (length32)
        *length32 = SQLINTEGER(whole);
    return cut ? h->Post("01004", "String data, right truncated") : SQL_SUCCESS;
}
