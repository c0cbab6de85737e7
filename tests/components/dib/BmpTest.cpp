#include "DIBTestHelpers.h"
#include "components/dib/MoDIB.h"
#include "components/dib/MoDIBErrors.h"
#include "components/dib/MoRLE.h"

#include <QBuffer>
#include <QtEndian>
#include <gtest/gtest.h>
#include <limits>

namespace {

template <typename T> void Put(QByteArray& bytes, T value) {
    char buffer[sizeof(T)];
    qToLittleEndian(value, buffer);
    bytes.append(buffer, sizeof(T));
}

// A BMP file written by hand, for headers this library never writes itself.
struct TBmpFile {
    int HeaderSize = 40;
    int Width = 2;
    int Height = 1;
    int BitCount = 16;
    quint32 Compression = BI_RGB;
    int Colors = 0; // entries written into the table
    QList<quint32> Masks;
    QByteArray Pixels;
    int OffBitsShift = 0; // moves bfOffBits away from where the table ends

    QByteArray Bytes() const {
        const int entry = HeaderSize == 12 ? 3 : 4;
        const quint32 offBits = 14 + HeaderSize + 4 * Masks.size() + entry * Colors + OffBitsShift;
        QByteArray b("BM");
        Put<quint32>(b, offBits + Pixels.size());
        Put<quint32>(b, 0);
        Put<quint32>(b, offBits);
        Put<quint32>(b, HeaderSize);
        if (HeaderSize == 12) {
            Put<quint16>(b, Width);
            Put<quint16>(b, Height);
            Put<quint16>(b, 1);
            Put<quint16>(b, BitCount);
        } else {
            Put<qint32>(b, Width);
            Put<qint32>(b, Height);
            Put<quint16>(b, 1);
            Put<quint16>(b, BitCount);
            Put<quint32>(b, Compression);
            Put<quint32>(b, 0);
            Put<qint32>(b, 0);
            Put<qint32>(b, 0);
            Put<quint32>(b, Colors);
            Put<quint32>(b, 0);
        }
        for (quint32 mask : Masks)
            Put<quint32>(b, mask);
        for (int i = 0; i < Colors; ++i)
            b.append(QByteArray(entry, char(i + 1)));
        b.append(QByteArray(qMax(OffBitsShift, 0), '\0'));
        return b + Pixels;
    }
};

TMoInternalDIB Read(QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return TMoInternalDIB::LoadFromStream(buffer);
}

std::string ReadError(const QByteArray& bytes) {
    try {
        Read(bytes);
    } catch (const EMoDIBError& e) {
        return e.Message().toStdString();
    }
    return "no error";
}

quint32 U32At(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

QByteArray Row16(std::initializer_list<quint16> pixels) {
    QByteArray row;
    for (quint16 p : pixels)
        Put<quint16>(row, p);
    while (row.size() % 4)
        row.append('\0');
    return row;
}

std::vector<int> Bgr(const TMoDIBInfo& info, int x, int y) {
    const uchar* p = info.Row(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

} // namespace

TEST(BmpFiles, RoundTripsAtEveryDepthKeepTheBytes) {
    for (int bits : {1, 4, 8, 24}) {
        TMoDIBInfo image = CreateDIB(13, -5, DIBColorCount(bits), bits);
        for (int i = 0; i < int(image.Pixels.size()); ++i)
            image.Pixels[i] = char(i * 7 + bits);
        for (int i = 0; i < DIBColorCount(bits); ++i)
            image.Colors[i] = {quint8(i), quint8(2 * i), quint8(255 - i), 0};
        image.Header.biXPelsPerMeter = 2835;
        const QByteArray written = TMoInternalDIB(image).SaveToBytes();
        const int table = 4 * DIBColorCount(bits);
        EXPECT_EQ(written.left(2), "BM");
        EXPECT_EQ(U32At(written, 2), quint32(written.size()));
        EXPECT_EQ(U32At(written, 10), quint32(54 + table));
        const TMoInternalDIB read = Read(written);
        EXPECT_EQ(read.Width(), 13);
        EXPECT_EQ(read.Height(), 5);
        EXPECT_EQ(read.Info.Header.biHeight, -5);
        EXPECT_EQ(read.SaveToBytes(), written) << bits;
    }
}

TEST(BmpFiles, SizesFollowTheRowRule) {
    const QByteArray written = TMoInternalDIB(CreateDIB(794, 1123, 256, 8)).SaveToBytes();
    EXPECT_EQ(U32At(written, 10), 1078u);
    EXPECT_EQ(U32At(written, 2), 1078u + 796u * 1123u);
}

TEST(BmpFiles, SixteenBitPixelsExpandToTrueColor) {
    TBmpFile file;
    file.Pixels = Row16({0x7FFF, 0x4210});
    const TMoInternalDIB plain = Read(file.Bytes());
    EXPECT_EQ(plain.Info.Header.biBitCount, 24);
    EXPECT_EQ(plain.Info.Header.biCompression, BI_RGB);
    EXPECT_EQ(plain.Info.Header.biSizeImage, 0u);
    EXPECT_EQ(Bgr(plain.Info, 0, 0), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(Bgr(plain.Info, 1, 0), (std::vector<int>{131, 131, 131}));

    file.Compression = BI_BITFIELDS;
    file.Masks = {0xF800, 0x07E0, 0x001F};
    file.Pixels = Row16({0xFFFF, 0x8410});
    const TMoInternalDIB fields = Read(file.Bytes());
    EXPECT_EQ(Bgr(fields.Info, 0, 0), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(Bgr(fields.Info, 1, 0), (std::vector<int>{131, 129, 131}));
}

TEST(BmpFiles, ThirtyTwoBitPixelsExpandWithTheirMasks) {
    TBmpFile file;
    file.BitCount = 32;
    file.Height = 2;
    for (quint32 p : {0x00123456u, 0xFF000000u, 0x00FFFFFFu, 0x00010203u})
        Put<quint32>(file.Pixels, p);
    const TMoInternalDIB plain = Read(file.Bytes());
    EXPECT_EQ(Bgr(plain.Info, 0, 0), (std::vector<int>{0x56, 0x34, 0x12}));
    EXPECT_EQ(Bgr(plain.Info, 1, 0), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(Bgr(plain.Info, 0, 1), (std::vector<int>{255, 255, 255}));

    file.Compression = BI_BITFIELDS;
    file.Masks = {0x000000FF, 0x0000FF00, 0x00FF0000}; // red and blue swapped
    file.Colors = 2;
    const TMoInternalDIB fields = Read(file.Bytes());
    EXPECT_EQ(Bgr(fields.Info, 0, 0), (std::vector<int>{0x12, 0x34, 0x56}));
    EXPECT_EQ(fields.Info.Header.biClrUsed, 2u);
    EXPECT_EQ(fields.Info.Colors[0], (TRGBQuad{1, 1, 1, 0})); // the table after the masks
}

TEST(BmpFiles, CoreHeadersBecomeInfoHeaders) {
    TBmpFile file;
    file.HeaderSize = 12;
    file.BitCount = 8;
    file.Width = 3;
    file.Colors = 256;
    file.Pixels = Bytes({7, 8, 9, 0});
    const TMoInternalDIB read = Read(file.Bytes());
    EXPECT_EQ(read.Info.Header.biSize, 40u);
    EXPECT_EQ(read.Info.Header.biClrUsed, 256u);
    EXPECT_EQ(read.Info.Header.biXPelsPerMeter, 3780);
    EXPECT_EQ(read.Info.Colors[6], (TRGBQuad{7, 7, 7, 0}));
    EXPECT_EQ(read.Info.Pixels, Bytes({7, 8, 9, 0}));
    EXPECT_EQ(U32At(read.SaveToBytes(), 14), 40u);
}

TEST(BmpFiles, BadFilesRaiseTheirMessages) {
    struct Case {
        std::function<void(TBmpFile&)> change;
        std::string message;
    };
    const std::vector<Case> cases = {
        {[](TBmpFile& f) { f.HeaderSize = 108; },
         "TMoInternalDIB.LoadFromStream: Invalid Bitmap Header Size"},
        {[](TBmpFile& f) { f.BitCount = 2; }, "TMoInternalDIB.LoadFromStream: Invalid BitCout"},
        {[](TBmpFile& f) { f.HeaderSize = 12; }, "TMoInternalDIB.LoadFromStream: Invalid BitCount"},
        {[](TBmpFile& f) { f.Width = 0; },
         "TMoInternalDIB.LoadFromStream: Invalid Width or Height"},
        {[](TBmpFile& f) { f.Height = 0; },
         "TMoInternalDIB.LoadFromStream: Invalid Width or Height"},
        {[](TBmpFile& f) {
             f.BitCount = 8;
             f.Colors = 4;
             f.OffBitsShift = -8;
         },
         "TMoInternalDIB.LoadFromFile: bfOffBits is too small"},
        {[](TBmpFile& f) {
             f.Compression = BI_BITFIELDS;
             f.Masks = {0x7C00, 0, 0x1F};
         },
         "TMoInternalDIB.LoadFromStream: Invalid Masks"},
        {[](TBmpFile& f) { f.Pixels.chop(1); },
         "TMoInternalDIB.LoadFromStream: Pixel Data is too short"},
        {[](TBmpFile& f) {
             f.BitCount = 8;
             f.Colors = 256;
             f.Compression = BI_RLE4;
         },
         "TMoInternalDIB.GetPixelFormat: Invalid DIB(8Bit)"},
        // Headers that ask for far more than the file holds are refused before any memory
        // is taken for the pixels.
        {[](TBmpFile& f) {
             f.BitCount = 8;
             f.Colors = 256;
             f.Compression = BI_RLE8;
             f.Width = f.Height = 30000;
         },
         "TMoInternalDIB.LoadFromStream: Pixel Data is too short"},
        {[](TBmpFile& f) { f.Width = std::numeric_limits<qint32>::max(); },
         "TMoInternalDIB.LoadFromStream: Image is too large"},
    };
    for (const Case& c : cases) {
        TBmpFile file;
        file.Pixels = Row16({1, 2});
        c.change(file);
        EXPECT_EQ(ReadError(file.Bytes()), c.message);
    }
    TBmpFile file;
    file.Pixels = Row16({1, 2});
    QByteArray bytes = file.Bytes();
    EXPECT_EQ(ReadError(bytes.left(bytes.size() - 1)),
              "TMoInternalDIB.LoadFromStream: Unexpected End of File");
    bytes[0] = 'X';
    EXPECT_EQ(ReadError(bytes), "TMoInternalDIB.LoadFromFile: File type is invalid");
}

// Blank rows take one run code per 255 pixels: the most the RLE files written here expand.
TEST(BmpFiles, BlankEncodedPagesStillRead) {
    const TMoDIBInfo blank = Convert8BitRGBTo8BitRLE(CreateDIB(4000, 30, 256, 8));
    EXPECT_EQ(Read(TMoInternalDIB(blank).SaveToBytes()).Info.Pixels, blank.Pixels);
}

TEST(BmpFiles, AFailedReadLeavesTheImage) {
    TMoDIB dib;
    dib.SetWidth(7);
    QByteArray bytes("BM not a bitmap at all");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_THROW(dib.LoadFromStream(buffer), EMoDIBInvalidDIB);
    EXPECT_EQ(dib.Width(), 7);
}

TEST(BmpFiles, FilesBackToBackReadOneAfterTheOther) {
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    TMoInternalDIB(CreateDIB(3, 2, 2, 1)).SaveToStream(stream);
    const qint64 second = stream.pos();
    TMoInternalDIB(CreateDIB(5, 4, 0, 24)).SaveToStream(stream);
    stream.seek(0);
    EXPECT_EQ(TMoInternalDIB::LoadFromStream(stream).Width(), 3);
    EXPECT_EQ(stream.pos(), second);
    EXPECT_EQ(TMoInternalDIB::LoadFromStream(stream).Width(), 5);
    EXPECT_TRUE(stream.atEnd());
}
