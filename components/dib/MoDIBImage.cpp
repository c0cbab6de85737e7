#include "MoDIBImage.h"

#include "MoDIBErrors.h"
#include "MoRLE.h"

#include <cstring>

TMoDIBInfo DIBFromImage(const QImage& source) {
    const QImage::Format format = source.format();
    const int bits = format == QImage::Format_Mono || format == QImage::Format_MonoLSB ? 1
                     : format == QImage::Format_Indexed8                               ? 8
                                                                                       : 24;
    const QImage image = source.convertToFormat(bits == 1   ? QImage::Format_Mono
                                                : bits == 8 ? QImage::Format_Indexed8
                                                            : QImage::Format_BGR888);
    TMoDIBInfo info = CreateDIB(image.width(), image.height(), DIBColorCount(bits), bits);
    const QList<QRgb> table = image.colorTable();
    for (int i = 0; i < qMin<int>(table.size(), 256); ++i)
        info.Colors[i] = {quint8(qBlue(table[i])), quint8(qGreen(table[i])), quint8(qRed(table[i])),
                          0};
    const qsizetype bytes = qMin<qsizetype>(info.RowSize(), image.bytesPerLine());
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(info.Row(StoredRow(info, y)), image.constScanLine(y), bytes);
    if (image.dotsPerMeterX() > 0)
        info.Header.biXPelsPerMeter = image.dotsPerMeterX();
    if (image.dotsPerMeterY() > 0)
        info.Header.biYPelsPerMeter = image.dotsPerMeterY();
    info.Header.biSizeImage = quint32(info.Pixels.size());
    return info;
}

QImage ImageFromDIB(const TMoDIBInfo& source) {
    TMoDIBInfo decoded;
    const TMoDIBInfo& info = Unencoded(source, decoded);
    const int bits = info.Header.biBitCount;
    QImage image(info.Width(), info.Rows(),
                 bits == 1    ? QImage::Format_Mono
                 : bits == 24 ? QImage::Format_BGR888
                              : QImage::Format_Indexed8);
    if (image.isNull())
        throw EMoDIBError("TMoDIB.AssignTo: Cannot Make Bitmap");
    if (bits != 24) {
        QList<QRgb> table;
        for (int i = 0; i < DIBColorCount(bits); ++i)
            table.append(
                qRgb(info.Colors[i].rgbRed, info.Colors[i].rgbGreen, info.Colors[i].rgbBlue));
        image.setColorTable(table);
    }
    for (int y = 0; y < info.Rows(); ++y) {
        const uchar* row = info.Row(StoredRow(info, y));
        uchar* line = image.scanLine(y);
        if (bits == 4)
            for (int x = 0; x < info.Width(); ++x)
                line[x] = uchar(GetIndex(row, 4, x));
        else
            std::memcpy(line, row, qMin<qsizetype>(info.RowSize(), image.bytesPerLine()));
    }
    image.setDotsPerMeterX(info.Header.biXPelsPerMeter);
    image.setDotsPerMeterY(info.Header.biYPelsPerMeter);
    return image;
}
