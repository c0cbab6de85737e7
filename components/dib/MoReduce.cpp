#include "MoReduce.h"

#include "MoDIBErrors.h"

#include <vector>

namespace {

enum { Red, Green, Blue, Leaf };

// A colour to be put into a box: a 5-6-5 cell, a colour-table entry or one pixel.
struct TBoxColor {
    int Color[3]; // red, green, blue
    quint64 Weight;
    int Key;       // cell number or colour-table index
    int Index = 0; // colour-table index of its box, once split
};

// A channel's mean as the fraction Sum / Weight, compared without rounding.
struct TMean {
    quint64 Sum = 0;
    quint64 Weight = 1;
    // Whether the mean lies below a value, i.e. the value belongs to the higher half.
    bool LiesBelow(int value) const { return value * Weight > Sum; }
    // The mean rounded to the nearest integer, halves to even.
    int Rounded() const {
        const quint64 q = Sum / Weight, twiceRest = 2 * (Sum % Weight);
        return int(twiceRest > Weight || (twiceRest == Weight && q % 2) ? q + 1 : q);
    }
};

// Weighted sums over a range of colours: the means, and the variances times the squared
// weight, which keep their order and ties exactly.
struct TBoxMeasure {
    TMean Mean[3];
    unsigned __int128 Variance[3];

    TBoxMeasure(const std::vector<TBoxColor>& colors, int lo, int hi) {
        quint64 weight = 0, sum[3] = {}, squares[3] = {};
        for (int i = lo; i < hi; ++i) {
            weight += colors[i].Weight;
            for (int c = 0; c < 3; ++c) {
                const quint64 v = colors[i].Color[c];
                sum[c] += colors[i].Weight * v;
                squares[c] += colors[i].Weight * v * v;
            }
        }
        for (int c = 0; c < 3; ++c) {
            Mean[c] = {sum[c], weight};
            Variance[c] =
                (unsigned __int128)weight * squares[c] - (unsigned __int128)sum[c] * sum[c];
        }
    }

    int Channel() const {
        const auto& v = Variance;
        if (3 * v[Red] >= 4 * v[Green] && 3 * v[Red] >= 2 * v[Blue])
            return Red;
        if (4 * v[Green] >= 3 * v[Red] && 4 * v[Green] >= 2 * v[Blue])
            return Green;
        return Blue;
    }
};

// A node of the split tree: a split on one channel at its mean, or a leaf with its index.
struct TBoxNode {
    int Kind = Leaf;
    TMean Split;
    int Index = 0;
    int Above = -1;
    int UpTo = -1;
};

// Splits colours into 2^depth boxes at the channel means, the higher halves first.
class TBoxSplitter {
public:
    TBoxSplitter(int depth, const TProgressStep& step) : FDepth(depth), FStep(step) {}

    void Divide(std::vector<TBoxColor>& colors) { Divide(colors, 0, int(colors.size()), 0); }

    // The index of the box a colour ends in, following the recorded splits.
    int Walk(const int color[3]) const {
        int node = 0;
        while (Nodes[node].Kind != Leaf) {
            const TBoxNode& n = Nodes[node];
            node = n.Split.LiesBelow(color[n.Kind]) ? n.Above : n.UpTo;
        }
        return Nodes[node].Index;
    }

    TColorTable Colors{};
    int Count = 0;
    std::vector<TBoxNode> Nodes;

private:
    int Divide(std::vector<TBoxColor>& colors, int lo, int hi, int depth) {
        if (lo == hi) {
            if (depth == FDepth)
                Step();
            else
                for (int half = 0; half < 2; ++half)
                    Divide(colors, lo, hi, depth + 1);
            return -1;
        }
        const TBoxMeasure measure(colors, lo, hi);
        const int node = int(Nodes.size());
        Nodes.emplace_back();
        if (depth == FDepth) {
            MakeLeaf(colors, lo, hi, measure, node);
            return node;
        }
        const int channel = measure.Channel();
        const int split = Partition(colors, lo, hi, channel, measure.Mean[channel]);
        const int above = Divide(colors, split, hi, depth + 1);
        const int upTo = Divide(colors, lo, split, depth + 1);
        Nodes[node] = {channel, measure.Mean[channel], 0, above, upTo};
        return node;
    }

    // Values up to the mean to the front, the others to the back; returns the first back one.
    static int Partition(std::vector<TBoxColor>& colors, int lo, int hi, int channel,
                         const TMean& mean) {
        int i = lo, j = hi - 1;
        for (;;) {
            while (i <= j && !mean.LiesBelow(colors[i].Color[channel]))
                ++i;
            while (i <= j && mean.LiesBelow(colors[j].Color[channel]))
                --j;
            if (i >= j)
                return i;
            std::swap(colors[i++], colors[j--]);
        }
    }

    void MakeLeaf(std::vector<TBoxColor>& colors, int lo, int hi, const TBoxMeasure& measure,
                  int node) {
        const int index = Count++;
        Colors[index] = {quint8(measure.Mean[Blue].Rounded()),
                         quint8(measure.Mean[Green].Rounded()), quint8(measure.Mean[Red].Rounded()),
                         0};
        for (int i = lo; i < hi; ++i)
            colors[i].Index = index;
        Nodes[node].Index = index;
        Step();
    }

    void Step() {
        if (FStep)
            FStep();
    }

    int FDepth;
    const TProgressStep& FStep;
};

int CellOf(const uchar* bgr) {
    return (bgr[2] >> 3) * 2048 + (bgr[1] >> 2) * 32 + (bgr[0] >> 3);
}

// The cells that pixels fall in, each with the mean of its pixels' low bits added.
std::vector<TBoxColor> Histogram(const TMoDIBInfo& source) {
    struct TCell {
        quint64 Sum[3] = {};
        quint64 Count = 0;
    };
    std::vector<TCell> cells(65536);
    for (int y = 0; y < source.Rows(); ++y) {
        const uchar* p = source.Row(y);
        for (int x = 0; x < source.Width(); ++x, p += 3) {
            TCell& cell = cells[CellOf(p)];
            ++cell.Count;
            cell.Sum[Red] += p[2] & 7;
            cell.Sum[Green] += p[1] & 3;
            cell.Sum[Blue] += p[0] & 7;
        }
    }
    std::vector<TBoxColor> used;
    for (int n = 0; n < 65536; ++n) {
        const TCell& cell = cells[n];
        if (cell.Count)
            used.push_back({{int(cell.Sum[Red] / cell.Count) + (n >> 11) * 8,
                             int(cell.Sum[Green] / cell.Count) + ((n >> 5) & 63) * 4,
                             int(cell.Sum[Blue] / cell.Count) + (n & 31) * 8},
                            cell.Count,
                            n});
    }
    return used;
}

TMoDIBInfo Reduced(const TMoDIBInfo& source, int bitCount, const TBoxSplitter& boxes) {
    TMoDIBInfo result = CreateLike(source, bitCount);
    result.Colors = boxes.Colors;
    result.Header.biClrUsed = quint32(boxes.Count);
    return result;
}

TMoDIBInfo ReduceLow(const TMoDIBInfo& source, int bitCount, const TProgressStep& step) {
    std::vector<TBoxColor> cells = Histogram(source);
    TBoxSplitter boxes(bitCount, step);
    boxes.Divide(cells);
    std::vector<uchar> indexOfCell(65536);
    for (const TBoxColor& cell : cells)
        indexOfCell[cell.Key] = uchar(cell.Index);
    TMoDIBInfo result = Reduced(source, bitCount, boxes);
    for (int y = 0; y < source.Rows(); ++y) {
        const uchar* p = source.Row(y);
        for (int x = 0; x < source.Width(); ++x, p += 3)
            SetIndex(result.Row(y), bitCount, x, indexOfCell[CellOf(p)]);
    }
    return result;
}

TMoDIBInfo ReduceHigh(const TMoDIBInfo& source, int bitCount, const TProgressStep& step) {
    std::vector<TBoxColor> pixels;
    pixels.reserve(size_t(source.Width()) * source.Rows());
    for (int y = 0; y < source.Rows(); ++y) {
        const uchar* p = source.Row(y);
        for (int x = 0; x < source.Width(); ++x, p += 3)
            pixels.push_back({{p[2], p[1], p[0]}, 1, 0});
    }
    TBoxSplitter boxes(bitCount, step);
    boxes.Divide(pixels);
    pixels = {};
    TMoDIBInfo result = Reduced(source, bitCount, boxes);
    for (int y = 0; y < source.Rows(); ++y) {
        const uchar* p = source.Row(y);
        for (int x = 0; x < source.Width(); ++x, p += 3) {
            const int color[3] = {p[2], p[1], p[0]};
            SetIndex(result.Row(y), bitCount, x, boxes.Walk(color));
        }
    }
    return result;
}

void CheckTrueColor(const TMoDIBInfo& source, const char* routine) {
    if (source.Header.biBitCount != 24 || source.Header.biCompression != BI_RGB)
        throw EMoDIBBadDIBType(QString(routine) + ": Invalid Bitcount");
}

} // namespace

TMoDIBInfo ConvertTrueColorTo8BitRGBLow(const TMoDIBInfo& source, const TProgressStep& step) {
    CheckTrueColor(source, "ConvertTrueColorTo8BitRGBLow");
    return ReduceLow(source, 8, step);
}

TMoDIBInfo ConvertTrueColorTo4BitRGBLow(const TMoDIBInfo& source, const TProgressStep& step) {
    CheckTrueColor(source, "ConvertTrueColorTo4BitRGBLow");
    return ReduceLow(source, 4, step);
}

TMoDIBInfo ConvertTrueColorTo8BitRGBHigh(const TMoDIBInfo& source, const TProgressStep& step) {
    CheckTrueColor(source, "ConvertTrueColorTo8BitRGBHigh");
    return ReduceHigh(source, 8, step);
}

TMoDIBInfo ConvertTrueColorTo4BitRGBHigh(const TMoDIBInfo& source, const TProgressStep& step) {
    CheckTrueColor(source, "ConvertTrueColorTo4BitRGBHigh");
    return ReduceHigh(source, 4, step);
}

TMoDIBInfo Convert8BitRGBTo4BitRGB(const TMoDIBInfo& source, const TProgressStep& step) {
    if (source.Header.biBitCount != 8 || source.Header.biCompression != BI_RGB)
        throw EMoDIBBadDIBType("Convert8BitRGBTo4BitRGB: Invalid Bitcount or Compression");
    quint64 uses[256] = {};
    for (int y = 0; y < source.Rows(); ++y)
        for (int x = 0; x < source.Width(); ++x)
            ++uses[source.Row(y)[x]];
    std::vector<TBoxColor> entries;
    for (int i = 0; i < 256; ++i) {
        const TRGBQuad& c = source.Colors[i];
        if (uses[i])
            entries.push_back({{c.rgbRed, c.rgbGreen, c.rgbBlue}, uses[i], i});
    }
    TBoxSplitter boxes(4, step);
    boxes.Divide(entries);
    uchar newIndex[256] = {};
    for (const TBoxColor& entry : entries)
        newIndex[entry.Key] = uchar(entry.Index);
    TMoDIBInfo result = Reduced(source, 4, boxes);
    for (int y = 0; y < source.Rows(); ++y)
        for (int x = 0; x < source.Width(); ++x)
            SetIndex(result.Row(y), 4, x, newIndex[source.Row(y)[x]]);
    return result;
}
