#include "MoDIBCanvas.h"

#include "MoDIB.h"
#include "MoDIBErrors.h"
#include "MoDIBImage.h"

#include <QHash>

namespace {

// The colour-table entry closest to a colour, remembered per colour.
class TNearestEntry {
public:
    explicit TNearestEntry(const TMoDIBInfo& info) : FInfo(info) {}

    int Of(QRgb color) {
        const auto found = FCache.constFind(color);
        if (found != FCache.constEnd())
            return *found;
        int best = 0;
        qint64 bestDistance = std::numeric_limits<qint64>::max();
        for (int i = 0; i < int(FInfo.Header.biClrUsed); ++i) {
            const TRGBQuad& c = FInfo.Colors[i];
            const qint64 dr = qRed(color) - c.rgbRed, dg = qGreen(color) - c.rgbGreen,
                         db = qBlue(color) - c.rgbBlue;
            const qint64 distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
        FCache.insert(color, best);
        return best;
    }

private:
    const TMoDIBInfo& FInfo;
    QHash<QRgb, int> FCache;
};

} // namespace

TMoDIBCanvas::TMoDIBCanvas(TMoDIB& DIB) : FDIB(DIB) {
    const TMoPixelFormat format = DIB.PixelFormat();
    if (!DIB.InternalDIB().UseFMO() || format == moPf4BitRLE || format == moPf8BitRLE)
        throw EMoDIBCanvasFailed("TMoDIBCanvas.Create: Cannot Create Canvas");
    FBefore = ImageFromDIB(DIB.InternalDIB().Info).convertToFormat(QImage::Format_RGB32);
    if (FBefore.isNull())
        throw EMoDIBCanvasFailed("TMoDIBCanvas.Create: Cannot Create Canvas");
    FImage = FBefore.copy();
    Attach(&FImage);
}

TMoDIBCanvas::~TMoDIBCanvas() {
    Detach();
    WriteBack();
}

void TMoDIBCanvas::WriteBack() {
    FDIB.UniqueDIB();
    TMoDIBInfo& info = FDIB.FInternalDIB->Info;
    const int bits = info.Header.biBitCount;
    TNearestEntry nearest(info);
    for (int y = 0; y < info.Rows(); ++y) {
        const QRgb* before = reinterpret_cast<const QRgb*>(FBefore.constScanLine(y));
        const QRgb* after = reinterpret_cast<const QRgb*>(FImage.constScanLine(y));
        uchar* row = info.Row(StoredRow(info, y));
        for (int x = 0; x < info.Width(); ++x) {
            if (before[x] == after[x])
                continue;
            if (bits == 24) {
                row[3 * x] = uchar(qBlue(after[x]));
                row[3 * x + 1] = uchar(qGreen(after[x]));
                row[3 * x + 2] = uchar(qRed(after[x]));
            } else {
                SetIndex(row, bits, x, nearest.Of(after[x]));
            }
        }
    }
    FDIB.PaletteModified = true;
    FDIB.Changed();
}
