#pragma once

#include "components/report/LRControl.h"
#include "ui/Alignment.h"
#include "ui/Canvas.h"

#include <QImage>
#include <QPageSize>
#include <cstdint>
#include <functional>
#include <memory>

class TCustomLRPanel;

// What a band handler tells the engine: print, print only frames and fills, or nothing.
enum TPrintStatus : uint8_t { lrsPrint, lrsLinesOnly, lrsSkip };

using TLRNotifyEvent = std::function<void(QObject* Sender)>;
using TBeforePrintEvent = std::function<void(QObject* Sender, TRect Rect, TPrintStatus& Status)>;
using TPrintPanelEvent =
    std::function<void(QObject* Sender, int ACol, int ARow, TRect Rect, TPrintStatus& Status)>;

enum TPaperSize { psNone, psA4, psB4, psB5, psA3, psA5 };
enum TPrinterOrientation { poPortrait, poLandscape };

// A paper of the page: its portrait size in page pixels and the paper the printer gets.
struct TPaperInfo {
    int Width;
    int Height;
    QPageSize::PageSizeId Paper;
};
// The paper table; psNone has none.
TPaperInfo PaperInfo(TPaperSize paperSize);

// Page pixels per inch: the screen's resolution the layouts are drawn in.
constexpr int LRPagePixelsPerInch = 96;

// The report page: paper, margins and the bands laid out on it, printed page by page on the
// printer or drawn page by page onto a preview canvas by the same band pass.
class TLightRep : public TLRControl {
    Q_OBJECT
public:
    enum TState : uint8_t { stIdle, stPrinting, stPreview };
    // Each margin of a new page, in page pixels: 1 cm less a pixel.
    static constexpr int DefaultMargin = 36;

    explicit TLightRep(QObject* parent);
    ~TLightRep() override;

    TPaperSize PaperSize() const { return FPaperSize; }
    void SetPaperSize(TPaperSize paperSize);
    TPrinterOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TPrinterOrientation orientation);
    int MarginTop() const { return FMarginTop; }
    int MarginLeft() const { return FMarginLeft; }
    int MarginRight() const { return FMarginRight; }
    int MarginBottom() const { return FMarginBottom; }
    void SetMarginTop(int value);
    void SetMarginLeft(int value);
    void SetMarginRight(int value);
    void SetMarginBottom(int value);

    QString Title;
    int FirstPage = 0;
    // 0: no end.
    int LastPage = 0;
    // Sets the printer up in place of the paper when PaperSize is psNone.
    TLRNotifyEvent OnSetPrinter;

    void BeginDoc();
    void PrintPage();
    void NewPage();
    void EndDoc();
    void BeginPreview();
    void PrintPreviewPage(TCanvas* Canvas);
    void EndPreview();

    TState State() const { return FState; }
    // The page last begun in the current pass; 0 before the first.
    int PageNumber() const { return FPageNumber; }

protected:
    void CheckParent(QObject* parent) const override;
    void AlignControls(TRect rect) override;
    void ConstrainSize(int& width, int& height) const override;

private:
    void UpdatePageSize();
    void SetMargin(int& margin, int value, int extent);
    void SetPrinterPaper();
    bool InRange(int page) const;
    TCanvas* RangeCanvas();
    void PrintBands();

    TPaperSize FPaperSize = psA4;
    TPrinterOrientation FOrientation = poPortrait;
    int FMarginTop = DefaultMargin;
    int FMarginLeft = DefaultMargin;
    int FMarginRight = DefaultMargin;
    int FMarginBottom = DefaultMargin;
    TState FState = stIdle;
    int FPageNumber = 0;
    double FScale = 1.0;
    TCanvas* FTarget = nullptr;
    int FPrinterIndex;
    std::unique_ptr<TCanvas> FPrinterCanvas;
    QImage FRangeBitmap;
    std::unique_ptr<TCanvas> FRangeCanvas;
};

// A band or cell panel: drawn by the page's band pass or by an enclosing band.
class TCustomLRPanel : public TLRControl {
    Q_OBJECT
public:
    explicit TCustomLRPanel();
    // Rect is the band's rectangle in page pixels; Scale turns page pixels into canvas pixels.
    virtual void PrintPanel(TCanvas* Canvas, TRect Rect, double Scale) {}
};

// Where a band stacks in its parent.
enum TLRAlign { laTop, laLeft, laRight, laBottom, laClient };
// The band alignment as the control alignment, and back (no alignment reads as laClient).
TAlign ToAlign(TLRAlign align);
TLRAlign ToLRAlign(TAlign align);

// A band printed once per page: page headers, column headings, footers.
class TLRLayoutPanel : public TCustomLRPanel {
    Q_OBJECT
public:
    explicit TLRLayoutPanel(QObject* parent);
    TBeforePrintEvent BeforePrint;
    TLRNotifyEvent AfterPrint;
    TLRAlign LRAlign() const { return ToLRAlign(Align()); }
    void SetLRAlign(TLRAlign align) { SetAlign(ToAlign(align)); }
    void PrintPanel(TCanvas* Canvas, TRect Rect, double Scale) override;

protected:
    void CheckParent(QObject* parent) const override;
};

// A cell panel: what a grid band prints in one cell.
class TLRChildPanel : public TCustomLRPanel {
    Q_OBJECT
public:
    explicit TLRChildPanel(QObject* parent = nullptr);
    TBeforePrintEvent BeforePrint;
    TLRNotifyEvent AfterPrint;
    // Prints the items and layout bands on the panel into the cell `Rect`.
    void PrintContents(TCanvas* Canvas, TRect Rect, TPrintStatus Status, double Scale);
};

class TLRSubPanel;

enum TPrintDirection { pdHorz, pdVert, pdHolz };

// A band cut into ColCount x RowCount equal cells, each printed with one cell panel.
class TLRGridPanel : public TCustomLRPanel {
    Q_OBJECT
public:
    explicit TLRGridPanel(QObject* parent);
    ~TLRGridPanel() override;

    int ColCount() const { return FColCount; }
    void SetColCount(int value);
    int RowCount() const { return FRowCount; }
    void SetRowCount(int value);
    TPrintDirection PrintDirection = pdHorz;
    TLRAlign LRAlign() const { return ToLRAlign(Align()); }
    void SetLRAlign(TLRAlign align) { SetAlign(ToAlign(align)); }

    TBeforePrintEvent BeforePrint;
    TLRNotifyEvent AfterPrint;
    TPrintPanelEvent OnPrintPanel;
    // The cell panel's own events.
    TBeforePrintEvent& BeforePrintPanel() { return FCellPanel->BeforePrint; }
    TLRNotifyEvent& AfterPrintPanel() { return FCellPanel->AfterPrint; }

    // The panel printed in the next cells; none means the grid's own cell panel.
    TLRChildPanel* SubPanel = nullptr;
    TLRChildPanel* CellPanel() const { return FCellPanel; }
    const QList<TLRSubPanel*>& SubPanels() const { return FSubPanels; }

    void PrintPanel(TCanvas* Canvas, TRect Rect, double Scale) override;

protected:
    void CheckParent(QObject* parent) const override;
    QObject* ChildParent() override { return FCellPanel; }
    void AlignControls(TRect rect) override;

private:
    friend class TLRSubPanel;
    void PrintCell(TCanvas* Canvas, const TRect& Rect, int c, int r, double Scale);
    void AddSubPanel(TLRSubPanel* panel);
    void RemoveSubPanel(TLRSubPanel* panel);
    void ResizeSubPanels();

    int FColCount = 1;
    int FRowCount = 1;
    TLRChildPanel* FCellPanel;
    QList<TLRSubPanel*> FSubPanels;
};

// An alternative cell panel, kept on the form outside the page and registered with a grid.
class TLRSubPanel : public TLRChildPanel {
    Q_OBJECT
public:
    explicit TLRSubPanel(QObject* parent = nullptr);
    ~TLRSubPanel() override;
    TLRGridPanel* GridPanel() const { return FGridPanel; }
    void SetGridPanel(TLRGridPanel* grid);

protected:
    void CheckParent(QObject* parent) const override;

private:
    friend class TLRGridPanel;
    TLRGridPanel* FGridPanel = nullptr;
};

enum TLineStyle { lsNone, lsSingle, lsHalf, lsDouble };

// Something a band shows, drawn scaled from page pixels onto the band's canvas.
class TCustomLRItem : public TLRControl {
    Q_OBJECT
public:
    explicit TCustomLRItem(QObject* parent);
    virtual void Print(TCanvas* Canvas, TRect Rect, TPrintStatus Status, double Scale) {}

protected:
    void CheckParent(QObject* parent) const override;
};

// A text with alignment, margins and word wrap over an optional fill, with up to four
// border lines.
class TLRItem : public TCustomLRItem {
    Q_OBJECT
public:
    explicit TLRItem(QObject* parent);

    QString Text;
    QString DisplayMask;
    TAlignment Alignment = taLeftJustify;
    TTextLayout Layout = tlTop;
    bool WordWrap = false;
    int HMargin() const { return FHMargin; }
    void SetHMargin(int value);
    int VMargin() const { return FVMargin; }
    void SetVMargin(int value);
    bool Transparent = true;
    TColor Color = clWhite;
    TColor LineColor = clBlack;
    TLineStyle LineTop = lsNone;
    TLineStyle LineLeft = lsNone;
    TLineStyle LineRight = lsNone;
    TLineStyle LineBottom = lsNone;

    // The text as drawn: through DisplayMask when one is set.
    QString DisplayText() const;
    void Print(TCanvas* Canvas, TRect Rect, TPrintStatus Status, double Scale) override;

protected:
    // Draws the text into R (canvas pixels) with the margins and placement.
    void PrintTextIn(TCanvas* Canvas, TRect R, double Scale);
    // Sets the pen for a border line of `style`.
    static void SetLinePen(TCanvas* Canvas, TLineStyle style, double Scale);

private:
    int FHMargin = 2;
    int FVMargin = 2;
};
