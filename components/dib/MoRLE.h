#pragma once

#include "MoDIBTypes.h"

// Collects run-length codes in a buffer that may not grow beyond the unencoded pixels.
class TRleWriter {
public:
    TRleWriter(qsizetype capacity, const char* routine);
    // Raises EMoDIBCompressionFailed unless `bytes` are still free.
    void Need(qsizetype bytes);
    void PutCode(uchar first, uchar second);
    void PutByte(uchar value) { FData.append(char(value)); }
    void PutBytes(const uchar* bytes, int count) {
        FData.append(reinterpret_cast<const char*>(bytes), count);
    }
    const QByteArray& Data() const { return FData; }

private:
    qsizetype FCapacity;
    const char* FRoutine;
    QByteArray FData;
};

// Encodes one unencoded row, with its end-of-line code.
void EncodeRLE8Row(const uchar* row, int width, TRleWriter& out);
void EncodeRLE4Row(const uchar* row, int width, TRleWriter& out);

// The BMP run-length encodings; each returns a new record and leaves its source alone.
TMoDIBInfo Convert8BitRGBTo8BitRLE(const TMoDIBInfo& source);
TMoDIBInfo Convert4BitRGBTo4BitRLE(const TMoDIBInfo& source);
TMoDIBInfo Convert8BitRLETo8BitRGB(const TMoDIBInfo& source);
TMoDIBInfo Convert4BitRLETo4BitRGB(const TMoDIBInfo& source);
// The record itself when unencoded, else its decoded pixels.
TMoDIBInfo Unencoded(const TMoDIBInfo& source);
