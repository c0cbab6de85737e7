#include "CommRequests.h"

namespace {

bool IsBlank(QChar c) {
    return c.unicode() <= ' ';
}

} // namespace

QString CodeUnitLine(const QString& code, int unit) {
    return code + "," + QString::number(unit);
}

QStringList SplitCommaText(const QString& text) {
    QStringList items;
    int i = 0;
    const int n = int(text.size());
    const auto skipBlanks = [&] {
        while (i < n && IsBlank(text[i]))
            ++i;
    };
    skipBlanks();
    while (i < n) {
        QString item;
        if (text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < n && text[i] != ',' && !IsBlank(text[i]))
                item += text[i++];
        }
        items << item;
        skipBlanks();
        if (i < n && text[i] == ',') {
            ++i;
            skipBlanks();
            if (i == n)
                items << QString();
        }
    }
    return items;
}
