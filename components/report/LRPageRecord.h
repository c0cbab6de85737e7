#pragma once

#include "components/dib/MoDIBTypes.h"
#include "components/dib/MoRLE.h"

#include <QImage>
#include <QList>
#include <array>
#include <optional>

class QIODevice;

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

// Turns rendered page bitmaps into the page file's BMP records: each pixel the nearest colour
// of the page palette, run-length encoded unless that would not make the page smaller. One
// encoder serves a whole report: it keeps the colours it has matched and its pixel memory.
class TLRPageEncoder {
public:
    // pf4bit makes 4-bit records, anything else 8-bit ones.
    explicit TLRPageEncoder(TPixelFormat format);
    // Appends the record of a 32-bit page to `out`; EMoDIBError when it cannot be written.
    void Write(const QImage& page, QIODevice& out);

private:
    struct TMatch {
        QRgb Rgb = 0; // 0: none yet (the colours looked up are opaque)
        uchar Index = 0;
    };

    void Prepare(const QImage& page);
    void EncodeRows(const QImage& page, int& row);
    void MapStoredRow(const QImage& page, int row);
    void MapRow(const QRgb* from, uchar* to, int width);
    void MapRow8(const QRgb* from, uchar* to, int width);
    void Fill(uchar* row, int from, int to, uchar index) const;
    // Most runs are of a colour matched before.
    uchar IndexOf(QRgb rgb) {
        TMatch& match = FMatches[(rgb * 0x9E3779B1u) >> 20];
        return match.Rgb == rgb ? match.Index : Match(match, rgb);
    }
    uchar Match(TMatch& match, QRgb rgb) const;

    int FBits;
    QList<QRgb> FColors;
    // Colours matched so far, each in a slot chosen by the colour; a newer one takes the slot.
    std::array<TMatch, 4096> FMatches{};
    TMoDIBInfo FRecord;
    // The run-length codes of the page being written, in memory kept from page to page.
    std::optional<TRleWriter> FCodes;
};
