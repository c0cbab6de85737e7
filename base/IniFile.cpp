#include "IniFile.h"

#include "SysUtils.h"
#include "Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <functional>

namespace {

struct Entry {
    QString key;
    QString value;
};

struct Section {
    QString name;
    QList<Entry> entries;
};

// The parsed file; sections and keys keep their order and spelling.
struct Document {
    QList<Section> sections;

    Section* Find(const QString& name) {
        for (Section& s : sections)
            if (s.name.compare(name, Qt::CaseInsensitive) == 0)
                return &s;
        return nullptr;
    }

    static Entry* FindKey(Section* s, const QString& key) {
        if (s)
            for (Entry& e : s->entries)
                if (e.key.compare(key, Qt::CaseInsensitive) == 0)
                    return &e;
        return nullptr;
    }
};

// A value with blanks at either end, or quotes round it, is written quoted, so it reads
// back exactly; one pair of quotes round a value is taken off, as Windows does.
QString Quote(const QString& value) {
    const bool quote =
        !value.isEmpty() && (value.front().isSpace() || value.back().isSpace() ||
                             (value.size() > 1 && value.front() == '"' && value.back() == '"'));
    return quote ? '"' + value + '"' : value;
}

QString Unquote(const QString& value) {
    if (value.size() > 1 && value.front() == '"' && value.back() == '"')
        return value.mid(1, value.size() - 2);
    return value;
}

Document Load(const QString& fileName) {
    Document doc;
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return doc;
    Section* current = nullptr;
    for (QString line : DecodeTextFile(f.readAll()).split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            const QString name = line.mid(1, line.size() - 2).trimmed();
            current = doc.Find(name);
            if (!current) {
                doc.sections.append({name, {}});
                current = &doc.sections.last();
            }
            continue;
        }
        const int eq = int(line.indexOf('='));
        if (!current || eq < 0)
            continue;
        current->entries.append({line.left(eq).trimmed(), Unquote(line.mid(eq + 1).trimmed())});
    }
    return doc;
}

void Save(const QString& fileName, const Document& doc, TIniAccess access) {
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QString text;
    for (const Section& s : doc.sections) {
        text += '[' + s.name + "]\n";
        for (const Entry& e : s.entries)
            text += e.key + '=' + Quote(e.value) + '\n';
        text += '\n';
    }
    QSaveFile f(fileName);
    // The new file takes the access before a byte is written; it replaces the old one whole.
    const bool opened = f.open(QIODevice::WriteOnly) &&
                        (access == TIniAccess::Everyone ||
                         f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    if (!opened || f.write(text.toUtf8()) < 0 || !f.commit())
        throw Exception("Unable to write to " + fileName);
}

// Reads, changes and writes the file while holding its lock.
void Change(const QString& fileName, TIniAccess access,
            const std::function<void(Document&)>& change) {
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QLockFile lock(fileName + ".lock");
    lock.setStaleLockTime(5000);
    if (!lock.tryLock(5000))
        throw Exception("Unable to write to " + fileName);
    Document doc = Load(fileName);
    change(doc);
    Save(fileName, doc, access);
}

} // namespace

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    Document doc = Load(FFileName);
    const Entry* e = Document::FindKey(doc.Find(section), key);
    return e ? e->value : def;
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    bool ok = false;
    const QString text = ReadString(section, key, QString());
    const int value =
        text.startsWith("0x", Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16) : text.toInt(&ok);
    return ok ? value : def;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    Change(FFileName, FAccess, [&](Document& doc) {
        Section* s = doc.Find(section);
        if (!s) {
            doc.sections.append({section, {}});
            s = &doc.sections.last();
        }
        if (Entry* e = Document::FindKey(s, key))
            e->value = value;
        else
            s->entries.append({key, value});
    });
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

bool TIniFile::SectionExists(const QString& section) const {
    Document doc = Load(FFileName);
    return doc.Find(section) != nullptr;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    Document doc = Load(FFileName);
    return Document::FindKey(doc.Find(section), key) != nullptr;
}

void TIniFile::DeleteKey(const QString& section, const QString& key) {
    Change(FFileName, FAccess, [&](Document& doc) {
        if (Section* s = doc.Find(section))
            s->entries.removeIf(
                [&](const Entry& e) { return e.key.compare(key, Qt::CaseInsensitive) == 0; });
    });
}

void TIniFile::EraseSection(const QString& section) {
    Change(FFileName, FAccess, [&](Document& doc) {
        doc.sections.removeIf(
            [&](const Section& s) { return s.name.compare(section, Qt::CaseInsensitive) == 0; });
    });
}

QStringList TIniFile::ReadSection(const QString& section) const {
    Document doc = Load(FFileName);
    QStringList keys;
    if (Section* s = doc.Find(section))
        for (const Entry& e : s->entries)
            keys.append(e.key);
    return keys;
}
