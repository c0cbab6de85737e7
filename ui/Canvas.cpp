#include "ui/Canvas.h"

#include "base/SysUtils.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <cmath>

namespace {

Qt::PenStyle ToQtPenStyle(TPenStyle style) {
    switch (style) {
    case psDash:
        return Qt::DashLine;
    case psDot:
        return Qt::DotLine;
    case psDashDot:
        return Qt::DashDotLine;
    case psDashDotDot:
        return Qt::DashDotDotLine;
    case psClear:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

Qt::BrushStyle ToQtBrushStyle(TBrushStyle style) {
    switch (style) {
    case bsClear:
        return Qt::NoBrush;
    case bsHorizontal:
        return Qt::HorPattern;
    case bsVertical:
        return Qt::VerPattern;
    case bsFDiagonal:
        return Qt::FDiagPattern;
    case bsBDiagonal:
        return Qt::BDiagPattern;
    case bsCross:
        return Qt::CrossPattern;
    case bsDiagCross:
        return Qt::DiagCrossPattern;
    default:
        return Qt::SolidPattern;
    }
}

// The box of a shape given by its outer corners, as QPainter strokes it: right and bottom
// edges one pixel inside the corners.
QRect ShapeBox(int x1, int y1, int x2, int y2) {
    return QRect(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) - 1, std::abs(y2 - y1) - 1);
}

// Angle in degrees, counter-clockwise on the screen, of the ray from `centre` to `p`.
double RayAngle(QPointF centre, QPoint p) {
    return std::atan2(centre.y() - p.y(), p.x() - centre.x()) * 180.0 / M_PI;
}

// Start and span, in sixteenths of a degree, of the counter-clockwise arc between two rays.
std::pair<int, int> ArcAngles(int x1, int y1, int x2, int y2, QPoint start, QPoint end) {
    const QPointF centre((x1 + x2) / 2.0, (y1 + y2) / 2.0);
    const double a = RayAngle(centre, start);
    double span = RayAngle(centre, end) - a;
    if (span <= 0)
        span += 360.0;
    return {int(std::lround(a * 16)), int(std::lround(span * 16))};
}

// The pixels of a line from `from` towards `to`, `to` itself left out.
QList<QPoint> LinePixels(QPoint from, QPoint to) {
    QList<QPoint> points;
    int x = from.x(), y = from.y();
    const int dx = std::abs(to.x() - x), dy = -std::abs(to.y() - y);
    points.reserve(std::max(dx, -dy));
    const int sx = x < to.x() ? 1 : -1, sy = y < to.y() ? 1 : -1;
    int err = dx + dy;
    while (x != to.x() || y != to.y()) {
        points.append(QPoint(x, y));
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    return points;
}

} // namespace

TCanvas::TCanvas() = default;

TCanvas::TCanvas(QPaintDevice* device) {
    Attach(device);
}

void TCanvas::RequirePainter() const {
    if (!FPainter)
        throw Exception("Canvas does not allow drawing");
}

TCanvas::TCanvas(QPainter* painter) : FPainter(painter) {}

TCanvas::~TCanvas() {
    Detach();
}

void TCanvas::Attach(QPaintDevice* device) {
    Detach();
    FOwnPainter = std::make_unique<QPainter>(device);
    FPainter = FOwnPainter.get();
}

void TCanvas::Detach() {
    if (FOwnPainter)
        FOwnPainter->end();
    FOwnPainter.reset();
    FPainter = nullptr;
    FFontApplied = false;
    FFormattedTexts.Clear();
}

int TCanvas::PixelsPerInch() const {
    const QPaintDevice* device = FPainter ? FPainter->device() : nullptr;
    if (!device)
        return 96;
    switch (device->devType()) {
    case QInternal::Widget:
    case QInternal::Image:
    case QInternal::Pixmap:
        return 96;
    default: // printers and PDF writers
        return device->logicalDpiY();
    }
}

bool TCanvas::ApplyPen() {
    RequirePainter();
    if (Pen.Style == psClear) {
        FPainter->setPen(Qt::NoPen);
        return false;
    }
    QPen pen(ToQColor(Pen.Color), Pen.Width <= 1 ? 0 : Pen.Width, ToQtPenStyle(Pen.Style),
             Pen.Width <= 1 ? Qt::FlatCap : Qt::RoundCap, Qt::RoundJoin);
    FPainter->setPen(pen);
    return true;
}

bool TCanvas::ApplyBrush() {
    RequirePainter();
    if (Brush.Style == bsClear) {
        FPainter->setBrush(Qt::NoBrush);
        return false;
    }
    FPainter->setBrush(QBrush(ToQColor(Brush.Color), ToQtBrushStyle(Brush.Style)));
    return true;
}

void TCanvas::ApplyFont() {
    RequirePainter();
    if (FFontApplied && FAppliedFont == Font)
        return;
    FPainter->setFont(Font.ToQFont(PixelsPerInch()));
    FFormattedTexts.SetFont(FPainter->font());
    FAppliedFont = Font;
    FFontApplied = true;
}

void TCanvas::ApplyTextColor() {
    FPainter->setPen(ToQColor(Font.Color));
}

void TCanvas::FillTextBackground(const QRect& rect) {
    if (Brush.Style != bsClear)
        FPainter->fillRect(rect, ToQColor(Brush.Color));
}

void TCanvas::MoveTo(int x, int y) {
    FPenPos = QPoint(x, y);
}

// An upright or level line of one pixel's width is a rectangle one pixel wide: on a bitmap,
// drawn without smoothing and only moved by whole pixels, filling it sets the very pixels
// that drawing them one by one would.
bool TCanvas::FillsThinLine(QPoint from, QPoint to) const {
    if (from.x() != to.x() && from.y() != to.y())
        return false;
    if (FPainter->paintEngine()->type() != QPaintEngine::Raster ||
        FPainter->testRenderHint(QPainter::Antialiasing) ||
        FPainter->compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    const QTransform& move = FPainter->worldTransform();
    return move.type() <= QTransform::TxTranslate && move.dx() == std::trunc(move.dx()) &&
           move.dy() == std::trunc(move.dy());
}

// Fills a solid upright or level thin line in the pen's colour; false when it is none. The
// painter's pen stays as it was: a report's cells change between their lines and their
// texts' colour all the time, and every change of pen costs the next drawing.
bool TCanvas::FillThinLine(QPoint from, QPoint to) {
    const bool solid = Pen.Style == psSolid || Pen.Style == psInsideFrame;
    if (Pen.Width > 1 || from == to || !solid || !FillsThinLine(from, to))
        return false;
    const QPoint last = to - QPoint((to.x() > from.x()) - (to.x() < from.x()),
                                    (to.y() > from.y()) - (to.y() < from.y()));
    FPainter->fillRect(QRect(QPoint(std::min(from.x(), last.x()), std::min(from.y(), last.y())),
                             QPoint(std::max(from.x(), last.x()), std::max(from.y(), last.y()))),
                       ToQColor(Pen.Color));
    return true;
}

void TCanvas::ThinLine(QPoint from, QPoint to) {
    const QList<QPoint> pixels = LinePixels(from, to);
    if (pixels.isEmpty())
        return;
    if (Pen.Style == psSolid || Pen.Style == psInsideFrame)
        FPainter->drawPoints(pixels.constData(), int(pixels.size()));
    else
        FPainter->drawLine(from, pixels.last());
}

void TCanvas::LineTo(int x, int y) {
    const QPoint to(x, y);
    RequirePainter();
    if (!FillThinLine(FPenPos, to) && ApplyPen()) {
        if (Pen.Width <= 1)
            ThinLine(FPenPos, to);
        else
            FPainter->drawLine(FPenPos, to);
    }
    FPenPos = to;
}

void TCanvas::Polyline(const QList<QPoint>& points) {
    if (points.isEmpty())
        return;
    const QPoint saved = FPenPos;
    MoveTo(points.first().x(), points.first().y());
    for (qsizetype i = 1; i < points.size(); ++i)
        LineTo(points[i].x(), points[i].y());
    FPenPos = saved;
}

void TCanvas::Polygon(const QList<QPoint>& points) {
    ApplyPen();
    ApplyBrush();
    FPainter->drawPolygon(points.constData(), int(points.size()));
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    ApplyPen();
    ApplyBrush();
    FPainter->drawRect(ShapeBox(x1, y1, x2, y2));
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int width, int height) {
    ApplyPen();
    ApplyBrush();
    FPainter->drawRoundedRect(ShapeBox(x1, y1, x2, y2), width / 2.0, height / 2.0);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    ApplyPen();
    ApplyBrush();
    FPainter->drawEllipse(ShapeBox(x1, y1, x2, y2));
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    if (!ApplyPen())
        return;
    const auto [start, span] = ArcAngles(x1, y1, x2, y2, QPoint(x3, y3), QPoint(x4, y4));
    FPainter->drawArc(ShapeBox(x1, y1, x2, y2), start, span);
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    ApplyPen();
    ApplyBrush();
    const auto [start, span] = ArcAngles(x1, y1, x2, y2, QPoint(x3, y3), QPoint(x4, y4));
    FPainter->drawPie(ShapeBox(x1, y1, x2, y2), start, span);
}

void TCanvas::FillRect(const TRect& rect) {
    if (ApplyBrush())
        FPainter->fillRect(rect.ToQRect(), FPainter->brush());
}

void TCanvas::FrameRect(const TRect& rect) {
    if (!ApplyBrush() || rect.IsEmpty())
        return;
    const QBrush brush = FPainter->brush();
    FPainter->fillRect(QRect(rect.Left, rect.Top, rect.Width(), 1), brush);
    FPainter->fillRect(QRect(rect.Left, rect.Bottom - 1, rect.Width(), 1), brush);
    FPainter->fillRect(QRect(rect.Left, rect.Top, 1, rect.Height()), brush);
    FPainter->fillRect(QRect(rect.Right - 1, rect.Top, 1, rect.Height()), brush);
}

void TCanvas::DrawFocusRect(const TRect& rect) {
    RequirePainter();
    // Inverts a dotted frame, so drawing it twice takes it away again.
    FPainter->save();
    FPainter->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    FPainter->setPen(QPen(Qt::white, 0, Qt::DotLine));
    FPainter->setBrush(Qt::NoBrush);
    FPainter->drawRect(ShapeBox(rect.Left, rect.Top, rect.Right, rect.Bottom));
    FPainter->restore();
}

void TCanvas::DrawCheckBox(const TRect& rect, bool checked) {
    RequirePainter();
    const int size = 13;
    const int x = rect.Left + (rect.Width() - size) / 2, y = rect.Top + (rect.Height() - size) / 2;
    QPainter& p = *FPainter;
    auto line = [&](int x1, int y1, int x2, int y2, TColor color) {
        p.fillRect(QRect(QPoint(x + x1, y + y1), QPoint(x + x2, y + y2)), ToQColor(color));
    };
    line(0, 0, size - 2, 0, clBtnShadow);
    line(0, 0, 0, size - 2, clBtnShadow);
    line(1, 1, size - 3, 1, cl3DDkShadow);
    line(1, 1, 1, size - 3, cl3DDkShadow);
    line(0, size - 1, size - 1, size - 1, clBtnHighlight);
    line(size - 1, 0, size - 1, size - 1, clBtnHighlight);
    line(1, size - 2, size - 2, size - 2, cl3DLight);
    line(size - 2, 1, size - 2, size - 2, cl3DLight);
    line(2, 2, size - 3, size - 3, clWindow);
    if (!checked)
        return;
    // The tick: seven columns of three pixels, down two steps and up four.
    for (int i = 0; i < 7; ++i) {
        const int top = i <= 2 ? 5 + i : 7 - (i - 2);
        line(3 + i, top, 3 + i, top + 2, clWindowText);
    }
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    RequirePainter();
    FPainter->setPen(QPen(ToQColor(color), 0));
    FPainter->drawPoint(x, y);
}

void TCanvas::TextOut(int x, int y, const QString& text) {
    ApplyFont();
    const QFontMetrics fm = FPainter->fontMetrics();
    const int width = fm.horizontalAdvance(text);
    FillTextBackground(QRect(x, y, width, fm.height()));
    ApplyTextColor();
    FPainter->drawText(x, y + fm.ascent(), text);
    FPenPos = QPoint(x + width, y);
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const QString& text) {
    ApplyFont();
    FPainter->save();
    FPainter->setClipRect(rect.ToQRect(), Qt::IntersectClip);
    FillTextBackground(rect.ToQRect());
    ApplyTextColor();
    FPainter->drawText(x, y + FPainter->fontMetrics().ascent(), text);
    FPainter->restore();
}

int TCanvas::TextWidth(const QString& text) {
    ApplyFont();
    return FPainter->fontMetrics().horizontalAdvance(text);
}

int TCanvas::TextHeight(const QString& text) {
    ApplyFont();
    return FPainter->fontMetrics().height();
}

// Each text is laid out once for its measure, its background and its drawing.
int TCanvas::DrawText(const QString& text, TRect& rect, unsigned format) {
    ApplyFont();
    int flags = format & DT_CENTER  ? Qt::AlignHCenter
                : format & DT_RIGHT ? Qt::AlignRight
                                    : Qt::AlignLeft;
    if (format & DT_SINGLELINE) {
        flags |= Qt::TextSingleLine;
        flags |= format & DT_VCENTER  ? Qt::AlignVCenter
                 : format & DT_BOTTOM ? Qt::AlignBottom
                                      : Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
        if (format & DT_WORDBREAK)
            flags |= Qt::TextWordWrap;
    }
    if (format & DT_NOCLIP)
        flags |= Qt::TextDontClip;
    const bool wrap = !(format & DT_SINGLELINE) && (format & DT_WORDBREAK);
    const QFontMetrics fm = FPainter->fontMetrics();
    if (format & DT_CALCRECT) {
        const QRect area(rect.Left, rect.Top, wrap ? rect.Width() : 1 << 20, 1 << 20);
        const int placed =
            flags & ~(Qt::AlignHCenter | Qt::AlignRight | Qt::AlignVCenter | Qt::AlignBottom);
        const TFormattedText* formatted = Formatted(text, area, wrap);
        const QRect need = formatted ? formatted->Bounds(area, placed).toAlignedRect()
                                     : fm.boundingRect(area, placed, text);
        rect.Right = rect.Left + need.width();
        rect.Bottom = rect.Top + std::max(need.height(), fm.height());
        return rect.Height();
    }
    const QRect area(rect.Left, rect.Top, rect.Width(), rect.Height());
    const TFormattedText* formatted = text.isEmpty() ? nullptr : Formatted(text, area, wrap);
    const QRect used = formatted ? formatted->Bounds(area, flags).toAlignedRect()
                                 : FPainter->boundingRect(area, flags, text);
    FillTextBackground(format & DT_NOCLIP ? used : used.intersected(area));
    ApplyTextColor();
    if (formatted)
        formatted->Draw(*FPainter, area, flags);
    else
        FPainter->drawText(area, flags, text);
    return used.height();
}

const TFormattedText* TCanvas::Formatted(const QString& text, const QRect& area, bool wrap) {
    if (!TFormattedText::IsPlain(text))
        return nullptr;
    return &FFormattedTexts.Get(text, FPainter->layoutDirection(),
                                wrap ? std::max(0, area.width()) : TFormattedText::Unwrapped);
}

void TCanvas::Draw(int x, int y, const QImage& image) {
    RequirePainter();
    FPainter->drawImage(QPoint(x, y), image);
}

void TCanvas::Draw(int x, int y, const QPixmap& pixmap) {
    RequirePainter();
    FPainter->drawPixmap(QPoint(x, y), pixmap);
}

void TCanvas::StretchDraw(const TRect& rect, const QImage& image) {
    RequirePainter();
    FPainter->drawImage(rect.ToQRect(), image);
}
