#include "MoRLE.h"

#include "MoDIBErrors.h"

#include <QtEndian>

namespace {

// How one encoding writes its runs: byte values of one or two pixels each.
struct TRleCodes {
    int MaxLength;     // bytes in one run or literal
    int MinAbsolute;   // shorter literals go out as runs of one byte
    int PixelsPerByte; // 1 for RLE8, 2 for RLE4
};

constexpr TRleCodes Rle8Codes{255, 3, 1};
constexpr TRleCodes Rle4Codes{127, 2, 2};

// The per-row machine: a pending single byte, run or literal, written when it can grow no more.
// The encoding is fixed at compile time, so its limits cost no reads in the loops.
template <TRleCodes Codes> class TRowEncoder {
public:
    TRowEncoder(const uchar* row, int width, TRleWriter& out)
        : FRow(row), FWidth(width), FOut(out) {}

    void Encode(int bytes) {
        for (int i = 0; i < bytes;) {
            if (FState == Run && FCount < Codes.MaxLength && FRow[i] == FRow[FStart]) {
                const int n = EqualBytes(FRow + i, qMin(bytes - i, Codes.MaxLength - FCount));
                FCount += n;
                i += n;
            } else if (FState == Literal) {
                i = GrowLiteral(i, bytes);
            } else {
                Take(i++);
            }
        }
        Flush();
        FOut.Need(4);
        FOut.PutCode(0, 0);
    }

private:
    enum TState { Empty, Single, Run, Literal };

    // How many of the next `limit` bytes, the first among them, equal that first one; the
    // bytes a run takes one by one, counted eight at a time.
    static int EqualBytes(const uchar* from, int limit) {
        const quint64 pattern = 0x0101010101010101ULL * from[0];
        int n = 0;
        for (; n + 8 <= limit; n += 8) {
            quint64 word;
            std::memcpy(&word, from + n, 8);
            if (const quint64 differ = qFromLittleEndian(word) ^ pattern)
                return n + qCountTrailingZeroBits(differ) / 8;
        }
        while (n < limit && from[n] == from[0])
            ++n;
        return n;
    }

    void Take(int i) {
        const uchar b = FRow[i];
        switch (FState) {
        case Empty:
            Open(i);
            break;
        case Single:
            FState = b == FRow[FStart] ? Run : Literal;
            FCount = 2;
            break;
        case Run:
            if (b == FRow[FStart] && FCount < Codes.MaxLength) {
                ++FCount;
            } else {
                WriteRun(FStart, FCount);
                Open(i);
            }
            break;
        case Literal:
            TakeIntoLiteral(i);
            break;
        }
    }

    // A literal's bytes are taken one after another, so its last is the one before i: it takes
    // the bytes that differ from the one before them at once, the next by the rules.
    int GrowLiteral(int i, int bytes) {
        while (i < bytes && FCount < Codes.MaxLength && FRow[i] != FRow[i - 1]) {
            ++FCount;
            ++i;
        }
        if (i < bytes)
            TakeIntoLiteral(i++);
        return i;
    }

    void TakeIntoLiteral(int i) {
        const int last = FStart + FCount - 1;
        if (FRow[i] == FRow[last]) {
            WriteLiteral(FStart, FCount - 1);
            FState = Run;
            FStart = last;
            FCount = 2;
        } else if (FCount < Codes.MaxLength) {
            ++FCount;
        } else {
            WriteLiteral(FStart, FCount);
            Open(i);
        }
    }

    void Open(int i) {
        FState = Single;
        FStart = i;
        FCount = 1;
    }

    void Flush() {
        if (FState == Run || FState == Single)
            WriteRun(FStart, FCount);
        else if (FState == Literal)
            WriteLiteral(FStart, FCount);
    }

    // Pixels that `count` bytes from `start` cover; a row of odd width ends at its width.
    uchar Pixels(int start, int count) const {
        return uchar(qMin(count * Codes.PixelsPerByte, FWidth - start * Codes.PixelsPerByte));
    }

    void WriteRun(int start, int count) {
        FOut.Need(6);
        FOut.PutCode(Pixels(start, count), FRow[start]);
    }

    void WriteLiteral(int start, int count) {
        if (count < Codes.MinAbsolute) {
            for (int i = 0; i < count; ++i)
                WriteRun(start + i, 1);
            return;
        }
        FOut.Need((count + 1) / 2 * 2 + 6);
        FOut.PutCode(0, Pixels(start, count));
        FOut.PutBytes(FRow + start, count);
        if (count % 2)
            FOut.PutByte(0);
    }

    const uchar* FRow;
    int FWidth; // pixels in the row
    TRleWriter& FOut;
    TState FState = Empty;
    int FStart = 0;
    int FCount = 0;
};

TMoDIBInfo EncodeImage(const TMoDIBInfo& source, int bitCount, const char* routine) {
    TRleWriter out(qsizetype(source.RowSize()) * source.Rows(), routine);
    const bool topDown = source.Header.biHeight < 0;
    for (int i = 0; i < source.Rows(); ++i) {
        EncodeRLERow(bitCount, source.Row(topDown ? source.Rows() - 1 - i : i), source.Width(),
                     out);
    }
    TMoDIBInfo result;
    result.Header = EndRleImage(source, bitCount, out);
    result.Colors = source.Colors;
    result.Pixels = TMoPixelMemory(out.Data(), source.Pixels.UseFMO());
    return result;
}

// The decoder's messages: end of line, delta, absolute run, encoded run, missing end.
struct TRleFaults {
    TRleFaults(const QString& routine, int first)
        : EndOfLine(BadData(routine, first)), Delta(BadData(routine, first + 1)),
          Absolute(BadData(routine, first + 2)), Run(BadData(routine, first + 3)),
          NoEnd(routine + ": RLE Data Ends Without End of Bitmap") {}
    static QString BadData(const QString& routine, int n) {
        return routine + ": Bad RLE Data " + QString::number(n);
    }
    QString EndOfLine;
    QString Delta;
    QString Absolute;
    QString Run;
    QString NoEnd;
};

// Reads codes until the end of bitmap, writing bytes (RLE8) or nibbles (RLE4) into the rows.
class TRleDecoder {
public:
    TRleDecoder(const TMoDIBInfo& source, TMoDIBInfo& target, bool nibbles, TRleFaults faults)
        : FIn(reinterpret_cast<const uchar*>(source.Pixels.constData())),
          FSize(source.Pixels.size()), FTarget(target), FNibbles(nibbles),
          FLimit(nibbles ? (source.Width() + 1) / 2 * 2 : source.Width()),
          FFaults(std::move(faults)) {}

    void Decode() {
        for (;;) {
            const uchar first = Next();
            const uchar second = Next();
            if (first > 0)
                Run(first, second);
            else if (second == 0)
                EndOfLine();
            else if (second == 1)
                return;
            else if (second == 2)
                Delta();
            else
                Absolute(second);
        }
    }

private:
    uchar Next() {
        if (FPos >= FSize)
            throw EMoDIBInvalidDIB(FFaults.NoEnd);
        return FIn[FPos++];
    }

    void Put(int x, uchar value) { SetIndex(FTarget.Row(FY), FNibbles ? 4 : 8, x, value); }

    void Run(int n, uchar value) {
        if (FX + n > FLimit || FY >= FTarget.Rows())
            throw EMoDIBInvalidDIB(FFaults.Run);
        for (int i = 0; i < n; ++i)
            Put(FX + i, FNibbles ? uchar(i % 2 ? value & 0x0F : value >> 4) : value);
        FX += n;
    }

    void EndOfLine() {
        FX = 0;
        if (++FY > FTarget.Rows())
            throw EMoDIBInvalidDIB(FFaults.EndOfLine);
    }

    void Delta() {
        FX += Next();
        FY += Next();
        if (FX > FLimit || FY > FTarget.Rows())
            throw EMoDIBInvalidDIB(FFaults.Delta);
    }

    void Absolute(int n) {
        if (FX + n > FLimit || FY >= FTarget.Rows())
            throw EMoDIBInvalidDIB(FFaults.Absolute);
        const int bytes = FNibbles ? (n * 4 + 15) / 16 * 2 : (n + 1) / 2 * 2;
        uchar value = 0;
        for (int i = 0; i < bytes; ++i) {
            value = Next();
            const int x = FNibbles ? 2 * i : i;
            if (x < n)
                Put(FX + x, FNibbles ? uchar(value >> 4) : value);
            if (FNibbles && x + 1 < n)
                Put(FX + x + 1, uchar(value & 0x0F));
        }
        FX += n;
    }

    const uchar* FIn;
    qsizetype FSize;
    qsizetype FPos = 0;
    TMoDIBInfo& FTarget;
    bool FNibbles;
    int FLimit;
    const TRleFaults FFaults;
    int FX = 0;
    int FY = 0;
};

void CheckFormat(const TMoDIBInfo& source, int bitCount, quint32 compression,
                 const QString& message) {
    if (source.Header.biBitCount != bitCount || source.Header.biCompression != compression)
        throw EMoDIBBadDIBType(message);
}

TMoDIBInfo DecodeImage(const TMoDIBInfo& source, int bitCount, const QString& routine,
                       int firstFault) {
    CheckFormat(source, bitCount, bitCount == 8 ? BI_RLE8 : BI_RLE4,
                routine + ": Invalid Bitcount & Compression Combination");
    TMoDIBInfo result = CreateLike(source, bitCount);
    TRleDecoder(source, result, bitCount == 4, TRleFaults(routine, firstFault)).Decode();
    return result;
}

} // namespace

TRleWriter::TRleWriter(qsizetype capacity, const char* routine)
    : FRoutine(routine), FData(capacity, Qt::Uninitialized),
      FOut(reinterpret_cast<uchar*>(FData.data())) {}

void TRleWriter::Fail() const {
    throw EMoDIBCompressionFailed(QString(FRoutine) + ": Compression Failed");
}

TBitmapInfoHeader EndRleImage(const TMoDIBInfo& source, int bitCount, TRleWriter& codes) {
    codes.Need(2);
    codes.PutCode(0, 1);
    TBitmapInfoHeader header = source.Header;
    header.biHeight = source.Rows();
    header.biCompression = bitCount == 8 ? BI_RLE8 : BI_RLE4;
    header.biSizeImage = quint32(codes.Size());
    return header;
}

void EncodeRLE8Row(const uchar* row, int width, TRleWriter& out) {
    TRowEncoder<Rle8Codes>(row, width, out).Encode(width);
}

void EncodeRLE4Row(const uchar* row, int width, TRleWriter& out) {
    TRowEncoder<Rle4Codes>(row, width, out).Encode((width + 1) / 2);
}

void EncodeRLERow(int bitCount, const uchar* row, int width, TRleWriter& out) {
    if (bitCount == 8)
        EncodeRLE8Row(row, width, out);
    else
        EncodeRLE4Row(row, width, out);
}

TMoDIBInfo Convert8BitRGBTo8BitRLE(const TMoDIBInfo& source) {
    CheckFormat(source, 8, BI_RGB,
                "Convert8BitRGBTo8BitRLE: Invalid Bitcount & Compression Combination");
    return EncodeImage(source, 8, "Convert8BitRGBTo8BitRLE");
}

TMoDIBInfo Convert4BitRGBTo4BitRLE(const TMoDIBInfo& source) {
    CheckFormat(source, 4, BI_RGB,
                "Convert4BitRGBTo4BitRLE: Invalid Bitcount & Compression Combination");
    return EncodeImage(source, 4, "Convert4BitRGBTo4BitRLE");
}

TMoDIBInfo Convert8BitRLETo8BitRGB(const TMoDIBInfo& source) {
    return DecodeImage(source, 8, "Convert8BitRLETo8BitRGB", 1);
}

TMoDIBInfo Convert4BitRLETo4BitRGB(const TMoDIBInfo& source) {
    return DecodeImage(source, 4, "Convert4BitRLETo4BitRGB", 5);
}

const TMoDIBInfo& Unencoded(const TMoDIBInfo& source, TMoDIBInfo& decoded) {
    switch (source.PixelFormat()) {
    case moPf4BitRLE:
        return decoded = Convert4BitRLETo4BitRGB(source);
    case moPf8BitRLE:
        return decoded = Convert8BitRLETo8BitRGB(source);
    default:
        return source;
    }
}
