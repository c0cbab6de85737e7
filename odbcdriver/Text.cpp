#include "Text.h"

#include <cstring>

QString InText(const SQLCHAR* text, SQLINTEGER length) {
    if (!text)
        return QString();
    const char* t = reinterpret_cast<const char*>(text);
    return length == SQL_NTS ? QString::fromUtf8(t) : QString::fromUtf8(t, length);
}

SQLRETURN OutText(OdbcHandle* h, const QString& text, SQLPOINTER buffer, SQLLEN bufferLength,
                  SQLSMALLINT* length16, SQLINTEGER* length32) {
    const QByteArray bytes = text.toUtf8();
    if (length16)
        *length16 = SQLSMALLINT(bytes.size());
    if (length32)
        *length32 = SQLINTEGER(bytes.size());
    if (!buffer || bufferLength <= 0)
        return SQL_SUCCESS;
    qsizetype n = qMin<qsizetype>(bytes.size(), bufferLength - 1);
    while (n < bytes.size() && n > 0 && (uchar(bytes[n]) & 0xC0) == 0x80)
        --n;
    memcpy(buffer, bytes.constData(), size_t(n));
    static_cast<char*>(buffer)[n] = 0;
    if (n < bytes.size())
        return h->Post("01004", "String data, right truncated");
    return SQL_SUCCESS;
}
