#include "LRPageRecord.h"

#include "components/dib/MoDIBErrors.h"
#include "components/dib/MoDIBImage.h"
#include "components/dib/MoInternalDIB.h"
#include "components/dib/MoRLE.h"
#include "ui/Color.h"

#include <cstring>

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

// Asks for a row read soon: the rows are read from the bottom up, which the processor does
// not foresee.
void Prefetch(const uchar* row, qsizetype bytes) {
    for (qsizetype at = 0; at < bytes; at += 64)
        __builtin_prefetch(row + at);
}

// Whether the four pixels at `row` are all of colour `rgb`.
bool SameColor(const QRgb* row, QRgb rgb) {
    const quint64 pair = quint64(rgb) << 32 | rgb;
    quint64 two[2];
    std::memcpy(two, row, sizeof two);
    return ((two[0] ^ pair) | (two[1] ^ pair)) == 0;
}

// Where the run of the colour at x ends, the pixels compared four at a time.
int RunEnd(const QRgb* row, int x, int width) {
    int end = x + 1;
    while (end + 4 <= width && SameColor(row + end, row[x]))
        end += 4;
    while (end < width && row[end] == row[x])
        ++end;
    return end;
}

} // namespace

TLRPageEncoder::TLRPageEncoder(TPixelFormat format)
    : FBits(format == pf4bit ? 4 : 8), FColors(PagePalette(format)) {}

// The page in the palette's colours, each pixel the nearest one (no dithering, so runs of one
// colour stay runs). A 4-bit page is written in the sixteen standard colours directly: a
// reduction from 8 bits would choose colours of its own. Each row is mapped and encoded while
// it is at hand, so the page's pixels are read once.
void TLRPageEncoder::Write(const QImage& page, QIODevice& out) {
    Prepare(page);
    int row = 0;
    try {
        EncodeRows(page, row);
        const TBitmapInfoHeader header = EndRleImage(FRecord, FBits, *FCodes);
        TMoInternalDIB::SaveToStream(out, header, FRecord.Colors, FCodes->Data());
    } catch (const EMoDIBCompressionFailed&) {
        for (; row < FRecord.Rows(); ++row)
            MapStoredRow(page, row);
        TMoInternalDIB::SaveToStream(out, FRecord.Header, FRecord.Colors, FRecord.Pixels);
    }
}

// Stored rows from the bottom of the page up, as they are encoded; `row` is the one at hand.
// A row of the same pixels as the one below it, as most of a page's rows are, takes that
// row's indexes and codes.
void TLRPageEncoder::EncodeRows(const QImage& page, int& row) {
    FCodes->Restart();
    const qsizetype pixelBytes = qsizetype(page.width()) * 4;
    qsizetype rowStart = 0;
    for (row = 0; row < FRecord.Rows(); ++row) {
        const int y = StoredRow(FRecord, row);
        const qsizetype start = FCodes->Size();
        if (row + 2 < FRecord.Rows())
            Prefetch(page.constScanLine(StoredRow(FRecord, row + 2)), pixelBytes);
        if (row > 0 &&
            std::memcmp(page.constScanLine(y), page.constScanLine(StoredRow(FRecord, row - 1)),
                        size_t(pixelBytes)) == 0) {
            std::memcpy(FRecord.Row(row), FRecord.Row(row - 1), size_t(FRecord.RowSize()));
            FCodes->Repeat(rowStart);
        } else {
            MapStoredRow(page, row);
            EncodeRLERow(FBits, FRecord.Row(row), FRecord.Width(), *FCodes);
        }
        rowStart = start;
    }
}

void TLRPageEncoder::MapStoredRow(const QImage& page, int row) {
    MapRow(reinterpret_cast<const QRgb*>(page.constScanLine(StoredRow(FRecord, row))),
           FRecord.Row(row), page.width());
}

// The pixel memory is kept from page to page: every pixel is written again, the row padding
// stays zero.
void TLRPageEncoder::Prepare(const QImage& page) {
    if (FRecord.Width() != page.width() || FRecord.Rows() != page.height() ||
        FRecord.Pixels.isEmpty()) {
        FRecord = CreateDIB(page.width(), page.height(), DIBColorCount(FBits), FBits);
        for (int i = 0; i < FColors.size(); ++i)
            FRecord.Colors[i] = {quint8(qBlue(FColors[i])), quint8(qGreen(FColors[i])),
                                 quint8(qRed(FColors[i])), 0};
        FRecord.Header.biSizeImage = quint32(FRecord.Pixels.size());
        FCodes.emplace(FRecord.Pixels.size(),
                       FBits == 4 ? "Convert4BitRGBTo4BitRLE" : "Convert8BitRGBTo8BitRLE");
    }
    FRecord.Header.biXPelsPerMeter = page.dotsPerMeterX() > 0 ? page.dotsPerMeterX() : 3780;
    FRecord.Header.biYPelsPerMeter = page.dotsPerMeterY() > 0 ? page.dotsPerMeterY() : 3780;
}

// A page is mostly runs of one colour: each run is looked up once.
void TLRPageEncoder::MapRow(const QRgb* from, uchar* to, int width) {
    if (FBits == 8) {
        MapRow8(from, to, width);
        return;
    }
    for (int x = 0; x < width;) {
        const int end = RunEnd(from, x, width);
        Fill(to, x, end, IndexOf(from[x] | 0xFF000000u));
        x = end;
    }
}

// Four pixels at a time: four of the colour before them take its index at once, any others
// are looked up one by one. Text's smoothed edges are runs of a pixel or two, so looking up
// each pixel there costs less than finding where each run ends.
void TLRPageEncoder::MapRow8(const QRgb* from, uchar* to, int width) {
    QRgb last = from[0];
    uchar index = IndexOf(last | 0xFF000000u);
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        if (SameColor(from + x, last)) {
            std::memset(to + x, index, 4);
            // A long run, as of the paper's white, goes on eight pixels at a time.
            while (x + 12 <= width && SameColor(from + x + 4, last) &&
                   SameColor(from + x + 8, last)) {
                std::memset(to + x + 4, index, 8);
                x += 8;
            }
            continue;
        }
        for (int i = x; i < x + 4; ++i)
            to[i] = IndexOf(from[i] | 0xFF000000u);
        last = from[x + 3];
        index = to[x + 3];
    }
    for (; x < width; ++x)
        to[x] = IndexOf(from[x] | 0xFF000000u);
}

// A 4-bit row: two pixels to a byte.
void TLRPageEncoder::Fill(uchar* row, int from, int to, uchar index) const {
    if (from % 2 && from < to)
        SetIndex(row, 4, from++, index);
    const int pairs = (to - from) / 2;
    std::memset(row + from / 2, index * 0x11, size_t(pairs));
    from += 2 * pairs;
    if (from < to)
        SetIndex(row, 4, from, index);
}

uchar TLRPageEncoder::Match(TMatch& match, QRgb rgb) const {
    match = {rgb, uchar(NearestColor(FColors, rgb))};
    return match.Index;
}
