#include "DIBTestHelpers.h"
#include "components/dib/MoDIB.h"
#include "components/dib/MoDIBCanvas.h"
#include "components/dib/MoDIBErrors.h"
#include "ui/Canvas.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// An 8-bit image, rows top to bottom in the list, with four colours.
TMoDIBInfo FourColourImage(const std::vector<std::vector<int>>& topDown) {
    std::vector<std::vector<int>> stored(topDown.rbegin(), topDown.rend());
    TMoDIBInfo info = ImageOfRows(8, int(topDown[0].size()), stored);
    info.Colors[0] = {0, 0, 0, 0};
    info.Colors[1] = {0, 0, 255, 0};
    info.Colors[2] = {0, 255, 0, 0};
    info.Colors[3] = {255, 255, 255, 0};
    info.Colors[4] = {0, 0, 255, 0}; // red again
    return info;
}

int IndexAt(const TMoDIB& dib, int x, int yFromTop) {
    const TMoDIBInfo& info = dib.InternalDIB().Info;
    return GetIndex(info.Row(info.Rows() - 1 - yFromTop), info.Header.biBitCount, x);
}

} // namespace

TEST(MoDIB, StartsAsOneBlackPixelOfEightBits) {
    TMoDIB dib;
    EXPECT_EQ(dib.Width(), 1);
    EXPECT_EQ(dib.Height(), 1);
    EXPECT_EQ(dib.BitCount(), 8);
    EXPECT_EQ(dib.PixelFormat(), moPf8Bit);
    EXPECT_EQ(dib.InternalDIB().Info.Header.biClrUsed, 256u);
    EXPECT_EQ(dib.InternalDIB().Info.Header.biXPelsPerMeter, 3780);
    EXPECT_EQ(dib.ConvertMode, 0);
    EXPECT_EQ(dib.MaskColor, clWhite);
    EXPECT_EQ(dib.HalftoneMode, 0);
    EXPECT_FALSE(dib.Empty());
}

TEST(MoDIB, NewSizesAndDepthsGiveBlackImages) {
    TMoDIB dib;
    LoadInto(dib, FourColourImage({{1, 2, 3}}));
    dib.SetWidth(20);
    dib.SetHeight(10);
    EXPECT_EQ(dib.Width(), 20);
    EXPECT_EQ(dib.Height(), 10);
    EXPECT_EQ(dib.InternalDIB().Info.Pixels, QByteArray(20 * 10, '\0'));
    EXPECT_EQ(dib.Palette(), QList<QRgb>(256, qRgb(0, 0, 0)));
    dib.SetBitCount(4);
    EXPECT_EQ(dib.InternalDIB().Info.Header.biClrUsed, 16u);
    dib.SetHeight(-3);
    EXPECT_EQ(dib.Height(), 3);
    EXPECT_EQ(dib.InternalDIB().Info.Header.biHeight, -3);
}

TEST(MoDIB, BadSizesAndDepthsRaise) {
    TMoDIB dib;
    const std::vector<std::pair<std::function<void()>, QString>> cases = {
        {[&] { dib.SetWidth(0); }, "TMoDIB.SetWidth: Invalid Width"},
        {[&] { dib.SetBitCount(16); }, "TMoDIB.SetBitCount: Invalid BitCount"},
        {[&] { dib.SetBitCount(2); }, "TMoDIB.SetBitCount: Invalid BitCount"},
    };
    for (const auto& [call, message] : cases) {
        try {
            call();
            ADD_FAILURE() << message.toStdString();
        } catch (const EMoDIBInvalidDIBPara& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }
    EXPECT_THROW(dib.SetHeight(0), EMoDIBInvalidDIBPara);
    EXPECT_THROW(CreateDIB(1, 1, 257, 8), EMoDIBInvalidDIBPara);
    EXPECT_THROW(CreateDIB(70000, 70000, 0, 24), EMoDIBInvalidDIBPara);
}

TEST(MoDIB, SharedImagesCopyBeforeAChange) {
    TMoDIB first;
    LoadInto(first, FourColourImage({{1, 1, 1, 1, 1, 1, 1, 1}, {2, 2, 2, 2, 3, 3, 3, 3}}));
    first.ConvertMode = 1;
    first.HalftoneMode = 2;
    TMoDIB second;
    second.Assign(&first);
    EXPECT_EQ(&second.InternalDIB(), &first.InternalDIB());
    EXPECT_EQ(second.ConvertMode, 1);
    EXPECT_EQ(second.HalftoneMode, 2);

    second.SetPixelFormat(moPf8BitRLE);
    EXPECT_EQ(first.PixelFormat(), moPf8Bit);
    EXPECT_EQ(second.PixelFormat(), moPf8BitRLE);

    TMoDIB third;
    third.Assign(&first);
    {
        TMoDIBCanvas canvas(third);
        canvas.Brush.Color = clRed;
        canvas.FillRect(Rect(0, 0, 2, 2));
    }
    EXPECT_EQ(IndexAt(third, 0, 0), 1);
    EXPECT_EQ(IndexAt(third, 0, 1), 1);
    EXPECT_EQ(IndexAt(first, 0, 1), 2);

    second.Assign(nullptr);
    EXPECT_EQ(second.Width(), 1);
}

TEST(MoDIB, CanvasDrawingLandsInThePixels) {
    TMoDIB dib;
    LoadInto(dib, FourColourImage({{4, 4, 0, 0}, {0, 0, 0, 0}}));
    int changes = 0;
    dib.OnChange = [&](TMoGraphic*) { ++changes; };
    {
        TMoDIBCanvas canvas(dib);
        canvas.Brush.Color = RGB(250, 250, 250); // nearest entry: white
        canvas.FillRect(Rect(2, 1, 4, 2));
        canvas.SetPixel(3, 0, RGB(0, 200, 0)); // nearest entry: green
    }
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(IndexAt(dib, 0, 0), 4); // untouched pixels keep their entry, duplicates too
    EXPECT_EQ(IndexAt(dib, 2, 0), 0);
    EXPECT_EQ(IndexAt(dib, 3, 0), 2);
    EXPECT_EQ(IndexAt(dib, 2, 1), 3);
    EXPECT_EQ(IndexAt(dib, 3, 1), 3);
    EXPECT_EQ(IndexAt(dib, 1, 1), 0);

    TMoDIB truecolor;
    truecolor.Assign(QImage(3, 2, QImage::Format_RGB32));
    {
        TMoDIBCanvas canvas(truecolor);
        canvas.SetPixel(1, 1, RGB(1, 2, 3));
    }
    QImage back;
    truecolor.AssignTo(back);
    EXPECT_EQ(back.pixel(1, 1), qRgb(1, 2, 3));

    dib.SetWidth(16);
    dib.SetPixelFormat(moPf8BitRLE);
    try {
        TMoDIBCanvas canvas(dib);
        FAIL();
    } catch (const EMoDIBCanvasFailed& e) {
        EXPECT_EQ(e.Message(), "TMoDIBCanvas.Create: Cannot Create Canvas");
    }
}

TEST(MoDIB, BitmapsComeInAtTheirDepth) {
    QImage argb(4, 3, QImage::Format_ARGB32);
    argb.fill(qRgb(10, 20, 30));
    argb.setPixel(0, 0, qRgb(200, 100, 50));
    TMoDIB dib;
    dib.Assign(argb);
    EXPECT_EQ(dib.PixelFormat(), moPf24Bit);
    const TMoDIBInfo& info = dib.InternalDIB().Info;
    EXPECT_EQ(info.Header.biHeight, 3);
    EXPECT_EQ(info.Row(2)[0], 50); // the top row is stored last
    EXPECT_EQ(info.Row(2)[2], 200);
    EXPECT_EQ(info.Header.biSizeImage, quint32(info.Pixels.size()));

    QImage indexed(5, 2, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255)});
    indexed.fill(2);
    indexed.setPixel(4, 1, 1);
    dib.Assign(indexed);
    EXPECT_EQ(dib.PixelFormat(), moPf8Bit);
    EXPECT_EQ(dib.InternalDIB().Info.Header.biClrUsed, 256u);
    EXPECT_EQ(IndexAt(dib, 4, 1), 1);
    EXPECT_EQ(dib.Palette()[2], qRgb(0, 0, 255));

    QImage mono(9, 1, QImage::Format_MonoLSB);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(0);
    mono.setPixel(8, 0, 1);
    dib.Assign(mono);
    EXPECT_EQ(dib.PixelFormat(), moPf1Bit);
    EXPECT_EQ(IndexAt(dib, 8, 0), 1);
    EXPECT_EQ(IndexAt(dib, 7, 0), 0);
}

TEST(MoDIB, ImagesGoOutAsBitmapsOfTheirColours) {
    for (TMoPixelFormat format : {moPf1Bit, moPf4Bit, moPf4BitRLE, moPf8BitRLE, moPf24Bit}) {
        TMoDIB dib;
        std::vector<int> top(32, 3), bottom(32, 0);
        std::fill(top.begin() + 16, top.end(), 0);
        std::fill(bottom.begin() + 16, bottom.end(), 3);
        LoadInto(dib, FourColourImage({top, bottom}));
        dib.SetPixelFormat(format);
        QImage image;
        dib.AssignTo(image);
        ASSERT_EQ(image.size(), QSize(32, 2));
        EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255)) << format;
        EXPECT_EQ(image.pixel(31, 0), qRgb(0, 0, 0)) << format;
        EXPECT_EQ(image.pixel(0, 1), qRgb(0, 0, 0)) << format;
        EXPECT_EQ(image.pixel(31, 1), qRgb(255, 255, 255)) << format;
    }
}

TEST(MoDIB, DrawsStretchedOntoACanvas) {
    TMoDIB dib;
    LoadInto(dib, FourColourImage({{1, 1, 2, 2, 2, 2, 2, 2}, {3, 3, 3, 3, 3, 3, 3, 3}}));
    dib.SetPixelFormat(moPf8BitRLE);
    QImage target(16, 4, QImage::Format_RGB32);
    target.fill(Qt::black);
    {
        TCanvas canvas(&target);
        dib.Draw(canvas, Rect(0, 0, 16, 4));
    }
    EXPECT_EQ(target.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(3, 1), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(4, 0), qRgb(0, 255, 0));
    EXPECT_EQ(target.pixel(15, 3), qRgb(255, 255, 255));
}

TEST(MoDIB, HalftoneDrawingUsesTheFixedColours) {
    TMoDIB dib;
    dib.Assign(QImage(2, 1, QImage::Format_RGB32));
    QImage grey(2, 1, QImage::Format_RGB32);
    grey.fill(qRgb(127, 127, 127));
    dib.Assign(grey);
    dib.HalftoneMode = 2;
    EXPECT_EQ(dib.Palette(), (QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}));
    QImage target(2, 1, QImage::Format_RGB32);
    {
        TCanvas canvas(&target);
        dib.Draw(canvas, Rect(0, 0, 2, 1));
    }
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(target.pixel(1, 0), qRgb(255, 255, 255));

    dib.HalftoneMode = 1;
    EXPECT_EQ(dib.Palette().size(), 215);
    EXPECT_EQ(dib.Palette()[122], qRgb(153, 128, 128));
    EXPECT_EQ(dib.PixelFormat(), moPf24Bit); // drawing leaves the image alone
}

TEST(MoDIB, PaletteReplacesTheColourTable) {
    TMoDIB dib;
    dib.SetPalette({qRgb(1, 2, 3), qRgb(4, 5, 6)});
    EXPECT_EQ(dib.InternalDIB().Info.Header.biClrUsed, 2u);
    EXPECT_EQ(dib.InternalDIB().Info.Colors[1], (TRGBQuad{6, 5, 4, 0}));
    EXPECT_EQ(dib.Palette(), (QList<QRgb>{qRgb(1, 2, 3), qRgb(4, 5, 6)}));
    dib.SetPalette({});
    EXPECT_TRUE(dib.Palette().isEmpty());
    dib.SetPalette(QList<QRgb>(300, qRgb(9, 9, 9)));
    EXPECT_EQ(dib.Palette().size(), 256);
}

TEST(MoDIB, TravelsThroughTheClipboardAsBmp) {
    TMoDIB dib;
    LoadInto(dib, FourColourImage({{1, 1, 2, 2, 2, 2, 2, 2}, {3, 3, 3, 3, 3, 3, 3, 3}}));
    dib.SetPixelFormat(moPf8BitRLE);
    QClipboard& clipboard = *QGuiApplication::clipboard();
    dib.AssignTo(clipboard);
    EXPECT_EQ(clipboard.mimeData()->data("image/bmp"), dib.InternalDIB().SaveToBytes());

    TMoDIB pasted;
    pasted.Assign(clipboard);
    EXPECT_EQ(pasted.InternalDIB().SaveToBytes(), dib.InternalDIB().SaveToBytes());

    QImage image(3, 3, QImage::Format_RGB32);
    image.fill(qRgb(7, 8, 9));
    clipboard.setImage(image);
    pasted.Assign(clipboard);
    EXPECT_EQ(pasted.Width(), 3);
    EXPECT_EQ(pasted.PixelFormat(), moPf24Bit);

    clipboard.setText("no picture");
    try {
        pasted.Assign(clipboard);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(),
                  "TMoDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
    }
    EXPECT_EQ(pasted.Width(), 3);
}

namespace {

// The file of the mapping that holds `address` ("[heap]", "/memfd:MoDIB (deleted)", ...);
// "none" when no mapping holds it.
std::string MappingOf(const void* address) {
    std::ifstream maps("/proc/self/maps");
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    for (std::string line; std::getline(maps, line);) {
        std::uintptr_t start = 0, end = 0;
        char dash = 0;
        std::istringstream fields(line);
        fields >> std::hex >> start >> dash >> end;
        if (at < start || at >= end)
            continue;
        const auto path = line.find('/') != std::string::npos ? line.find('/') : line.find('[');
        return path == std::string::npos ? std::string() : line.substr(path);
    }
    return "none";
}

// Sets the library's default UseFMO while it lives.
class TDefaultUseFMO {
public:
    explicit TDefaultUseFMO(bool value) : FSaved(DefaultUseFMO) { DefaultUseFMO = value; }
    ~TDefaultUseFMO() { DefaultUseFMO = FSaved; }

private:
    bool FSaved;
};

const void* PixelsOf(const TMoDIB& dib) {
    return dib.InternalDIB().Info.Pixels.constData();
}

} // namespace

TEST(PixelMemory, ImagesTakeAMappingOnSwapOrHeapMemory) {
    for (bool useFMO : {true, false}) {
        SCOPED_TRACE(useFMO);
        const TDefaultUseFMO kind(useFMO);
        const void* pixels = nullptr;
        {
            TMoDIB dib;
            dib.SetWidth(794);
            dib.SetHeight(1123);
            pixels = PixelsOf(dib);
            EXPECT_EQ(dib.InternalDIB().UseFMO(), useFMO);
            EXPECT_EQ(MappingOf(pixels).find("/memfd:MoDIB") == 0, useFMO) << MappingOf(pixels);
            EXPECT_EQ(dib.InternalDIB().Info.Pixels, QByteArray(796 * 1123, '\0'));
            if (!useFMO) {
                EXPECT_THROW(TMoDIBCanvas canvas(dib), EMoDIBCanvasFailed);
            }
        }
        // Released: the mapping is gone.
        if (useFMO) {
            EXPECT_EQ(MappingOf(pixels).find("/memfd:MoDIB"), std::string::npos);
        }
    }
}

TEST(PixelMemory, ACopyBeforeAChangeKeepsTheSourcesKind) {
    for (bool useFMO : {true, false}) {
        SCOPED_TRACE(useFMO);
        TMoDIB first;
        {
            const TDefaultUseFMO kind(useFMO);
            LoadInto(first, FourColourImage({{1, 2, 3}}));
        }
        const TDefaultUseFMO other(!useFMO);
        TMoDIB second;
        second.Assign(&first);
        second.SetPalette({qRgb(1, 2, 3)});
        EXPECT_NE(PixelsOf(second), PixelsOf(first));
        EXPECT_EQ(second.InternalDIB().UseFMO(), useFMO);
        EXPECT_EQ(second.InternalDIB().Info.Pixels, first.InternalDIB().Info.Pixels);
    }
}

// Converted after the default changed, the pixels stay of the image's own kind, so a canvas
// still works on an image made on a mapping.
TEST(PixelMemory, AConversionKeepsTheImagesKind) {
    for (bool useFMO : {true, false})
        for (TMoPixelFormat format : {moPf1Bit, moPf4Bit, moPf4BitRLE, moPf8BitRLE, moPf24Bit,
                                      moPfHalftone, moPfHalftoneBW}) {
            SCOPED_TRACE(testing::Message() << useFMO << " " << int(format));
            TMoDIB dib;
            {
                const TDefaultUseFMO kind(useFMO);
                LoadInto(dib, FourColourImage({std::vector<int>(32, 1), std::vector<int>(32, 2)}));
            }
            const TDefaultUseFMO other(!useFMO);
            dib.SetPixelFormat(format);
            EXPECT_EQ(dib.InternalDIB().UseFMO(), useFMO);
            if (useFMO && format != moPf4BitRLE && format != moPf8BitRLE) {
                EXPECT_NO_THROW(TMoDIBCanvas canvas(dib));
            }
        }
}

// Each case runs in a child process whose limits make one step of the mapping fail.
TEST(PixelMemory, AMappingThatCannotBeMadeRaises) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto mapUnder = [](int resource, rlim_t headroom) {
        std::signal(SIGXFSZ, SIG_IGN);
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit =
            resource == RLIMIT_AS ? rlim_t(pages) * getpagesize() + headroom : headroom;
        const rlimit r{limit, limit};
        setrlimit(resource, &r);
        try {
            TMoPixelMemory memory(qsizetype(1) << 30, true);
        } catch (const EOutOfResources& e) {
            std::fprintf(stderr, "%s\n", e.what());
            std::exit(0);
        }
        std::exit(1);
    };
    EXPECT_EXIT(mapUnder(RLIMIT_FSIZE, 1 << 20), testing::ExitedWithCode(0),
                "GetMemory: Cannot Make File Mapping Object");
    EXPECT_EXIT(mapUnder(RLIMIT_AS, 64 << 20), testing::ExitedWithCode(0),
                "GetMemory: Cannot Make View of File Map");
}
