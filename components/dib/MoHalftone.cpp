#include "MoHalftone.h"

#include <QtGlobal>
#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr int Channels = 3; // red, green, blue
constexpr int LowestValue = -256;
constexpr int HighestValue = 512;

const std::vector<int> Levels[Channels] = {
    {0, 51, 102, 153, 204, 255}, {0, 43, 85, 128, 171, 214, 255}, {0, 64, 128, 192, 255}};
// The highest value that still maps to each level but the last.
const std::vector<int> Limits[Channels] = {
    {25, 76, 127, 178, 230}, {21, 63, 106, 149, 192, 233}, {31, 95, 159, 223}};

// For each channel and corrected value from -256 to 512, the level it takes.
class TLevelTable {
public:
    TLevelTable() {
        for (int c = 0; c < Channels; ++c)
            for (int v = LowestValue; v <= HighestValue; ++v) {
                const auto level = std::lower_bound(Limits[c].begin(), Limits[c].end(), v);
                FLevel[c][v - LowestValue] = uchar(level - Limits[c].begin());
            }
    }
    // The level number of a corrected value on channel c.
    int Level(int c, int value) const {
        return FLevel[c][std::clamp(value, LowestValue, HighestValue) - LowestValue];
    }

private:
    std::array<uchar, HighestValue - LowestValue + 1> FLevel[Channels];
};

struct TError {
    qint16 Value[Channels] = {};
};

// Scans rows in a serpentine and hands each pixel's error-corrected colour to `choose`,
// which sets the pixel and answers the error it leaves.
template <typename Choose>
void Diffuse(const TMoDIBInfo& source, TMoDIBInfo& target, Choose choose) {
    const int width = source.Width();
    std::vector<TError> above(width + 2), current(width + 2);
    for (int y = 0; y < source.Rows(); ++y) {
        std::swap(above, current);
        std::fill(current.begin(), current.end(), TError{});
        const bool leftToRight = y % 2 == 0;
        const int step = leftToRight ? 1 : -1;
        TError previous;
        for (int i = 0; i < width; ++i) {
            const int x = leftToRight ? i : width - 1 - i;
            const TRGBQuad c = PixelColor(source, source.Row(y), x);
            const int value[Channels] = {c.rgbRed, c.rgbGreen, c.rgbBlue};
            int corrected[Channels];
            for (int ch = 0; ch < Channels; ++ch)
                corrected[ch] = value[ch] - (12 * above[x + 1].Value[ch] + 12 * previous.Value[ch] +
                                             5 * above[x + 1 - step].Value[ch]) /
                                                32;
            previous = choose(target.Row(y), x, corrected);
            current[x + 1] = previous;
        }
    }
}

TMoDIBInfo HalftoneTarget(const TMoDIBInfo& source, int bitCount) {
    TMoDIBInfo result = CreateLike(source, bitCount);
    result.Colors = {};
    return result;
}

} // namespace

const TColorTable& HalftoneColors() {
    static const TColorTable colors = [] {
        TColorTable table{};
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 7; ++g)
                for (int b = 0; b < 5; ++b)
                    table[r * 35 + g * 5 + b] = {quint8(Levels[2][b]), quint8(Levels[1][g]),
                                                 quint8(Levels[0][r]), 0};
        table[210] = {0, 0, 0x80, 0};
        table[211] = {0, 0x80, 0x80, 0};
        table[212] = {0x80, 0, 0x80, 0};
        table[213] = {0xC0, 0xC0, 0xC0, 0};
        table[214] = {0x80, 0x80, 0x80, 0};
        return table;
    }();
    return colors;
}

TMoDIBInfo ConvertToHalfTone(const TMoDIBInfo& source) {
    Q_ASSERT_X(source.Header.biCompression == BI_RGB, "ConvertToHalfTone", "Invalid DIB Format");
    const TLevelTable levels;
    TMoDIBInfo result = HalftoneTarget(source, 8);
    Diffuse(source, result, [&](uchar* row, int x, const int corrected[Channels]) {
        TError error;
        int index[Channels];
        for (int ch = 0; ch < Channels; ++ch) {
            index[ch] = levels.Level(ch, corrected[ch]);
            error.Value[ch] = qint16(Levels[ch][index[ch]] - corrected[ch]);
        }
        row[x] = uchar(index[0] * 35 + index[1] * 5 + index[2]);
        return error;
    });
    result.Colors = HalftoneColors();
    result.Header.biClrUsed = 215;
    return result;
}

TMoDIBInfo ConvertToHalfToneBW(const TMoDIBInfo& source) {
    Q_ASSERT_X(source.Header.biCompression == BI_RGB, "ConvertToHalfToneBW", "Invalid DIB Format");
    TMoDIBInfo result = HalftoneTarget(source, 1);
    Diffuse(source, result, [](uchar* row, int x, const int corrected[Channels]) {
        const bool white = corrected[0] + corrected[1] + corrected[2] >= 3 * 128;
        if (white)
            SetIndex(row, 1, x, 1);
        TError error;
        for (int ch = 0; ch < Channels; ++ch)
            error.Value[ch] = qint16((white ? 255 : 0) - corrected[ch]);
        return error;
    });
    result.Colors[1] = {255, 255, 255, 0};
    result.Header.biClrUsed = 2;
    return result;
}
