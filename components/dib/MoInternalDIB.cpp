#include "MoInternalDIB.h"

#include "MoDIBErrors.h"

#include <QBuffer>
#include <QIODevice>
#include <QtEndian>
#include <limits>

namespace {

constexpr int FileHeaderSize = 14;
constexpr int InfoHeaderSize = 40;
constexpr int CoreHeaderSize = 12;

// Reads little-endian numbers, refusing to run past the stream's end.
class TBmpReader {
public:
    explicit TBmpReader(QIODevice& stream) : FStream(stream) {}

    QByteArray Read(qint64 size) {
        if (!FStream.isSequential() && size > FStream.size() - FStream.pos())
            Short();
        const QByteArray bytes = FStream.read(size);
        if (bytes.size() != size)
            Short();
        FCount += size;
        return bytes;
    }
    quint16 U16() { return qFromLittleEndian<quint16>(Read(2).constData()); }
    quint32 U32() { return qFromLittleEndian<quint32>(Read(4).constData()); }
    qint32 I32() { return qint32(U32()); }
    void SkipTo(qint64 offset) { Read(offset - FCount); }
    qint64 Count() const { return FCount; }

private:
    [[noreturn]] static void Short() {
        throw EMoDIBInvalidDIBFile("TMoInternalDIB.LoadFromStream: Unexpected End of File");
    }

    QIODevice& FStream;
    qint64 FCount = 0;
};

struct TFileHeader {
    quint32 bfSize = 0;
    quint32 bfOffBits = 0;
};

TFileHeader ReadFileHeader(TBmpReader& in) {
    const QByteArray bytes = in.Read(FileHeaderSize);
    if (qFromLittleEndian<quint16>(bytes.constData()) != 0x4D42)
        throw EMoDIBInvalidDIBFile("TMoInternalDIB.LoadFromFile: File type is invalid");
    return {qFromLittleEndian<quint32>(bytes.constData() + 2),
            qFromLittleEndian<quint32>(bytes.constData() + 10)};
}

void CheckOffBits(qint64 used, const TFileHeader& file) {
    if (used > file.bfOffBits)
        throw EMoDIBInvalidDIB("TMoInternalDIB.LoadFromFile: bfOffBits is too small");
}

// Header, masks and colour table of a BITMAPINFOHEADER image.
void ReadInfoHeader(TBmpReader& in, const TFileHeader& file, TMoDIBInfo& info,
                    std::array<quint32, 3>& masks) {
    TBitmapInfoHeader& h = info.Header;
    h.biWidth = in.I32();
    h.biHeight = in.I32();
    h.biPlanes = in.U16();
    h.biBitCount = in.U16();
    h.biCompression = in.U32();
    h.biSizeImage = in.U32();
    h.biXPelsPerMeter = in.I32();
    h.biYPelsPerMeter = in.I32();
    h.biClrUsed = in.U32();
    h.biClrImportant = in.U32();
    if (h.biXPelsPerMeter == 0)
        h.biXPelsPerMeter = 3780;
    if (h.biYPelsPerMeter == 0)
        h.biYPelsPerMeter = 3780;
    switch (h.biBitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        throw EMoDIBInvalidDIB("TMoInternalDIB.LoadFromStream: Invalid BitCout");
    }
    if (h.biClrUsed == 0)
        h.biClrUsed = DIBColorCount(h.biBitCount);
    const bool bitFields = h.biCompression == BI_BITFIELDS;
    CheckOffBits(in.Count() + (bitFields ? 12 : 0) + 4 * qint64(h.biClrUsed), file);
    if (bitFields)
        for (quint32& mask : masks)
            mask = in.U32();
    for (quint32 i = 0; i < h.biClrUsed; ++i) {
        const QByteArray entry = in.Read(4);
        if (i < 256)
            info.Colors[i] = {quint8(entry[0]), quint8(entry[1]), quint8(entry[2]), 0};
    }
    h.biClrUsed = qMin<quint32>(h.biClrUsed, 256);
}

// A BITMAPCOREHEADER image, turned into the 40-byte header.
void ReadCoreHeader(TBmpReader& in, const TFileHeader& file, TMoDIBInfo& info) {
    TBitmapInfoHeader& h = info.Header;
    h.biWidth = in.U16();
    h.biHeight = in.U16();
    h.biPlanes = in.U16();
    h.biBitCount = in.U16();
    if (h.biBitCount != 1 && h.biBitCount != 4 && h.biBitCount != 8 && h.biBitCount != 24)
        throw EMoDIBInvalidDIB("TMoInternalDIB.LoadFromStream: Invalid BitCount");
    h.biClrUsed = DIBColorCount(h.biBitCount);
    CheckOffBits(in.Count() + 3 * qint64(h.biClrUsed), file);
    for (quint32 i = 0; i < h.biClrUsed; ++i) {
        const QByteArray entry = in.Read(3);
        info.Colors[i] = {quint8(entry[0]), quint8(entry[1]), quint8(entry[2]), 0};
    }
}

[[noreturn]] void ShortPixels() {
    throw EMoDIBInvalidDIB("TMoInternalDIB.LoadFromStream: Pixel Data is too short");
}

// RLE codes give at most 255 pixels for two bytes, so the rows of the files this library
// writes take at most this many times the bytes of their codes.
constexpr qint64 MaxRleExpansion = 128;

// The pixels a header announces must fit the pixel data of `size` bytes before any memory is
// taken for them: unencoded rows all lie in it, and encoded ones expand it at most
// MaxRleExpansion times. A header that asks for a huge image over a few bytes is refused.
void CheckPixelSize(const TBitmapInfoHeader& h, qint64 size) {
    const qint64 rows = qAbs(qint64(h.biHeight)) * DIBRowSize(h.biBitCount, h.biWidth);
    if (rows > MaxPixelBytes || size > MaxPixelBytes)
        throw EMoDIBInvalidDIB("TMoInternalDIB.LoadFromStream: Image is too large");
    const bool encoded = h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4;
    if (size < 0 || rows > (encoded ? MaxRleExpansion * size : size))
        ShortPixels();
}

// One channel of a 16- or 32-bit pixel: its mask brought to bit 7 and scaled to 0..255.
class TMaskChannel {
public:
    explicit TMaskChannel(quint32 mask) : FMask(mask) {
        quint32 m = mask;
        while (m >= 256) {
            m >>= 1;
            ++FRight;
        }
        while (m < 128) {
            m <<= 1;
            ++FLeft;
        }
        FMax = m;
    }
    uchar Value(quint32 pixel) const {
        return uchar(quint64(((pixel & FMask) >> FRight) << FLeft) * 255 / FMax);
    }

private:
    quint32 FMask;
    int FRight = 0;
    int FLeft = 0;
    quint32 FMax = 1;
};

// 16 or 32 bits per pixel become 24 while reading.
void ExpandToTrueColor(TMoDIBInfo& info, const QByteArray& data, std::array<quint32, 3> masks) {
    const int bits = info.Header.biBitCount;
    if (info.Header.biCompression != BI_BITFIELDS) {
        if (info.Header.biCompression != BI_RGB)
            throw EMoDIBInvalidDIB("TMoInternalDIB.LoadFromStream: Invalid Compression");
        masks = bits == 16 ? std::array<quint32, 3>{0x7C00, 0x03E0, 0x001F}
                           : std::array<quint32, 3>{0xFF0000, 0x00FF00, 0x0000FF};
    }
    for (quint32 mask : masks)
        if (mask == 0)
            throw EMoDIBInvalidDIB("TMoInternalDIB.LoadFromStream: Invalid Masks");
    const TMaskChannel red(masks[0]), green(masks[1]), blue(masks[2]);
    const qint64 sourceRow = DIBRowSize(bits, info.Width());
    info.Header.biBitCount = 24;
    info.Header.biCompression = BI_RGB;
    info.Header.biSizeImage = 0;
    info.Pixels = GetMemory(qint64(info.RowSize()) * info.Rows(), DefaultUseFMO);
    for (int y = 0; y < info.Rows(); ++y) {
        const char* in = data.constData() + y * sourceRow;
        uchar* out = info.Row(y);
        for (int x = 0; x < info.Width(); ++x, out += 3) {
            const quint32 pixel = bits == 16 ? qFromLittleEndian<quint16>(in + 2 * x)
                                             : qFromLittleEndian<quint32>(in + 4 * x);
            out[0] = blue.Value(pixel);
            out[1] = green.Value(pixel);
            out[2] = red.Value(pixel);
        }
    }
}

template <typename T> void Append(QByteArray& bytes, T value) {
    char buffer[sizeof(T)];
    qToLittleEndian(value, buffer);
    bytes.append(buffer, sizeof(T));
}

} // namespace

TMoInternalDIB::TMoInternalDIB() : Info(CreateDIB(1, 1, 256, 8)) {}

TMoInternalDIB TMoInternalDIB::LoadFromStream(QIODevice& stream) {
    TBmpReader in(stream);
    const TFileHeader file = ReadFileHeader(in);
    TMoDIBInfo info;
    std::array<quint32, 3> masks{};
    const quint32 headerSize = in.U32();
    if (headerSize == InfoHeaderSize)
        ReadInfoHeader(in, file, info, masks);
    else if (headerSize == CoreHeaderSize)
        ReadCoreHeader(in, file, info);
    else
        throw EMoDIBInvalidDIB("TMoInternalDIB.LoadFromStream: Invalid Bitmap Header Size");
    if (info.Header.biWidth < 1 || info.Header.biHeight == 0 ||
        info.Header.biHeight == std::numeric_limits<qint32>::min())
        throw EMoDIBInvalidDIB("TMoInternalDIB.LoadFromStream: Invalid Width or Height");
    const qint64 size = qint64(file.bfSize) - file.bfOffBits;
    CheckPixelSize(info.Header, size);
    in.SkipTo(file.bfOffBits);
    const QByteArray data = in.Read(size);
    info.Header.biSize = InfoHeaderSize;
    if (info.Header.biBitCount == 16 || info.Header.biBitCount == 32) {
        ExpandToTrueColor(info, data, masks);
    } else {
        info.Pixels = TMoPixelMemory(data, DefaultUseFMO);
        info.PixelFormat(); // raises for a header no image format has
    }
    return TMoInternalDIB(std::move(info));
}

QByteArray TMoInternalDIB::SaveToBytes() const {
    return SaveToBytes(Info.Header, Info.Colors, Info.Pixels);
}

void TMoInternalDIB::SaveToStream(QIODevice& stream) const {
    SaveToStream(stream, Info.Header, Info.Colors, Info.Pixels);
}

QByteArray TMoInternalDIB::SaveToBytes(const TBitmapInfoHeader& h, const TColorTable& colors,
                                       QByteArrayView pixels) {
    const quint32 offBits = FileHeaderSize + InfoHeaderSize + 4 * h.biClrUsed;
    QByteArray bytes;
    bytes.reserve(offBits + pixels.size());
    bytes.append("BM", 2);
    Append<quint32>(bytes, offBits + quint32(pixels.size()));
    Append<quint32>(bytes, 0);
    Append<quint32>(bytes, offBits);
    Append<quint32>(bytes, InfoHeaderSize);
    Append<qint32>(bytes, h.biWidth);
    Append<qint32>(bytes, h.biHeight);
    Append<quint16>(bytes, h.biPlanes);
    Append<quint16>(bytes, h.biBitCount);
    Append<quint32>(bytes, h.biCompression);
    Append<quint32>(bytes, h.biSizeImage);
    Append<qint32>(bytes, h.biXPelsPerMeter);
    Append<qint32>(bytes, h.biYPelsPerMeter);
    Append<quint32>(bytes, h.biClrUsed);
    Append<quint32>(bytes, h.biClrImportant);
    bytes.append(reinterpret_cast<const char*>(colors.data()), 4 * h.biClrUsed);
    bytes.append(pixels);
    return bytes;
}

void TMoInternalDIB::SaveToStream(QIODevice& stream, const TBitmapInfoHeader& header,
                                  const TColorTable& colors, QByteArrayView pixels) {
    const QByteArray bytes = SaveToBytes(header, colors, pixels);
    if (stream.write(bytes) != bytes.size())
        throw EMoDIBError("TMoInternalDIB.SaveToStream: " + stream.errorString());
}
