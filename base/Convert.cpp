#include "Convert.h"

#include "SysUtils.h"

#include <limits>

bool TryStrToInt(const QString& text, int& value) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    if (i == text.size())
        return false;
    // Accumulate as a negative number so that the lowest 32-bit value fits too.
    qint64 n = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < '0' || c > '9')
            return false;
        n = n * 10 - (c - '0');
        if (n < qint64(std::numeric_limits<int>::min()))
            return false;
    }
    if (!negative && -n > qint64(std::numeric_limits<int>::max()))
        return false;
    value = int(negative ? n : -n);
    return true;
}

int StrToInt(const QString& text) {
    int value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}
