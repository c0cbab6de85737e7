#include "Strings.h"

#include <QRegularExpression>

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
    QStringList lines = text.split(QRegularExpression("\r\n|\n|\r"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (const QString& line : lines)
        Add(line);
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
