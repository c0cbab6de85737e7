#pragma once

#include <QString>
#include <QStringList>

// Who may read an INI file the program writes.
enum class TIniAccess {
    Everyone, // as the user's file mask leaves it
    OwnerOnly // the owner alone (0600), for a file that holds a password
};

// A private profile file: [section] and key=value lines, names compared without case.
// Every read looks at the file as it is now and every write stores it at once, under a
// lock, so two programs can share one file. Each write gives the file its access again.
class TIniFile {
public:
    explicit TIniFile(const QString& fileName, TIniAccess access = TIniAccess::Everyone)
        : FFileName(fileName), FAccess(access) {}
    const QString& FileName() const { return FFileName; }

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    void DeleteKey(const QString& section, const QString& key);
    void EraseSection(const QString& section);
    // The keys of one section, in file order.
    QStringList ReadSection(const QString& section) const;

private:
    QString FFileName;
    TIniAccess FAccess;
};
