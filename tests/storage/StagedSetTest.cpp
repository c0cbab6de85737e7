#include "storage/StagedSet.h"

#include "tests/common/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>

namespace {

QByteArray Bytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Write(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

// A file that cannot take its place leaves the set marked, with the files moved so far in
// place and the rest staged; the next run, once the obstacle is gone, finishes it.
TEST(StagedSet, AMoveThatFailsLeavesTheSetForTheNextRun) {
    const struct {
        const char* what;
        const char* obstacle; // a folder made where the move needs a file or none
    } cases[] = {{"the live file became a folder", "B.DB"},
                 {"a journal that cannot be removed", "B.DB-journal"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp;
        for (const char* name : {"A.DB", "B.DB"})
            ASSERT_TRUE(Write(temp.File(name), QByteArray("old ") + name));
        {
            StagedSet set(temp.Path());
            ASSERT_TRUE(set.Ready());
            for (const char* name : {"A.DB", "B.DB"})
                ASSERT_TRUE(Write(set.StagedFile(name), QByteArray("new ") + name));
            ASSERT_TRUE(set.Sync());
            QString busy;
            ASSERT_TRUE(set.HoldLiveFiles(busy)) << busy.toStdString();
            QFile::remove(temp.File(c.obstacle));
            ASSERT_TRUE(QDir().mkpath(temp.File(c.obstacle) + "/inside"));

            EXPECT_EQ(set.PutInPlace(), StagedSet::Unfinished);
            EXPECT_EQ(set.Unmoved(), "B.DB");
        }
        EXPECT_TRUE(StagedSet::IsMarked(temp.Path()));
        EXPECT_EQ(Bytes(temp.File("A.DB")), "new A.DB");
        EXPECT_EQ(Bytes(temp.File("Restore/B.DB")), "new B.DB");
        EXPECT_FALSE(StagedSet::FinishInterrupted(temp.Path())) << "the obstacle is still there";
        EXPECT_TRUE(StagedSet::IsMarked(temp.Path()));

        ASSERT_TRUE(QDir(temp.File(c.obstacle)).removeRecursively());
        EXPECT_TRUE(StagedSet::FinishInterrupted(temp.Path()));
        EXPECT_FALSE(StagedSet::IsMarked(temp.Path()));
        EXPECT_EQ(Bytes(temp.File("B.DB")), "new B.DB");
        EXPECT_FALSE(QFileInfo::exists(temp.File("Restore")));
    }
}
