#include "Translations.h"

const Translations::Translation* Translations::Find(const QString& key, quint64 stamp) {
    if (key.isEmpty())
        return nullptr;
    const auto it = FKept.find(key);
    if (it == FKept.end())
        return nullptr;
    if (it->Stamp != stamp) {
        FKept.erase(it);
        return nullptr;
    }
    it->LastUse = ++FUses;
    return &*it;
}

void Translations::Keep(const QString& key, const DialectStatement& source, const QByteArray& text,
                        quint64 stamp) {
    const size_t hash = qHash(key);
    size_t& seen = FSeen[hash % FSeen.size()];
    if (seen != hash) {
        seen = hash;
        return;
    }
    if (FKept.size() >= MaxKept && !FKept.contains(key)) {
        auto oldest = FKept.begin();
        for (auto it = FKept.begin(); it != FKept.end(); ++it)
            if (it->LastUse < oldest->LastUse)
                oldest = it;
        FKept.erase(oldest);
    }
    FKept.insert(key, Translation{source, text, stamp, ++FUses});
}
