#include "base/DateTime.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/maintenance/Brevane.h"
#include "entrance/maintenance/Form_BackupSetup.h"
#include "tests/entrance/ScreenFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QPushButton>

using namespace entrance;

namespace {

struct BackupScreen : ScreenFixture {
    BackupScreen() {
        qputenv("BREVANE_FOLDER", Store.Path().toUtf8());
        Clock::SetNow([] { return EncodeDate(2026, 1, 15) + 0.5; });
        QStringList sql;
        for (const char* month : {"2025_10", "2025_11", "2026_01"})
            sql << QString("CREATE TABLE ENTRANCE_LOG%1 (個人コード TEXT (7))").arg(month);
        RunAll(sql, true);
        RunAll({"INSERT INTO M_部門 VALUES (1, '総務部')"}, false);
    }
    ~BackupScreen() override {
        if (EntranceSession().frmBackupSetup)
            delete EntranceSession().frmBackupSetup.data();
        Clock::SetNow({});
        EntranceSession().NetworkMode = false;
        qunsetenv("BREVANE_FOLDER");
    }
    TfrmBackupSetup* Open() {
        OpenMdiChild(EntranceSession().frmBackupSetup);
        return EntranceSession().frmBackupSetup;
    }
    QStringList Copies() {
        return QDir(Store.Path() + "/" + BackupSetName("CompName"))
            .entryList(QDir::Files, QDir::Name);
    }
    TempFolder Store;
    TMessageAnswers answers;
};

} // namespace

// Without a communication program running: compacted, then the database, the unit table and
// the log tables of this month and the two before it are backed up.
TEST_F(BackupScreen, CompactsAndBacksUpTheLastThreeMonths) {
    TfrmBackupSetup* form = Open();
    form->grab().save(TestOutputFolder() + "/TfrmBackupSetup.png");
    form->ChkCompact->setChecked(true);
    form->BitBtn1->click();
    EXPECT_TRUE(Copies().isEmpty()) << "compaction only";
    EXPECT_TRUE(EntranceSession().DM1->DB1->Connected()) << "the databases open again";

    form->ChkCompact->setChecked(false);
    form->BitBtn1->click();
    EXPECT_EQ(Copies(), (QStringList{"Brevane.lst", "ENTRANCESTATE.DB", "ENTRANCE_LOG2025_11.DB",
                                     "ENTRANCE_LOG2026_01.DB", "VODURAVIRIVE.MDB"}));
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(answers.Texts, QStringList{"バックアップが終了しました。"});

    EntranceSession().NetworkMode = true;
    form->BitBtn1->click();
    EXPECT_EQ(answers.Texts.last(), "ネットワーク接続では、バックアップ処理はできません。");
    RestoreData(form);
    EXPECT_EQ(answers.Texts.last(), "ネットワーク接続中は、リストアはできません。");
}
