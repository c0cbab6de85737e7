#pragma once

#include <QImage>

class QIODevice;

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

// Turns rendered page bitmaps into the page file's BMP records: each pixel the nearest colour
// of the page palette, run-length encoded unless that would not make the page smaller.
class TLRPageEncoder {
public:
    // pf4bit makes 4-bit records, anything else 8-bit ones.
    explicit TLRPageEncoder(TPixelFormat format);
    // Appends the page's record to `out`; EMoDIBError when it cannot be written.
    void Write(const QImage& page, QIODevice& out);

private:
    TPixelFormat FFormat;
};
