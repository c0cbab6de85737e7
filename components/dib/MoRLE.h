#pragma once

#include "MoDIBTypes.h"

#include <cstring>

// Collects run-length codes in a buffer of the unencoded pixels' size, which they may not fill.
class TRleWriter {
public:
    TRleWriter(qsizetype capacity, const char* routine);
    // Raises EMoDIBCompressionFailed unless `bytes` are still free; every write asks first.
    void Need(qsizetype bytes) {
        if (FData.size() - FSize < bytes)
            Fail();
    }
    void PutCode(uchar first, uchar second) {
        FOut[FSize++] = first;
        FOut[FSize++] = second;
    }
    void PutByte(uchar value) { FOut[FSize++] = value; }
    void PutBytes(const uchar* bytes, int count) {
        std::memcpy(FOut + FSize, bytes, size_t(count));
        FSize += count;
    }
    // Writes again the codes written since `from`, a row's start: a row equal to the one
    // before it has the same codes.
    void Repeat(qsizetype from) {
        const qsizetype count = FSize - from;
        Need(count);
        std::memcpy(FOut + FSize, FOut + from, size_t(count));
        FSize += count;
    }
    qsizetype Size() const { return FSize; }
    // Starts over, keeping the buffer.
    void Restart() { FSize = 0; }
    // The codes written.
    QByteArrayView Data() const { return QByteArrayView(FData).first(FSize); }

private:
    [[noreturn]] void Fail() const;

    const char* FRoutine;
    QByteArray FData;
    uchar* FOut;
    qsizetype FSize = 0;
};

// Encodes one unencoded row, with its end-of-line code.
void EncodeRLE8Row(const uchar* row, int width, TRleWriter& out);
void EncodeRLE4Row(const uchar* row, int width, TRleWriter& out);
// The row encoder of `bitCount` bits, 8 or 4.
void EncodeRLERow(int bitCount, const uchar* row, int width, TRleWriter& out);

// Ends `codes`, the rows of an image of `source`'s size bottom row first, with the
// end-of-bitmap code; returns the header of the run-length record they make.
TBitmapInfoHeader EndRleImage(const TMoDIBInfo& source, int bitCount, TRleWriter& codes);

// The BMP run-length encodings; each returns a new record and leaves its source alone.
TMoDIBInfo Convert8BitRGBTo8BitRLE(const TMoDIBInfo& source);
TMoDIBInfo Convert4BitRGBTo4BitRLE(const TMoDIBInfo& source);
TMoDIBInfo Convert8BitRLETo8BitRGB(const TMoDIBInfo& source);
TMoDIBInfo Convert4BitRLETo4BitRGB(const TMoDIBInfo& source);
// The record itself when unencoded, else its pixels decoded into `decoded`; pixels are not
// copied for nothing.
const TMoDIBInfo& Unencoded(const TMoDIBInfo& source, TMoDIBInfo& decoded);
