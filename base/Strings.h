#pragma once

#include <QList>
#include <QStringList>
#include <QVariant>
#include <functional>

// A list of text lines, each with an optional object, that tells when it changes.
class TStrings {
public:
    TStrings() = default;
    TStrings(const TStrings& other) : FLines(other.FLines), FObjects(other.FObjects) {}
    TStrings& operator=(const TStrings& other);
    virtual ~TStrings() = default;

    int Count() const { return int(FLines.size()); }
    const QString& operator[](int index) const { return FLines.at(index); }
    const QString& Strings(int index) const { return FLines.at(index); }
    void SetStrings(int index, const QString& line);
    const QVariant& Objects(int index) const { return FObjects.at(index); }
    const QStringList& Lines() const { return FLines; }

    // The lines joined, each followed by a line break.
    QString Text() const;
    // Splits at CR LF, LF or CR.
    void SetText(const QString& text);

    int Add(const QString& line) { return AddObject(line, QVariant()); }
    int AddObject(const QString& line, const QVariant& object);
    void Insert(int index, const QString& line);
    void Delete(int index);
    void Clear();
    void Assign(const TStrings& other);
    void Assign(const QStringList& lines);
    // Index of the first line equal to `line` ignoring case, or -1.
    int IndexOf(const QString& line) const;

    // Changes between BeginUpdate and the matching EndUpdate fire OnChange once, at the end.
    void BeginUpdate();
    void EndUpdate();
    std::function<void()> OnChanging;
    std::function<void()> OnChange;

protected:
    void Changing();
    void Changed();

private:
    QStringList FLines;
    QList<QVariant> FObjects;
    int FUpdateCount = 0;
    bool FChangedInUpdate = false;
};

using TStringList = TStrings;
