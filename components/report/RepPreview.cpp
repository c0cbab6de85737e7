#include "RepPreview.h"

#include "components/report/FormPrintSet.h"
#include "components/report/LRPrvSpl.h"
#include "components/report/PreviewImage.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

TrptPreview* rptPreview = nullptr;

namespace {
// The space left of the page when the window is narrower than it.
constexpr int ImageIndent = 20;
} // namespace

TrptPreview::TrptPreview(QWidget* parent) : QDialog(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowState(Qt::WindowMaximized);
    CreateControls();
    if (!frmPrintSet)
        frmPrintSet = new TfrmPrintSet;
}

TrptPreview::~TrptPreview() {
    if (rptPreview == this)
        rptPreview = nullptr;
}

void TrptPreview::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel2 = new QFrame(this);
    Panel2->setFixedHeight(32);
    auto* bar = new QHBoxLayout(Panel2);
    bar->setContentsMargins(4, 2, 4, 2);
    btnPrint = new TLRButton("印刷", Panel2);
    btnPrior = new TLRButton(QString(), Panel2);
    btnPrior->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    btnPrior->setToolTip("前ページへ移動します");
    btnNext = new TLRButton(QString(), Panel2);
    btnNext->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    btnNext->setToolTip("次ページへ移動します");
    btnClose = new TLRButton("閉じる", Panel2);
    btnMovePage = new TLRButton("移動", Panel2);
    btnMovePage->setVisible(false);
    PanelPage = new QLabel(Panel2);
    Panel1 = new QFrame(Panel2);
    auto* pageBox = new QHBoxLayout(Panel1);
    pageBox->setContentsMargins(0, 0, 0, 0);
    Ed_Page = new QLineEdit(Panel1);
    Ed_Page->setAlignment(Qt::AlignRight);
    Ed_Page->setMaxLength(4);
    Ed_Page->setFixedWidth(48);
    Ed_Page->installEventFilter(this);
    pnlMaxPage = new QLabel(Panel1);
    pageBox->addWidget(Ed_Page);
    pageBox->addWidget(pnlMaxPage);
    for (QWidget* w : std::initializer_list<QWidget*>{btnPrint, btnPrior, btnNext, btnClose,
                                                      btnMovePage, PanelPage, Panel1})
        bar->addWidget(w);
    bar->addStretch();
    layout->addWidget(Panel2);

    ScrollBox1 = new QScrollArea(this);
    FSheet = new QWidget;
    Image1 = new TPreviewImage(FSheet);
    ScrollBox1->setWidget(FSheet);
    layout->addWidget(ScrollBox1, 1);

    btnPrint->OnClick = [](QObject*) {
        if (frmPrintSet)
            frmPrintSet->exec();
    };
    btnNext->OnClick = [this](QObject*) {
        FPreview->MoveNext();
        Refresh();
    };
    btnPrior->OnClick = [this](QObject*) {
        FPreview->MovePrior();
        Refresh();
    };
    btnMovePage->OnClick = [this](QObject*) { btnMovePageClick(); };
    disconnect(btnClose, &QPushButton::clicked, btnClose, &TLRButton::Click);
    connect(btnClose, &QPushButton::clicked, this, &TrptPreview::close);
}

void TrptPreview::SetReport(TLightRep* page, TLRPreviewControl* preview) {
    FLightRep = page;
    FPreview = preview;
    Image1->resize(page->Width(), page->Height());
    Image1->SetPicture(nullptr);
    PlaceImage();
}

void TrptPreview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    raise();
    activateWindow();
    Refresh();
}

// Back from the print dialog, the page shown may have changed.
bool TrptPreview::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        Refresh();
    return QDialog::event(event);
}

void TrptPreview::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceImage();
}

// The page stands centred in a wide window and 20 pixels in from the left in a narrow one.
void TrptPreview::PlaceImage() {
    const int left = width() > Image1->width() ? (width() - Image1->width()) / 2 : ImageIndent;
    Image1->move(left, 0);
    FSheet->resize(std::max(left + Image1->width(), ScrollBox1->viewport()->width()),
                   Image1->height());
}

void TrptPreview::Refresh() {
    if (!FPreview)
        return;
    Ed_Page->setText(QString::number(FPreview->CurrentPage()));
    pnlMaxPage->setText(QString("/%1").arg(FPreview->PageCount()));
    PanelPage->setText(QString("%1ﾍﾟｰｼﾞ").arg(FPreview->CurrentPage()));
    btnNext->setEnabled(!FPreview->IsLastPage());
    btnPrior->setEnabled(!FPreview->IsFirstPage());
}

void TrptPreview::btnMovePageClick() {
    int n = 0;
    if (!PageNumberOf(Ed_Page->text(), n)) {
        Ed_Page->setText(QString::number(FPreview->CurrentPage()));
        return;
    }
    if (n > FPreview->PageCount()) {
        Ed_Page->setText(QString::number(FPreview->PageCount()));
        FPreview->MoveLast();
    } else if (n < 1) {
        Ed_Page->setText("1");
        FPreview->MoveFirst();
    } else {
        FPreview->MoveTo(n);
    }
    Refresh();
}

bool TrptPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Ed_Page && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            btnMovePage->Click();
            return true;
        }
        return !PageEditKeyPasses(key);
    }
    return QDialog::eventFilter(watched, event);
}

// Closing runs the report's close method like the close button, and takes the print
// dialog along.
void TrptPreview::closeEvent(QCloseEvent* event) {
    if (!FClosing) {
        FClosing = true;
        btnClose->Click();
    }
    delete frmPrintSet;
    QDialog::closeEvent(event);
}
