#include "base/Files.h"
#include "base/Process.h"
#include "tests/common/TempFolder.h"

#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

namespace {

void Touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
}

TEST(Files, LookUpIgnoresCase) {
    TempFolder dir;
    Touch(dir.File("ENTRANCESTATE.DB"));
    Touch(dir.File("VODURAVIRIVE.MDB"));
    EXPECT_EQ(FindFileNoCase(dir.Path(), "entranceState.DB"), dir.File("ENTRANCESTATE.DB"));
    EXPECT_EQ(ResolveFileNoCase(dir.File("VoduraviRive.MDB")), dir.File("VODURAVIRIVE.MDB"));
    EXPECT_EQ(FindFileNoCase(dir.Path(), "missing.db"), dir.File("missing.db"));
    EXPECT_TRUE(FileExists(dir.File("entrancestate.db")));
    EXPECT_FALSE(FileExists(dir.File("ENTRANCE_LOG2026_12.DB")));
}

TEST(Files, FileAgeFollowsChanges) {
    TempFolder dir;
    EXPECT_EQ(FileAge(dir.File("none.DB")), -1);
    Touch(dir.File("LOG.DB"));
    const TDateTime first = FileAge(dir.File("log.db"));
    EXPECT_GT(first, 46000);
    QFile f(dir.File("LOG.DB"));
    f.open(QIODevice::ReadWrite);
    f.setFileTime(ToQDateTime(first + 1.0 / 86400), QFileDevice::FileModificationTime);
    EXPECT_GT(FileAge(dir.File("LOG.DB")), first);
}

TEST(Files, DeletesByPatternWithoutCase) {
    TempFolder dir;
    for (const char* n : {"TMPLOG1_19216801.DB", "tmplog1_19216801.PX", "TMPLOG2_1.DB", "KOJIN.DB"})
        Touch(dir.File(n));
    EXPECT_EQ(FindFiles(dir.Path(), "TMPLOG1_*"),
              QStringList({"TMPLOG1_19216801.DB", "tmplog1_19216801.PX"}));
    EXPECT_EQ(DeleteFilesByPattern(dir.Path(), "tmplog1_*"), 2);
    EXPECT_EQ(FindFiles(dir.Path(), "*.db"), QStringList({"KOJIN.DB", "TMPLOG2_1.DB"}));
}

TEST(Files, ProgramsAreFoundWithoutTheirExtension) {
    TempFolder dir;
    Touch(dir.File("Reruzida"));
    QFile::setPermissions(dir.File("Reruzida"), QFile::ReadOwner | QFile::ExeOwner);
    Touch(dir.File("notes"));
    EXPECT_EQ(FindProgram(dir.Path(), "RERUZIDA.EXE"), dir.File("Reruzida"));
    EXPECT_EQ(FindProgram(dir.Path(), "NOTES.EXE"), QString()); // not executable
    EXPECT_FALSE(StartProgram(dir.Path(), "Rudizaz.exe"));
    EXPECT_EQ(ExtractFilePath("/data/x/VODURAVIRIVE.MDB"), "/data/x/");
}

} // namespace
