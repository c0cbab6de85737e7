#include "BackupSet.h"

#include "base/Files.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace entrance {

namespace {

// The list's first line, then the time the set was made, then one line per file:
// name, size in bytes and SHA-256 in hex, separated by tabs.
const char* const ListHeader = "Brevane set 1";
const char* const TimeFormat = "yyyy/MM/dd HH:mm:ss";
// Hidden, so that the files of a set leave it out.
const char* const MarkName = ".ready";

void Stop(TBackupSet::Step step) {
    if (TBackupSet::AfterStep)
        TBackupSet::AfterStep(step);
}

QByteArray HashOf(const QString& fileName) {
    QFile file(fileName);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QByteArray();
    return hash.result().toHex();
}

bool Rename(const QString& from, const QString& to) {
    return QDir().rename(from, to);
}

} // namespace

TBackupSet::TBackupSet(const QString& folder) : FPath(QDir(folder).absolutePath()) {}

TBackupSet::~TBackupSet() {
    if (FStaging && !QFileInfo::exists(MarkOf(StagingPath())))
        QDir(StagingPath()).removeRecursively();
}

QString TBackupSet::StagingPath() const {
    const QFileInfo set(FPath);
    return set.absolutePath() + "/." + set.fileName() + ".new";
}

QString TBackupSet::AsidePath() const {
    const QFileInfo set(FPath);
    return set.absolutePath() + "/." + set.fileName() + ".old";
}

QString TBackupSet::MarkOf(const QString& folder) const {
    return folder + "/" + MarkName;
}

bool TBackupSet::StageFile(
    const QString& file, const std::function<bool(const QString& from, const QString& to)>& copy) {
    if (!copy(file, StagingPath() + "/" + QFileInfo(file).fileName()))
        return false;
    Stop(FileStaged);
    return true;
}

// The order of the renames leaves, at every point, a whole set or a marked staging that the
// next run puts in place: the previous set goes aside only once the new one is marked.
bool TBackupSet::Settle() {
    const QString staging = StagingPath();
    const QString aside = AsidePath();
    if (QFileInfo::exists(MarkOf(staging))) {
        if (QFileInfo::exists(FPath)) {
            // An earlier run that stopped before it removed the set it had put aside.
            QDir(aside).removeRecursively();
            if (!Rename(FPath, aside))
                return false;
            Stop(OldAside);
        }
        if (!Rename(staging, FPath))
            return false;
        SyncToDisk(QFileInfo(FPath).absolutePath());
        Stop(NewInPlace);
    } else {
        QDir(staging).removeRecursively();
        if (QFileInfo::exists(aside) && !QFileInfo::exists(FPath) && !Rename(aside, FPath))
            return false;
    }
    QFile::remove(MarkOf(FPath));
    QDir(aside).removeRecursively();
    return true;
}

bool TBackupSet::BeginStaging() {
    QDir(StagingPath()).removeRecursively();
    FStaging = QDir().mkpath(StagingPath());
    return FStaging;
}

bool TBackupSet::Complete(TDateTime made) {
    if (!WriteList(made))
        return false;
    Stop(Listed);
    if (!WriteMark())
        return false;
    Stop(Marked);
    return Settle();
}

bool TBackupSet::WriteList(TDateTime made) {
    QByteArray list;
    QTextStream out(&list);
    out << ListHeader << "\n" << ToQDateTime(made).toString(TimeFormat) << "\n";
    const QDir staging(StagingPath());
    for (const QString& name : staging.entryList(QDir::Files, QDir::Name)) {
        const QString file = staging.filePath(name);
        const QByteArray hash = HashOf(file);
        if (hash.isEmpty() || !SyncToDisk(file))
            return false;
        out << name << "\t" << QFileInfo(file).size() << "\t" << hash << "\n";
    }
    out.flush();
    return WriteFileSynced(staging.filePath(ListName), list);
}

bool TBackupSet::WriteMark() {
    return SyncToDisk(StagingPath()) && WriteFileSynced(MarkOf(StagingPath()), QByteArray()) &&
           SyncToDisk(StagingPath());
}

bool TBackupSet::Exists() const {
    return !QDir(FPath).isEmpty(QDir::Files);
}

bool TBackupSet::HasList() const {
    return QFileInfo::exists(FPath + "/" + ListName);
}

bool TBackupSet::ReadList(TDateTime& made, QList<TEntry>& entries) const {
    QFile file(FPath + "/" + ListName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    const QDateTime time = QDateTime::fromString(lines.value(1), TimeFormat);
    if (lines.value(0) != ListHeader || !time.isValid())
        return false;
    made = FromQDateTime(time);
    for (const QString& line : lines.mid(2)) {
        const QStringList items = line.split('\t');
        bool sized = false;
        const qint64 size = items.value(1).toLongLong(&sized);
        // A name is a file of the set's own folder, never a path out of it.
        if (items.size() != 3 || !sized || items[0].contains('/') || items[0].startsWith('.'))
            return false;
        entries << TEntry{items[0], size, items[2].toLatin1()};
    }
    return true;
}

QStringList TBackupSet::Files() const {
    if (!HasList())
        return QDir(FPath).entryList(QDir::Files, QDir::Name);
    TDateTime made = 0;
    QList<TEntry> entries;
    QStringList names;
    if (ReadList(made, entries))
        for (const TEntry& entry : entries)
            names << entry.Name;
    return names;
}

TDateTime TBackupSet::Made() const {
    TDateTime made = 0;
    QList<TEntry> entries;
    if (HasList() && ReadList(made, entries))
        return made;
    for (const QFileInfo& file : QDir(FPath).entryInfoList(QDir::Files))
        made = std::max(made, FromQDateTime(file.lastModified()));
    return made;
}

QString TBackupSet::StrayFile() const {
    if (!HasList())
        return QString();
    TDateTime made = 0;
    QList<TEntry> entries;
    if (!ReadList(made, entries))
        return ListName;
    for (const TEntry& entry : entries) {
        const QString file = FPath + "/" + entry.Name;
        if (QFileInfo(file).size() != entry.Size || HashOf(file) != entry.Hash)
            return entry.Name;
    }
    return QString();
}

} // namespace entrance
