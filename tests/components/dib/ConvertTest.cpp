#include "DIBTestHelpers.h"
#include "components/dib/MoConvert.h"
#include "components/dib/MoDIB.h"
#include "components/dib/MoDIBErrors.h"
#include "components/dib/MoReduce.h"

#include <cmath>
#include <gtest/gtest.h>
#include <map>

namespace {

struct TRgb {
    int r, g, b;
    bool operator<(const TRgb& o) const { return std::tie(r, g, b) < std::tie(o.r, o.g, o.b); }
    bool operator==(const TRgb& o) const = default;
};

TRgb ColorAt(const TMoDIBInfo& info, int x, int y) {
    const TRGBQuad c = PixelColor(info, info.Row(y), x);
    return {c.rgbRed, c.rgbGreen, c.rgbBlue};
}

TRgb Entry(const TMoDIBInfo& info, int index) {
    return {info.Colors[index].rgbRed, info.Colors[index].rgbGreen, info.Colors[index].rgbBlue};
}

// Pixels of each colour-table entry in `reduced`, by the colours they had in `source`.
std::map<int, std::vector<TRgb>> Members(const TMoDIBInfo& source, const TMoDIBInfo& reduced) {
    std::map<int, std::vector<TRgb>> members;
    for (int y = 0; y < source.Rows(); ++y)
        for (int x = 0; x < source.Width(); ++x)
            members[GetIndex(reduced.Row(y), reduced.Header.biBitCount, x)].push_back(
                ColorAt(source, x, y));
    return members;
}

TRgb RoundedMean(const std::vector<TRgb>& colors) {
    long double r = 0, g = 0, b = 0;
    for (const TRgb& c : colors) {
        r += c.r;
        g += c.g;
        b += c.b;
    }
    const long double n = colors.size();
    return {int(std::llrint(r / n)), int(std::llrint(g / n)), int(std::llrint(b / n))};
}

TMoDIBInfo ManyColors() {
    return TrueColorImage(9, 7, [](int x, int y) {
        return std::tuple{(x * 37 + y * 11) % 256, (x * x * 13 + y * 5) % 256, (y * 71) % 256};
    });
}

} // namespace

TEST(ColorReduction, ThreeColorsStayExactInBothModes) {
    const TRgb colors[3] = {{255, 0, 0}, {0, 128, 0}, {10, 20, 201}};
    const TMoDIBInfo image = TrueColorImage(6, 4, [&](int x, int y) {
        const TRgb c = colors[(x + y) % 3];
        return std::tuple{c.r, c.g, c.b};
    });
    for (int mode : {0, 1})
        for (int bits : {4, 8}) {
            const TMoDIBInfo reduced = ConvertPixelFormat(image, bits == 8 ? moPf8Bit : moPf4Bit,
                                                          TMoConvertOptions{mode, 0xFFFFFF, {}});
            EXPECT_EQ(reduced.Header.biClrUsed, 3u);
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 6; ++x)
                    EXPECT_EQ(ColorAt(reduced, x, y), ColorAt(image, x, y)) << mode << bits;
        }
}

TEST(ColorReduction, HigherHalvesTakeTheFirstIndices) {
    const TMoDIBInfo image = TrueColorImage(2, 1, [](int x, int) {
        return std::tuple{x * 255, x * 255, x * 255};
    });
    const TMoDIBInfo reduced = ConvertTrueColorTo8BitRGBLow(image, {});
    EXPECT_EQ(Entry(reduced, 0), (TRgb{255, 255, 255}));
    EXPECT_EQ(Entry(reduced, 1), (TRgb{0, 0, 0}));
}

TEST(ColorReduction, SplitsPickTheChannelOfWidestSpread) {
    // 3 x var(red) = 4 x var(green) here: red splits first, so (16, 8, 0) takes entry 0;
    // a split on green first would have given (0, 16, 0) entry 0.
    const TRgb tie[3] = {{0, 0, 0}, {0, 16, 0}, {16, 8, 0}};
    const TMoDIBInfo image = TrueColorImage(3, 1, [&](int x, int) {
        return std::tuple{tie[x].r, tie[x].g, tie[x].b};
    });
    for (int mode : {0, 1}) {
        const TMoDIBInfo reduced =
            ConvertPixelFormat(image, moPf4Bit, TMoConvertOptions{mode, 0xFFFFFF, {}});
        EXPECT_EQ(Entry(reduced, 0), (TRgb{16, 8, 0})) << mode;
        EXPECT_EQ(Entry(reduced, 1), (TRgb{0, 16, 0})) << mode;
        EXPECT_EQ(Entry(reduced, 2), (TRgb{0, 0, 0})) << mode;
    }
    // 32 colours differing only in blue fill all 16 boxes, two neighbours to each.
    const TMoDIBInfo blues = TrueColorImage(32, 1, [](int x, int) {
        return std::tuple{40, 50, x * 8};
    });
    const TMoDIBInfo reduced = ConvertTrueColorTo4BitRGBHigh(blues, {});
    EXPECT_EQ(reduced.Header.biClrUsed, 16u);
    EXPECT_EQ(Entry(reduced, 0), (TRgb{40, 50, 244}));
    EXPECT_EQ(Entry(reduced, 15), (TRgb{40, 50, 4}));
}

TEST(ColorReduction, FineModeGivesEachBoxTheMeanOfItsPixels) {
    const TMoDIBInfo image = ManyColors();
    const TMoDIBInfo reduced = ConvertTrueColorTo4BitRGBHigh(image, {});
    EXPECT_LE(reduced.Header.biClrUsed, 16u);
    for (const auto& [index, colors] : Members(image, reduced))
        EXPECT_EQ(Entry(reduced, index), RoundedMean(colors)) << index;
}

TEST(ColorReduction, FastModeWorksOnFiveSixFiveCells) {
    // Two colours of one cell share the cell's mean colour, whatever the depth.
    const TMoDIBInfo image = TrueColorImage(4, 1, [](int x, int) {
        return x < 3 ? std::tuple{8, 4, 8} : std::tuple{12, 7, 14};
    });
    const TMoDIBInfo reduced = ConvertTrueColorTo8BitRGBLow(image, {});
    EXPECT_EQ(reduced.Header.biClrUsed, 1u);
    EXPECT_EQ(Entry(reduced, 0), (TRgb{9, 4, 9})); // low bits: (4/4, 3/4, 6/4) in integers
    const TMoDIBInfo many = ManyColors();
    EXPECT_LE(ConvertTrueColorTo4BitRGBLow(many, {}).Header.biClrUsed, 16u);
}

TEST(ColorReduction, EightToFourBitsKeepsTheEntriesInUse) {
    TMoDIBInfo image = CreateDIB(40, 3, 256, 8);
    for (int i = 0; i < 256; ++i)
        image.Colors[i] = {quint8(i), quint8(255 - i), quint8(i * 3), 0};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 40; ++x)
            image.Row(y)[x] = uchar(x * 5 + (y == 0 && x < 20 ? 1 : 0));
    int steps = 0;
    const TMoDIBInfo reduced = Convert8BitRGBTo4BitRGB(image, [&] { ++steps; });
    EXPECT_EQ(steps, 16);
    EXPECT_LE(reduced.Header.biClrUsed, 16u);
    for (const auto& [index, colors] : Members(image, reduced))
        EXPECT_EQ(Entry(reduced, index), RoundedMean(colors)) << index;
}

TEST(ColorReduction, MaskColorAloneBecomesWhite) {
    const TMoDIBInfo image = TrueColorImage(4, 1, [](int x, int) {
        const TRgb c[4] = {{0, 0, 255}, {0, 0, 254}, {255, 255, 255}, {255, 0, 0}};
        return std::tuple{c[x].r, c[x].g, c[x].b};
    });
    const TMoDIBInfo mono = ConvertTrueColorTo1BitRGB(image, 0xFF0000);
    EXPECT_EQ(mono.Row(0)[0], 0x80);
    EXPECT_EQ(mono.Header.biClrUsed, 2u);
    EXPECT_EQ(Entry(mono, 0), (TRgb{0, 0, 0}));
    EXPECT_EQ(Entry(mono, 1), (TRgb{255, 255, 255}));
    EXPECT_EQ(ConvertTrueColorTo1BitRGB(image, 0xFFFFFF).Row(0)[0], 0x20);
}

TEST(PixelFormats, EveryChainKeepsABlackAndWhiteImage) {
    const TMoDIBInfo image = TrueColorImage(40, 6, [](int x, int y) {
        const int v = (x / 8 + y) % 2 ? 255 : 0;
        return std::tuple{v, v, v};
    });
    const TMoPixelFormat formats[] = {moPf1Bit, moPf4Bit,    moPf4BitRLE,
                                      moPf8Bit, moPf8BitRLE, moPf24Bit};
    const TMoConvertOptions options;
    for (TMoPixelFormat from : formats)
        for (TMoPixelFormat to : formats) {
            const TMoDIBInfo first = ConvertPixelFormat(image, from, options);
            const TMoDIBInfo second = ConvertPixelFormat(first, to, options);
            EXPECT_EQ(second.PixelFormat(), to);
            const TMoDIBInfo back = ConvertPixelFormat(second, moPf24Bit, options);
            EXPECT_EQ(back.Pixels, image.Pixels) << from << " -> " << to;
        }
}

TEST(PixelFormats, RoutinesRefuseTheWrongInput) {
    const TMoDIBInfo eight = CreateDIB(2, 2, 256, 8);
    const TMoDIBInfo four = CreateDIB(2, 2, 16, 4);
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&] { Convert1BitRGBTo4BitRGB(eight); },
         "Convert1BitRGBTo4BitRGB: Invalid Bitcount & Compression Combination"},
        {[&] { Convert1BitRGBTo8BitRGB(eight); },
         "Convert1BitRGBTo8BitRGB: Invalid Bitcount & Compression Combination"},
        {[&] { Convert4BitRGBTo8BitRGB(eight); },
         "Convert4BitRGBTo8BitRGB: Invalid Bitcount & Compression Combination"},
        {[&] { Convert1BitRGBToTrueColor(eight); },
         "Convert1BitRGBToTrueColor: Invalid Bitcount & Compression Combination"},
        {[&] { Convert4BitRGBToTrueColor(eight); },
         "Convert4BitRGBToTrueColor: Invalid Bitcount & Compression Combination"},
        {[&] { Convert8BitRGBToTrueColor(four); },
         "Convert8BitRGBToTrueColor: Invalid Bitcount & Compression Combination"},
        {[&] { ConvertTrueColorTo8BitRGBLow(eight, {}); },
         "ConvertTrueColorTo8BitRGBLow: Invalid Bitcount"},
        {[&] { ConvertTrueColorTo4BitRGBLow(eight, {}); },
         "ConvertTrueColorTo4BitRGBLow: Invalid Bitcount"},
        {[&] { ConvertTrueColorTo8BitRGBHigh(eight, {}); },
         "ConvertTrueColorTo8BitRGBHigh: Invalid Bitcount"},
        {[&] { ConvertTrueColorTo4BitRGBHigh(eight, {}); },
         "ConvertTrueColorTo4BitRGBHigh: Invalid Bitcount"},
        {[&] { Convert8BitRGBTo4BitRGB(four, {}); },
         "Convert8BitRGBTo4BitRGB: Invalid Bitcount or Compression"},
        {[&] { ConvertTrueColorTo1BitRGB(eight, 0); },
         "ConvertTrueColorTo1BitRGB: Invalid Bitcount"},
        {[&] { Convert8BitTo1BitRGB(four, 0); },
         "Convert8BitTo1BitRGB: Invalid Bitcount or Compression"},
        {[&] { Convert4BitRGBTo1BitRGB(eight, 0); }, "Convert4BitRGBTo1BitRGB: Invalid Bitcount"},
    };
    for (const auto& [call, message] : cases) {
        try {
            call();
            ADD_FAILURE() << message;
        } catch (const EMoDIBBadDIBType& e) {
            EXPECT_EQ(e.Message().toStdString(), message);
        }
    }
}

TEST(PixelFormats, ReductionsReportTheirProgress) {
    TMoDIB dib;
    LoadInto(dib, ManyColors());
    std::vector<std::pair<TProgressStage, int>> events;
    QString stage;
    dib.OnProgress = [&](TMoGraphic*, TProgressStage s, int percent, bool, const TRect& r,
                         const QString& msg) {
        events.push_back({s, percent});
        stage = msg;
        EXPECT_EQ(r, (TRect{0, 0, 9, 7}));
    };
    int changes = 0;
    dib.OnChange = [&](TMoGraphic*) { ++changes; };
    dib.SetPixelFormat(moPf8Bit);
    EXPECT_EQ(stage, "PixelFormat 24Bit -> 8Bit");
    ASSERT_EQ(events.size(), 257u);
    EXPECT_EQ(events.front(), (std::pair{psStarting, 0}));
    EXPECT_EQ(events[1], (std::pair{psRunning, 0}));
    EXPECT_EQ(events[128], (std::pair{psRunning, 50}));
    EXPECT_EQ(events.back(), (std::pair{psEnding, 100}));
    EXPECT_EQ(changes, 1);

    events.clear();
    dib.SetPixelFormat(moPf24Bit);
    EXPECT_TRUE(events.empty());
}

TEST(PixelFormats, AFailedEncodingLeavesTheImageAtTwentyFourBits) {
    const TMoDIBInfo image = TrueColorImage(8, 8, [](int x, int y) {
        const int v = (x + y) % 2 ? 200 : 10;
        return std::tuple{v, v, 0};
    });
    TMoDIB dib;
    LoadInto(dib, image);
    EXPECT_THROW(dib.SetPixelFormat(moPf8BitRLE), EMoDIBCompressionFailed);
    EXPECT_EQ(dib.PixelFormat(), moPf24Bit);
    EXPECT_EQ(dib.InternalDIB().Info.Pixels, image.Pixels);
}
