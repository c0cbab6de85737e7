#pragma once

#include <QFile>
#include <QString>

// The page file of one preview: "vLR" + n in hexadecimal + ".TMP" in the temporary folder, for
// the first n = 1, 2, 3 ... whose file no running preview holds. A file left by a crashed run
// is taken over. The file stays locked while this object lives and is deleted with it, so two
// previews, in one program or two, never share a file.
class TLRPageFile final {
public:
    // Raises Exception when no page file can be created.
    TLRPageFile();
    ~TLRPageFile();
    TLRPageFile(const TLRPageFile&) = delete;
    TLRPageFile& operator=(const TLRPageFile&) = delete;

    QFile& File() { return FFile; }
    const QString& FileName() const { return FName; }

private:
    // Opens and locks the file; false when another preview holds it or it is another's.
    bool Claim(const QString& name);

    QString FName;
    QFile FFile;
};
