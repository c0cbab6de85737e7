#include "SampleReport.h"
#include "components/report/FormPrintSet.h"
#include "components/report/LRPrvSpl.h"
#include "components/report/PreviewImage.h"
#include "components/report/RepPreview.h"
#include "tests/common/TempFolder.h"
#include "ui/Printer.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Answers the message boxes and file dialogs that come up while it lives: message texts are
// kept and confirmed, file dialogs get `FileName`.
class TModalAnswerer {
public:
    TModalAnswerer() {
        FTimer.setInterval(10);
        QObject::connect(&FTimer, &QTimer::timeout, [this] { Answer(); });
        FTimer.start();
    }
    QStringList Messages;
    QString FileName;

private:
    void Answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            Messages << box->text();
            box->accept();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            // Typed as a user types it; a selection may still be replaced while the folder loads.
            if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit"))
                edit->setText(FileName);
            static_cast<QDialog*>(dialog)->accept();
        }
    }
    QTimer FTimer;
};

// A report form's binding to the shared windows, with a preview of 70 rows on 7 pages.
struct BoundReport {
    BoundReport() {
        if (!frmPrintSet)
            frmPrintSet = new TfrmPrintSet;
        if (!rptPreview)
            rptPreview = new TrptPreview;
        rptPreview->btnClose->OnClick = [this](QObject*) { ++Closed; };
        frmPrintSet->btnPrint->OnClick = [this](QObject*) { PrintClick(); };
        rptPreview->setWindowTitle("サンプル");
        rptPreview->SetReport(report.LightRep1, &preview);
        report.Preview(preview, rptPreview->Image1);
        rptPreview->show();
    }
    ~BoundReport() {
        if (rptPreview)
            rptPreview->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void PrintClick() {
        report.Print();
        frmPrintSet->close();
    }
    TLightRep* Page() { return report.LightRep1; }
    TSampleReport report{70};
    TLRPreviewControl preview;
    int Closed = 0;
};

} // namespace

TEST(PrintDialog, RangeButtons) {
    BoundReport bound;
    bound.preview.MoveTo(3);
    frmPrintSet->show();
    EXPECT_EQ(frmPrintSet->pnlNowPage->text(), "3 ページ");
    EXPECT_EQ(frmPrintSet->EditEndPage->text(), "7");
    EXPECT_EQ(frmPrintSet->lblMaxPage->text(), "/7");
    EXPECT_TRUE(frmPrintSet->RadioAll->isChecked());
    EXPECT_EQ(bound.Page()->FirstPage, 1);
    EXPECT_EQ(bound.Page()->LastPage, 7);
    EXPECT_FALSE(frmPrintSet->EditStartPage->isEnabled());

    frmPrintSet->RadioNow->click();
    EXPECT_EQ(bound.Page()->FirstPage, 3);
    EXPECT_EQ(bound.Page()->LastPage, 3);

    TModalAnswerer answerer;
    frmPrintSet->EditStartPage->setText("0");
    frmPrintSet->EditEndPage->setText("99");
    frmPrintSet->RadioPage->click();
    EXPECT_TRUE(frmPrintSet->EditStartPage->isEnabled());
    EXPECT_EQ(bound.Page()->FirstPage, 1);
    EXPECT_EQ(bound.Page()->LastPage, 7);
    EXPECT_TRUE(answerer.Messages.isEmpty());

    frmPrintSet->EditStartPage->setText("5");
    frmPrintSet->EditEndPage->setText("2");
    frmPrintSet->RadioClick();
    EXPECT_EQ(answerer.Messages, QStringList{"印刷範囲が正しくありません。"});
    EXPECT_EQ(bound.Page()->FirstPage, 5);
    EXPECT_EQ(bound.Page()->LastPage, 2);
    answerer.Messages.clear();
    TempFolder folder;
    answerer.FileName = folder.File("range.pdf");
    frmPrintSet->btnPrint->click();
    EXPECT_EQ(answerer.Messages, QStringList{"印刷ページ範囲が正しくありません．"})
        << "the page refuses the range, and the user is told";
    EXPECT_EQ(bound.Page()->LastPage, 5);

    frmPrintSet->EditEndPage->setText("");
    frmPrintSet->RadioClick();
    EXPECT_EQ(answerer.Messages.size(), 2);
    EXPECT_EQ(bound.Page()->FirstPage, 5) << "a range without numbers changes nothing";

    // Showing the dialog again starts from all pages.
    frmPrintSet->hide();
    frmPrintSet->show();
    EXPECT_EQ(bound.Page()->FirstPage, 1);
    EXPECT_EQ(bound.Page()->LastPage, 7);
}

TEST(PrintDialog, LeavingTheRangeEdits) {
    BoundReport bound;
    frmPrintSet->show();
    frmPrintSet->RadioPage->click();
    TModalAnswerer answerer;
    const struct {
        QLineEdit* edit;
        QString typed, other;
        int first, last;
        QString message, shown;
        int firstAfter, lastAfter;
    } table[] = {
        {frmPrintSet->EditStartPage, "-3", "7", 1, 7, "", "1", 1, 7},
        {frmPrintSet->EditStartPage, "9", "6", 1, 6, "終了ページを超えています。", "6", 6, 6},
        {frmPrintSet->EditStartPage, "", "7", 2, 7, "ページ数を指定してください。", "2", 2, 7},
        {frmPrintSet->EditEndPage, "12", "1", 1, 5, "", "7", 1, 7},
        {frmPrintSet->EditEndPage, "2", "3", 3, 7, "開始ページより小さい値になっています。", "3", 3,
         3},
        {frmPrintSet->EditEndPage, "", "3", 3, 5, "ページ数を指定してください。", "5", 3, 5},
    };
    for (const auto& row : table) {
        answerer.Messages.clear();
        bound.Page()->FirstPage = row.first;
        bound.Page()->LastPage = row.last;
        QLineEdit* other = row.edit == frmPrintSet->EditStartPage ? frmPrintSet->EditEndPage
                                                                  : frmPrintSet->EditStartPage;
        other->setText(row.other);
        row.edit->setText(row.typed);
        if (row.edit == frmPrintSet->EditStartPage)
            frmPrintSet->EditStartPageExit();
        else
            frmPrintSet->EditEndPageExit();
        EXPECT_EQ(answerer.Messages.value(0), row.message) << row.typed.toStdString();
        EXPECT_EQ(row.edit->text(), row.shown) << row.typed.toStdString();
        EXPECT_EQ(bound.Page()->FirstPage, row.firstAfter) << row.typed.toStdString();
        EXPECT_EQ(bound.Page()->LastPage, row.lastAfter) << row.typed.toStdString();
    }
    frmPrintSet->EditStartPage->setText("");
    QTest::keyClicks(frmPrintSet->EditStartPage, "a1-b2");
    EXPECT_EQ(frmPrintSet->EditStartPage->text(), "12") << "only digits arrive";
    QTest::keyClick(frmPrintSet->EditStartPage, Qt::Key_Escape);
    EXPECT_TRUE(frmPrintSet->isVisible()) << "Esc only moves to the cancel button";
    EXPECT_EQ(frmPrintSet->focusWidget(), frmPrintSet->btnCancel);
}

TEST(PrintDialog, PrintsTheChosenPagesToTheChosenPrinter) {
    TempFolder folder;
    BoundReport bound;
    bound.preview.MoveTo(3);
    rptPreview->Refresh();
    frmPrintSet->show();
    ASSERT_EQ(frmPrintSet->ComboPrinter->count(), Printer()->Printers().size());
    EXPECT_EQ(frmPrintSet->ComboPrinter->currentText(), TPrinter::PdfPrinterName);
    frmPrintSet->RadioNow->click();
    TModalAnswerer answerer;
    answerer.FileName = folder.File("三頁目.pdf");
    frmPrintSet->btnPrint->click();
    EXPECT_EQ(Printer()->OutputFileName(), answerer.FileName);
    const QString text = RunTool("pdftotext", {answerer.FileName, "-"});
    EXPECT_TRUE(text.contains("利用者21 山田太郎"));
    EXPECT_FALSE(text.contains("利用者31 山田太郎"));
    EXPECT_EQ(bound.report.HeaderCount, 7) << "every page is laid out, one is printed";
    EXPECT_TRUE(
        RunTool("pdfinfo", {answerer.FileName}).contains(QRegularExpression("Pages:\\s+1\\n")));
}

TEST(PreviewWindow, PageButtonsAndPageEdit) {
    BoundReport bound;
    EXPECT_EQ(rptPreview->Ed_Page->text(), "1");
    EXPECT_EQ(rptPreview->pnlMaxPage->text(), "/7");
    EXPECT_EQ(rptPreview->PanelPage->text(), "1ﾍﾟｰｼﾞ");
    EXPECT_FALSE(rptPreview->btnPrior->isEnabled());
    rptPreview->btnNext->click();
    EXPECT_EQ(bound.preview.CurrentPage(), 2);
    EXPECT_TRUE(rptPreview->btnPrior->isEnabled());

    rptPreview->Ed_Page->clear();
    QTest::keyClicks(rptPreview->Ed_Page, "9x9y99");
    EXPECT_EQ(rptPreview->Ed_Page->text(), "9999");
    QTest::keyClick(rptPreview->Ed_Page, Qt::Key_Return);
    EXPECT_EQ(bound.preview.CurrentPage(), 7);
    EXPECT_EQ(rptPreview->Ed_Page->text(), "7");
    EXPECT_FALSE(rptPreview->btnNext->isEnabled());

    rptPreview->Ed_Page->setText("0");
    rptPreview->btnMovePageClick();
    EXPECT_EQ(bound.preview.CurrentPage(), 1);
    rptPreview->Ed_Page->setText("x");
    rptPreview->btnMovePageClick();
    EXPECT_EQ(rptPreview->Ed_Page->text(), "1");
    rptPreview->Ed_Page->setText("4");
    rptPreview->btnMovePageClick();
    EXPECT_EQ(rptPreview->PanelPage->text(), "4ﾍﾟｰｼﾞ");

    rptPreview->showNormal();
    rptPreview->resize(500, 400);
    EXPECT_EQ(rptPreview->Image1->x(), 20);
    rptPreview->resize(1200, 800);
    EXPECT_EQ(rptPreview->Image1->x(), (1200 - 794) / 2);
    EXPECT_EQ(rptPreview->Image1->size(), QSize(794, 1123));
    rptPreview->grab().save(TestOutputFolder() + "/report-preview-window.png");
}

TEST(PreviewWindow, ClosingRunsTheReportsCloseMethodAndFreesBoth) {
    BoundReport bound;
    QPointer<TrptPreview> window = rptPreview;
    rptPreview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(bound.Closed, 1);
    EXPECT_EQ(frmPrintSet, nullptr);
    EXPECT_EQ(rptPreview, nullptr);
    EXPECT_TRUE(window.isNull());

    BoundReport again;
    rptPreview->btnClose->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(again.Closed, 1) << "the close button and the close box act alike";
    EXPECT_EQ(rptPreview, nullptr);
}
