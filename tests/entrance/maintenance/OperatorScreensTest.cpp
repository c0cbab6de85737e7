#include "base/Registry.h"
#include "components/dbctrls/DBEdit.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/maintenance/Brevane.h"
#include "entrance/maintenance/Form_BackupSetup.h"
#include "entrance/maintenance/Form_CompanySetup.h"
#include "tests/entrance/ScreenFixture.h"
#include "ui/FileDialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QMdiArea>
#include <QPushButton>
#include <sys/stat.h>

using namespace entrance;

namespace {

// The maintenance screens in a main area, as the menu opens them.
struct OperatorScreens : ScreenFixture {
    QMdiArea Area;
    TMessageAnswers Answers;

    OperatorScreens() {
        Area.resize(1200, 800);
        Area.show();
        SetMainArea(&Area);
    }
    ~OperatorScreens() override {
        for (TForm* form : std::initializer_list<TForm*>{EntranceSession().frmCompanySetup,
                                                         EntranceSession().frmBackupSetup})
            delete form;
        SetMainArea(nullptr);
    }
};

// The permission bits of a file.
unsigned Mode(const QString& file) {
    struct stat info {};
    return stat(QFile::encodeName(file).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

// The settings file holds the administrator's password: a save leaves it readable by its owner
// only, when it is made and when it was left open to others.
TEST_F(OperatorScreens, SettingsFileIsTheOwnersOnlyAfterASave) {
    const QString store = TRegistry::StoreFileName();
    QFile::remove(store);
    for (const QString name : {"山田商事", "山田工業"}) {
        TfrmCompanySetup* form = OpenMdiChild(EntranceSession().frmCompanySetup);
        ASSERT_TRUE(form);
        form->DBEdit1->setFocus();
        form->DBEdit1->selectAll();
        form->DBEdit1->insert(name);
        form->btnOK->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(ReadAppRegistry("CompanyName"), name);
        EXPECT_EQ(Mode(store), 0600u) << name.toStdString();
        ASSERT_EQ(chmod(QFile::encodeName(store).constData(), 0644), 0);
    }
}

// The backup's progress panel shows its longest text whole.
TEST_F(OperatorScreens, BackupProgressShowsTheWholeText) {
    TfrmBackupSetup* form = OpenMdiChild(EntranceSession().frmBackupSetup);
    ASSERT_TRUE(form);
    const QString text = "認証機コミュニケーションを停止しています。";
    form->StatusPanel1->setText(text);
    QCoreApplication::processEvents();
    EXPECT_GE(form->StatusPanel1->contentsRect().width(),
              form->StatusPanel1->fontMetrics().horizontalAdvance(text));
    form->grab().save(TestOutputFolder() + "/TfrmBackupSetup_progress.png");
}

// The restore's folder dialog opens where the last backup went, also after another folder
// dialog looked elsewhere, and its side bar shows its places' names whole.
TEST_F(OperatorScreens, RestoreFolderDialogOpensInTheBackupFolder) {
    qunsetenv("BREVANE_FOLDER");
    const QString backups = Temp.File("backups");
    const QString elsewhere = Temp.File("elsewhere");
    ASSERT_TRUE(QDir().mkpath(backups) && QDir().mkpath(elsewhere));
    const QString file = Temp.File("ENTRANCESTATE.DB");
    QFile data(file);
    ASSERT_TRUE(data.open(QIODevice::WriteOnly) && data.write("state") == 5);
    data.close();

    const auto pick = [](const QString& folder) {
        WhenShown<QFileDialog>([folder](QFileDialog* dialog) {
            dialog->setDirectory(folder);
            QMetaObject::invokeMethod(dialog, "accept");
        });
    };
    ClearResFile();
    AddResFile(file);
    pick(backups);
    ASSERT_TRUE(StartBackup(nullptr, "CompName"));
    pick(elsewhere);
    ASSERT_EQ(GetExistingDirectory(nullptr, "PDF"), elsewhere);

    QString opened;
    int sideBarWidth = 0, sideBarNeeds = 0;
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
        opened = dialog->directory().absolutePath();
        auto* sideBar = dialog->findChild<QListView*>("sidebar");
        sideBarWidth = sideBar->viewport()->width();
        sideBarNeeds = sideBar->sizeHintForColumn(0);
        dialog->grab().save(TestOutputFolder() + "/QFileDialog_restore.png");
        dialog->reject();
    });
    EXPECT_EQ(StartRestore(nullptr, Temp.File("live"), "CompName"), TRestoreResult::Cancelled);
    EXPECT_EQ(opened, backups);
    EXPECT_GE(sideBarWidth, sideBarNeeds);
}
