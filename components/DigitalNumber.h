#pragma once

#include "ui/Color.h"
#include "ui/Rect.h"

#include <QList>
#include <QPoint>
#include <QWidget>
#include <array>

// Segments of a digit in the order top, upper left, upper right, middle, lower left,
// lower right, bottom.
using TSegmentPolygons = std::array<QList<QPoint>, 7>;

// The shapes of a digit W x H pixels with segments L pixels thick: seven hexagons with
// pointed ends, a small gap between neighbours, and the point's square at the bottom right.
struct TDigitShape {
    TSegmentPolygons Segments;
    TRect Dot;
};
TDigitShape BuildDigitShape(int width, int height, int lineWidth);

// Which segments a value lights: 0-9 the digits, 10-15 "A"-"F", 16 the minus, 17 blank.
std::array<bool, 7> SegmentsOf(int value);

// One character shown as a seven-segment display: the digits, "A"-"F", "-" or blank, and
// a decimal point; lit segments in one colour, unlit ones in another, on a background.
class TSingleDigitalNumber : public QWidget {
    Q_OBJECT
public:
    explicit TSingleDigitalNumber(QWidget* parent = nullptr);

    QChar CharValue() const;
    // "a"-"f" become upper case; a character that cannot be shown becomes blank.
    void SetCharValue(QChar value);
    int ByteValue() const;
    // 0-15 the digits and letters, 16 the minus; anything else blank.
    void SetByteValue(int value);
    TColor LightColor() const { return FLightColor; }
    void SetLightColor(TColor value);
    TColor DarkColor() const { return FDarkColor; }
    void SetDarkColor(TColor value);
    TColor BackColor() const { return FBackColor; }
    void SetBackColor(TColor value);
    bool DotEnabled() const { return FDotEnabled; }
    void SetDotEnabled(bool value);
    bool DotVisible() const { return FDotVisible; }
    void SetDotVisible(bool value);
    int LineWidth() const { return FLineWidth; }
    // Values of 0 or less are ignored.
    void SetLineWidth(int value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void SetColor(TColor& field, TColor value);

    QChar FCharValue = ' ';
    TColor FLightColor = 0x00FF00;
    TColor FDarkColor = 0x008000;
    TColor FBackColor = 0x000000;
    bool FDotEnabled = true;
    bool FDotVisible = false;
    int FLineWidth = 0;
};
