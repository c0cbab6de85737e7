#include "LRSuppl.h"

#include <cmath>

TLRItemR::TLRItemR(QObject* parent) : TLRItem(parent) {}

void TLRItemR::SetRoundSize(int value) {
    if (value < 0 || value > 20)
        throw Exception("RoundSize は 0-20 の範囲のみ許されています．");
    FRoundSize = value;
}

void TLRItemR::Print(TCanvas* Canvas, TRect Rect, TPrintStatus Status, double Scale) {
    if (Status == lrsSkip)
        return;
    PrintFrame(Canvas, Rect, Scale);
    if (Status == lrsPrint)
        PrintText(Canvas, Rect, Scale);
}

void TLRItemR::PrintText(TCanvas* Canvas, TRect Rect, double Scale) {
    PrintTextIn(Canvas,
                LRScaleRect(::Rect(Rect.Left, Rect.Top, Rect.Right - 1, Rect.Bottom - 1), Scale),
                Scale);
}

namespace {

// One rounded corner: the ellipse box, the arc's ends counter-clockwise, the line style and
// where the fill is moved to.
struct TCorner {
    bool round;
    TRect box;
    QPoint start, end;
    TLineStyle style;
    QPoint fillOffset;
};

} // namespace

void TLRItemR::PrintFrame(TCanvas* Canvas, TRect Rect, double Scale) {
    const TRect R =
        LRScaleRect(::Rect(Rect.Left, Rect.Top, Rect.Right - 1, Rect.Bottom - 1), Scale);
    const int r = LRScaleValue(FRoundSize, Scale);
    const int d = int(Scale);
    const int L = R.Left - d, T = R.Top - d, Rt = R.Right, B = R.Bottom;
    const QPoint lt = RoundLeftTop ? QPoint(L + r, T + r) : QPoint(L, T);
    const QPoint rt = RoundRightTop ? QPoint(Rt - r, T + r) : QPoint(Rt, T);
    const QPoint lb = RoundLeftBottom ? QPoint(L + r, B - r) : QPoint(L, B);
    const QPoint rb = RoundRightBottom ? QPoint(Rt - r, B - r) : QPoint(Rt, B);

    if (!Transparent) {
        Canvas->Brush = TBrush{Color, bsSolid};
        Canvas->Pen.Style = psClear;
        Canvas->Polygon({lt,
                         {L + d, lt.y()},
                         {L + d, lb.y()},
                         lb,
                         {lb.x(), B},
                         {rb.x(), B},
                         rb,
                         {Rt, rb.y()},
                         {Rt, rt.y()},
                         rt,
                         {rt.x(), T + d},
                         {lt.x(), T + d}});
    } else {
        Canvas->Brush.Style = bsClear;
    }

    Canvas->Pen.Color = LineColor;
    Canvas->Pen.Style = psSolid;
    const auto line = [&](TLineStyle style, QPoint from, QPoint to) {
        if (style == lsNone)
            return;
        SetLinePen(Canvas, style, Scale);
        Canvas->MoveTo(from.x(), from.y());
        Canvas->LineTo(to.x(), to.y());
    };
    line(LineTop, {lt.x(), T}, {rt.x(), T});
    line(LineLeft, {L, lt.y()}, {L, lb.y()});
    line(LineRight, {Rt, rt.y() - (RoundRightTop ? d : 0)}, {Rt, rb.y()});
    line(LineBottom, {lb.x() - (RoundLeftBottom ? d : 0), B}, {rb.x(), B});

    const int w = 1 + 2 * r;
    const TCorner corners[] = {
        {RoundLeftTop, ::Rect(L, T, L + w, T + w), {lt.x(), T}, {L, lt.y()}, LineTop, {d, d}},
        {RoundRightTop, ::Rect(Rt - w, T, Rt, T + w), {Rt, rt.y()}, {rt.x(), T}, LineTop, {0, d}},
        {RoundLeftBottom, ::Rect(L, B - w, L + w, B), {L, lb.y()}, {lb.x(), B}, LineBottom, {d, 0}},
        {RoundRightBottom,
         ::Rect(Rt - w, B - w, Rt, B),
         {rb.x(), B},
         {Rt, rb.y()},
         LineBottom,
         {0, 0}},
    };
    for (const TCorner& c : corners) {
        if (!c.round)
            continue;
        if (!Transparent) {
            const TRect box = c.box.Offset(c.fillOffset.x(), c.fillOffset.y());
            const QPoint s = c.start + c.fillOffset, e = c.end + c.fillOffset;
            Canvas->Pen = TPen{clWhite, 1, psClear};
            Canvas->Pie(box.Left, box.Top, box.Right, box.Bottom, s.x(), s.y(), e.x(), e.y());
        }
        if (c.style != lsNone) {
            Canvas->Pen = TPen{LineColor, 1, psSolid};
            SetLinePen(Canvas, c.style, Scale);
            Canvas->Arc(c.box.Left, c.box.Top, c.box.Right, c.box.Bottom, c.start.x(), c.start.y(),
                        c.end.x(), c.end.y());
        }
    }

    const int s = r == 0 ? 0 : int(double(r) * r / std::sqrt(2.0 * r * r)) - 1;
    Canvas->Pen = TPen{LineColor, 1, psSolid};
    line(DiagonalRisedLeft, RoundLeftTop ? lt - QPoint(s, s) : QPoint(L, T),
         RoundRightBottom ? rb + QPoint(s, s) : QPoint(Rt, B));
    line(DiagonalRisedRight, RoundLeftBottom ? QPoint(lb.x() - s, lb.y() + s) : QPoint(L, B),
         RoundRightTop ? QPoint(rt.x() + s, rt.y() - s) : QPoint(Rt, T));
}
