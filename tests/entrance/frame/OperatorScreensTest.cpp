#include "components/grids/StrSortGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Form_Message.h"
#include "entrance/common/ResourceStrings.h"
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
#include "ui/ApplicationTitle.h"
#include "ui/CopyData.h"
#include "ui/Form.h"
#include "ui/ShowMessage.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QStyle>
#include <QStyleOptionComboBox>
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

// Runs `act` on the first message box that comes up while the timer lives, once it has been
// shown and the events after its show have run, then closes the box.
class TOnMessageBox {
public:
    explicit TOnMessageBox(std::function<void(QMessageBox*)> act) {
        QObject::connect(&FTimer, &QTimer::timeout, [this, act] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || ++FTicks < 3)
                return;
            FTimer.stop();
            act(box);
            box->done(QMessageBox::Ok);
        });
        FTimer.start(10);
    }

private:
    QTimer FTimer;
    int FTicks = 0;
};

// The width a window manager's title bar takes besides its text: the window's icon and the
// minimise, maximise and close buttons, with the spaces between them.
constexpr int TitleBarButtons = 100;
// The height of a window manager's title bar over a window.
constexpr int TitleBarHeight = 20;

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

// The person print dialog's list shows a person with a 7-character code and a long name whole.
TEST_F(OperatorScreens, PersonPrintDialogListShowsTheWholeItem) {
    Run("INSERT INTO M_個人情報 (個人コード,氏名,ﾌﾘｶﾞﾅ,部門コード) VALUES "
        "('0000005','長谷川 五郎左衛門之助','ﾊｾｶﾞﾜ',1)");
    TfrmUserEntry* screen = OpenPersonScreen(1);
    ASSERT_TRUE(screen);
    ASSERT_EQ(screen->GetCurrentUserCode(), "0000005");
    screen->btnPrint->click();
    QPointer<TfrmPrintRiyosya> dialog = EntranceSession().frmPrintRiyosya;
    ASSERT_TRUE(dialog);
    dialog->RadioRiyousya->click();
    Settle();
    QComboBox* list = dialog->cmbItem;
    ASSERT_EQ(list->currentText(), "0000005:長谷川 五郎左衛門之助");
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.editable = list->isEditable();
    const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxEditField, list);
    EXPECT_GE(field.width(), list->fontMetrics().horizontalAdvance(list->currentText()));
    EXPECT_GE(dialog->cmbGroup->width(), dialog->cmbGroup->sizeHint().width());
    dialog->grab().save(TestOutputFolder() + "/TfrmPrintRiyosya.png");
    dialog->btnCLOSE->click();
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

// The wait window shows its text and a moving bar while a long report builds its pages: what
// the window system asks once the work has begun (a window manager's first paint of the
// window) is served meanwhile, not after the work.
TEST_F(OperatorScreens, WaitWindowPaintsItsTextAndBarWhileAReportBuilds) {
    QStringList persons;
    for (int i = 1; i <= 600; ++i)
        persons << QString("('%1','利用者%2','ﾘﾖｳｼｬ',1)").arg(1000 + i).arg(i);
    Run("INSERT INTO M_個人情報 (個人コード,氏名,ﾌﾘｶﾞﾅ,部門コード) VALUES " + persons.join(','));
    TfrmUserEntry* screen = OpenPersonScreen(1);
    ASSERT_TRUE(screen);
    screen->btnPrint->click();
    QPointer<TfrmPrintRiyosya> dialog = EntranceSession().frmPrintRiyosya;
    ASSERT_TRUE(dialog);

    QImage seen;
    QString text;
    int value = -1, maximum = 0;
    QTimer asked; // stands for the window system's request, due as soon as events run
    asked.setInterval(0);
    QObject::connect(&asked, &QTimer::timeout, [&] {
        TfrmMessage* wait = EntranceSession().frmMessage;
        if (!seen.isNull() || !wait || !wait->PBar1->isVisible() ||
            (rptPreview && rptPreview->isVisible()))
            return;
        seen = wait->screen()->grabWindow(wait->winId()).toImage();
        text = wait->Ed_Message->text() + wait->Ed_MainMes->text();
        value = wait->PBar1->value();
        maximum = wait->PBar1->maximum();
        seen.save(TestOutputFolder() + "/TfrmMessage_report.png");
    });
    asked.start();
    RunReportBy([&] { dialog->btnPrint->click(); }, "OperatorScreens_long_person_list", 0);
    dialog->btnCLOSE->click();

    ASSERT_FALSE(seen.isNull()) << "no event ran while the pages were built";
    EXPECT_EQ(text, LoadStr(65150) + "しばらくお待ち下さい・・・。");
    EXPECT_GT(maximum, 0);
    EXPECT_LE(value, maximum);
    QSet<QRgb> colours;
    for (int y = 0; y < seen.height(); ++y)
        for (int x = 0; x < seen.width(); ++x)
            colours.insert(seen.pixel(x, y));
    EXPECT_GT(colours.size(), 8) << "painted, not an empty frame";
}

// The person screen opened from the menu takes a new person: the code typed at once lands in
// the code field. Tab then walks the screen as it reads: the filters, the list, the person's
// fields, and the command buttons row by row, 閉じる last.
TEST_F(OperatorScreens, PersonScreenStartsInTheCodeFieldAndTabsInTheScreensOrder) {
    Main.BitBtn11->click();
    TfrmUserEntry* screen = EntranceSession().frmUserEntry;
    ASSERT_TRUE(screen);
    Settle();
    ASSERT_TRUE(QApplication::focusWidget());
    QTest::keyClicks(QApplication::focusWidget(), "0009");
    EXPECT_EQ(screen->Ed_Code->text(), "0009");
    screen->grab().save(TestOutputFolder() + "/TfrmUserEntry_new.png");

    QList<QWidget*> walked;
    for (QWidget* w = QApplication::focusWidget(); w && !walked.contains(w);
         w = QApplication::focusWidget()) {
        walked << w;
        QTest::keyClick(w, Qt::Key_Tab);
        if (walked.size() > 60)
            break;
    }
    QList<QWidget*> order;
    order << screen->RadioAll << screen->cmbCategory << screen->btnClear << screen->UserGrid
          << screen->Ed_Code << screen->Ed_Name << screen->cmbBlood << screen->btnEdit
          << screen->btnNew << screen->btnOK << screen->btnEnterCancel << screen->btnPrint
          << screen->btnEntrance << screen->btnCLOSE;
    const qsizetype start = walked.indexOf(order.first());
    QList<QWidget*> seen;
    for (qsizetype i = 0; i < walked.size(); ++i) {
        QWidget* w = walked[(start + i) % walked.size()];
        if (order.contains(w))
            seen << w;
    }
    QStringList names;
    for (QWidget* w : seen)
        names << (qobject_cast<QAbstractButton*>(w) ? qobject_cast<QAbstractButton*>(w)->text()
                                                    : w->metaObject()->className());
    EXPECT_EQ(seen, order) << names.join(" > ").toStdString();
}

// The file dialog of a PDF speaks Japanese, dates and side bar included, and offers the report's
// caption without its blanks in the user's documents folder.
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
    int sideBarWidth = 0, sideBarNeeds = 0;
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
        auto* sideBar = dialog->findChild<QListView*>("sidebar");
        sideBarWidth = sideBar->viewport()->width();
        sideBarNeeds = sideBar->sizeHintForColumn(0);
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
    EXPECT_GE(sideBarWidth, sideBarNeeds) << "コンピュータ whole in the side bar";
}

// A PDF that cannot be written, found as the job begins or as it ends: the message names the
// file and the reason, and the preview stays open for another try.
TEST_F(OperatorScreens, PdfThatCannotBeWrittenIsNamedWithTheReason) {
    ASSERT_TRUE(QDir().mkpath(Temp.File("フォルダ.pdf")));
    const struct {
        QString File, Reason;
    } cases[] = {
        {Temp.File("無い/事業所情報.pdf"), "フォルダ「" + Temp.File("無い") + "」がありません。"},
        {Temp.File("フォルダ.pdf"), "同じ名前のフォルダがあります。"},
        // A full disk: the file opens, its writing fails.
        {"/dev/full", "ディスクに空きがないか、書き込めない場所です。"},
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

// A short message gets a box wide enough for its whole title (in the bold face window managers
// show titles in) beside the title bar's buttons, not a title cut to "…".
TEST_F(OperatorScreens, MessageBoxShowsItsWholeTitle) {
    SetApplicationTitle("入退室管理");
    int width = 0;
    const TOnMessageBox look([&](QMessageBox* box) {
        width = box->frameGeometry().width();
        box->grab().save(TestOutputFolder() + "/QMessageBox_finished.png");
    });
    ShowMessage("終了しました。");
    SetApplicationTitle({});
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    EXPECT_GE(width, QFontMetrics(titleFont).horizontalAdvance("入退室管理") + TitleBarButtons);
}

// A message box that comes up while the wait window shows finds the wait window above it, clear
// of the title bar the window manager adds over the box once it is shown (offscreen, as at the
// moment the box is shown, the box has no frame yet).
TEST_F(OperatorScreens, WaitWindowKeepsClearOfTheTitleBarOfAMessageBox) {
    QWidget screen;
    const TWaitWindowScope wait(&screen, "ネットワークコンピュータの一覧を取得しています。");
    ASSERT_TRUE(EntranceSession().frmMessage);
    QApplication::setActiveWindow(&Main); // a window manager gives the wait window no focus
    QRect waitFrame, boxArea;
    const TOnMessageBox look([&](QMessageBox* box) {
        waitFrame = EntranceSession().frmMessage->frameGeometry();
        boxArea = box->geometry();
        box->screen()->grabWindow(0).save(TestOutputFolder() + "/TfrmMessage_over_QMessageBox.png");
    });
    ShowMessage("ネットワークコンピュータが見つかりませんでした。");
    EXPECT_LT(waitFrame.bottom(), boxArea.top() - TitleBarHeight);
    EXPECT_GE(waitFrame.top(), 0);
}
