#include "SysUtils.h"

#include "Component.h"

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
