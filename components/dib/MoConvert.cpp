#include "MoConvert.h"

#include "MoDIBErrors.h"
#include "MoHalftone.h"
#include "MoRLE.h"
#include "MoReduce.h"

namespace {

void Check(const TMoDIBInfo& source, int bitCount, const char* message) {
    if (source.Header.biBitCount != bitCount || source.Header.biCompression != BI_RGB)
        throw EMoDIBBadDIBType(message);
}

TMoDIBInfo Widen(const TMoDIBInfo& source, int bitCount) {
    TMoDIBInfo result = CreateLike(source, bitCount);
    const int from = source.Header.biBitCount;
    for (int y = 0; y < source.Rows(); ++y)
        for (int x = 0; x < source.Width(); ++x)
            SetIndex(result.Row(y), bitCount, x, GetIndex(source.Row(y), from, x));
    return result;
}

TMoDIBInfo ToTrueColor(const TMoDIBInfo& source) {
    TMoDIBInfo result = CreateLike(source, 24);
    for (int y = 0; y < source.Rows(); ++y) {
        uchar* out = result.Row(y);
        for (int x = 0; x < source.Width(); ++x, out += 3) {
            const TRGBQuad c = PixelColor(source, source.Row(y), x);
            out[0] = c.rgbBlue;
            out[1] = c.rgbGreen;
            out[2] = c.rgbRed;
        }
    }
    return result;
}

TMoDIBInfo ToMask(const TMoDIBInfo& source, quint32 maskColor) {
    const TRGBQuad mask{quint8(maskColor >> 16), quint8(maskColor >> 8), quint8(maskColor), 0};
    TMoDIBInfo result = CreateLike(source, 1);
    for (int y = 0; y < source.Rows(); ++y)
        for (int x = 0; x < source.Width(); ++x)
            if (PixelColor(source, source.Row(y), x) == mask)
                SetIndex(result.Row(y), 1, x, 1);
    result.Colors = {};
    result.Colors[1] = {255, 255, 255, 0};
    result.Header.biClrUsed = 2;
    return result;
}

int BitCountOf(TMoPixelFormat format) {
    switch (format) {
    case moPf1Bit:
        return 1;
    case moPf4Bit:
    case moPf4BitRLE:
        return 4;
    case moPf8Bit:
    case moPf8BitRLE:
        return 8;
    default:
        return 24;
    }
}

// Unencoded pixels of one depth to another, through the routine the pair calls for.
TMoDIBInfo ChangeDepth(const TMoDIBInfo& source, int to, const TMoConvertOptions& options) {
    const int from = source.Header.biBitCount;
    const bool high = options.ConvertMode == 1;
    if (to == 24)
        return from == 1   ? Convert1BitRGBToTrueColor(source)
               : from == 4 ? Convert4BitRGBToTrueColor(source)
                           : Convert8BitRGBToTrueColor(source);
    if (to == 1)
        return from == 4   ? Convert4BitRGBTo1BitRGB(source, options.MaskColor)
               : from == 8 ? Convert8BitTo1BitRGB(source, options.MaskColor)
                           : ConvertTrueColorTo1BitRGB(source, options.MaskColor);
    if (from == 1)
        return to == 4 ? Convert1BitRGBTo4BitRGB(source) : Convert1BitRGBTo8BitRGB(source);
    if (from == 4)
        return Convert4BitRGBTo8BitRGB(source);
    if (from == 8)
        return Convert8BitRGBTo4BitRGB(source, options.Step);
    if (to == 4)
        return high ? ConvertTrueColorTo4BitRGBHigh(source, options.Step)
                    : ConvertTrueColorTo4BitRGBLow(source, options.Step);
    return high ? ConvertTrueColorTo8BitRGBHigh(source, options.Step)
                : ConvertTrueColorTo8BitRGBLow(source, options.Step);
}

} // namespace

TMoDIBInfo ConvertPixelFormat(const TMoDIBInfo& source, TMoPixelFormat format,
                              const TMoConvertOptions& options) {
    if (source.PixelFormat() == format)
        return source;
    TMoDIBInfo decoded;
    const TMoDIBInfo& plain = Unencoded(source, decoded);
    if (format == moPfHalftone)
        return ConvertToHalfTone(plain);
    if (format == moPfHalftoneBW)
        return ConvertToHalfToneBW(plain);
    const int bitCount = BitCountOf(format);
    TMoDIBInfo result =
        plain.Header.biBitCount == bitCount ? plain : ChangeDepth(plain, bitCount, options);
    if (format == moPf8BitRLE)
        return Convert8BitRGBTo8BitRLE(result);
    if (format == moPf4BitRLE)
        return Convert4BitRGBTo4BitRLE(result);
    return result;
}

TMoDIBInfo Convert1BitRGBTo4BitRGB(const TMoDIBInfo& source) {
    Check(source, 1, "Convert1BitRGBTo4BitRGB: Invalid Bitcount & Compression Combination");
    return Widen(source, 4);
}

TMoDIBInfo Convert1BitRGBTo8BitRGB(const TMoDIBInfo& source) {
    Check(source, 1, "Convert1BitRGBTo8BitRGB: Invalid Bitcount & Compression Combination");
    return Widen(source, 8);
}

TMoDIBInfo Convert4BitRGBTo8BitRGB(const TMoDIBInfo& source) {
    Check(source, 4, "Convert4BitRGBTo8BitRGB: Invalid Bitcount & Compression Combination");
    return Widen(source, 8);
}

TMoDIBInfo Convert1BitRGBToTrueColor(const TMoDIBInfo& source) {
    Check(source, 1, "Convert1BitRGBToTrueColor: Invalid Bitcount & Compression Combination");
    return ToTrueColor(source);
}

TMoDIBInfo Convert4BitRGBToTrueColor(const TMoDIBInfo& source) {
    Check(source, 4, "Convert4BitRGBToTrueColor: Invalid Bitcount & Compression Combination");
    return ToTrueColor(source);
}

TMoDIBInfo Convert8BitRGBToTrueColor(const TMoDIBInfo& source) {
    Check(source, 8, "Convert8BitRGBToTrueColor: Invalid Bitcount & Compression Combination");
    return ToTrueColor(source);
}

TMoDIBInfo ConvertTrueColorTo1BitRGB(const TMoDIBInfo& source, quint32 maskColor) {
    Check(source, 24, "ConvertTrueColorTo1BitRGB: Invalid Bitcount");
    return ToMask(source, maskColor);
}

TMoDIBInfo Convert8BitTo1BitRGB(const TMoDIBInfo& source, quint32 maskColor) {
    Check(source, 8, "Convert8BitTo1BitRGB: Invalid Bitcount or Compression");
    return ToMask(source, maskColor);
}

TMoDIBInfo Convert4BitRGBTo1BitRGB(const TMoDIBInfo& source, quint32 maskColor) {
    Check(source, 4, "Convert4BitRGBTo1BitRGB: Invalid Bitcount");
    return ToMask(source, maskColor);
}
