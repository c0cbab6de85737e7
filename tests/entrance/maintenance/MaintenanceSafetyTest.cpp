#include "base/DateTime.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/maintenance/BackupSet.h"
#include "entrance/maintenance/Brevane.h"
#include "entrance/maintenance/Form_BackupSetup.h"
#include "entrance/maintenance/Form_LogDelete.h"
#include "protocol/CommRequests.h"
#include "storage/DataFileLock.h"
#include "storage/StagedSet.h"
#include "tests/entrance/ScreenFixture.h"
#include "ui/CopyData.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHostInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace entrance;

namespace {

ino_t Inode(const QString& file) {
    struct stat st;
    return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? st.st_ino : 0;
}

// The log table files of a folder, without the lock files of the tables held open.
QString LogFiles(const QString& folder) {
    QStringList files = QDir(folder).entryList({"ENTRANCE_LOG*"}, QDir::Files, QDir::Name);
    files.removeIf([](const QString& name) { return name.endsWith(".lock"); });
    return files.join(' ');
}

QByteArray Bytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Write(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << file.toStdString();
    f.write(bytes);
}

// Runs `work` in a child process that ends right after `step`, as a kill there would stop it.
template <class TStep>
void KillAt(std::function<void(TStep)>& hook, TStep step, const std::function<void()>& work) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        hook = [step](TStep reached) {
            if (reached == step)
                ::_exit(0);
        };
        work();
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "killed at the step";
}

// The maintenance screens on a data folder; the backup library works in a folder of the test.
struct MaintenanceSafety : ScreenFixture {
    MaintenanceSafety() {
        qputenv("BREVANE_FOLDER", Store.Path().toUtf8());
        EntranceSession().NetworkMode = false;
    }
    ~MaintenanceSafety() override {
        if (EntranceSession().frmBackupSetup)
            delete EntranceSession().frmBackupSetup.data();
        if (EntranceSession().frmLogDelete)
            delete EntranceSession().frmLogDelete.data();
        Clock::SetNow({});
        qunsetenv("BREVANE_FOLDER");
    }
    QString Set() const { return Store.File(BackupSetName("CompName")); }
    QString Mdb() const { return Temp.File("VODURAVIRIVE.MDB"); }
    // The department name in the database and the unit name in the unit table of a folder,
    // read as any program would (finishing an interrupted restore first).
    QStringList Contents(const QString& folder) {
        auto database = SqlConnection::OpenDatabase(folder + "/VODURAVIRIVE.MDB");
        auto tables = SqlConnection::OpenFolder(folder);
        QStringList values;
        for (auto [c, sql] : {std::pair{database.get(), "SELECT 部門名 FROM M_部門"},
                              std::pair{tables.get(), "SELECT 認証機名 FROM entranceState"}}) {
            auto st = c->Prepare(sql);
            values << (st->Step() ? st->Value(0).toString() : "none");
        }
        return values;
    }
    // The live folder holds "old"; the backup set in Set() holds "new".
    void MakeOldAndNewSets() {
        RunAll({"INSERT INTO M_部門 (部門コード,部門名) VALUES (1,'old')"}, false);
        AddUnit(1, "old");
        ASSERT_TRUE(QDir().mkpath(Set()));
        for (const char* name : {"VODURAVIRIVE.MDB", "ENTRANCESTATE.DB"})
            ASSERT_TRUE(QFile::copy(Temp.File(name), Set() + "/" + name));
        SqlConnection::OpenDatabase(Set() + "/VODURAVIRIVE.MDB")
            ->Execute("UPDATE M_部門 SET 部門名='new'");
        SqlConnection::OpenFolder(Set())->Execute("UPDATE entranceState SET 認証機名='new'");
    }
    // Backs up the database and the unit table of the live folder.
    bool BackUp(const QStringList& more = {}) {
        ClearResFile();
        for (const QString& file : QStringList{Mdb(), Temp.File("ENTRANCESTATE.DB")} + more)
            AddResFile(file);
        return StartBackup(nullptr, "CompName");
    }
    // The live department and unit names.
    void SetLive(const QString& value) {
        RunAll({"UPDATE M_部門 SET 部門名='" + value + "'"}, false);
        RunAll({"UPDATE entranceState SET 認証機名='" + value + "'"}, true);
    }
    // What the set gives when it is restored into a new folder.
    QStringList RestoredFromSet() {
        TempFolder into;
        if (StartRestore(nullptr, into.Path(), "CompName") != TRestoreResult::Restored)
            return {"not restored"};
        return Contents(into.Path());
    }
    // Everything in the picked folder, hidden entries too.
    QStringList StoreEntries() const {
        return QDir(Store.Path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    TempFolder Store;
    TMessageAnswers answers;
};

const QString RestartNote = "\n認証機コミュニケーションを起動してください。";

} // namespace

// A connection that another program keeps open, idle, stops the compaction: the database file
// is not replaced under it, and it goes on writing. Once it is closed the compaction runs.
TEST_F(MaintenanceSafety, AnIdleConnectionKeepsTheDatabaseFromBeingCompacted) {
    auto other = SqlConnection::OpenDatabase(Mdb());
    other->Execute("SELECT count(*) FROM M_部門");
    const ino_t before = Inode(Mdb());
    OpenMdiChild(EntranceSession().frmBackupSetup);
    EntranceSession().frmBackupSetup->ChkCompact->setChecked(true);
    EntranceSession().frmBackupSetup->BitBtn1Click();
    EXPECT_EQ(Inode(Mdb()), before) << "replaced while open elsewhere";
    EXPECT_NO_THROW(other->Execute("INSERT INTO M_部門 (部門コード,部門名) VALUES (7,'経理')"));

    other.reset();
    EntranceSession().frmBackupSetup->BitBtn1Click();
    EXPECT_NE(Inode(Mdb()), before) << "compacted once nobody held it";
    EXPECT_EQ(Column("SELECT 部門名 FROM M_部門"), QStringList{"経理"});
    EXPECT_TRUE(EntranceSession().frmBackupSetup->isEnabled());
}

// A compaction that raises (its work folder cannot be made) still starts the communication
// program again, so the units are polled.
TEST_F(MaintenanceSafety, ACompactionThatFailsStartsTheCommunicationProgramAgain) {
    TCopyDataServer comm(CommCaption, [&comm](const TCopyData& request) {
        if (request.Code == CD_TERMINATE)
            comm.close();
    });
    ASSERT_TRUE(comm.Start());
    const QString program = Temp.File("Reruzida");
    Write(program, QString("#!/bin/sh\ntouch '%1'\n").arg(Temp.File("restarted")).toUtf8());
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Write(Temp.File("Temp"), "a file where the work folder goes");

    OpenMdiChild(EntranceSession().frmBackupSetup);
    EntranceSession().frmBackupSetup->ChkCompact->setChecked(true);
    EXPECT_THROW(EntranceSession().frmBackupSetup->BitBtn1Click(), Exception);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(Temp.File("restarted")); }, 10000));
    EXPECT_TRUE(EntranceSession().frmBackupSetup->isEnabled());
    EXPECT_TRUE(EntranceSession().DM1->DB1->Connected());
}

// The operator is told when the backup is done; the set's folder bears this PC's name.
TEST_F(MaintenanceSafety, ABackupSaysItFinishedAndNamesTheSetAfterThisPC) {
    OpenMdiChild(EntranceSession().frmBackupSetup);
    EntranceSession().frmBackupSetup->BitBtn1Click();
    EXPECT_EQ(answers.Texts, QStringList{"バックアップが終了しました。"});
    EXPECT_EQ(QDir(Store.Path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{QHostInfo::localHostName()});
    EXPECT_TRUE(QFile::exists(Set() + "/VODURAVIRIVE.MDB"));
}

// Only tables named exactly as a month go, and only while no statement uses them: another
// program's reading keeps its table; a table this program is done with goes.
TEST_F(MaintenanceSafety, LogDeletionLeavesHeldTablesAndNamesThatAreNoMonth) {
    Clock::SetNow([] { return EncodeDate(2002, 3, 15) + 0.5; });
    QStringList sql;
    for (const char* name : {"2001_11", "2001_12", "2002_03", "2002_03_COPY"})
        sql << QString("CREATE TABLE ENTRANCE_LOG%1 (個人コード TEXT (7))").arg(name);
    RunAll(sql, true);
    Write(Temp.File("ENTRANCE_LOG2001_12.DB.bak"), "kept");
    // Another program reads one table; this program read the other and is done with it.
    auto other = SqlConnection::OpenFolder(Temp.Path());
    auto reading = other->Prepare("SELECT count(*) FROM ENTRANCE_LOG2001_11");
    ASSERT_TRUE(reading->Step());
    EntranceSession().DM1->DB2->Connection().Execute("SELECT count(*) FROM ENTRANCE_LOG2001_12");

    OpenMdiChild(EntranceSession().frmLogDelete);
    EntranceSession().frmLogDelete->UpDownMonth->setValue(12);
    EntranceSession().frmLogDelete->btnOKClick();
    EXPECT_EQ(LogFiles(Temp.Path()),
              "ENTRANCE_LOG2001_11.DB ENTRANCE_LOG2001_12.DB ENTRANCE_LOG2001_12.DB.bak "
              "ENTRANCE_LOG2002_03.DB ENTRANCE_LOG2002_03_COPY.DB")
        << "twelve months keep April 2001 on: nothing goes";

    EntranceSession().frmLogDelete->UpDownMonth->setValue(1);
    EntranceSession().frmLogDelete->btnOKClick();
    EXPECT_EQ(LogFiles(Temp.Path()), "ENTRANCE_LOG2001_11.DB ENTRANCE_LOG2001_12.DB.bak "
                                     "ENTRANCE_LOG2002_03.DB ENTRANCE_LOG2002_03_COPY.DB");
    EXPECT_TRUE(answers.Texts.contains("ENTRANCE_LOG2001_11 は使用中のため削除できませんでした。"))
        << answers.Texts.join("|").toStdString();
    reading.reset();
    EXPECT_EQ(other->Execute("INSERT INTO ENTRANCE_LOG2001_11 VALUES ('0001')"), 1);
}

// A table is its file and the journal beside it, in every case its name is written: all of
// them are held before any goes, or none goes. An operator's own file that starts with the
// table's name stays, and a name with a line break at its end is no month.
TEST_F(MaintenanceSafety, LogDeletionHoldsEveryCaseVariantAndTakesOnlyTheTablesFiles) {
    Clock::SetNow([] { return EncodeDate(2002, 3, 15) + 0.5; });
    RunAll({"CREATE TABLE ENTRANCE_LOG2001_10 (個人コード TEXT (7))",
            "CREATE TABLE ENTRANCE_LOG2001_11 (個人コード TEXT (7))"},
           true);
    Write(Temp.File("entrance_log2001_11.db"), Bytes(Temp.File("ENTRANCE_LOG2001_11.DB")));
    Write(Temp.File("ENTRANCE_LOG2001_10.DB-journal"), "");
    Write(Temp.File("ENTRANCE_LOG2001_10.xlsx"), "the operator's sheet");
    Write(Temp.File("ENTRANCE_LOG2001_09\n.DB"), Bytes(Temp.File("ENTRANCE_LOG2001_10.DB")));
    auto other =
        std::make_unique<DataFileLock>(Temp.File("entrance_log2001_11.db"), DataFileLock::Shared);
    ASSERT_TRUE(other->IsLocked());

    OpenMdiChild(EntranceSession().frmLogDelete);
    EXPECT_EQ(EntranceSession().frmLogDelete->pnlActiveDte->text(), "2001年10月　～　2001年11月")
        << "a name with a line break is no month";
    EntranceSession().frmLogDelete->UpDownMonth->setValue(1);
    EntranceSession().frmLogDelete->btnOKClick();
    EXPECT_EQ(LogFiles(Temp.Path()), "ENTRANCE_LOG2001_09\n.DB ENTRANCE_LOG2001_10.xlsx "
                                     "ENTRANCE_LOG2001_11.DB entrance_log2001_11.db");
    EXPECT_EQ(answers.Texts,
              (QStringList{"削除したデータを復帰することは出来ません。よろしいですか？",
                           "entrance_log2001_11 は使用中のため削除できませんでした。",
                           "終了しました。"}));

    other.reset();
    EntranceSession().frmLogDelete->btnOKClick();
    EXPECT_EQ(LogFiles(Temp.Path()), "ENTRANCE_LOG2001_09\n.DB ENTRANCE_LOG2001_10.xlsx");
}

// A backup replaces the previous set whole or not at all: one that fails on a file halfway (a
// full medium, a pulled stick) says so and leaves the previous set, and one killed after any
// of its writing steps leaves the previous set or, once the new one is complete and marked, the
// new one, which the next run puts in place.
TEST_F(MaintenanceSafety, ABackupKilledAtEachWritingStepLeavesASetWhole) {
    RunAll({"INSERT INTO M_部門 (部門コード,部門名) VALUES (1,'old')"}, false);
    AddUnit(1, "old");
    ASSERT_TRUE(BackUp());
    SetLive("new");
    EXPECT_FALSE(BackUp({Temp.File("gone.DB")}));
    EXPECT_EQ(answers.Texts.last(), Temp.File("gone.DB") +
                                        " をバックアップできませんでした。\n"
                                        "前回のバックアップデータはそのまま残っています。");
    EXPECT_EQ(RestoredFromSet(), (QStringList{"old", "old"}));
    EXPECT_EQ(StoreEntries(), QStringList{BackupSetName("CompName")});

    const struct {
        TBackupSet::Step step;
        const char* expected;
    } kills[] = {{TBackupSet::FileStaged, "old"},
                 {TBackupSet::Listed, "old"},
                 {TBackupSet::Marked, "new"},
                 {TBackupSet::OldAside, "new"},
                 {TBackupSet::NewInPlace, "new"}};
    for (const auto& kill : kills) {
        SCOPED_TRACE(kill.step);
        SetLive("old");
        ASSERT_TRUE(BackUp());
        SetLive("new");
        ASSERT_NO_FATAL_FAILURE(KillAt(TBackupSet::AfterStep, kill.step, [this] { BackUp(); }));
        EXPECT_EQ(RestoredFromSet(), (QStringList{kill.expected, kill.expected}));
        EXPECT_EQ(StoreEntries(), QStringList{BackupSetName("CompName")}) << "nothing left aside";
    }
}

// The restore names the set's time before it replaces anything, and says at the end what it
// did and that the communication program is to be started again. A set whose files come from
// different backups is refused.
TEST_F(MaintenanceSafety, ARestoreAsksReportsAndRefusesAMixedSet) {
    Clock::SetNow([] { return EncodeDate(2026, 1, 15) + 0.5; });
    RunAll({"INSERT INTO M_部門 (部門コード,部門名) VALUES (1,'old')"}, false);
    AddUnit(1, "old");
    ASSERT_TRUE(BackUp());
    const QByteArray oldState = Bytes(Set() + "/ENTRANCESTATE.DB");
    SetLive("new");
    ASSERT_TRUE(BackUp());
    const QByteArray newState = Bytes(Set() + "/ENTRANCESTATE.DB");
    SetLive("live");
    Write(Set() + "/ENTRANCESTATE.DB", oldState);

    QWidget mainWindow;
    answers.Texts.clear();
    RestoreData(&mainWindow);
    EXPECT_EQ(answers.Texts,
              (QStringList{"バックアップデータのファイルがそろっていないため、リストアできませんで"
                           "した。\n" +
                               Set() + "/ENTRANCESTATE.DB",
                           "リストアは行われませんでした。" + RestartNote}));
    EXPECT_EQ(Contents(Temp.Path()), (QStringList{"live", "live"}));

    Write(Set() + "/ENTRANCESTATE.DB", newState);
    const QString question =
        "2026/01/15 12:00 のバックアップデータでリストアします。\n"
        "現在のデータは置き換えられ、元に戻すことは出来ません。よろしいですか？";
    answers.Texts.clear();
    answers.Cancels = {true};
    RestoreData(&mainWindow);
    EXPECT_EQ(answers.Texts,
              (QStringList{question, "リストアは行われませんでした。" + RestartNote}));
    EXPECT_EQ(Contents(Temp.Path()), (QStringList{"live", "live"}));

    answers.Texts.clear();
    QStringList pictures{"RestoreData_Question", "RestoreData_Done"};
    answers.OnShown = [&pictures](QMessageBox* box) {
        if (!pictures.isEmpty())
            box->grab().save(TestOutputFolder() + "/" + pictures.takeFirst() + ".png");
    };
    RestoreData(&mainWindow);
    EXPECT_EQ(answers.Texts, (QStringList{question, "リストアが終了しました。" + RestartNote}));
    EXPECT_EQ(Contents(Temp.Path()), (QStringList{"new", "new"}));
    EXPECT_TRUE(EntranceSession().DM1->DB1->Connected() && EntranceSession().DM1->DB2->Connected());
}

// The folder dialog says what it picks the folder for.
TEST_F(MaintenanceSafety, TheFolderDialogSaysWhatItIsFor) {
    qunsetenv("BREVANE_FOLDER");
    const struct {
        const char* title;
        std::function<void()> start;
    } cases[] = {{"バックアップ先", [] { StartBackup(nullptr, "CompName"); }},
                 {"リストア元", [this] { StartRestore(nullptr, Temp.Path(), "CompName"); }}};
    for (const auto& c : cases) {
        QString title;
        WhenShown<QFileDialog>([&title](QFileDialog* dialog) {
            title = dialog->windowTitle();
            dialog->grab().save(TestOutputFolder() + "/QFileDialog_" + title + ".png");
            dialog->reject();
        });
        c.start();
        EXPECT_EQ(title, c.title);
    }
    EXPECT_TRUE(answers.Texts.isEmpty()) << "a dialog closed without a folder does nothing";
}

// A restore that cannot go through changes nothing live, leaves no staging behind and the
// main window usable with its databases open.
TEST_F(MaintenanceSafety, ARestoreThatCannotGoThroughChangesNothing) {
    MakeOldAndNewSets();
    const struct {
        const char* what;
        std::function<void(const MaintenanceSafety&)> arrange;
        QString message;
    } cases[] = {
        {"a database that is no database",
         [](const MaintenanceSafety& t) {
             Write(t.Set() + "/VODURAVIRIVE.MDB", QByteArray(4096, 'x'));
         },
         "VODURAVIRIVE.MDB をリストアできませんでした。"},
        {"no backup set in the folder",
         [](const MaintenanceSafety& t) { QDir(t.Set()).removeRecursively(); },
         "バックアップデータが見つかりませんでした。\n" + Set()},
    };
    QWidget mainWindow;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange(*this);
        const QByteArray mdb = Bytes(Mdb());
        answers.Texts.clear();
        RestoreData(&mainWindow);
        EXPECT_EQ(answers.Texts,
                  (QStringList{c.message, "リストアは行われませんでした。" + RestartNote}))
            << answers.Texts.join("|").toStdString();
        EXPECT_EQ(Bytes(Mdb()), mdb);
        EXPECT_EQ(Contents(Temp.Path()), (QStringList{"old", "old"}));
        EXPECT_FALSE(QFileInfo::exists(Temp.File("Restore")));
        EXPECT_TRUE(mainWindow.isEnabled());
        EXPECT_TRUE(EntranceSession().DM1->DB1->Connected() &&
                    EntranceSession().DM1->DB2->Connected());
    }
    EXPECT_EQ(QDir(Store.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{})
        << "no new empty folder";
}

// The live files are touched only after the set is staged and checked, once nobody holds
// them and the caller agrees; a restore killed between its steps leaves, to every program that
// opens the folder next, either the old set or the new one whole.
TEST_F(MaintenanceSafety, AnInterruptedRestoreLeavesOneWholeSet) {
    MakeOldAndNewSets();
    Session().Close();
    EXPECT_EQ(StartRestore(nullptr, Temp.Path(), "CompName", [](TDateTime) { return false; }),
              TRestoreResult::Cancelled);
    EXPECT_EQ(Contents(Temp.Path()), (QStringList{"old", "old"})) << "the caller said no";
    {
        auto holder = SqlConnection::OpenFolder(Temp.Path());
        auto reading = holder->Prepare("SELECT count(*) FROM entranceState");
        ASSERT_TRUE(reading->Step());
        EXPECT_EQ(StartRestore(nullptr, Temp.Path(), "CompName"), TRestoreResult::Failed);
        EXPECT_EQ(answers.Texts.last(),
                  "ENTRANCESTATE.DB は使用中のためリストアできませんでした。");
    }
    EXPECT_EQ(Contents(Temp.Path()), (QStringList{"old", "old"}));

    const struct {
        StagedSet::Step step;
        const char* expected;
    } kills[] = {
        {StagedSet::Staged, "old"}, {StagedSet::Marked, "new"}, {StagedSet::FirstMoved, "new"}};
    for (const auto& kill : kills) {
        SCOPED_TRACE(kill.step);
        SetLive("old");
        ASSERT_NO_FATAL_FAILURE(KillAt(StagedSet::AfterStep, kill.step,
                                       [this] { StartRestore(nullptr, Temp.Path(), "CompName"); }));
        EXPECT_EQ(Contents(Temp.Path()), (QStringList{kill.expected, kill.expected}));
        EXPECT_FALSE(StagedSet::IsMarked(Temp.Path()));
    }
    EXPECT_EQ(StartRestore(nullptr, Temp.Path(), "CompName"), TRestoreResult::Restored);
    EXPECT_EQ(Contents(Temp.Path()), (QStringList{"new", "new"}));
    EXPECT_FALSE(QFileInfo::exists(Temp.File("Restore")));
}

// A live file that cannot be replaced once the set is marked (it became a folder) makes the
// restore say that it did not complete, and the set is finished when the folder opens next.
TEST_F(MaintenanceSafety, ARestoreThatCannotReplaceAFileSaysItDidNotComplete) {
    MakeOldAndNewSets();
    StagedSet::AfterStep = [this](StagedSet::Step step) {
        if (step == StagedSet::Marked && QFile::remove(Temp.File("ENTRANCESTATE.DB")))
            QDir().mkpath(Temp.File("ENTRANCESTATE.DB"));
    };
    QWidget mainWindow;
    answers.Texts.clear();
    EXPECT_THROW(RestoreData(&mainWindow), ESqlError) << "the unit table cannot open yet";
    StagedSet::AfterStep = nullptr;
    EXPECT_EQ(answers.Texts.mid(1),
              (QStringList{"ENTRANCESTATE.DB を置き換えられませんでした。",
                           "リストアは完了しませんでした。\n"
                           "残りのファイルは次にデータを開くときに置き換えられます。" +
                               RestartNote}));
    EXPECT_TRUE(StagedSet::IsMarked(Temp.Path()));

    ASSERT_TRUE(QDir(Temp.File("ENTRANCESTATE.DB")).removeRecursively());
    EXPECT_EQ(Contents(Temp.Path()), (QStringList{"new", "new"}));
    EXPECT_FALSE(StagedSet::IsMarked(Temp.Path()));
}
