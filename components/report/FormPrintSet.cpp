#include "FormPrintSet.h"

#include "base/Convert.h"
#include "components/report/LRPrvSpl.h"
#include "components/report/RepPreview.h"
#include "ui/FileDialog.h"
#include "ui/Printer.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

TfrmPrintSet* frmPrintSet = nullptr;

bool PageNumberOf(const QString& text, int& value) {
    return TryStrToInt(text, value);
}

namespace {

TLightRep* BoundPage() {
    return rptPreview ? rptPreview->LightRep() : nullptr;
}

int BoundPageCount() {
    return rptPreview && rptPreview->PreviewControl() ? rptPreview->PreviewControl()->PageCount()
                                                      : 0;
}

int BoundCurrentPage() {
    return rptPreview && rptPreview->PreviewControl() ? rptPreview->PreviewControl()->CurrentPage()
                                                      : 0;
}

void SetRange(int first, int last) {
    if (TLightRep* page = BoundPage()) {
        page->FirstPage = first;
        page->LastPage = last;
    }
}

} // namespace

TfrmPrintSet::TfrmPrintSet(QWidget* parent) : QDialog(parent) {
    setWindowTitle("印刷");
    CreateControls();
    ComboPrinter->addItems(Printer()->Printers());
    Printer()->SetPrinterIndex(-1);
    ComboPrinter->setCurrentIndex(Printer()->PrinterIndex());
    FFirstActivation = true;
}

TfrmPrintSet::~TfrmPrintSet() {
    if (frmPrintSet == this)
        frmPrintSet = nullptr;
}

void TfrmPrintSet::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox("ﾌﾟﾘﾝﾀ", this);
    auto* printerRow = new QHBoxLayout(GroupBox1);
    Label1 = new QLabel("ﾌﾟﾘﾝﾀ名", GroupBox1);
    ComboPrinter = new QComboBox(GroupBox1);
    ComboPrinter->setMinimumWidth(240);
    printerRow->addWidget(Label1);
    printerRow->addWidget(ComboPrinter, 1);
    layout->addWidget(GroupBox1);

    GroupBox2 = new QGroupBox("印刷範囲", this);
    auto* range = new QGridLayout(GroupBox2);
    RadioAll = new QRadioButton("すべて(&A)", GroupBox2);
    RadioNow = new QRadioButton("現在のﾍﾟｰｼﾞ(&E)", GroupBox2);
    pnlNowPage = new QLabel(GroupBox2);
    pnlNowPage->setFrameShape(QFrame::Panel);
    pnlNowPage->setAutoFillBackground(true);
    RadioPage = new QRadioButton("ﾍﾟｰｼﾞ指定(&G)", GroupBox2);
    EditStartPage = new QLineEdit(GroupBox2);
    Label2 = new QLabel("から", GroupBox2);
    EditEndPage = new QLineEdit(GroupBox2);
    Label3 = new QLabel("まで", GroupBox2);
    lblMaxPage = new QLabel(GroupBox2);
    for (QLineEdit* edit : {EditStartPage, EditEndPage}) {
        edit->setAttribute(Qt::WA_InputMethodEnabled, false);
        edit->setMaximumWidth(60);
        edit->installEventFilter(this);
    }
    range->addWidget(RadioAll, 0, 0);
    range->addWidget(RadioNow, 1, 0);
    range->addWidget(pnlNowPage, 1, 1, 1, 2);
    range->addWidget(RadioPage, 2, 0);
    range->addWidget(EditStartPage, 2, 1);
    range->addWidget(Label2, 2, 2);
    range->addWidget(EditEndPage, 2, 3);
    range->addWidget(Label3, 2, 4);
    range->addWidget(lblMaxPage, 2, 5);
    layout->addWidget(GroupBox2);
    for (QRadioButton* radio : {RadioAll, RadioNow, RadioPage})
        connect(radio, &QRadioButton::clicked, this, &TfrmPrintSet::RadioClick);

    auto* buttons = new QHBoxLayout;
    btnPrint = new TLRButton("OK", this);
    btnCancel = new TLRButton("ｷｬﾝｾﾙ", this);
    buttons->addStretch();
    buttons->addWidget(btnPrint);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    // The report's print method runs only once the printer it chose is the one that prints.
    disconnect(btnPrint, &QPushButton::clicked, btnPrint, &TLRButton::Click);
    connect(btnPrint, &QPushButton::clicked, this, [this] {
        if (SelectPrinter())
            btnPrint->Click();
    });
    btnCancel->OnClick = [this](QObject*) { close(); };
}

bool TfrmPrintSet::SelectPrinter() {
    Printer()->SetPrinterIndex(std::max(0, ComboPrinter->currentIndex()));
    if (!Printer()->IsPdf())
        return true;
    const QString title = BoundPage() ? BoundPage()->Title : QString();
    const QString file =
        GetSaveFileName(this, windowTitle(), Printer()->SuggestedPdfFile(title), "PDF (*.pdf)");
    if (file.isEmpty())
        return false;
    Printer()->SetOutputFileName(file);
    return true;
}

void TfrmPrintSet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TfrmPrintSet::FormActivate() {
    pnlNowPage->setText(QString("%1 ページ").arg(BoundCurrentPage()));
    if (FFirstActivation) {
        EditStartPage->setText("1");
        EditEndPage->setText(QString::number(BoundPageCount()));
        lblMaxPage->setText(QString("/%1").arg(BoundPageCount()));
        FFirstActivation = false;
    }
    RadioAll->setChecked(true);
    RadioClick();
}

void TfrmPrintSet::SetEditsEnabled(bool enabled) {
    for (QLineEdit* edit : {EditStartPage, EditEndPage}) {
        edit->setEnabled(enabled);
        edit->setBackgroundRole(enabled ? QPalette::Base : QPalette::Button);
    }
    pnlNowPage->setEnabled(RadioNow->isChecked());
    pnlNowPage->setBackgroundRole(RadioNow->isChecked() ? QPalette::Base : QPalette::Button);
}

void TfrmPrintSet::RadioClick() {
    if (RadioAll->isChecked()) {
        SetRange(1, BoundPageCount());
        SetEditsEnabled(false);
    } else if (RadioNow->isChecked()) {
        SetRange(BoundCurrentPage(), BoundCurrentPage());
        SetEditsEnabled(false);
    } else if (RadioPage->isChecked()) {
        SetEditsEnabled(true);
        int start = 0, end = 0;
        if (!PageNumberOf(EditStartPage->text(), start) ||
            !PageNumberOf(EditEndPage->text(), end)) {
            LRMessage(this, "印刷範囲が正しくありません。");
            EditStartPage->setFocus();
            return;
        }
        start = std::max(start, 1);
        end = std::min(end, BoundPageCount());
        SetRange(start, end);
        if (start > end) {
            LRMessage(this, "印刷範囲が正しくありません。");
            EditStartPage->setFocus();
        }
    }
}

void TfrmPrintSet::EditStartPageExit() {
    TLightRep* page = BoundPage();
    if (!page)
        return;
    int start = 0;
    if (!PageNumberOf(EditStartPage->text(), start)) {
        LRMessage(this, "ページ数を指定してください。");
        EditStartPage->setText(QString::number(page->FirstPage));
        EditStartPage->setFocus();
        return;
    }
    if (start < 1) {
        start = 1;
        EditStartPage->setText("1");
    } else if (start > page->LastPage) {
        LRMessage(this, "終了ページを超えています。");
        PageNumberOf(EditEndPage->text(), start);
        EditStartPage->setText(EditEndPage->text());
        EditStartPage->setFocus();
    }
    page->FirstPage = start;
}

void TfrmPrintSet::EditEndPageExit() {
    TLightRep* page = BoundPage();
    if (!page)
        return;
    int end = 0;
    if (!PageNumberOf(EditEndPage->text(), end)) {
        LRMessage(this, "ページ数を指定してください。");
        EditEndPage->setText(QString::number(page->LastPage));
        EditEndPage->setFocus();
        return;
    }
    if (end > BoundPageCount()) {
        end = BoundPageCount();
        EditEndPage->setText(QString::number(end));
    } else if (end < page->FirstPage) {
        LRMessage(this, "開始ページより小さい値になっています。");
        end = page->FirstPage;
        EditEndPage->setText(QString::number(end));
        EditEndPage->setFocus();
    }
    page->LastPage = end;
}

void TfrmPrintSet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        btnCancel->setFocus();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Page edits take digits and backspace only; Enter moves on; leaving one checks it.
bool TfrmPrintSet::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (edit == EditStartPage)
                EditEndPage->setFocus();
            else
                btnPrint->setFocus();
            return true;
        }
        if (key->key() == Qt::Key_Escape)
            return false;
        return !PageEditKeyPasses(key);
    }
    if (event->type() == QEvent::FocusOut && !FExiting && edit->isEnabled()) {
        FExiting = true;
        if (edit == EditStartPage)
            EditStartPageExit();
        else
            EditEndPageExit();
        FExiting = false;
    }
    return QDialog::eventFilter(watched, event);
}

bool PageEditKeyPasses(const QKeyEvent* key) {
    const QString text = key->text();
    if (text.isEmpty() || !text[0].isPrint())
        return true;
    return text.size() == 1 && text[0] >= '0' && text[0] <= '9';
}
