#include "MoDIBTypes.h"

#include "MoDIBErrors.h"

#include <limits>

namespace {

bool ValidBitCount(int bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
}

} // namespace

qint64 DIBRowSize(int bitCount, qint64 width) {
    return (bitCount * width + 31) / 32 * 4;
}

int DIBColorCount(int bitCount) {
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

int TMoDIBInfo::RowSize() const {
    return int(DIBRowSize(Header.biBitCount, Header.biWidth));
}

TMoPixelFormat TMoDIBInfo::PixelFormat() const {
    const quint32 c = Header.biCompression;
    switch (Header.biBitCount) {
    case 1:
        if (c == BI_RGB)
            return moPf1Bit;
        throw EMoDIBInvalidDIB("TMoInternalDIB.GetPixelFormat: Invalid DIB(1Bit)");
    case 4:
        if (c == BI_RGB || c == BI_RLE4)
            return c == BI_RGB ? moPf4Bit : moPf4BitRLE;
        throw EMoDIBInvalidDIB("TMoInternalDIB.GetPixelFormat: Invalid DIB(4Bit)");
    case 8:
        if (c == BI_RGB || c == BI_RLE8)
            return c == BI_RGB ? moPf8Bit : moPf8BitRLE;
        throw EMoDIBInvalidDIB("TMoInternalDIB.GetPixelFormat: Invalid DIB(8Bit)");
    case 24:
        if (c == BI_RGB)
            return moPf24Bit;
        throw EMoDIBInvalidDIB("TMoInternalDIB.GetPixelFormat: Invalid DIB(24Bit)");
    default:
        throw EMoDIBInvalidDIB("TMoInternalDIB.GetPixelFormat: Invalid DIB(Illegal BitCount)");
    }
}

TMoPixelMemory GetMemory(qint64 size, bool useFMO) {
    if (size < 0 || size > MaxPixelBytes)
        throw EMoDIBError("GetMemory: Cannot Allocate Pixel Memory");
    return TMoPixelMemory(qsizetype(size), useFMO);
}

TMoDIBInfo CreateDIB(int width, int height, int colors, int bitCount) {
    if (width < 1 || height == 0 || colors < 0 || colors > 256 || !ValidBitCount(bitCount) ||
        height == std::numeric_limits<int>::min() ||
        DIBRowSize(bitCount, width) * qAbs(qint64(height)) > MaxPixelBytes)
        throw EMoDIBInvalidDIBPara("TMoInternalDIB.CreateDIB: Invalid Parameters");
    TMoDIBInfo info;
    info.Header.biWidth = width;
    info.Header.biHeight = height;
    info.Header.biBitCount = quint16(bitCount);
    info.Header.biClrUsed = quint32(colors);
    info.Pixels = GetMemory(DIBRowSize(bitCount, width) * qAbs(qint64(height)), DefaultUseFMO);
    return info;
}

TMoDIBInfo CreateLike(const TMoDIBInfo& source, int bitCount) {
    TMoDIBInfo info;
    info.Header = source.Header;
    info.Header.biBitCount = quint16(bitCount);
    info.Header.biCompression = BI_RGB;
    info.Header.biSizeImage = 0;
    info.Colors = source.Colors;
    info.Pixels =
        GetMemory(DIBRowSize(bitCount, source.Width()) * source.Rows(), source.Pixels.UseFMO());
    return info;
}
