#pragma once

#include "ui/Color.h"
#include "ui/Font.h"
#include "ui/FormattedText.h"
#include "ui/Rect.h"

#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>
#include <memory>

class QPainter;
class QPaintDevice;
class QPixmap;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

// The pen that draws lines and outlines; a width of 0 or 1 is the thinnest line.
struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
};

enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

// The brush that fills areas and, unless clear, the background of text.
struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
};

// Text formats of DrawText.
enum : unsigned {
    DT_TOP = 0,
    DT_LEFT = 0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
};

// A drawing surface with the pixel rules the screens and reports are written for: a
// rectangle's right and bottom edges lie outside it, a line leaves out its end point,
// text is placed by the top left corner of its cell. Draws through a QPainter, either
// one it begins on a device or one that a paint event lends it.
class TCanvas {
public:
    TCanvas();
    explicit TCanvas(QPaintDevice* device);
    explicit TCanvas(QPainter* painter);
    virtual ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen Pen;
    TBrush Brush;
    TFont Font;

    // The painter underneath, for drawing this class does not cover; null when the canvas
    // draws nowhere.
    QPainter* Painter() const { return FPainter; }
    // Dots per inch that font sizes are turned into pixels with: 96 on windows and
    // images, the device's resolution on a printer or PDF writer.
    int PixelsPerInch() const;

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    QPoint PenPos() const { return FPenPos; }
    void Polyline(const QList<QPoint>& points);
    // Outlined with the pen and filled with the brush.
    void Polygon(const QList<QPoint>& points);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int width, int height);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    // An arc or pie of the ellipse in the box (x1, y1)-(x2, y2), counter-clockwise from the
    // ray through (x3, y3) to the ray through (x4, y4).
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // With the brush, no outline.
    void FillRect(const TRect& rect);
    // A one-pixel frame in the brush colour.
    void FrameRect(const TRect& rect);
    void DrawFocusRect(const TRect& rect);
    // A standard 13-pixel check box, sunken and white, centred in `rect`.
    void DrawCheckBox(const TRect& rect, bool checked);
    void SetPixel(int x, int y, TColor color);

    // Text in the font's colour with its cell's top left corner at (x, y), on the brush
    // colour unless the brush is clear.
    void TextOut(int x, int y, const QString& text);
    // As TextOut, clipped to `rect`; a brush that is not clear fills all of `rect`.
    void TextRect(const TRect& rect, int x, int y, const QString& text);
    int TextWidth(const QString& text);
    int TextHeight(const QString& text);
    // Text laid out in `rect` by the DT_ flags; returns the text's height. With
    // DT_CALCRECT nothing is drawn and `rect` is made the size the text needs.
    int DrawText(const QString& text, TRect& rect, unsigned format);

    void Draw(int x, int y, const QImage& image);
    void Draw(int x, int y, const QPixmap& pixmap);
    void StretchDraw(const TRect& rect, const QImage& image);

protected:
    // Begins drawing on `device` (ending what the canvas drew on before).
    void Attach(QPaintDevice* device);
    // Ends drawing; what was drawn is now in the device.
    void Detach();

private:
    void RequirePainter() const;
    bool FillsThinLine(QPoint from, QPoint to) const;
    bool FillThinLine(QPoint from, QPoint to);
    bool ApplyPen();
    bool ApplyBrush();
    void ApplyFont();
    void ApplyTextColor();
    void FillTextBackground(const QRect& rect);
    // The text laid out in the painter's font, wrapped at `area`'s width or not at all; none
    // for a text QPainter changes before laying it out.
    const TFormattedText* Formatted(const QString& text, const QRect& area, bool wrap);
    void ThinLine(QPoint from, QPoint to);

    std::unique_ptr<QPainter> FOwnPainter;
    QPainter* FPainter = nullptr;
    QPoint FPenPos;
    TFont FAppliedFont;
    bool FFontApplied = false;
    TFormattedTexts FFormattedTexts;
};
