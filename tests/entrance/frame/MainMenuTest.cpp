#include "base/ErrorLogFile.h"
#include "base/SysUtils.h"
#include "base/Text.h"
#include "components/dbctrls/DBEdit.h"
#include "dbengine/Database.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/data/DataModule1.h"
#include "entrance/frame/MdiMainMenu.h"
#include "entrance/frame/Zezoduzu.h"
#include "entrance/login/Form_LogIN.h"
#include "entrance/maintenance/Form_CompanySetup.h"
#include "entrance/persons/ImageReadWait.h"
#include "protocol/CommRequests.h"
#include "tests/common/TempFolder.h"
#include "tests/entrance/LogInFixture.h"
#include "ui/CopyData.h"
#include "ui/Form.h"

#include <QLocalServer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace entrance;

namespace {

void RunDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// How the test screen behaves while it is created.
enum TScreenStart { Opens, ClosesAtCreate, ThrowsAtCreate };

// A master-data screen as the menu opens them: its close shows the menu again on its category.
class TTestScreen : public TForm {
public:
    TTestScreen(QWidget* owner, TScreenStart start) : TForm(owner) {
        ++Created;
        resize(300, 200);
        if (start == ThrowsAtCreate)
            throw Exception("作れません");
        if (start == ClosesAtCreate)
            close();
    }
    static inline int Created = 0;

protected:
    void FormClose(TCloseAction&) override {
        EntranceSession().mdiMainMenu->ShowMenu();
        EntranceSession().mdiMainMenu->ReselectCategory(EntranceSession().mdiMainMenu->Panel7);
    }
};

QPointer<TTestScreen> frmTestScreen;

// The main window, shown, with the department button opening the test screen.
class MainMenuTest : public ::testing::Test {
protected:
    MainMenuTest() {
        TTestScreen::Created = 0;
        Main.resize(1000, 700);
        Main.show();
        QObject::disconnect(Main.BitBtn9, nullptr, nullptr, nullptr); // its own screen
        Main.ConnectMenuButton(Main.BitBtn9, [this](TmdiMainMenu* m) -> TForm* {
            return OpenMdiChild(frmTestScreen, m, Start);
        });
    }
    ~MainMenuTest() override { RunDeferredDeletes(); }
    bool MenuShown() const {
        return Main.Panel2->isVisible() && Main.PanelMDI->isVisible() &&
               Main.PanelMain->isVisible();
    }

    TScreenStart Start = Opens;
    TmdiMainMenu Main;
};

} // namespace

// The button hides the menu and opens its screen once; closing the screen brings the menu
// back on the screen's own category.
TEST_F(MainMenuTest, OpensAScreenOnceAndShowsTheMenuAgain) {
    EXPECT_EQ(Main.Category(), 1);
    Main.SelectCategory(3);
    Main.BitBtn9->click();
    EXPECT_FALSE(Main.Panel2->isVisible());
    EXPECT_FALSE(Main.PanelMDI->isVisible());
    ASSERT_TRUE(frmTestScreen);
    EXPECT_TRUE(frmTestScreen->isVisible());
    Main.SelectCategory(1);
    Main.BitBtn9->click();
    EXPECT_EQ(TTestScreen::Created, 1);
    EXPECT_EQ(Main.MdiArea->subWindowList().size(), 1);

    frmTestScreen->close();
    EXPECT_TRUE(MenuShown());
    EXPECT_EQ(Main.Category(), 3);
    RunDeferredDeletes();
    EXPECT_TRUE(frmTestScreen.isNull());
    EXPECT_TRUE(Main.MdiArea->subWindowList().isEmpty());
}

// A screen that closes itself or fails while it is created leaves the menu shown on the
// button's category, and nothing open.
TEST_F(MainMenuTest, AScreenNotOpenedLeavesTheMenuShown) {
    for (TScreenStart start : {ClosesAtCreate, ThrowsAtCreate}) {
        SCOPED_TRACE(start);
        Start = start;
        Main.SelectCategory(3);
        if (start == ThrowsAtCreate)
            EXPECT_THROW(Main.BitBtn9->click(), Exception);
        else
            Main.BitBtn9->click();
        EXPECT_TRUE(MenuShown());
        EXPECT_EQ(Main.Category(), 3);
        EXPECT_TRUE(frmTestScreen.isNull());
        RunDeferredDeletes();
        EXPECT_TRUE(Main.MdiArea->subWindowList().isEmpty());
    }
}

// The category panels choose the menu; the menu area stays in the middle of the client area.
TEST_F(MainMenuTest, CategoriesAndCentring) {
    const struct {
        TMenuPanel* Panel;
        QWidget* Menu;
        const char* Name;
    } cases[] = {
        {Main.Panel7, Main.pnlMenu5, "マスタ登録メニュー"},
        {Main.Panel8, Main.pnlMenu4, "メンテナンスメニュー"},
        {Main.Panel9, Main.pnlMenu3, "各種設定メニュー"},
        {Main.Panel5, Main.pnlMenu1, "入退室管理メニュー"},
    };
    for (const auto& c : cases) {
        QTest::mouseClick(c.Panel, Qt::LeftButton);
        EXPECT_EQ(Main.LabelMenuName->text(), c.Name);
        EXPECT_TRUE(c.Menu->isVisible());
        EXPECT_EQ(c.Panel->palette().color(QPalette::Window), QColor(Qt::blue));
    }
    EXPECT_FALSE(Main.Panel6->isVisible());
    for (QSize size : {QSize(1000, 700), QSize(1300, 900)}) {
        Main.resize(size);
        QCoreApplication::processEvents();
        const QRect area = Main.PanelMDI->rect();
        const QRect menu = Main.PanelMain->geometry();
        EXPECT_LE(std::abs(menu.center().x() - area.center().x()), 1);
        EXPECT_LE(std::abs(menu.center().y() - area.center().y()), 1);
    }
    Main.ShowVersion();
    Main.grab().save(TestOutputFolder() + "/TmdiMainMenu.png");
}

// Answers to an image read, sent to the main window's caption over the local socket: only the
// asked person on the asked unit, or "not registered" on the asked unit, change the result.
TEST_F(MainMenuTest, ImageReadAnswersOverTheLocalSocket) {
    auto* server = Main.findChild<QLocalServer*>();
    ASSERT_NE(server, nullptr);
    // Each request's connection is freed once the request was handled.
    struct TDoneCounter : QObject {
        int Done = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            Done += event->type() == QEvent::ChildRemoved;
            return false;
        }
    } handled;
    server->installEventFilter(&handled);
    const struct {
        int Code;
        QByteArray Payload;
        int Result;
    } cases[] = {
        {CD_READ_IMAGE_REPLY, QByteArray("1234567,3") + '\0', 1},
        {CD_READ_IMAGE_REPLY, QByteArray(",3") + '\0', -1},
        {CD_READ_IMAGE_REPLY, QByteArray(",4") + '\0', 0},
        {CD_READ_IMAGE_REPLY, QByteArray("1234567,4") + '\0', 0},
        {CD_READ_IMAGE_REPLY, QByteArray("7654321,3") + '\0', 0},
        {CD_READ_IMAGE_REPLY, QByteArray("1234567,3,1") + '\0', 0},
        {CD_READ_IMAGE_REPLY, QByteArray("1234567,x") + '\0', 0},
        {CD_READ_IMAGE, QByteArray("1234567,3") + '\0', 0},
        {CD_READ_IMAGE_REPLY, QByteArray(), 0},
        {CD_READ_IMAGE_REPLY, ToCP932("山田,3") + '\0', 0},
        {CD_READ_IMAGE_REPLY, QByteArray("1234567,3"), 1},
    };
    for (const auto& c : cases) {
        TImageReadWait wait;
        wait.PersonCode = "1234567";
        wait.UnitID = 3;
        const int before = handled.Done;
        ASSERT_TRUE(SendCopyData(EntranceCaption, c.Code, CommCaption, c.Payload));
        ASSERT_TRUE(QTest::qWaitFor([&] { return handled.Done > before; }, 5000));
        EXPECT_EQ(wait.ReadResult, c.Result) << c.Code << " " << c.Payload.constData();
    }
    // No read waiting: the answer is dropped.
    const int before = handled.Done;
    ASSERT_TRUE(SendCopyData(EntranceCaption, CD_READ_IMAGE_REPLY, CommCaption, "1234567,3"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return handled.Done > before; }, 5000));
}

TEST(VersionCaptionTest, FirstThreeNumbersOfTheBuildVersion) {
    EXPECT_EQ(VersionCaption("1.2.3.4"), "入退室管理システム　Ver.1.2.3  ");
    EXPECT_EQ(VersionCaption(""), "入退室管理システム　Ver.0.0.0  ");
}

// A cancelled login ends the program; after a good one (a local login on a data folder) the
// schema is upgraded and the business office's name shows, also in the registry for the
// reports, with the build's version.
TEST_F(LogInFixture, MainWindowAfterTheLogin) {
    Run(Temp.Path(),
        "INSERT INTO M_事業所 (事業所コード,事業所名,処理年度,処理月,勤怠締日,勤怠締月) "
        "VALUES (1,'北支店',2026,12,31,12)");
    {
        TmdiMainMenu main;
        EXPECT_FALSE(main.FormCreate([] { return int(mrCancel); }));
    }
    TmdiMainMenu main;
    ASSERT_TRUE(main.FormCreate([this] {
        const auto login = NewLogIn();
        login->NetworkPresent = false;
        login->FillPCList();
        return Attempt(*login, login->LocalPCName(), "管理者", "abc", "abc") ? int(mrOk)
                                                                             : int(mrCancel);
    })) << Messages.join("|").toStdString();
    EXPECT_EQ(main.pnlCampany->text(), "　事業所名：北支店");
    EXPECT_EQ(ReadAppRegistry("CompanyName"), "北支店");
    EXPECT_EQ(main.lblVersion->text(), VersionCaption(ZZ_VERSION));
    EXPECT_EQ(EntranceSession().ProcessingPeriod.Year, 2026);
    EXPECT_TRUE(EntranceSession().DM1->DB1->Connected());
    // The office screen from its button: the stored new name shows once the screen is gone.
    main.BitBtn5->click();
    ASSERT_TRUE(EntranceSession().frmCompanySetup);
    EntranceSession().frmCompanySetup->DBEdit1->setFocus();
    EntranceSession().frmCompanySetup->DBEdit1->selectAll();
    EntranceSession().frmCompanySetup->DBEdit1->insert("南支店");
    EntranceSession().frmCompanySetup->btnOK->click();
    EXPECT_TRUE(QTest::qWaitFor([] { return EntranceSession().frmCompanySetup.isNull(); }, 5000));
    EXPECT_EQ(main.pnlCampany->text(), "　事業所名：南支店");
    main.close();
    EXPECT_FALSE(EntranceSession().DM1->DB1->Connected());
}

// The program's start with its real login, cancelled: it ends with 0 and its main window
// never shows.
TEST_F(LogInFixture, CancelledLoginEndsTheProgramWithoutItsWindow) {
    EntranceSession().DM1 = nullptr;
    Module.reset();
    bool cancelled = false;
    bool mainShown = false;
    QTimer watch;
    watch.callOnTimeout([&] {
        mainShown = mainShown ||
                    (EntranceSession().mdiMainMenu && EntranceSession().mdiMainMenu->isVisible());
        if (auto* login = qobject_cast<TfrmLogIN*>(QApplication::activeModalWidget());
            login && !cancelled) {
            cancelled = true;
            login->Button1->click();
        }
    });
    watch.start(20);
    EXPECT_EQ(RunZezoduzu(ProgramFile()), 0);
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(mainShown);
    EXPECT_TRUE(EntranceSession().mdiMainMenu.isNull());
    EXPECT_EQ(EntranceSession().DM1, nullptr);
}

// A failed assert ends the management program with its message in the error log beside it.
TEST(ZezoduzuErrorLog, AFailedAssertIsLoggedBeforeTheProgramEnds) {
    TempFolder folder;
    EXPECT_DEATH(
        {
            LogQtFaultsBeside(folder.File("Zezoduzu"));
            Q_ASSERT_X(false, "TForm::ShowModal", "shown twice");
        },
        "");
    TErrorLog log(folder.File(ErrorLogName));
    log.LoadErrorLog();
    EXPECT_TRUE(log.Lines().value(0).contains("ASSERT failure in TForm::ShowModal"))
        << log.Lines().value(0).toStdString();
    qInstallMessageHandler(nullptr);
}
