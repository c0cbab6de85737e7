#include "LightRep.h"

#include "base/NumberFormat.h"
#include "ui/Printer.h"

#include <QWidget>

TPaperInfo PaperInfo(TPaperSize paperSize) {
    // B4 and B5 are the printer's JIS papers, as the printer drivers number them.
    switch (paperSize) {
    case psA4:
        return {794, 1123, QPageSize::A4};
    case psB4:
        return {945, 1338, QPageSize::JisB4};
    case psB5:
        return {688, 971, QPageSize::JisB5};
    case psA3:
        return {1123, 1587, QPageSize::A3};
    case psA5:
        return {559, 794, QPageSize::A5};
    default:
        return {0, 0, QPageSize::Custom};
    }
}

// ---- TLightRep ------------------------------------------------------------------------

TLightRep::TLightRep(QObject* parent)
    : TLRControl(PaperInfo(psA4).Width, PaperInfo(psA4).Height),
      FPrinterIndex(Printer()->PrinterIndex()) {
    SetParent(parent);
    SetVisible(false);
}

TLightRep::~TLightRep() = default;

void TLightRep::CheckParent(QObject* parent) const {
    auto* widget = qobject_cast<QWidget*>(parent);
    if (!widget || !(widget->isWindow() || widget->inherits("TForm")))
        throw ELRError("フォーム上にのみ配置できます．");
}

void TLightRep::SetPaperSize(TPaperSize paperSize) {
    FPaperSize = paperSize;
    UpdatePageSize();
}

void TLightRep::SetOrientation(TPrinterOrientation orientation) {
    FOrientation = orientation;
    UpdatePageSize();
}

void TLightRep::UpdatePageSize() {
    if (FPaperSize != psNone)
        SetBounds(Left(), Top(), Width(), Height());
}

void TLightRep::ConstrainSize(int& width, int& height) const {
    if (FPaperSize == psNone)
        return;
    const TPaperInfo paper = PaperInfo(FPaperSize);
    width = FOrientation == poLandscape ? paper.Height : paper.Width;
    height = FOrientation == poLandscape ? paper.Width : paper.Height;
}

// A margin takes effect only inside half the page; the top and bottom margins are held
// against the page's height.
void TLightRep::SetMargin(int& margin, int value, int extent) {
    if (value == margin || value <= 0 || value >= extent / 2)
        return;
    margin = value;
    Realign();
}

void TLightRep::SetMarginTop(int value) {
    SetMargin(FMarginTop, value, Height());
}

void TLightRep::SetMarginLeft(int value) {
    SetMargin(FMarginLeft, value, Width());
}

void TLightRep::SetMarginRight(int value) {
    SetMargin(FMarginRight, value, Width());
}

void TLightRep::SetMarginBottom(int value) {
    SetMargin(FMarginBottom, value, Height());
}

void TLightRep::AlignControls(TRect rect) {
    TLRControl::AlignControls(Rect(rect.Left + FMarginLeft, rect.Top + FMarginTop,
                                   rect.Right - FMarginRight, rect.Bottom - FMarginBottom));
}

// A printer other than the last one starts again from its own defaults.
void TLightRep::SetPrinterPaper() {
    TPrinter* printer = Printer();
    if (printer->PrinterIndex() != FPrinterIndex) {
        printer->ResetSettings();
        FPrinterIndex = printer->PrinterIndex();
    }
    if (FPaperSize == psNone) {
        if (OnSetPrinter)
            OnSetPrinter(this);
        return;
    }
    printer->SetPaper(PaperInfo(FPaperSize).Paper,
                      FOrientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void TLightRep::BeginDoc() {
    if (FState == stPrinting)
        throw ELRError("プリンタは印刷中です．");
    if (FState == stPreview)
        EndPreview();
    if (LastPage != 0 && FirstPage > LastPage) {
        LastPage = FirstPage;
        throw ELRError("印刷ページ範囲が正しくありません．");
    }
    SetPrinterPaper();
    TPrinter* printer = Printer();
    printer->Title = Title;
    printer->BeginDoc();
    FPrinterCanvas = std::make_unique<TCanvas>(printer->Painter());
    FTarget = FPrinterCanvas.get();
    FState = stPrinting;
    FPageNumber = 0;
}

bool TLightRep::InRange(int page) const {
    return FirstPage <= page && (LastPage == 0 || page <= LastPage);
}

// The scratch surface of the pages outside the range: they are laid out in full so the
// report's data moves on, but nothing reaches the paper.
TCanvas* TLightRep::RangeCanvas() {
    if (!FRangeCanvas) {
        FRangeBitmap = QImage(1, 1, QImage::Format_RGB32);
        FRangeCanvas = std::make_unique<TCanvas>(&FRangeBitmap);
    }
    return FRangeCanvas.get();
}

void TLightRep::PrintPage() {
    // A page may only be printed inside a print job; a preview has no printer canvas.
    if (FState != stPrinting)
        throw ELRError("BeginDocが呼び出されていません．");
    ++FPageNumber;
    if (InRange(FPageNumber)) {
        FTarget = FPrinterCanvas.get();
        FScale = double(Printer()->Resolution()) / LRPagePixelsPerInch;
    } else {
        FScale = 1.0;
        FTarget = RangeCanvas();
    }
    PrintBands();
}

void TLightRep::NewPage() {
    if (Printer()->Printing() && FirstPage <= FPageNumber &&
        (LastPage == 0 || FPageNumber < LastPage))
        Printer()->NewPage();
}

void TLightRep::EndDoc() {
    FRangeCanvas.reset();
    FRangeBitmap = QImage();
    if (FState != stPrinting)
        return;
    FPrinterCanvas.reset();
    FTarget = nullptr;
    FState = stIdle;
    // Last: a document that cannot be written raises, the report idle again.
    Printer()->EndDoc();
}

void TLightRep::BeginPreview() {
    if (FState == stPrinting)
        throw ELRError("プリンタが印刷中のため、プレビューを開始できません．");
    FState = stPreview;
    FPageNumber = 0;
}

void TLightRep::PrintPreviewPage(TCanvas* Canvas) {
    if (FState != stPreview)
        BeginPreview();
    FScale = 1.0;
    FTarget = Canvas;
    Canvas->Brush = TBrush{clWhite, bsSolid};
    Canvas->FillRect(Rect(0, 0, Width(), Height()));
    ++FPageNumber;
    PrintBands();
}

void TLightRep::EndPreview() {
    FState = stIdle;
    FPageNumber = 0;
    FTarget = nullptr;
}

// Page coordinates count from the paper's corner, the printer's from its printable area.
void TLightRep::PrintBands() {
    QPoint offset;
    if (FState == stPrinting) {
        const QPoint physical = Printer()->PhysicalOffset();
        offset = QPoint(int(physical.x() / FScale), int(physical.y() / FScale));
    }
    for (TLRControl* control : Controls()) {
        auto* band = qobject_cast<TCustomLRPanel*>(control);
        if (!band || !band->Enabled())
            continue;
        band->PrintPanel(FTarget, band->BoundsRect().Offset(-offset.x(), -offset.y()), FScale);
    }
}

// ---- bands ------------------------------------------------------------------------------

TCustomLRPanel::TCustomLRPanel() : TLRControl(100, 100) {
    SetAlign(alTop);
}

TAlign ToAlign(TLRAlign align) {
    const TAlign aligns[] = {alTop, alLeft, alRight, alBottom, alClient};
    return aligns[align];
}

TLRAlign ToLRAlign(TAlign align) {
    switch (align) {
    case alTop:
        return laTop;
    case alLeft:
        return laLeft;
    case alRight:
        return laRight;
    case alBottom:
        return laBottom;
    default:
        return laClient;
    }
}

namespace {

bool IsPageOrLayout(QObject* parent) {
    return qobject_cast<TLightRep*>(parent) || qobject_cast<TLRLayoutPanel*>(parent);
}

void PrintChildren(const QList<TLRControl*>& controls, TCanvas* Canvas, const TRect& Rect,
                   TPrintStatus Status, double Scale, bool withGrids) {
    for (TLRControl* control : controls) {
        if (!control->Enabled())
            continue;
        const TRect rect = control->BoundsRect().Offset(Rect.Left, Rect.Top);
        if (auto* item = qobject_cast<TCustomLRItem*>(control))
            item->Print(Canvas, rect, Status, Scale);
        else if (auto* band = qobject_cast<TCustomLRPanel*>(control))
            if (withGrids || !qobject_cast<TLRGridPanel*>(band))
                band->PrintPanel(Canvas, rect, Scale);
    }
}

} // namespace

TLRLayoutPanel::TLRLayoutPanel(QObject* parent) {
    SetParent(parent);
}

void TLRLayoutPanel::CheckParent(QObject* parent) const {
    if (!IsPageOrLayout(parent) && !qobject_cast<TLRChildPanel*>(parent))
        throw ELRError("TLightRep上かTLRLayoutPanelにのみ配置できます．");
}

void TLRLayoutPanel::PrintPanel(TCanvas* Canvas, TRect Rect, double Scale) {
    TPrintStatus status = lrsPrint;
    if (BeforePrint)
        BeforePrint(this, Rect, status);
    if (status == lrsSkip)
        return;
    PrintChildren(Controls(), Canvas, Rect, status, Scale, true);
    if (AfterPrint)
        AfterPrint(this);
}

TLRChildPanel::TLRChildPanel(QObject* parent) {
    SetParent(parent);
}

void TLRChildPanel::PrintContents(TCanvas* Canvas, TRect Rect, TPrintStatus Status, double Scale) {
    PrintChildren(Controls(), Canvas, Rect, Status, Scale, false);
}

TLRGridPanel::TLRGridPanel(QObject* parent) : FCellPanel(new TLRChildPanel) {
    FCellPanel->setParent(this);
    FCellPanel->SetAlign(alClient);
    SetParent(parent);
    Realign();
}

TLRGridPanel::~TLRGridPanel() {
    for (TLRSubPanel* panel : FSubPanels)
        panel->FGridPanel = nullptr;
}

void TLRGridPanel::CheckParent(QObject* parent) const {
    if (!IsPageOrLayout(parent))
        throw ELRError("TLightRep上かTLRLayoutPanelにのみ配置できます．");
}

void TLRGridPanel::SetColCount(int value) {
    if (value == FColCount)
        return;
    if (value < 1 || Width() / value < 10)
        throw ELRError("列数が有効範囲を超えています．");
    FColCount = value;
    Realign();
}

void TLRGridPanel::SetRowCount(int value) {
    if (value == FRowCount)
        return;
    if (value < 1 || Height() / value < 10)
        throw ELRError("行数が有効範囲を超えています．");
    FRowCount = value;
    Realign();
}

// The own cell panel takes the first cell; the sub panels follow its size.
void TLRGridPanel::AlignControls(TRect rect) {
    if (FColCount > 1)
        rect.Right = rect.Left + rect.Width() / FColCount;
    if (FRowCount > 1)
        rect.Bottom = rect.Top + rect.Height() / FRowCount;
    TCustomLRPanel::AlignControls(rect);
    ResizeSubPanels();
}

void TLRGridPanel::ResizeSubPanels() {
    for (TLRSubPanel* panel : FSubPanels)
        panel->SetBounds(panel->Left(), panel->Top(), FCellPanel->Width(), FCellPanel->Height());
}

void TLRGridPanel::AddSubPanel(TLRSubPanel* panel) {
    if (FSubPanels.contains(panel))
        return;
    FSubPanels << panel;
    panel->SetBounds(panel->Left(), panel->Top(), FCellPanel->Width(), FCellPanel->Height());
}

void TLRGridPanel::RemoveSubPanel(TLRSubPanel* panel) {
    FSubPanels.removeAll(panel);
}

void TLRGridPanel::PrintPanel(TCanvas* Canvas, TRect Rect, double Scale) {
    TPrintStatus status = lrsPrint;
    if (BeforePrint)
        BeforePrint(this, Rect, status);
    if (status == lrsSkip)
        return;
    const bool byColumn = PrintDirection == pdVert;
    const int outer = byColumn ? FColCount : FRowCount;
    const int inner = byColumn ? FRowCount : FColCount;
    for (int o = 0; o < outer; ++o)
        for (int i = 0; i < inner; ++i)
            PrintCell(Canvas, Rect, byColumn ? o : i, byColumn ? i : o, Scale);
    if (AfterPrint)
        AfterPrint(this);
}

void TLRGridPanel::PrintCell(TCanvas* Canvas, const TRect& Rect, int c, int r, double Scale) {
    const int x = int(double(Width() * c) / FColCount);
    const int y = int(double(Height() * r) / FRowCount);
    const TRect cell =
        Bounds(Rect.Left + x, Rect.Top + y, FCellPanel->Width(), FCellPanel->Height());
    TPrintStatus status = lrsPrint;
    if (OnPrintPanel)
        OnPrintPanel(this, c, r, cell, status);
    if (status == lrsSkip)
        return;
    TLRChildPanel* panel = SubPanel ? SubPanel : FCellPanel;
    if (panel->BeforePrint)
        panel->BeforePrint(panel, cell, status);
    if (status == lrsSkip)
        return;
    panel->PrintContents(Canvas, cell, status, Scale);
    if (panel->AfterPrint)
        panel->AfterPrint(panel);
}

TLRSubPanel::TLRSubPanel(QObject* parent) : TLRChildPanel(nullptr) {
    SetParent(parent);
    SetAlign(alNone);
    SetVisible(false);
}

// A report's SubPanel never names a panel that is gone.
TLRSubPanel::~TLRSubPanel() {
    if (FGridPanel && FGridPanel->SubPanel == this)
        FGridPanel->SubPanel = nullptr;
    SetGridPanel(nullptr);
}

void TLRSubPanel::CheckParent(QObject* parent) const {
    if (qobject_cast<TLightRep*>(parent) || qobject_cast<TCustomLRPanel*>(parent))
        throw ELRError("TLightRep上には配置できません．");
}

void TLRSubPanel::SetGridPanel(TLRGridPanel* grid) {
    if (grid == FGridPanel)
        return;
    if (FGridPanel)
        FGridPanel->RemoveSubPanel(this);
    FGridPanel = grid;
    if (grid)
        grid->AddSubPanel(this);
}

// ---- items ------------------------------------------------------------------------------

TCustomLRItem::TCustomLRItem(QObject* parent) : TLRControl(65, 17) {
    SetParent(parent);
}

void TCustomLRItem::CheckParent(QObject* parent) const {
    if (!qobject_cast<TCustomLRPanel*>(parent))
        throw ELRError("パネル上にのみ配置できます．");
}

TLRItem::TLRItem(QObject* parent) : TCustomLRItem(parent) {}

void TLRItem::SetHMargin(int value) {
    if (value >= -255 && value <= 255)
        FHMargin = value;
}

void TLRItem::SetVMargin(int value) {
    if (value >= -255 && value <= 255)
        FVMargin = value;
}

QString TLRItem::DisplayText() const {
    if (DisplayMask.isEmpty() || Text.isEmpty())
        return Text;
    for (QChar ch : Text)
        if (!(ch.isDigit() && ch.unicode() < 128) && ch != '+' && ch != '-' && ch != '.')
            return FormatMaskText(DisplayMask, Text);
    return FormatFloat(DisplayMask, StrToFloat(Text));
}

void TLRItem::SetLinePen(TCanvas* Canvas, TLineStyle style, double Scale) {
    switch (style) {
    case lsSingle:
        Canvas->Pen.Width = int(1.2 * Scale);
        break;
    case lsHalf:
        Canvas->Pen.Width = int(Scale / 2);
        break;
    case lsDouble:
        Canvas->Pen.Width = int(Scale * 2);
        break;
    default:
        return;
    }
    Canvas->Pen.Style = psSolid;
}

void TLRItem::PrintTextIn(TCanvas* Canvas, TRect R, double Scale) {
    Canvas->Font = Font();
    const QString text = DisplayText();
    const int lineHeight = Canvas->TextHeight("|");
    unsigned flags = WordWrap ? DT_WORDBREAK : DT_SINGLELINE;
    if (Alignment == taRightJustify)
        flags |= DT_RIGHT;
    else if (Alignment == taCenter)
        flags |= DT_CENTER;
    const int hMargin = LRScaleValue(FHMargin, Scale);
    const int vMargin = LRScaleValue(FVMargin, Scale);
    TRect measure = Rect(0, 0, R.Width() - hMargin, lineHeight);
    Canvas->DrawText(text, measure, flags | DT_CALCRECT);
    const int textHeight = measure.Bottom;
    if (Alignment == taLeftJustify)
        R.Left += hMargin;
    else if (Alignment == taRightJustify)
        R.Right -= hMargin;
    if (Layout == tlTop)
        R.Top += vMargin;
    else if (Layout == tlBottom)
        R.Top = R.Bottom - vMargin - textHeight;
    else
        R.Top += (R.Bottom - R.Top - textHeight) / 2;
    Canvas->DrawText(text, R, flags);
}

void TLRItem::Print(TCanvas* Canvas, TRect Rect, TPrintStatus Status, double Scale) {
    Canvas->Brush = TBrush{Color, Transparent ? bsClear : bsSolid};
    const TRect R =
        LRScaleRect(::Rect(Rect.Left, Rect.Top, Rect.Right - 1, Rect.Bottom - 1), Scale);
    if (!Transparent)
        Canvas->FillRect(R);
    if (Status == lrsPrint)
        PrintTextIn(Canvas, R, Scale);
    if (Status == lrsSkip)
        return;
    const int d = int(Scale);
    Canvas->Pen.Color = LineColor;
    const struct {
        TLineStyle style;
        QPoint from, to;
    } lines[] = {
        {LineTop, {R.Left - d, R.Top - d}, {R.Right, R.Top - d}},
        {LineLeft, {R.Left - d, R.Top - d}, {R.Left - d, R.Bottom}},
        {LineRight, {R.Right, R.Top - d}, {R.Right, R.Bottom}},
        {LineBottom, {R.Left - d, R.Bottom}, {R.Right, R.Bottom}},
    };
    for (const auto& line : lines) {
        if (line.style == lsNone)
            continue;
        SetLinePen(Canvas, line.style, Scale);
        Canvas->MoveTo(line.from.x(), line.from.y());
        Canvas->LineTo(line.to.x(), line.to.y());
    }
}
