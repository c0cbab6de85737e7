#include "CommRequests.h"

#include <algorithm>
#include <iterator>

namespace {

bool IsBlank(QChar c) {
    return c.unicode() <= ' ';
}

} // namespace

quint16 TcpPort(quint16 port) {
    static constexpr quint16 fixed[] = {PORT_START, PORT_GAZOSET, PORT_GAZODELETE, PORT_TANPA};
    const QStringList moved = qEnvironmentVariable(TestPortsVariable).split(',');
    const auto found = std::find(std::begin(fixed), std::end(fixed), port);
    if (moved.size() != qsizetype(std::size(fixed)) || found == std::end(fixed))
        return port;
    bool ok = false;
    const uint to = moved[found - std::begin(fixed)].toUInt(&ok);
    return ok && to > 0 && to <= 0xFFFF ? quint16(to) : port;
}

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
