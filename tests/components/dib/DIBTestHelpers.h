#pragma once

#include "components/dib/MoDIBTypes.h"

#include <QByteArray>
#include <initializer_list>
#include <vector>

// Bytes from a list of numbers, for comparing encoded data.
inline QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray bytes;
    for (int v : values)
        bytes.append(char(v));
    return bytes;
}

// An unencoded image whose stored rows hold the given bytes (1 byte per pixel at 8 bits,
// 2 pixels per byte at 4 bits).
inline TMoDIBInfo ImageOfRows(int bitCount, int width, const std::vector<std::vector<int>>& rows) {
    TMoDIBInfo info = CreateDIB(width, int(rows.size()), DIBColorCount(bitCount), bitCount);
    for (int y = 0; y < int(rows.size()); ++y)
        for (int i = 0; i < int(rows[y].size()); ++i)
            info.Row(y)[i] = uchar(rows[y][i]);
    return info;
}

// A 24-bit image whose pixels are filled by f(x, y) -> {red, green, blue}.
template <typename F> TMoDIBInfo TrueColorImage(int width, int height, F f) {
    TMoDIBInfo info = CreateDIB(width, height, 0, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto [r, g, b] = f(x, y);
            info.Row(y)[3 * x] = uchar(b);
            info.Row(y)[3 * x + 1] = uchar(g);
            info.Row(y)[3 * x + 2] = uchar(r);
        }
    return info;
}

#include "components/dib/MoDIB.h"

#include <QBuffer>

// Puts a record into an image the way a program would: through a BMP stream.
inline void LoadInto(TMoDIB& dib, const TMoDIBInfo& info) {
    QByteArray bytes = TMoInternalDIB(info).SaveToBytes();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    dib.LoadFromStream(buffer);
}
