#pragma once

#include "Dialect.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <array>

// What a connection translated texts of one statement to, by their reading's key
// (SqlReading::Key): the dialect's statement and its SQLite text, each made under the schemas
// as a stamp was then and taken only while the stamp stands. Row after row of an insert, or a
// query asked again, skips the dialect's work: only the reading of the text is new. A text is
// kept the second time it is seen (a query with its value written in comes once), the least
// used going when there are too many.
class Translations {
public:
    struct Translation {
        DialectStatement Source;
        QByteArray Text;
        quint64 Stamp = 0;
        quint64 LastUse = 0;
    };
    // The translation of the key made under `stamp`, or null.
    const Translation* Find(const QString& key, quint64 stamp);
    void Keep(const QString& key, const DialectStatement& source, const QByteArray& text,
              quint64 stamp);

private:
    static constexpr qsizetype MaxKept = 32;
    QHash<QString, Translation> FKept;
    std::array<size_t, 64> FSeen{}; // hashes of the keys of texts translated lately
    quint64 FUses = 0;
};
