#include "Strings.h"

TStrings& TStrings::operator=(const TStrings& other) {
    Assign(other);
    return *this;
}

void TStrings::SetStrings(int index, const QString& line) {
    Changing();
    FLines[index] = line;
    Changed();
}

QString TStrings::Text() const {
    QString text;
    for (const QString& line : FLines)
        text += line + "\r\n";
    return text;
}

void TStrings::SetText(const QString& text) {
    BeginUpdate();
    Clear();
    // A line ends with CR LF, LF or CR; a break at the very end starts no further line. Split by
    // hand: queries set their text for every statement, and a pattern would be compiled each time.
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        Add(text.mid(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        Add(text.mid(start));
    EndUpdate();
}

int TStrings::AddObject(const QString& line, const QVariant& object) {
    Changing();
    FLines.append(line);
    FObjects.append(object);
    Changed();
    return Count() - 1;
}

void TStrings::Insert(int index, const QString& line) {
    Changing();
    FLines.insert(index, line);
    FObjects.insert(index, QVariant());
    Changed();
}

void TStrings::Delete(int index) {
    Changing();
    FLines.removeAt(index);
    FObjects.removeAt(index);
    Changed();
}

void TStrings::Clear() {
    if (FLines.isEmpty())
        return;
    Changing();
    FLines.clear();
    FObjects.clear();
    Changed();
}

void TStrings::Assign(const TStrings& other) {
    if (&other == this)
        return;
    Changing();
    FLines = other.FLines;
    FObjects = other.FObjects;
    Changed();
}

void TStrings::Assign(const QStringList& lines) {
    Changing();
    FLines = lines;
    FObjects = QList<QVariant>(lines.size());
    Changed();
}

int TStrings::IndexOf(const QString& line) const {
    for (int i = 0; i < Count(); ++i)
        if (FLines[i].compare(line, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TStrings::BeginUpdate() {
    if (FUpdateCount == 0) {
        FChangedInUpdate = false;
        if (OnChanging)
            OnChanging();
    }
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (--FUpdateCount == 0 && FChangedInUpdate && OnChange)
        OnChange();
}

void TStrings::Changing() {
    if (FUpdateCount == 0 && OnChanging)
        OnChanging();
}

void TStrings::Changed() {
    if (FUpdateCount > 0)
        FChangedInUpdate = true;
    else if (OnChange)
        OnChange();
}
