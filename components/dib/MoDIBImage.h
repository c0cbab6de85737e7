#pragma once

#include "MoDIBTypes.h"

#include <QImage>

// A bitmap as a DIB, bottom row first: 1 bit and indexed 8 bits keep their depth and
// colours, every other format becomes 24 bits.
TMoDIBInfo DIBFromImage(const QImage& image);
// A DIB as a bitmap: 1 bit as mono, 4 and 8 bits as indexed 8 bits, 24 bits as BGR.
QImage ImageFromDIB(const TMoDIBInfo& info);
// The row of `info` that shows as line y of its bitmap.
inline int StoredRow(const TMoDIBInfo& info, int y) {
    return info.Header.biHeight < 0 ? y : info.Rows() - 1 - y;
}
