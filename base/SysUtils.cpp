#include "SysUtils.h"

#include "Component.h"

#include <QRegularExpression>

void Exception::SetMessage(const QString& message) {
    FMessage = message;
    FUtf8.clear();
}

const char* Exception::Utf8() const {
    FUtf8 = FMessage.toUtf8();
    return FUtf8.constData();
}

void DatabaseError(const QString& message, const TComponent* component) {
    if (component && !component->Name().isEmpty())
        throw EDatabaseError(component->Name() + ": " + message);
    throw EDatabaseError(message);
}

QString QuotedStr(const QString& text) {
    QString inner = text;
    return "'" + inner.replace("'", "''") + "'";
}

QString VersionNumbers(const QString& version) {
    static const QRegularExpression numbers(R"(^(\d+)\.(\d+)\.(\d+))");
    const QRegularExpressionMatch match = numbers.match(version);
    if (!match.hasMatch())
        return "0.0.0";
    return match.captured(1) + "." + match.captured(2) + "." + match.captured(3);
}
