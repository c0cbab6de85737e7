#include "components/grids/StrSortGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/frame/MdiMainMenu.h"
#include "entrance/persons/Form_UserEntry.h"
#include "entrance/reports/persons/Form_PrintRiyosya.h"
#include "tests/entrance/EntranceFixture.h"
#include "tests/entrance/reports/ReportRun.h"
#include "ui/Form.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

using namespace entrance;

namespace {

// The main window, shown and active, on a data folder with two departments and two persons.
struct OperatorScreens : EntranceFixture {
    TmdiMainMenu Main;

    OperatorScreens() {
        Run("INSERT INTO M_部門 (部門コード,部門名) VALUES (1,'総務'), (2,'営業')");
        Run("INSERT INTO M_個人情報 (個人コード,氏名,ﾌﾘｶﾞﾅ,部門コード) VALUES "
            "('0001','山田','ﾔﾏﾀﾞ',1), ('0002','佐藤','ｻﾄｳ',2)");
        Main.resize(1200, 800);
        Main.show();
        QApplication::setActiveWindow(&Main);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Main));
    }
    ~OperatorScreens() override {
        for (QMdiSubWindow* sub : Main.MdiArea->subWindowList())
            delete sub;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Lets the window system's answers (activation, focus) arrive, as between two clicks.
    static void Settle() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    // The dialog's frame is the active one and lies above `screen`'s.
    ::testing::AssertionResult InFront(QWidget* dialog, QWidget* screen) {
        Settle();
        const QList<QMdiSubWindow*> stack = Main.MdiArea->subWindowList(QMdiArea::StackingOrder);
        auto* dialogFrame = qobject_cast<QMdiSubWindow*>(dialog->parentWidget());
        auto* screenFrame = qobject_cast<QMdiSubWindow*>(screen->parentWidget());
        if (Main.MdiArea->activeSubWindow() != dialogFrame)
            return ::testing::AssertionFailure()
                   << "active: "
                   << (Main.MdiArea->activeSubWindow()
                           ? Main.MdiArea->activeSubWindow()->windowTitle().toStdString()
                           : std::string("none"));
        if (stack.indexOf(dialogFrame) < stack.indexOf(screenFrame))
            return ::testing::AssertionFailure() << "the dialog lies below the screen";
        return ::testing::AssertionSuccess();
    }
};

} // namespace

// The person print dialog stays in front of the person screen it disabled: after its preview
// closes, and after a click on the screen's title bar or contents, which the disabled screen
// does not take.
TEST_F(OperatorScreens, PersonPrintDialogStaysInFrontOfItsScreen) {
    Main.BitBtn11->click();
    TfrmUserEntry* screen = EntranceSession().frmUserEntry;
    ASSERT_TRUE(screen);
    screen->UserGrid->SetRow(2);
    screen->btnEditClick();
    screen->btnPrint->click();
    QPointer<TfrmPrintRiyosya> dialog = EntranceSession().frmPrintRiyosya;
    ASSERT_TRUE(dialog);
    auto* screenFrame = qobject_cast<QMdiSubWindow*>(screen->parentWidget());
    ASSERT_TRUE(screenFrame);
    EXPECT_TRUE(InFront(dialog, screen));
    EXPECT_FALSE(screenFrame->isEnabled()) << "its frame and title bar too";

    RunReportBy([&] { dialog->btnPrint->click(); }, "OperatorScreens_person_list", 0);
    EXPECT_TRUE(InFront(dialog, screen)) << "after the preview closed";

    QTest::mouseClick(screenFrame, Qt::LeftButton, {}, QPoint(screenFrame->width() / 3, 8));
    EXPECT_TRUE(InFront(dialog, screen)) << "after a click on the screen's title bar";
    QTest::mouseClick(screen->UserGrid->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_TRUE(InFront(dialog, screen)) << "after a click on the screen's list";
    Main.grab().save(TestOutputFolder() + "/TfrmPrintRiyosya_over_TfrmUserEntry.png");

    dialog->btnCLOSE->click();
    Settle();
    EXPECT_TRUE(screenFrame->isEnabled());
    EXPECT_TRUE(screen->isEnabled());
    EXPECT_EQ(Main.MdiArea->activeSubWindow(), screenFrame);
}
