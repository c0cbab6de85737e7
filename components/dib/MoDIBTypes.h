#pragma once

#include "MoPixelMemory.h"

#include <QByteArray>
#include <QtGlobal>
#include <array>
#include <cstdint>

enum : quint32 { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

// The 40-byte header that leads a DIB, as a BMP file stores it.
struct TBitmapInfoHeader {
    quint32 biSize = 40;
    qint32 biWidth = 1;
    qint32 biHeight = 1; // negative: rows are stored from the top
    quint16 biPlanes = 1;
    quint16 biBitCount = 8;
    quint32 biCompression = BI_RGB;
    quint32 biSizeImage = 0;
    qint32 biXPelsPerMeter = 3780;
    qint32 biYPelsPerMeter = 3780;
    quint32 biClrUsed = 0;
    quint32 biClrImportant = 0;
};

// One colour-table entry in the file's byte order.
struct TRGBQuad {
    quint8 rgbBlue = 0;
    quint8 rgbGreen = 0;
    quint8 rgbRed = 0;
    quint8 rgbReserved = 0;
    bool operator==(const TRGBQuad&) const = default;
};

static_assert(sizeof(TRGBQuad) == 4);
using TColorTable = std::array<TRGBQuad, 256>;

enum TMoPixelFormat {
    moPf1Bit,
    moPf4Bit,
    moPf4BitRLE,
    moPf8Bit,
    moPf8BitRLE,
    moPf24Bit,
    moPfHalftone,
    moPfHalftoneBW
};

// Header, colour table and pixel rows of one image: what every conversion reads and writes.
struct TMoDIBInfo {
    TBitmapInfoHeader Header;
    TColorTable Colors{};
    TMoPixelMemory Pixels;

    int Width() const { return Header.biWidth; }
    int Rows() const { return Header.biHeight < 0 ? -Header.biHeight : Header.biHeight; }
    // Bytes of one unencoded row at this image's depth and width.
    int RowSize() const;
    const uchar* Row(int y) const {
        return reinterpret_cast<const uchar*>(Pixels.constData()) + qsizetype(y) * RowSize();
    }
    uchar* Row(int y) { return reinterpret_cast<uchar*>(Pixels.data()) + qsizetype(y) * RowSize(); }
    // The pixel format the header describes; EMoDIBInvalidDIB for any other combination.
    TMoPixelFormat PixelFormat() const;
};

// The most pixel memory one image takes: biSizeImage and the file header count bytes in 32
// bits.
inline constexpr qint64 MaxPixelBytes = 0x7FFFFFFF;

// ((bitCount x width + 31) div 32) x 4, the bytes of an unencoded row.
qint64 DIBRowSize(int bitCount, qint64 width);
// 2, 16 or 256 colours for 1, 4 and 8 bits; 0 for deeper pixels.
int DIBColorCount(int bitCount);

// Zero-filled pixel memory, a mapping when `useFMO`; EMoDIBError when the size is beyond what a
// DIB can hold, EOutOfResources when the mapping cannot be made.
TMoPixelMemory GetMemory(qint64 size, bool useFMO);
// A new image record: zero-filled pixels, `colors` zero entries in the colour table.
// EMoDIBInvalidDIBPara when a size or depth is out of range.
TMoDIBInfo CreateDIB(int width, int height, int colors, int bitCount);
// An unencoded record of the same header and colours as `source` at another depth, its pixels
// of the same kind as the source's.
TMoDIBInfo CreateLike(const TMoDIBInfo& source, int bitCount);

// The colour-table index of pixel x in an unencoded row of 1, 4 or 8 bits.
inline int GetIndex(const uchar* row, int bitCount, int x) {
    switch (bitCount) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return x & 1 ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    default:
        return row[x];
    }
}

// Sets pixel x of a row of 1, 4 or 8 bits (bits taken from the most significant).
inline void SetIndex(uchar* row, int bitCount, int x, int index) {
    switch (bitCount) {
    case 1: {
        const int shift = 7 - (x & 7);
        row[x >> 3] = uchar((row[x >> 3] & ~(1 << shift)) | ((index & 1) << shift));
        break;
    }
    case 4:
        row[x >> 1] = uchar(x & 1 ? (row[x >> 1] & 0xF0) | (index & 0x0F)
                                  : (row[x >> 1] & 0x0F) | (index << 4));
        break;
    default:
        row[x] = uchar(index);
    }
}

// The colour of pixel x: its own at 24 bits, its colour-table entry otherwise.
inline TRGBQuad PixelColor(const TMoDIBInfo& info, const uchar* row, int x) {
    if (info.Header.biBitCount == 24)
        return {row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
    return info.Colors[GetIndex(row, info.Header.biBitCount, x)];
}
