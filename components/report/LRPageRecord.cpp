#include "LRPageRecord.h"

#include "components/dib/MoDIBErrors.h"
#include "components/dib/MoDIBImage.h"
#include "components/dib/MoInternalDIB.h"
#include "components/dib/MoRLE.h"
#include "ui/Color.h"

#include <QHash>

namespace {

// The colours a stored page may take: the sixteen standard colours, a 6 x 6 x 6 colour cube
// and a grey ramp for smoothed text; 4-bit pages keep the sixteen.
QList<QRgb> PagePalette(TPixelFormat format) {
    QList<QRgb> colors;
    for (int i = 0; i < 16; ++i) {
        const TColor standard[16] = {clBlack, clMaroon,  clGreen,  clOlive, clNavy, clPurple,
                                     clTeal,  clGray,    clSilver, clRed,   clLime, clYellow,
                                     clBlue,  clFuchsia, clAqua,   clWhite};
        colors << ToQColor(standard[i]).rgb();
    }
    if (format == pf4bit)
        return colors;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                colors << qRgb(r * 51, g * 51, b * 51);
    for (int i = 1; i <= 24; ++i)
        colors << qRgb(i * 10, i * 10, i * 10);
    return colors;
}

int NearestColor(const QList<QRgb>& colors, QRgb rgb) {
    int best = 0, bestDistance = INT_MAX;
    for (int i = 0; i < colors.size(); ++i) {
        const int dr = qRed(rgb) - qRed(colors[i]), dg = qGreen(rgb) - qGreen(colors[i]),
                  db = qBlue(rgb) - qBlue(colors[i]);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

// The page as a DIB record in the palette's colours, each pixel the nearest one (no dithering,
// so runs of one colour stay runs), run-length encoded unless that would not make it smaller.
// A 4-bit page is written in the sixteen standard colours directly: a reduction from 8 bits
// would choose colours of its own.
TMoDIBInfo PageRecord(const QImage& page, TPixelFormat format) {
    const QList<QRgb> colors = PagePalette(format);
    const int bits = format == pf4bit ? 4 : 8;
    TMoDIBInfo info = CreateDIB(page.width(), page.height(), DIBColorCount(bits), bits);
    for (int i = 0; i < colors.size(); ++i)
        info.Colors[i] = {quint8(qBlue(colors[i])), quint8(qGreen(colors[i])),
                          quint8(qRed(colors[i])), 0};
    if (page.dotsPerMeterX() > 0)
        info.Header.biXPelsPerMeter = page.dotsPerMeterX();
    if (page.dotsPerMeterY() > 0)
        info.Header.biYPelsPerMeter = page.dotsPerMeterY();
    info.Header.biSizeImage = quint32(info.Pixels.size());
    // A page is mostly runs of one colour: a pixel like the one before takes its index
    // without a look-up.
    QHash<QRgb, int> known;
    QRgb lastRgb = 0;
    int lastIndex = -1;
    const int width = page.width(), height = page.height();
    for (int y = 0; y < height; ++y) {
        const QRgb* from = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        uchar* to = info.Row(StoredRow(info, y));
        for (int x = 0; x < width; ++x) {
            const QRgb rgb = from[x] | 0xFF000000u;
            if (rgb != lastRgb || lastIndex < 0) {
                auto it = known.constFind(rgb);
                if (it == known.constEnd())
                    it = known.insert(rgb, NearestColor(colors, rgb));
                lastRgb = rgb;
                lastIndex = *it;
            }
            SetIndex(to, bits, x, lastIndex);
        }
    }
    try {
        return bits == 4 ? Convert4BitRGBTo4BitRLE(info) : Convert8BitRGBTo8BitRLE(info);
    } catch (const EMoDIBCompressionFailed&) {
        return info;
    }
}

} // namespace

TLRPageEncoder::TLRPageEncoder(TPixelFormat format) : FFormat(format) {}

void TLRPageEncoder::Write(const QImage& page, QIODevice& out) {
    TMoInternalDIB(PageRecord(page, FFormat)).SaveToStream(out);
}
