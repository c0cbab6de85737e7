#include "DIBTestHelpers.h"
#include "components/dib/MoDIB.h"
#include "components/dib/MoDIBErrors.h"
#include "components/dib/MoRLE.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

namespace {

QByteArray EncodeRow8(const std::vector<int>& pixels) {
    std::vector<uchar> row(pixels.begin(), pixels.end());
    TRleWriter out(4096, "Test");
    EncodeRLE8Row(row.data(), int(row.size()), out);
    return out.Data().toByteArray();
}

QByteArray EncodeRow4(const std::vector<int>& bytes, int width) {
    std::vector<uchar> row(bytes.begin(), bytes.end());
    TRleWriter out(4096, "Test");
    EncodeRLE4Row(row.data(), width, out);
    return out.Data().toByteArray();
}

} // namespace

TEST(RleRowEncoding, EightBitRowsGiveTheirCodes) {
    EXPECT_EQ(EncodeRow8({5, 5, 5, 7}), Bytes({3, 5, 1, 7, 0, 0}));
    EXPECT_EQ(EncodeRow8({1, 2, 3, 3}), Bytes({1, 1, 1, 2, 2, 3, 0, 0}));
    EXPECT_EQ(EncodeRow8({1, 2, 3, 4, 5}), Bytes({0, 5, 1, 2, 3, 4, 5, 0, 0, 0}));
    EXPECT_EQ(EncodeRow8({1, 2, 3, 4}), Bytes({0, 4, 1, 2, 3, 4, 0, 0}));
    EXPECT_EQ(EncodeRow8({9}), Bytes({1, 9, 0, 0}));
    EXPECT_EQ(EncodeRow8({1, 2}), Bytes({1, 1, 1, 2, 0, 0}));
    EXPECT_EQ(EncodeRow8(std::vector<int>(300, 6)), Bytes({255, 6, 45, 6, 0, 0}));
}

// Runs are counted eight bytes at a time: runs that end at, just before and just after their
// limit and at every offset must end exactly where the pixels change.
TEST(RleRowEncoding, RunsEndWhereThePixelsChange) {
    const auto row = [](int before, int run, std::vector<int> after) {
        std::vector<int> pixels(before, 1);
        pixels.insert(pixels.end(), run, 6);
        pixels.insert(pixels.end(), after.begin(), after.end());
        return pixels;
    };
    EXPECT_EQ(EncodeRow8(row(0, 256, {1, 2})), Bytes({255, 6, 0, 3, 6, 1, 2, 0, 0, 0}));
    EXPECT_EQ(EncodeRow8(row(0, 257, {1, 2})), Bytes({255, 6, 2, 6, 1, 1, 1, 2, 0, 0}));
    EXPECT_EQ(EncodeRow8(row(0, 510, {})), Bytes({255, 6, 255, 6, 0, 0}));
    EXPECT_EQ(EncodeRow8(row(0, 511, {})), Bytes({255, 6, 255, 6, 1, 6, 0, 0}));
    for (int length = 2; length <= 40; ++length) {
        SCOPED_TRACE(length);
        EXPECT_EQ(EncodeRow8(row(1, length, {1})), Bytes({1, 1, length, 6, 1, 1, 0, 0}));
    }
    EXPECT_EQ(EncodeRow4(std::vector<int>(128, 0x77), 255), Bytes({254, 0x77, 1, 0x77, 0, 0}));
}

TEST(RleRowEncoding, LongLiteralsSplitAt255) {
    std::vector<int> row;
    for (int i = 0; i < 256; ++i)
        row.push_back(i % 2 ? i : 0);
    const QByteArray codes = EncodeRow8(row);
    ASSERT_EQ(codes.size(), 2 + 255 + 1 + 2 + 2);
    EXPECT_EQ(codes.left(2), Bytes({0, 255}));
    EXPECT_EQ(codes.mid(2 + 255 + 1), Bytes({1, 255, 0, 0}));
}

TEST(RleRowEncoding, FourBitRowsEndAtTheirWidth) {
    EXPECT_EQ(EncodeRow4({0x11, 0x11, 0x11}, 5), Bytes({5, 0x11, 0, 0}));
    EXPECT_EQ(EncodeRow4({0x11, 0x11, 0x10}, 5), Bytes({4, 0x11, 1, 0x10, 0, 0}));
    EXPECT_EQ(EncodeRow4({0x12, 0x34, 0x50}, 5), Bytes({0, 5, 0x12, 0x34, 0x50, 0, 0, 0}));
    EXPECT_EQ(EncodeRow4({0x12, 0x34}, 4), Bytes({0, 4, 0x12, 0x34, 0, 0}));
    EXPECT_EQ(EncodeRow4({0x12}, 1), Bytes({1, 0x12, 0, 0}));
    QByteArray run = EncodeRow4(std::vector<int>(130, 0x77), 260);
    EXPECT_EQ(run, Bytes({254, 0x77, 6, 0x77, 0, 0}));
}

TEST(RleImageEncoding, WritesRowsBottomUpAndEndsTheBitmap) {
    TMoDIBInfo image = ImageOfRows(8, 8, {{1, 1, 1, 1, 1, 1, 1, 1}, {2, 2, 2, 2, 2, 2, 2, 2}});
    const TMoDIBInfo encoded = Convert8BitRGBTo8BitRLE(image);
    EXPECT_EQ(encoded.Pixels, Bytes({8, 1, 0, 0, 8, 2, 0, 0, 0, 1}));
    EXPECT_EQ(encoded.Header.biCompression, BI_RLE8);
    EXPECT_EQ(encoded.Header.biSizeImage, 10u);

    image.Header.biHeight = -2; // top-down: the last stored row is the bottom one
    EXPECT_EQ(Convert8BitRGBTo8BitRLE(image).Pixels, Bytes({8, 2, 0, 0, 8, 1, 0, 0, 0, 1}));
    EXPECT_EQ(Convert8BitRGBTo8BitRLE(image).Header.biHeight, 2);
}

TEST(RleImageEncoding, ImageThatWouldGrowRaisesAndStaysAsItWas) {
    std::vector<std::vector<int>> rows(8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            rows[y].push_back((x + y) % 2);
    const TMoDIBInfo checkerboard = ImageOfRows(8, 8, rows);
    try {
        Convert8BitRGBTo8BitRLE(checkerboard);
        FAIL();
    } catch (const EMoDIBCompressionFailed& e) {
        EXPECT_EQ(e.Message(), "Convert8BitRGBTo8BitRLE: Compression Failed");
    }
    TMoDIBInfo fourBit = CreateDIB(16, 4, 16, 4);
    for (int y = 0; y < 4; ++y)
        for (int i = 0; i < 8; ++i)
            fourBit.Row(y)[i] = uchar(i * 0x11 + y);
    EXPECT_THROW(Convert4BitRGBTo4BitRLE(fourBit), EMoDIBCompressionFailed);

    TMoDIB dib;
    LoadInto(dib, checkerboard);
    EXPECT_THROW(dib.SetPixelFormat(moPf8BitRLE), EMoDIBCompressionFailed);
    EXPECT_EQ(dib.PixelFormat(), moPf8Bit);
    EXPECT_EQ(dib.InternalDIB().Info.Pixels, checkerboard.Pixels);
}

TEST(RleImageEncoding, WrongInputRaisesBadDIBType) {
    EXPECT_THROW(Convert8BitRGBTo8BitRLE(CreateDIB(4, 4, 16, 4)), EMoDIBBadDIBType);
    EXPECT_THROW(Convert4BitRGBTo4BitRLE(CreateDIB(4, 4, 256, 8)), EMoDIBBadDIBType);
    EXPECT_THROW(Convert8BitRLETo8BitRGB(CreateDIB(4, 4, 256, 8)), EMoDIBBadDIBType);
    EXPECT_THROW(Convert4BitRLETo4BitRGB(CreateDIB(4, 4, 16, 4)), EMoDIBBadDIBType);
}

namespace {

TMoDIBInfo Encoded(int bitCount, int width, int height, const QByteArray& codes) {
    TMoDIBInfo info = CreateDIB(width, height, DIBColorCount(bitCount), bitCount);
    info.Header.biCompression = bitCount == 8 ? BI_RLE8 : BI_RLE4;
    info.Pixels = TMoPixelMemory(QByteArrayView(codes), DefaultUseFMO);
    return info;
}

std::string DecodeError(int bitCount, int width, int height, const QByteArray& codes) {
    try {
        const TMoDIBInfo info = Encoded(bitCount, width, height, codes);
        if (bitCount == 8)
            Convert8BitRLETo8BitRGB(info);
        else
            Convert4BitRLETo4BitRGB(info);
    } catch (const EMoDIBInvalidDIB& e) {
        return e.Message().toStdString();
    }
    return "no error";
}

} // namespace

TEST(RleDecoding, BadStreamsRaiseTheirMessages) {
    struct Case {
        int bits;
        QByteArray codes;
        std::string message;
    };
    const std::vector<Case> cases = {
        {8, Bytes({0, 0, 0, 0, 0, 0}), "Convert8BitRLETo8BitRGB: Bad RLE Data 1"},
        {8, Bytes({0, 2, 5, 0}), "Convert8BitRLETo8BitRGB: Bad RLE Data 2"},
        {8, Bytes({0, 2, 0, 3}), "Convert8BitRLETo8BitRGB: Bad RLE Data 2"},
        {8, Bytes({2, 1, 0, 3, 1, 2, 3, 0}), "Convert8BitRLETo8BitRGB: Bad RLE Data 3"},
        {8, Bytes({3, 1, 2, 1}), "Convert8BitRLETo8BitRGB: Bad RLE Data 4"},
        {8, Bytes({0, 0, 0, 0, 1, 1}), "Convert8BitRLETo8BitRGB: Bad RLE Data 4"},
        {8, Bytes({4, 1, 0, 0}), "Convert8BitRLETo8BitRGB: RLE Data Ends Without End of Bitmap"},
        {4, Bytes({0, 0, 0, 0, 0, 0}), "Convert4BitRLETo4BitRGB: Bad RLE Data 5"},
        {4, Bytes({0, 2, 5, 0}), "Convert4BitRLETo4BitRGB: Bad RLE Data 6"},
        {4, Bytes({2, 1, 0, 3, 0x12, 0x30}), "Convert4BitRLETo4BitRGB: Bad RLE Data 7"},
        {4, Bytes({5, 0x11}), "Convert4BitRLETo4BitRGB: Bad RLE Data 8"},
        {4, Bytes({4}), "Convert4BitRLETo4BitRGB: RLE Data Ends Without End of Bitmap"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeError(c.bits, 4, 2, c.codes), c.message) << c.codes.toHex().toStdString();
}

TEST(RleDecoding, ShortRowsAndDeltasLeaveZeros) {
    const TMoDIBInfo decoded =
        Convert8BitRLETo8BitRGB(Encoded(8, 10, 2, Bytes({3, 9, 0, 0, 0, 2, 2, 0, 1, 4, 0, 1})));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(decoded.Row(0)), 10),
              Bytes({9, 9, 9, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(decoded.Row(1)), 10),
              Bytes({0, 0, 4, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(decoded.Header.biCompression, BI_RGB);
    EXPECT_EQ(decoded.Header.biSizeImage, 0u);

    const TMoDIBInfo nibbles =
        Convert4BitRLETo4BitRGB(Encoded(4, 5, 1, Bytes({3, 0x12, 0, 3, 0xAB, 0xC0, 0, 1})));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(nibbles.Row(0)), 3),
              Bytes({0x12, 0x1A, 0xBC}));
}

TEST(RleRoundTrip, EncodedImagesDecodeToTheirPixels) {
    for (int bits : {4, 8}) {
        TMoDIBInfo image = CreateDIB(63, 9, DIBColorCount(bits), bits);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 63; ++x)
                SetIndex(image.Row(y), bits, x, x < 56 ? (x / (4 + 4 * (y % 2))) % 5 : x % 3 + y);
        const TMoDIBInfo encoded =
            bits == 8 ? Convert8BitRGBTo8BitRLE(image) : Convert4BitRGBTo4BitRLE(image);
        const TMoDIBInfo decoded =
            bits == 8 ? Convert8BitRLETo8BitRGB(encoded) : Convert4BitRLETo4BitRGB(encoded);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 63; ++x)
                EXPECT_EQ(GetIndex(decoded.Row(y), bits, x), GetIndex(image.Row(y), bits, x))
                    << bits << " " << x << "," << y;
    }
}

TEST(RleRoundTrip, QtReadsTheRle8FilesWeWrite) {
    TMoDIB dib;
    TMoDIBInfo image = ImageOfRows(8, 12,
                                   {{0, 0, 0, 0, 1, 2, 3, 4, 4, 4, 4, 4},
                                    {5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5},
                                    {1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2}});
    image.Colors[0] = {0, 0, 0, 0};
    image.Colors[1] = {0, 0, 255, 0};
    image.Colors[2] = {0, 255, 0, 0};
    image.Colors[3] = {255, 0, 0, 0};
    image.Colors[4] = {255, 255, 255, 0};
    image.Colors[5] = {10, 20, 30, 0};
    LoadInto(dib, image);
    dib.SetPixelFormat(moPf8BitRLE);
    QBuffer file;
    file.open(QIODevice::ReadWrite);
    dib.SaveToStream(file);

    const QImage read = QImage::fromData(file.data(), "BMP");
    ASSERT_FALSE(read.isNull());
    EXPECT_EQ(read.pixel(0, 2), qRgb(0, 0, 0));
    EXPECT_EQ(read.pixel(4, 2), qRgb(255, 0, 0));
    EXPECT_EQ(read.pixel(5, 2), qRgb(0, 255, 0));
    EXPECT_EQ(read.pixel(6, 2), qRgb(0, 0, 255));
    EXPECT_EQ(read.pixel(11, 2), qRgb(255, 255, 255));
    EXPECT_EQ(read.pixel(7, 1), qRgb(30, 20, 10));
    EXPECT_EQ(read.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(read.pixel(11, 0), qRgb(0, 255, 0));
}
