#include "Text.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unicode/translit.h>
#include <unicode/unistr.h>

namespace {

constexpr const char* kCodePage = "windows-31j";

bool IsBlank(QChar c) {
    return c.unicode() <= ' ' || c.unicode() == 0x3000;
}

// Runs one ICU transform; transliterators are not thread-safe, so each use is locked.
QString Transform(const char* id, const QString& text) {
    struct Entry {
        std::unique_ptr<icu::Transliterator> t;
        std::mutex lock;
    };
    static std::mutex tableLock;
    static std::map<std::string, std::unique_ptr<Entry>> table;
    Entry* entry;
    {
        std::lock_guard<std::mutex> g(tableLock);
        auto& slot = table[id];
        if (!slot) {
            slot = std::make_unique<Entry>();
            UErrorCode status = U_ZERO_ERROR;
            slot->t.reset(icu::Transliterator::createInstance(icu::UnicodeString::fromUTF8(id),
                                                              UTRANS_FORWARD, status));
            if (U_FAILURE(status))
                slot->t.reset();
        }
        entry = slot.get();
    }
    if (!entry->t)
        return text;
    icu::UnicodeString s(reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()));
    {
        std::lock_guard<std::mutex> g(entry->lock);
        entry->t->transliterate(s);
    }
    return QString(reinterpret_cast<const QChar*>(s.getBuffer()), s.length());
}

} // namespace

QByteArray ToCP932(const QString& text) {
    QStringEncoder encoder(kCodePage);
    return encoder.encode(text);
}

QString FromCP932(const QByteArray& bytes) {
    QStringDecoder decoder(kCodePage);
    return decoder.decode(bytes);
}

QString DecodeTextFile(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? FromCP932(bytes) : text;
}

int CP932Length(const QString& text) {
    return int(ToCP932(text).size());
}

bool IsDBCSLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

QString CutCP932(const QString& text, int bytes) {
    return MidCP932(text, 0, bytes);
}

QString MidCP932(const QString& text, int start, int bytes) {
    QString out;
    int pos = 0;
    for (int i = 0; i < text.size(); ++i) {
        QString ch = text.mid(i, 1);
        if (text[i].isHighSurrogate() && i + 1 < text.size())
            ch = text.mid(i++, 2);
        const int width = CP932Length(ch);
        if (pos >= start && pos + width <= start + bytes)
            out += ch;
        pos += width;
        if (pos >= start + bytes)
            break;
    }
    return out;
}

QString TrimLeftFull(const QString& text) {
    int i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return text.mid(i);
}

QString TrimRightFull(const QString& text) {
    int n = int(text.size());
    while (n > 0 && IsBlank(text[n - 1]))
        --n;
    return text.left(n);
}

QString TrimFull(const QString& text) {
    return TrimLeftFull(TrimRightFull(text));
}

QString ToFullWidth(const QString& text) {
    // Half-width voiced marks become combining marks; compose them with their kana.
    return Transform("Halfwidth-Fullwidth", text).normalized(QString::NormalizationForm_C);
}

QString ToHalfWidth(const QString& text) {
    return Transform("Fullwidth-Halfwidth", text);
}

QString ToKatakana(const QString& text) {
    return Transform("Hiragana-Katakana", text);
}

QString ToHiragana(const QString& text) {
    return Transform("Katakana-Hiragana", text);
}
