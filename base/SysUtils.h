#pragma once

#include <QString>
#include <exception>

class TComponent;

// A failure that carries a message text, the base of every error the programs raise.
class Exception : public std::exception {
public:
    explicit Exception(QString message) : FMessage(std::move(message)) {}
    const QString& Message() const { return FMessage; }
    void SetMessage(const QString& message);
    const char* what() const noexcept override {
        return FUtf8.isEmpty() ? Utf8() : FUtf8.constData();
    }

private:
    const char* Utf8() const;
    QString FMessage;
    mutable QByteArray FUtf8;
};

// A failure of a dataset or a database.
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// A text that is not a number or a date where one was expected.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Raises EDatabaseError; with a component, the message is its name, ": " and the text.
[[noreturn]] void DatabaseError(const QString& message, const TComponent* component = nullptr);

// Text as an SQL string literal: between single quotes, inner single quotes doubled.
QString QuotedStr(const QString& text);

// The first three numbers of a version text ("1.2.3" of "1.2.3.4"), "0.0.0" when it has none.
QString VersionNumbers(const QString& version);
