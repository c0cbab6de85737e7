#include "CommProcess.h"
#include "tests/entrance/EntranceFixture.h"
#include "tests/entrance/reports/ReportRun.h"

#include "base/Registry.h"
#include "base/SingleInstance.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/maintenance/Brevane.h"
#include "entrance/maintenance/Form_BackupSetup.h"
#include "protocol/CommRequests.h"
#include "tools/unitsim/UnitSimulator.h"
#include "ui/CopyData.h"

#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <csignal>

using namespace entrance;

namespace {

constexpr int WaitMs = 30000;

// The backup screen of this process on a data folder that the communication program serves
// on two simulated units. The backup library copies into a folder of the test.
class BackupTest : public EntranceFixture {
protected:
    TempFolder Runtime;
    TempFolder Store;
    TUnitSimulator Sim{2};
    QProcess Comm;
    QStringList Texts;
    std::unique_ptr<TMessageAnswers> Answers;
    QTimer Watchdog;

    void SetUp() override {
        qputenv("XDG_RUNTIME_DIR", Runtime.Path().toLocal8Bit());
        qputenv("ZEZODUZU_REGISTRY", Runtime.File("registry.ini").toLocal8Bit());
        qputenv("BREVANE_FOLDER", Store.Path().toLocal8Bit());
        EntranceSession().NetworkMode = false;
        ASSERT_TRUE(Sim.OpenPty());
        Sim.Start();
        UseUnitsOnCom1(Sim);
        AtTestPace(Comm);
        ASSERT_TRUE(StartCommProgram(Comm, Temp.Path(), WaitMs));
        ASSERT_TRUE(QTest::qWaitFor([&] { return Sim.IsRunning(2); }, WaitMs));
        Answers = std::make_unique<TMessageAnswers>(Texts, QMessageBox::Ok);
        // A modal window nobody answers would hang the test: it fails and closes it instead.
        QObject::connect(&Watchdog, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "a modal window stayed open: "
                              << modal->windowTitle().toStdString();
                modal->close();
            }
        });
        Watchdog.start(WaitMs);
        EntranceSession().DM1->DB2->Open();
        EntranceSession().DM1->DB1->Open();
    }
    void TearDown() override {
        if (EntranceSession().frmBackupSetup)
            delete EntranceSession().frmBackupSetup.data();
        StopComm();
        Sim.Stop();
        qunsetenv("BREVANE_FOLDER");
    }

    // Asks the running copy, wherever it was started from, to end; kills what stays.
    void StopComm() {
        if (FindWindowByCaption(CommCaption))
            SendCopyData(CommCaption, CD_TERMINATE, "e2e", {});
        (void)QTest::qWaitFor([] { return !FindWindowByCaption(CommCaption); }, WaitMs);
        qint64 pid = 0;
        QString host, app;
        QLockFile lock(TSingleInstance::SocketName("hMutexZentoria") + ".lock");
        if (!lock.tryLock(5000) && lock.getLockInfo(&pid, &host, &app) && pid > 0)
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        if (Comm.state() != QProcess::NotRunning) {
            Comm.kill();
            Comm.waitForFinished(5000);
        }
    }
    QString LogTable() const { return QDate::currentDate().toString("'ENTRANCE_LOG'yyyy_MM"); }
    // Rows of this month's log table; 0 while the communication program has not made it.
    int LogRows() {
        try {
            return Column("SELECT count(*) FROM " + LogTable(), true).value(0).toInt();
        } catch (const Exception&) {
            return 0;
        }
    }
    QString SetFolder() const { return Store.File(BackupSetName("CompName")); }
    QStringList Copies() const { return QDir(SetFolder()).entryList(QDir::Files, QDir::Name); }
    // The integrity check and the rows of one table in a backed-up file.
    static QStringList CheckCopy(const QString& file, const QString& countSql) {
        auto c = SqlConnection::OpenDatabase(file);
        QStringList results;
        for (const QString& sql : {QString("PRAGMA integrity_check"), countSql}) {
            auto st = c->Prepare(sql);
            results << (st->Step() ? st->Value(0).toString() : "no row");
        }
        return results;
    }
    // Persons as the management program's own connection reads them.
    QStringList PersonsThroughEngine() {
        TQuery query;
        query.SetDatabaseName("RORazu");
        query.SQL().Assign(QStringList{"SELECT 氏名 FROM M_個人情報 ORDER BY 個人コード"});
        query.Open();
        QStringList names;
        for (; !query.Eof(); query.Next())
            names << query.FieldByName("氏名")->AsString();
        return names;
    }
};

// The backup stops the communication program, compacts, starts it again from the data folder
// and copies the files whole; the restore is refused while the program runs, and after it
// stops it puts the files back and the databases open again.
TEST_F(BackupTest, BacksUpWithTheProgramRunningAndRestoresAfterItStops) {
    Run("INSERT INTO M_個人情報 (個人コード,氏名) VALUES ('0001','山田')");
    Sim.AddLogRecord(1, OpFirstEntry, 1, "0001");
    ASSERT_TRUE(QTest::qWaitFor([&] { return LogRows() == 1; }, WaitMs));

    // Compaction only: the program stops and starts again, nothing is copied.
    OpenMdiChild(EntranceSession().frmBackupSetup);
    EntranceSession().frmBackupSetup->ChkCompact->setChecked(true);
    EntranceSession().frmBackupSetup->BitBtn1->click();
    // The screen waited until it had ended.
    EXPECT_EQ(Comm.state(), QProcess::NotRunning);
    EXPECT_EQ(Comm.exitStatus(), QProcess::NormalExit);
    ASSERT_TRUE(QTest::qWaitFor([] { return FindWindowByCaption(CommCaption); }, WaitMs))
        << "started again from the data folder";
    EXPECT_TRUE(Copies().isEmpty());

    EntranceSession().frmBackupSetup->ChkCompact->setChecked(false);
    EntranceSession().frmBackupSetup->BitBtn1->click();
    EXPECT_EQ(Texts, QStringList{"バックアップが終了しました。"}) << Texts.join('|').toStdString();
    Texts.clear();
    ASSERT_TRUE(QTest::qWaitFor([] { return FindWindowByCaption(CommCaption); }, WaitMs));
    EXPECT_TRUE(EntranceSession().frmBackupSetup->isEnabled());
    EXPECT_EQ(Copies(), (QStringList{"Brevane.lst", "ENTRANCESTATE.DB", LogTable() + ".DB",
                                     "VODURAVIRIVE.MDB"}));
    EXPECT_EQ(CheckCopy(SetFolder() + "/VODURAVIRIVE.MDB", "SELECT count(*) FROM M_個人情報"),
              (QStringList{"ok", "1"}));
    EXPECT_EQ(
        CheckCopy(SetFolder() + "/" + LogTable() + ".DB", "SELECT 個人コード FROM " + LogTable()),
        (QStringList{"ok", "0001"}));
    EXPECT_EQ(CheckCopy(SetFolder() + "/ENTRANCESTATE.DB", "SELECT count(*) FROM entranceState"),
              (QStringList{"ok", "2"}));

    // The restarted program serves the units again.
    Sim.AddLogRecord(2, OpLastExit, 1, "0001");
    ASSERT_TRUE(QTest::qWaitFor([&] { return LogRows() == 2; }, WaitMs));
    Run("DELETE FROM M_個人情報");

    RestoreData(EntranceSession().frmBackupSetup);
    EXPECT_EQ(Texts,
              QStringList{"リストアするときは、認証機コミュニケーションを終了してください。"});
    EXPECT_EQ(PersonsThroughEngine(), QStringList{}) << "nothing restored";

    // Asked and told, and told to start the program again, which stays ended meanwhile.
    StopComm();
    Texts.clear();
    RestoreData(EntranceSession().frmBackupSetup);
    ASSERT_EQ(Texts.size(), 2) << Texts.join('|').toStdString();
    EXPECT_TRUE(Texts[0].endsWith("よろしいですか？"));
    EXPECT_EQ(Texts[1], "リストアが終了しました。\n認証機コミュニケーションを起動してください。");
    EXPECT_TRUE(EntranceSession().DM1->DB1->Connected() && EntranceSession().DM1->DB2->Connected());
    EXPECT_EQ(PersonsThroughEngine(), QStringList{"山田"});
    EXPECT_EQ(LogRows(), 1);
}

} // namespace
