#include "components/DigitalNumber.h"

#include "ui/Canvas.h"

#include <QPainter>
#include <cmath>

namespace {

// The characters in the order of their values.
const QString Characters = "0123456789ABCDEF- ";

// Lit segments per value, top first.
const char* const SegmentTable[18] = {"1110111", "0010010", "1011101", "1011011", "0111010",
                                      "1101011", "1101111", "1010010", "1111111", "1111011",
                                      "1111110", "1111111", "1100101", "1110111", "1101101",
                                      "1101100", "0001000", "0000000"};

// Rounding half to even: the segment sizes' halves round to the even pixel.
int Round(double value) {
    return int(std::nearbyint(value));
}

// A horizontal bar from tip x1 to tip x2 between y1 and y2, its ends pointed.
QList<QPoint> HorizontalBar(int x1, int x2, int y1, int y2) {
    const int mid = (y1 + y2) / 2, half = (y2 - y1) / 2;
    return {{x1, mid}, {x1 + half, y1}, {x2 - half, y1},
            {x2, mid}, {x2 - half, y2}, {x1 + half, y2}};
}

// A vertical bar from tip y1 to tip y2 between x1 and x2, its ends pointed.
QList<QPoint> VerticalBar(int x1, int x2, int y1, int y2) {
    const int mid = (x1 + x2) / 2, half = (x2 - x1) / 2;
    return {{mid, y1}, {x2, y1 + half}, {x2, y2 - half},
            {mid, y2}, {x1, y2 - half}, {x1, y1 + half}};
}

} // namespace

TDigitShape BuildDigitShape(int width, int height, int lineWidth) {
    const int L = lineWidth, W = width, H = height;
    const int gap = Round(0.15 * L + 0.5);
    const int leftX1 = 1, leftX2 = L, rightX1 = W - 2 * L - 2, rightX2 = W - L - 3;
    const int topY1 = 1, topY2 = L, bottomY1 = H - L - 3, bottomY2 = H - 4;
    const int middleY1 = Round((H - 3) / 2.0) - L / 2, middleY2 = middleY1 + L - 1;
    // The centre lines the segments meet on; each segment stops `gap` short of them.
    const int leftX = (leftX1 + leftX2) / 2, rightX = (rightX1 + rightX2) / 2;
    const int topY = (topY1 + topY2) / 2, middleY = (middleY1 + middleY2) / 2,
              bottomY = (bottomY1 + bottomY2) / 2;
    TDigitShape shape;
    shape.Segments = {HorizontalBar(leftX + gap, rightX - gap, topY1, topY2),
                      VerticalBar(leftX1, leftX2, topY + gap, middleY - gap),
                      VerticalBar(rightX1, rightX2, topY + gap, middleY - gap),
                      HorizontalBar(leftX + gap, rightX - gap, middleY1, middleY2),
                      VerticalBar(leftX1, leftX2, middleY + gap, bottomY - gap),
                      VerticalBar(rightX1, rightX2, middleY + gap, bottomY - gap),
                      HorizontalBar(leftX + gap, rightX - gap, bottomY1, bottomY2)};
    shape.Dot = Rect(W - 2 - L, H - 2 - L, W - 2, H - 2);
    return shape;
}

std::array<bool, 7> SegmentsOf(int value) {
    const char* bits = SegmentTable[value >= 0 && value < 18 ? value : 17];
    std::array<bool, 7> lit;
    for (int i = 0; i < 7; ++i)
        lit[i] = bits[i] == '1';
    return lit;
}

TSingleDigitalNumber::TSingleDigitalNumber(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QChar TSingleDigitalNumber::CharValue() const {
    return Characters.contains(FCharValue) ? FCharValue : QChar(' ');
}

void TSingleDigitalNumber::SetCharValue(QChar value) {
    if (value >= 'a' && value <= 'f')
        value = value.toUpper();
    FCharValue = Characters.contains(value) ? value : QChar(' ');
    update();
}

int TSingleDigitalNumber::ByteValue() const {
    return int(Characters.indexOf(CharValue()));
}

void TSingleDigitalNumber::SetByteValue(int value) {
    FCharValue = Characters.at(value >= 0 && value <= 16 ? value : 17);
    update();
}

void TSingleDigitalNumber::SetColor(TColor& field, TColor value) {
    if (field == value)
        return;
    field = value;
    update();
}

void TSingleDigitalNumber::SetLightColor(TColor value) {
    SetColor(FLightColor, value);
}

void TSingleDigitalNumber::SetDarkColor(TColor value) {
    SetColor(FDarkColor, value);
}

void TSingleDigitalNumber::SetBackColor(TColor value) {
    SetColor(FBackColor, value);
}

void TSingleDigitalNumber::SetDotEnabled(bool value) {
    FDotEnabled = value;
    update();
}

void TSingleDigitalNumber::SetDotVisible(bool value) {
    FDotVisible = value;
    update();
}

void TSingleDigitalNumber::SetLineWidth(int value) {
    if (value > 0)
        FLineWidth = value;
    update();
}

void TSingleDigitalNumber::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TCanvas canvas(&painter);
    canvas.Brush = TBrush{FBackColor, bsSolid};
    canvas.Pen = TPen{FBackColor, 1, psSolid};
    canvas.FillRect(Rect(0, 0, width(), height()));
    const TDigitShape shape = BuildDigitShape(width(), height(), FLineWidth);
    const std::array<bool, 7> lit = SegmentsOf(ByteValue());
    for (bool drawLit : {true, false}) {
        canvas.Brush.Color = canvas.Pen.Color = drawLit ? FLightColor : FDarkColor;
        for (int i = 0; i < 7; ++i)
            if (lit[i] == drawLit)
                canvas.Polygon(shape.Segments[i]);
    }
    if (!FDotEnabled)
        return;
    canvas.Brush.Color = canvas.Pen.Color = FDotVisible ? FLightColor : FDarkColor;
    if (shape.Dot.Height() >= 2)
        canvas.Ellipse(shape.Dot);
    else
        canvas.FillRect(shape.Dot);
}
