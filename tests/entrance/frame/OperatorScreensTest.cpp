#include "components/grids/StrSortGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Form_Message.h"
#include "entrance/common/Unit_CommonWait.h"
#include "entrance/frame/MdiMainMenu.h"
#include "entrance/frame/ProgramLook.h"
#include "entrance/persons/Form_UserEntranceGazo.h"
#include "entrance/persons/Form_UserEntry.h"
#include "entrance/reports/masterlists/Report_Jigyosyo.h"
#include "entrance/reports/persons/Form_PrintRiyosya.h"
#include "protocol/CommRequests.h"
#include "tests/entrance/EntranceFixture.h"
#include "tests/entrance/reports/ReportRun.h"
#include "ui/CopyData.h"
#include "ui/Form.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace entrance;

namespace {

// The main window, shown and active, on a data folder with a running unit, two departments and
// two persons.
struct OperatorScreens : EntranceFixture {
    TmdiMainMenu Main;

    OperatorScreens() {
        Run("INSERT INTO entranceState (認証機ID,認証機名,作動状況) VALUES (1,'正面',1)", true);
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
    // The person screen as its menu button opens it, editing the person of list row `row`.
    TfrmUserEntry* OpenPersonScreen(int row) {
        Main.BitBtn11->click();
        TfrmUserEntry* screen = EntranceSession().frmUserEntry;
        if (screen) {
            screen->UserGrid->SetRow(row);
            screen->btnEditClick();
        }
        return screen;
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
        if (QMdiSubWindow* active = Main.MdiArea->activeSubWindow(); active != dialogFrame)
            return ::testing::AssertionFailure()
                   << "active: " << (active ? active->windowTitle().toStdString() : "none");
        if (stack.indexOf(dialogFrame) < stack.indexOf(screenFrame))
            return ::testing::AssertionFailure() << "the dialog lies below the screen";
        return ::testing::AssertionSuccess();
    }
    // Clicks the title bar of the screen's frame, then its contents.
    static void ClickOn(QWidget* screen, QWidget* contents) {
        QWidget* frame = screen->parentWidget();
        QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(frame->width() / 3, 8));
        QTest::mouseClick(contents, Qt::LeftButton, {}, QPoint(20, 10));
    }
    // Runs `act` on the preview of the business office list, then closes the preview.
    static void OnOfficeListPreview(const std::function<void()>& act) {
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!rptPreview || !rptPreview->isVisible())
                return;
            poll.stop();
            act();
            rptPreview->close();
        });
        poll.start(10);
        OpenReport(EntranceSession().Rep_Jigyosyo);
    }
};

} // namespace

// The person print dialog stays in front of the person screen it disabled: after its preview
// closes, and after a click on the screen's title bar or contents, which the disabled screen
// does not take.
TEST_F(OperatorScreens, PersonPrintDialogStaysInFrontOfItsScreen) {
    TfrmUserEntry* screen = OpenPersonScreen(2);
    ASSERT_TRUE(screen);
    screen->btnPrint->click();
    QPointer<TfrmPrintRiyosya> dialog = EntranceSession().frmPrintRiyosya;
    ASSERT_TRUE(dialog);
    QWidget* screenFrame = screen->parentWidget();
    EXPECT_TRUE(InFront(dialog, screen));
    EXPECT_FALSE(screenFrame->isEnabled()) << "its frame and title bar too";

    RunReportBy([&] { dialog->btnPrint->click(); }, "OperatorScreens_person_list", 0);
    EXPECT_TRUE(InFront(dialog, screen)) << "after the preview closed";
    ClickOn(screen, screen->UserGrid->viewport());
    EXPECT_TRUE(InFront(dialog, screen)) << "after a click on the screen";
    Main.grab().save(TestOutputFolder() + "/TfrmPrintRiyosya_over_TfrmUserEntry.png");

    dialog->btnCLOSE->click();
    Settle();
    EXPECT_TRUE(screen->isEnabled());
    EXPECT_EQ(Main.MdiArea->activeSubWindow(), screenFrame);
}

// The image dialog, too, keeps the person screen behind it until it closes.
TEST_F(OperatorScreens, ImageDialogStaysInFrontOfThePersonScreen) {
    TCopyDataServer comm(CommCaption, [](const TCopyData&) {});
    ASSERT_TRUE(comm.Start());
    TfrmUserEntry* screen = OpenPersonScreen(1);
    ASSERT_TRUE(screen);
    screen->btnImage->click();
    QPointer<TfrmUserEntranceGazo> dialog = EntranceSession().frmUserEntranceGazo;
    ASSERT_TRUE(dialog);
    ClickOn(screen, screen->UserGrid->viewport());
    EXPECT_TRUE(InFront(dialog, screen));
    dialog->btnCancel->click();
    Settle();
    EXPECT_TRUE(screen->isEnabled());
}

// Typing a stored person's code into a new entry edits that person: the list's highlight moves
// to that person's row.
TEST_F(OperatorScreens, PersonListHighlightFollowsThePersonOnTheScreen) {
    TfrmUserEntry* screen = OpenPersonScreen(1);
    ASSERT_TRUE(screen);
    screen->btnNewClick();
    QStringList messages;
    const TMessageAnswers answers(messages, QMessageBox::Ok);
    screen->Ed_Code->setText("0002");
    screen->Ed_Name->setFocus(); // leaves the code
    EXPECT_EQ(messages, QStringList{}) << "no question";
    EXPECT_EQ(screen->GetCurrentUserCode(), "0002");
    EXPECT_EQ(screen->UserGrid->Cells(0, screen->UserGrid->Row()), "0002");
    screen->RadioAllClick();
    EXPECT_EQ(screen->UserGrid->Cells(0, screen->UserGrid->Row()), "0002")
        << "also once the list is built again";
    screen->grab().save(TestOutputFolder() + "/TfrmUserEntry_highlight.png");
}

// The wait window opens at left 50, twice the height of the main window's top panel down.
TEST_F(OperatorScreens, WaitWindowOpensBelowTheMainWindowsTopPanel) {
    Main.move(40, 30);
    Settle();
    QWidget screen;
    {
        const TWaitWindowScope wait(&screen, "データを取得しています。");
        ASSERT_TRUE(EntranceSession().frmMessage);
        EXPECT_EQ(EntranceSession().frmMessage->frameGeometry().topLeft(),
                  Main.frameGeometry().topLeft() + QPoint(50, 2 * Main.Panel1->height()));
        EntranceSession().frmMessage->grab().save(TestOutputFolder() + "/TfrmMessage.png");
    }
}

// The file dialog of a PDF speaks Japanese, dates included, and offers the report's caption
// without its blanks in the user's documents folder.
TEST_F(OperatorScreens, PdfFileDialogOffersTheCaptionInTheDocumentsFolderInJapanese) {
    ASSERT_TRUE(SetProgramLook());
    TempFolder config;
    const QString documents = config.File("書類");
    ASSERT_TRUE(QDir().mkpath(documents));
    QFile dirs(config.File("user-dirs.dirs"));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write(QString("XDG_DOCUMENTS_DIR=\"%1\"\n").arg(documents).toUtf8());
    dirs.close();
    QFile old(documents + "/前回.pdf");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.setFileTime(QDateTime(QDate(2026, 12, 11), QTime(9, 5)), QFileDevice::FileModificationTime);
    old.close();
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.Path().toUtf8());
    Printer()->SetOutputFileName({});

    QString folder, name, size, date, fileNameLabel;
    QStringList buttons;
    QTimer fileDialog;
    QObject::connect(&fileDialog, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto* list = dialog->findChild<QTreeView*>("treeView");
        const QModelIndex root = list->rootIndex();
        for (int r = 0; r < list->model()->rowCount(root); ++r)
            if (list->model()->index(r, 0, root).data().toString() == "前回.pdf") {
                size = list->model()->index(r, 1, root).data().toString();
                date = list->model()->index(r, 3, root).data().toString();
            }
        if (date.isEmpty())
            return; // the folder is still being read
        fileDialog.stop();
        folder = dialog->directory().absolutePath();
        name = dialog->findChild<QLineEdit*>("fileNameEdit")->text();
        fileNameLabel = dialog->findChild<QLabel*>("fileNameLabel")->text();
        for (QAbstractButton* button : dialog->findChild<QDialogButtonBox*>()->buttons())
            buttons << button->text();
        dialog->grab().save(TestOutputFolder() + "/QFileDialog.png");
        dialog->reject();
    });
    fileDialog.start(10);
    OnOfficeListPreview([] {
        frmPrintSet->show();
        frmPrintSet->btnPrint->click();
        frmPrintSet->close();
    });
    qputenv("XDG_CONFIG_HOME", savedConfig);

    EXPECT_EQ(folder, documents);
    EXPECT_EQ(name, "事業所情報.pdf");
    EXPECT_EQ(size, "0 バイト");
    EXPECT_EQ(date, "2026/12/11 9:05");
    EXPECT_EQ(fileNameLabel, "ファイル名(&N):");
    EXPECT_EQ(buttons, QStringList({"保存(&S)", "キャンセル"}));
}

// A PDF that cannot be written: the message names the file and the reason, and the preview
// stays open for another try.
TEST_F(OperatorScreens, PdfThatCannotBeWrittenIsNamedWithTheReason) {
    ASSERT_TRUE(QDir().mkpath(Temp.File("フォルダ.pdf")));
    const struct {
        QString File, Reason;
    } cases[] = {
        {Temp.File("無い/事業所情報.pdf"), "フォルダ「" + Temp.File("無い") + "」がありません。"},
        {Temp.File("フォルダ.pdf"), "同じ名前のフォルダがあります。"},
    };
    for (const auto& c : cases) {
        QStringList messages;
        bool previewStayed = false;
        OnOfficeListPreview([&] {
            const TMessageAnswers answers(messages);
            Printer()->SetPrinterIndex(-1);
            ASSERT_TRUE(Printer()->IsPdf());
            Printer()->SetOutputFileName(c.File);
            frmPrintSet->show();
            frmPrintSet->btnPrint->Click();
            previewStayed = rptPreview && rptPreview->isVisible();
            frmPrintSet->close();
        });
        EXPECT_EQ(messages, QStringList{"PDFファイル「" + c.File + "」に書き込めませんでした。\n" +
                                        c.Reason});
        EXPECT_TRUE(previewStayed) << c.File.toStdString();
    }
}
