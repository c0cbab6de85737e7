#pragma once

#include "MoDIBTypes.h"

class QIODevice;

// The data of one image, shared by the TMoDIB objects that show it (copy on write).
class TMoInternalDIB {
public:
    // A 1 x 1 image of 8 bits with 256 black colour-table entries.
    TMoInternalDIB();
    explicit TMoInternalDIB(TMoDIBInfo info) : Info(std::move(info)) {}

    int Width() const { return Info.Width(); }
    int Height() const { return Info.Rows(); }
    TMoPixelFormat GetPixelFormat() const { return Info.PixelFormat(); }
    // Whether the pixel memory is a file mapping on the system's swap.
    bool UseFMO() const { return Info.Pixels.UseFMO(); }

    // Reads one BMP file from the stream's position; leaves the stream after it.
    static TMoInternalDIB LoadFromStream(QIODevice& stream);
    // Writes the image as one BMP file, encoded or not as it is held.
    void SaveToStream(QIODevice& stream) const;
    QByteArray SaveToBytes() const;
    // The BMP file of a header, colour table and pixel data held elsewhere.
    static void SaveToStream(QIODevice& stream, const TBitmapInfoHeader& header,
                             const TColorTable& colors, QByteArrayView pixels);
    static QByteArray SaveToBytes(const TBitmapInfoHeader& header, const TColorTable& colors,
                                  QByteArrayView pixels);

    TMoDIBInfo Info;
};
