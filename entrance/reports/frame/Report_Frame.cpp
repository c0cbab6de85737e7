#include "Report_Frame.h"

#include "components/report/FormPrintSet.h"
#include "components/report/LRPrvSpl.h"
#include "components/report/RepPreview.h"
#include "db/DataSet.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/common/Unit_CommonDates.h"
#include "ui/ShowMessage.h"
#include "ui/WaitCursor.h"

#include <QCloseEvent>
#include <QEvent>
#include <QTimer>
#include <memory>
#include <optional>

namespace entrance {

namespace {

constexpr int HeaderHeight = 90;
constexpr int HeadingHeight = 26;
constexpr int FooterHeight = 24;

// The hourglass for the life of a scope.
class TWaitCursorScope {
public:
    TWaitCursorScope() { SetWaitCursor(true); }
    ~TWaitCursorScope() { SetWaitCursor(false); }
    TWaitCursorScope(const TWaitCursorScope&) = delete;
    TWaitCursorScope& operator=(const TWaitCursorScope&) = delete;
};

// While a report renders or prints: its wait window over `form`, with the hourglass, or the
// hourglass alone for a report without a wait text.
class TReportWait {
public:
    TReportWait(QWidget* form, const QString& text, bool normalStyle) {
        if (text.isEmpty())
            FCursor.emplace();
        else
            FWindow.emplace(form, text, normalStyle);
    }
    void Close() {
        FWindow.reset();
        FCursor.reset();
    }

private:
    std::optional<TWaitWindowScope> FWindow;
    std::optional<TWaitCursorScope> FCursor;
};

} // namespace

QString NameOrDash(const QString& name) {
    return name.isEmpty() ? QString("―") : name;
}

QString PeriodText(TDateTime start, TDateTime end) {
    if (DateOf(start) == DateOf(end))
        return DateToJpWeekStr(start);
    return DateToJpWeekStr(start) + " ～ " + DateToJpWeekStr(end);
}

TFont ReportTitleFont() {
    TFont font;
    font.Name = "ＭＳ 明朝";
    font.Size = 16;
    font.Color = clBlack;
    return font;
}

TFont ReportTextFont(int size) {
    TFont font;
    font.Name = "ＭＳ 明朝";
    font.Size = size;
    font.Color = clBlack;
    return font;
}

TDeletionHold::TDeletionHold(QWidget* widget) {
    for (QObject* object = widget; object; object = object->parent()) {
        object->installEventFilter(this);
        FWatched << object;
    }
}

TDeletionHold::~TDeletionHold() {
    for (const QPointer<QObject>& object : FWatched)
        if (object)
            object->removeEventFilter(this);
    for (const QPointer<QObject>& object : FHeld)
        if (object)
            // A deletion once asked for is not posted again, so it is carried out by a timer,
            // which fires when the caller is back in its event loop.
            QTimer::singleShot(0, object, [target = object.data()] { delete target; });
}

bool TDeletionHold::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::DeferredDelete)
        return false;
    FHeld << watched;
    return true;
}

// A window of its own that is never shown, also when its owner shows.
TRep_Form::TRep_Form(QWidget* owner) : QWidget(owner, Qt::Window) {
    setAttribute(Qt::WA_DontShowOnScreen);
    setVisible(false);
    LightRep1 = new TLightRep(this);
    LightRep1->SetFont(ReportTextFont());
    LRPreviewControl1 = new TLRPreviewControl;
    LRPreviewControl1->LightRep = LightRep1;
}

TRep_Form::~TRep_Form() {
    delete LRPreviewControl1;
}

void TRep_Form::CreatePageBands(const QString& title) {
    LightRep1->Title = title;
    LRLayoutPanel1 = new TLRLayoutPanel(LightRep1);
    LRLayoutPanel1->SetHeight(HeaderHeight);
    AddTitle(LRLayoutPanel1, 4, title);
    ItmJigyosyo = new TLRItem(LRLayoutPanel1);
    ItmJigyosyo->SetBounds(0, 56, 420, 20);
    ItmDate = new TLRItem(LRLayoutPanel1);
    ItmDate->SetBounds(PageInnerWidth() - 240, 56, 120, 20);
    ItmDate->Alignment = taRightJustify;
    ItmPage = new TLRItem(LRLayoutPanel1);
    ItmPage->SetBounds(PageInnerWidth() - 110, 56, 110, 20);
    ItmPage->Alignment = taRightJustify;
    LRLayoutPanel1->BeforePrint = [this](QObject*, TRect, TPrintStatus&) { HeaderBeforePrint(); };
}

void TRep_Form::CreateFooter() {
    LRLayoutPanel3 = new TLRLayoutPanel(LightRep1);
    LRLayoutPanel3->SetLRAlign(laBottom);
    LRLayoutPanel3->SetHeight(FooterHeight);
    ItmFooter = new TLRItem(LRLayoutPanel3);
    ItmFooter->SetBounds(0, 2, PageInnerWidth(), 20);
}

QList<TLRItem*> TRep_Form::CreateColumns(const QList<TRepColumn>& columns, int rowsPerPage,
                                         int rowHeight, TLRControl* rowPanel) {
    LRLayoutPanel2 = new TLRLayoutPanel(LightRep1);
    LRLayoutPanel2->SetHeight(HeadingHeight);
    LRGridPanel1 = new TLRGridPanel(LightRep1);
    LRGridPanel1->SetHeight(rowsPerPage * rowHeight);
    LRGridPanel1->SetRowCount(rowsPerPage);
    if (!rowPanel)
        rowPanel = LRGridPanel1;
    QList<TLRItem*> rowItems;
    int left = 0;
    for (const TRepColumn& column : columns) {
        AddItem(LRLayoutPanel2, left, 0, column.Width, HeadingHeight, taCenter, column.Caption);
        rowItems << AddItem(rowPanel, left, 0, column.Width, rowHeight, column.Alignment);
        left += column.Width;
    }
    CreateFooter();
    return rowItems;
}

void TRep_Form::AddTitle(TLRControl* parent, int top, const QString& title) {
    ItmTitle = new TLRItem(parent);
    ItmTitle->SetBounds((PageInnerWidth() - 420) / 2, top, 420, 34);
    ItmTitle->SetFont(ReportTitleFont());
    ItmTitle->Alignment = taCenter;
    ItmTitle->Layout = tlCenter;
    ItmTitle->LineBottom = lsDouble;
    ItmTitle->Text = title;
}

TLRItem* TRep_Form::AddItem(TLRControl* parent, int left, int top, int width, int height,
                            TAlignment alignment, const QString& text) {
    auto* item = new TLRItem(parent);
    item->SetBounds(left, top, width, height);
    item->Alignment = alignment;
    item->Layout = tlCenter;
    item->LineTop = item->LineLeft = item->LineRight = item->LineBottom = lsSingle;
    item->Text = text;
    return item;
}

TLRSubPanel* TRep_Form::NewSubPanel() {
    auto* panel = new TLRSubPanel(this);
    panel->SetFont(LightRep1->Font());
    return panel;
}

int TRep_Form::PageInnerWidth() const {
    return LightRep1->Width() - LightRep1->MarginLeft() - LightRep1->MarginRight();
}

QString TRep_Form::OfficeName() {
    return ReadAppRegistry(LoadStr(65180));
}

QString TRep_Form::PrintDateText() const {
    return DateToSlashStr(Date());
}

void TRep_Form::HeaderBeforePrint() {
    ItmJigyosyo->Text = "事業所名 : " + OfficeName();
    ItmDate->Text = PrintDateText();
    ItmPage->Text = QString::asprintf("Page: %3d", PageNo);
}

bool TRep_Form::MoreToPrint() {
    return !MainDataSet()->Eof() || HasPendingRows();
}

void TRep_Form::Restart() {
    PageNo = 1;
    ResetState();
}

bool TRep_Form::RunPreview() {
    try {
        TReportWait wait(parentWidget(), WaitText(), WaitInNormalStyle());
        const bool hasData = OpenData();
        Restart();
        if (!hasData && !NoDataText().isEmpty()) {
            wait.Close();
            ShowMessage(NoDataText());
            close();
            return false;
        }
        RenderPages();
    } catch (...) {
        close();
        throw;
    }
    rptPreview->exec();
    return true;
}

void TRep_Form::RenderPages() {
    if (!frmPrintSet)
        frmPrintSet = new TfrmPrintSet;
    if (!rptPreview)
        rptPreview = new TrptPreview;
    rptPreview->btnClose->OnClick = [this](QObject*) { PreviewCloseClick(); };
    frmPrintSet->btnPrint->OnClick = [this](QObject*) { PrintClick(); };
    rptPreview->setWindowTitle(PreviewCaption());
    rptPreview->SetReport(LightRep1, LRPreviewControl1);
    LRPreviewControl1->BeginPreview(rptPreview->Image1);
    while (MoreToPrint()) {
        LRPreviewControl1->AddPage();
        ++PageNo;
    }
    LRPreviewControl1->EndPreview();
    LRPreviewControl1->MoveFirst();
}

// The wait window shows over the preview while the pages print, as while they were rendered.
void TRep_Form::PrintClick() {
    const TReportWait wait(rptPreview, WaitText(), WaitInNormalStyle());
    MainDataSet()->First();
    Restart();
    LightRep1->BeginDoc();
    try {
        while (MoreToPrint()) {
            LightRep1->PrintPage();
            ++PageNo;
            LightRep1->NewPage();
        }
    } catch (...) {
        LightRep1->EndDoc();
        throw;
    }
    LightRep1->EndDoc();
    if (frmPrintSet)
        frmPrintSet->close();
}

void TRep_Form::PreviewCloseClick() {
    close();
}

// Closing closes the queries and the preview window, and frees the form.
void TRep_Form::closeEvent(QCloseEvent* event) {
    if (!FClosing) {
        FClosing = true;
        CloseData();
        if (rptPreview)
            rptPreview->close();
        deleteLater();
    }
    event->accept();
}

} // namespace entrance
