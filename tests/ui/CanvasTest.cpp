#include "ui/Canvas.h"

#include "base/SysUtils.h"
#include "tests/common/TempFolder.h"

#include <QApplication>
#include <QFontInfo>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <gtest/gtest.h>

namespace {

// A white image and a canvas on it.
struct Surface {
    QImage Image;
    std::unique_ptr<TCanvas> Canvas;
    explicit Surface(int w = 30, int h = 30) : Image(w, h, QImage::Format_RGB32) {
        Image.fill(Qt::white);
        Canvas = std::make_unique<TCanvas>(&Image);
    }
    TColor At(int x, int y) {
        Canvas.reset(); // ends the painter so the pixels are in the image
        return FromQColor(Image.pixelColor(x, y));
    }
};

} // namespace

TEST(ColorTest, ValuesAreBlueGreenRed) {
    EXPECT_EQ(ToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(0x00CDA292), QColor(0x92, 0xA2, 0xCD));
    EXPECT_EQ(RGB(146, 162, 205), 0x00CDA292);
    EXPECT_EQ(FromQColor(QColor(1, 2, 3)), 0x030201);
}

TEST(ColorTest, SystemColoursFollowThePalette) {
    const QPalette palette = QApplication::palette();
    EXPECT_EQ(ToQColor(clHighlight), palette.color(QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(ToQColor(clWindow), palette.color(QPalette::Active, QPalette::Base));
    EXPECT_EQ(ToQColor(clBtnFace), palette.color(QPalette::Active, QPalette::Button));
    EXPECT_EQ(ColorToRGB(clActiveCaption), clNavy);
    EXPECT_LT(clBtnFace, 0);
}

TEST(FontTest, WindowsFacesUseTheIpaFonts) {
    EXPECT_EQ(SubstituteFontName("ＭＳ 明朝"), "IPAMincho");
    EXPECT_EQ(SubstituteFontName("ＭＳ ゴシック"), "IPAGothic");
    EXPECT_EQ(SubstituteFontName("ＭＳ Ｐ明朝"), "IPAPMincho");
    EXPECT_EQ(SubstituteFontName("Arial"), "Arial");
    TFont font;
    font.Name = "ＭＳ 明朝";
    font.Size = 12;
    EXPECT_EQ(QFontInfo(font.ToQFont()).family(), "IPAMincho");
    EXPECT_EQ(font.ToQFont().pixelSize(), 16); // 12 pt at 96 dpi
    EXPECT_EQ(font.Height(), -16);
    font.SetHeight(-40, 600);
    EXPECT_EQ(font.Size, 5);
}

TEST(CanvasTest, RectanglesLeaveOutTheirRightAndBottomEdges) {
    Surface s;
    s.Canvas->Brush.Color = clRed;
    s.Canvas->FillRect(Rect(2, 2, 5, 5));
    EXPECT_EQ(s.At(2, 2), clRed);
    EXPECT_EQ(s.At(4, 4), clRed);
    EXPECT_EQ(s.At(5, 4), clWhite);
    EXPECT_EQ(s.At(4, 5), clWhite);
}

TEST(CanvasTest, OutlinedRectangleKeepsInsideItsCorners) {
    Surface s;
    s.Canvas->Brush.Color = clBlue;
    s.Canvas->Pen.Color = clBlack;
    s.Canvas->Rectangle(1, 1, 6, 6);
    EXPECT_EQ(s.At(1, 1), clBlack);
    EXPECT_EQ(s.At(5, 5), clBlack);
    EXPECT_EQ(s.At(3, 3), clBlue);
    EXPECT_EQ(s.At(6, 6), clWhite);
}

TEST(CanvasTest, LinesLeaveOutTheirEndPoint) {
    struct Case {
        QPoint From, To;
    } cases[] = {{{0, 0}, {5, 0}}, {{3, 8}, {3, 2}}, {{0, 10}, {6, 16}}, {{9, 20}, {2, 23}}};
    for (const Case& c : cases) {
        Surface s;
        s.Canvas->MoveTo(c.From.x(), c.From.y());
        s.Canvas->LineTo(c.To.x(), c.To.y());
        EXPECT_EQ(s.Canvas->PenPos(), c.To);
        EXPECT_EQ(s.At(c.From.x(), c.From.y()), clBlack);
        EXPECT_EQ(s.At(c.To.x(), c.To.y()), clWhite) << c.To.x() << "," << c.To.y();
    }
}

// Level and upright lines set exactly the pixels that drawing them point by point sets, also
// on a canvas moved and clipped as grids and report bands move theirs.
TEST(CanvasTest, LevelAndUprightLinesSetThePixelsOfTheirPoints) {
    const struct {
        QPoint From, To;
    } cases[] = {{{2, 3}, {20, 3}}, {{20, 5}, {2, 5}}, {{4, 1}, {4, 25}},
                 {{6, 25}, {6, 1}}, {{8, 8}, {9, 8}},  {{10, 10}, {10, 10}}};
    const auto surface = [] {
        QImage image(40, 40, QImage::Format_RGB32);
        image.fill(Qt::white);
        return image;
    };
    const auto place = [](QPainter& painter) {
        painter.translate(3, 2);
        painter.setClipRect(0, 0, 18, 40);
    };
    QImage drawn = surface(), expected = surface();
    {
        QPainter painter(&drawn);
        place(painter);
        TCanvas canvas(&painter);
        canvas.Pen.Color = clRed;
        for (const auto& c : cases) {
            canvas.MoveTo(c.From.x(), c.From.y());
            canvas.LineTo(c.To.x(), c.To.y());
        }
    }
    {
        QPainter painter(&expected);
        place(painter);
        painter.setPen(QPen(Qt::red, 0));
        for (const auto& c : cases) {
            const QPoint step((c.To.x() > c.From.x()) - (c.To.x() < c.From.x()),
                              (c.To.y() > c.From.y()) - (c.To.y() < c.From.y()));
            for (QPoint p = c.From; p != c.To; p += step)
                painter.drawPoint(p);
        }
    }
    EXPECT_EQ(drawn, expected);
}

TEST(CanvasTest, PolylineDrawsEveryCornerButTheLastPoint) {
    Surface s;
    s.Canvas->Polyline({{1, 1}, {8, 1}, {8, 8}});
    EXPECT_EQ(s.At(8, 1), clBlack);
    EXPECT_EQ(s.At(8, 7), clBlack);
    EXPECT_EQ(s.At(8, 8), clWhite);
}

TEST(CanvasTest, ArcRunsCounterClockwiseBetweenTheRays) {
    Surface s;
    // From the ray to the right to the ray upwards: the upper right quarter only.
    s.Canvas->Arc(0, 0, 21, 21, 20, 10, 10, 0);
    s.Canvas.reset();
    auto dark = [&](int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (s.Image.pixelColor(x, y) != Qt::white)
                    return true;
        return false;
    };
    EXPECT_TRUE(dark(11, 0, 21, 10));
    EXPECT_FALSE(dark(0, 0, 9, 9));
    EXPECT_FALSE(dark(0, 12, 21, 21));
}

TEST(CanvasTest, TextBackgroundFollowsTheBrush) {
    Surface opaque(60, 30);
    opaque.Canvas->Brush.Color = clYellow;
    opaque.Canvas->TextOut(2, 2, "i");
    EXPECT_EQ(opaque.At(2, 3), clYellow);

    Surface clear(60, 30);
    clear.Canvas->Brush.Style = bsClear;
    clear.Canvas->TextOut(2, 2, "i");
    EXPECT_EQ(clear.At(2, 3), clWhite);
}

TEST(CanvasTest, TextRectFillsTheWholeRectAndClipsTheText) {
    Surface s(80, 30);
    s.Canvas->Brush.Color = clAqua;
    s.Canvas->TextRect(Rect(10, 5, 20, 25), 12, 7, "ＷＷＷＷＷＷ");
    EXPECT_EQ(s.At(19, 24), clAqua);
    s.Canvas.reset();
    for (int y = 0; y < 30; ++y)
        EXPECT_EQ(FromQColor(s.Image.pixelColor(25, y)), clWhite);
}

TEST(CanvasTest, DrawTextMeasuresAndAligns) {
    Surface s(200, 60);
    TRect calc = Rect(5, 5, 5, 5);
    const int h = s.Canvas->DrawText("入退室", calc, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(calc.Width(), s.Canvas->TextWidth("入退室"));
    EXPECT_EQ(h, s.Canvas->TextHeight("|"));

    TRect wrap = Rect(0, 0, 30, 0);
    s.Canvas->DrawText("入退室管理システム", wrap, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GE(wrap.Height(), 2 * s.Canvas->TextHeight("|"));

    s.Canvas->Brush.Style = bsClear;
    TRect right = Rect(0, 0, 200, 60);
    s.Canvas->DrawText("8", right, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    s.Canvas.reset();
    bool inked = false;
    for (int x = 170; x < 200; ++x)
        for (int y = 40; y < 60; ++y)
            inked |= s.Image.pixelColor(x, y) != Qt::white;
    EXPECT_TRUE(inked);
}

namespace {

struct TTextCase {
    TFont Font;
    QString Text;
    unsigned Format;
    int Flags; // the same in Qt's terms
    QRect Area;
};

// Two copies of the text side by side: on a yellow box where it lies, then without.
QImage DrawnByQt(const TTextCase& c) {
    QImage image(360, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(c.Font.ToQFont());
    painter.setPen(ToQColor(c.Font.Color));
    const QRect used = painter.boundingRect(c.Area, c.Flags, c.Text);
    painter.fillRect(c.Flags & Qt::TextDontClip ? used : used.intersected(c.Area), Qt::yellow);
    painter.drawText(c.Area, c.Flags, c.Text);
    painter.drawText(c.Area.translated(180, 0), c.Flags, c.Text);
    return image;
}

QImage DrawnByCanvas(const TTextCase& c) {
    QImage image(360, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    TCanvas canvas(&image);
    canvas.Font = c.Font;
    canvas.Brush = TBrush{clYellow, bsSolid};
    for (int copy = 0; copy < 2; ++copy) {
        const QRect area = c.Area.translated(180 * copy, 0);
        TRect rect = Rect(area.left(), area.top(), area.right() + 1, area.bottom() + 1);
        canvas.DrawText(c.Text, rect, c.Format);
        canvas.Brush.Style = bsClear;
    }
    return image;
}

} // namespace

// DrawText lays each text out once and keeps it; what it draws and measures stays what Qt's own
// formatted text gives, pixel for pixel, for every placement, wrapped or not, clipped or not,
// text that fits, overflows or is empty, with blanks at either end or a tab or line break, in
// sizes of fractional metrics and every style, starting left of or above the surface, and
// again for the text drawn a second time from what was kept.
TEST(CanvasTest, DrawTextDrawsAndMeasuresAsQtFormatsText) {
    const QString texts[] = {"入退室 12:34:56",
                             "  5 %",
                             "trailing  ",
                             "Wg|ÅÉ fj",
                             "長い文章を折り返して表示する項目です。さらに続く text too long",
                             "a  b   c",
                             "",
                             "tab\there",
                             "line\nbreak"};
    const struct {
        unsigned format;
        int flags;
    } placements[] = {
        {DT_SINGLELINE, Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignTop},
        {DT_SINGLELINE | DT_CENTER | DT_VCENTER,
         Qt::TextSingleLine | Qt::AlignHCenter | Qt::AlignVCenter},
        {DT_SINGLELINE | DT_RIGHT | DT_BOTTOM,
         Qt::TextSingleLine | Qt::AlignRight | Qt::AlignBottom},
        {DT_SINGLELINE | DT_CENTER | DT_NOCLIP,
         Qt::TextSingleLine | Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip},
        {DT_WORDBREAK, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop},
        {DT_WORDBREAK | DT_CENTER, Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignTop},
        {DT_WORDBREAK | DT_RIGHT | DT_NOCLIP,
         Qt::TextWordWrap | Qt::AlignRight | Qt::AlignTop | Qt::TextDontClip},
        {DT_TOP, Qt::AlignLeft | Qt::AlignTop},
    };
    const QRect areas[] = {QRect(7, 5, 150, 40), QRect(3, 9, 61, 17), QRect(20, 2, 33, 29),
                           QRect(-9, -4, 45, 21)};
    const struct {
        const char* name;
        int size;
        TFontStyles style;
    } fonts[] = {{"ＭＳ Ｐゴシック", 9, 0},
                 {"ＭＳ 明朝", 11, fsUnderline},
                 {"ＭＳ Ｐゴシック", 14, fsBold | fsItalic | fsStrikeOut}};
    for (const auto& f : fonts) {
        TFont font;
        font.Name = f.name;
        font.Size = f.size;
        font.Style = f.style;
        font.Color = clNavy;
        for (const QString& text : texts)
            for (const auto& p : placements)
                for (const QRect& area : areas) {
                    const TTextCase c{font, text, p.format, p.flags, area};
                    SCOPED_TRACE(QString("%1 pt, \"%2\", format %3, %4 x %5")
                                     .arg(f.size)
                                     .arg(text)
                                     .arg(p.format, 0, 16)
                                     .arg(area.width())
                                     .arg(area.height())
                                     .toStdString());
                    EXPECT_TRUE(DrawnByCanvas(c) == DrawnByQt(c));

                    const int wrap = p.flags & Qt::TextWordWrap;
                    const QRect need =
                        QFontMetrics(font.ToQFont())
                            .boundingRect(QRect(0, 0, wrap ? area.width() : 1 << 20, 1 << 20),
                                          p.flags & ~(Qt::AlignHCenter | Qt::AlignRight |
                                                      Qt::AlignVCenter | Qt::AlignBottom),
                                          text);
                    QImage image(10, 10, QImage::Format_RGB32);
                    TCanvas canvas(&image);
                    canvas.Font = font;
                    TRect calc = Rect(0, 0, area.width(), 0);
                    canvas.DrawText(text, calc, p.format | DT_CALCRECT);
                    EXPECT_EQ(calc.Width(), need.width());
                    EXPECT_EQ(calc.Height(), std::max(need.height(), canvas.TextHeight("|")));
                }
    }
}

TEST(CanvasTest, DrawingWithoutADeviceRaises) {
    TCanvas canvas;
    EXPECT_THROW(canvas.FillRect(Rect(0, 0, 1, 1)), Exception);
}

TEST(CanvasTest, FontSizesFollowThePrinterResolution) {
    TempFolder folder;
    QPdfWriter writer(folder.File("page.pdf"));
    writer.setResolution(600);
    TCanvas onPaper(&writer);
    onPaper.Font.Size = 12;
    EXPECT_EQ(onPaper.PixelsPerInch(), 600);
    EXPECT_GE(onPaper.TextHeight("|"), 100); // 12 points are 100 dots at 600 dpi
    QImage image(10, 10, QImage::Format_RGB32);
    TCanvas onImage(&image);
    EXPECT_EQ(onImage.PixelsPerInch(), 96);
}
