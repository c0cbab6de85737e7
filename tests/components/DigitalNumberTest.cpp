#include "components/DigitalNumber.h"
#include "tests/common/TempFolder.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

// The room tiles' digit: 38 x 68, segments 5 thick, yellow on the panel colour.
struct TileDigit {
    TSingleDigitalNumber Digit;
    TileDigit() {
        Digit.resize(38, 68);
        Digit.SetLineWidth(5);
        Digit.SetLightColor(0x00FFFF);
        Digit.SetDarkColor(clBlue);
        Digit.SetBackColor(clBlack);
    }
    // Whether the centre of a segment shows the lit colour.
    bool Lit(int segment) {
        const QImage image = Digit.grab().toImage();
        const QList<QPoint> polygon = BuildDigitShape(38, 68, 5).Segments[segment];
        QPoint centre;
        for (const QPoint& p : polygon)
            centre += p;
        centre /= int(polygon.size());
        return FromQColor(image.pixelColor(centre)) == 0x00FFFF;
    }
    QString LitSegments() {
        QString bits;
        for (int s = 0; s < 7; ++s)
            bits += Lit(s) ? '1' : '0';
        return bits;
    }
};

} // namespace

TEST(DigitalNumber, CharactersAndValues) {
    TSingleDigitalNumber digit;
    EXPECT_EQ(digit.CharValue(), ' ');
    EXPECT_EQ(digit.ByteValue(), 17);
    const std::tuple<QChar, QChar, int> cases[] = {{'7', '7', 7},   {'b', 'B', 11}, {'F', 'F', 15},
                                                   {'-', '-', 16},  {'g', ' ', 17}, {'G', ' ', 17},
                                                   {u'５', ' ', 17}};
    for (const auto& [written, read, value] : cases) {
        digit.SetCharValue(written);
        EXPECT_EQ(digit.CharValue(), read) << QString(written).toStdString();
        EXPECT_EQ(digit.ByteValue(), value);
    }
    digit.SetByteValue(16);
    EXPECT_EQ(digit.CharValue(), '-');
    digit.SetByteValue(12);
    EXPECT_EQ(digit.CharValue(), 'C');
    digit.SetByteValue(200);
    EXPECT_EQ(digit.ByteValue(), 17);
    digit.SetByteValue(-1);
    EXPECT_EQ(digit.CharValue(), ' ');
}

TEST(DigitalNumber, LineWidthIgnoresZeroAndBelow) {
    TSingleDigitalNumber digit;
    EXPECT_EQ(digit.LineWidth(), 0);
    digit.SetLineWidth(5);
    digit.SetLineWidth(0);
    digit.SetLineWidth(-3);
    EXPECT_EQ(digit.LineWidth(), 5);
}

TEST(DigitalNumber, SegmentTable) {
    const std::pair<int, const char*> cases[] = {{0, "1110111"},  {1, "0010010"},  {4, "0111010"},
                                                 {8, "1111111"},  {11, "1111111"}, {13, "1110111"},
                                                 {16, "0001000"}, {17, "0000000"}, {99, "0000000"}};
    for (const auto& [value, bits] : cases) {
        const std::array<bool, 7> lit = SegmentsOf(value);
        QString text;
        for (bool b : lit)
            text += b ? '1' : '0';
        EXPECT_EQ(text, bits) << value;
    }
}

TEST(DigitalNumber, SegmentGeometry) {
    const TDigitShape shape = BuildDigitShape(38, 68, 5);
    EXPECT_EQ(shape.Dot, Rect(31, 61, 36, 66));
    auto within = [](const QList<QPoint>& polygon, int x1, int x2, int y1, int y2) {
        for (const QPoint& p : polygon)
            if (p.x() < x1 || p.x() > x2 || p.y() < y1 || p.y() > y2)
                return false;
        return polygon.size() == 6;
    };
    EXPECT_TRUE(within(shape.Segments[0], 1, 30, 1, 5));   // top
    EXPECT_TRUE(within(shape.Segments[1], 1, 5, 1, 64));   // upper left
    EXPECT_TRUE(within(shape.Segments[2], 26, 30, 1, 64)); // upper right
    EXPECT_TRUE(within(shape.Segments[3], 1, 30, 30, 34)); // middle, around Round(65 / 2) = 32
    EXPECT_TRUE(within(shape.Segments[6], 1, 30, 60, 64)); // bottom
    // Neighbours stop short of each other: the top bar ends before the right bar's tip.
    const int topRight = shape.Segments[0][3].x();
    const int rightTop = shape.Segments[2][0].y();
    EXPECT_LT(topRight, 28);
    EXPECT_GT(rightTop, 3);
    // The upper and lower vertical bars leave a gap at the middle.
    EXPECT_LT(shape.Segments[1][3].y(), shape.Segments[4][0].y());
}

TEST(DigitalNumber, PaintsLitAndUnlitSegments) {
    TileDigit tile;
    tile.Digit.SetCharValue('b');
    EXPECT_EQ(tile.LitSegments(), "1111111");
    tile.Digit.SetByteValue(16);
    EXPECT_EQ(tile.LitSegments(), "0001000");
    tile.Digit.SetCharValue('4');
    EXPECT_EQ(tile.LitSegments(), "0111010");
    tile.Digit.SetDotVisible(true);
    EXPECT_TRUE(tile.Digit.grab().save(TestOutputFolder() + "/TSingleDigitalNumber.png"));
}

TEST(DigitalNumber, PointIsDrawnOnlyWhenEnabled) {
    TileDigit tile;
    auto dotColour = [&] { return FromQColor(tile.Digit.grab().toImage().pixelColor(33, 63)); };
    EXPECT_EQ(dotColour(), clBlue);
    tile.Digit.SetDotVisible(true);
    EXPECT_EQ(dotColour(), 0x00FFFF);
    tile.Digit.SetDotEnabled(false);
    EXPECT_EQ(dotColour(), clBlack);
}
