#include "LRPrvSpl.h"

#include "components/dib/MoDIB.h"
#include "components/dib/MoDIBErrors.h"
#include "components/report/PreviewImage.h"

#include <QApplication>
#include <QDir>
#include <QHash>

namespace {

// The colours a stored page may take: the sixteen standard colours, a 6 x 6 x 6 colour cube
// and a grey ramp for smoothed text; 4-bit pages keep the sixteen.
QList<QRgb> PagePalette(TPixelFormat format) {
    QList<QRgb> colors;
    for (int i = 0; i < 16; ++i) {
        const TColor standard[16] = {clBlack, clMaroon,  clGreen,  clOlive, clNavy, clPurple,
                                     clTeal,  clGray,    clSilver, clRed,   clLime, clYellow,
                                     clBlue,  clFuchsia, clAqua,   clWhite};
        colors << ToQColor(standard[i]).rgb();
    }
    if (format == pf4bit)
        return colors;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                colors << qRgb(r * 51, g * 51, b * 51);
    for (int i = 1; i <= 24; ++i)
        colors << qRgb(i * 10, i * 10, i * 10);
    return colors;
}

int NearestColor(const QList<QRgb>& colors, QRgb rgb) {
    int best = 0, bestDistance = INT_MAX;
    for (int i = 0; i < colors.size(); ++i) {
        const int dr = qRed(rgb) - qRed(colors[i]), dg = qGreen(rgb) - qGreen(colors[i]),
                  db = qBlue(rgb) - qBlue(colors[i]);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

// The page in the palette's colours, each pixel the nearest one (no dithering, so runs of
// one colour stay runs).
QImage ToIndexed(const QImage& page, const QList<QRgb>& colors) {
    QImage indexed(page.size(), QImage::Format_Indexed8);
    indexed.setColorTable(colors);
    indexed.setDotsPerMeterX(page.dotsPerMeterX());
    indexed.setDotsPerMeterY(page.dotsPerMeterY());
    QHash<QRgb, uchar> known;
    for (int y = 0; y < page.height(); ++y) {
        const QRgb* from = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        uchar* to = indexed.scanLine(y);
        for (int x = 0; x < page.width(); ++x) {
            const QRgb rgb = from[x] | 0xFF000000u;
            auto it = known.constFind(rgb);
            if (it == known.constEnd())
                it = known.insert(rgb, uchar(NearestColor(colors, rgb)));
            to[x] = *it;
        }
    }
    return indexed;
}

} // namespace

TLRPreviewControl::TLRPreviewControl(TComponent* AOwner) : TComponent(AOwner) {}

TLRPreviewControl::~TLRPreviewControl() = default;

void TLRPreviewControl::BeginPreview(TPreviewImage* Image) {
    FPagePositions.clear();
    FCurrentIndex = 0;
    FPageFile.reset();
    FPageFile = std::make_unique<QTemporaryFile>(QDir::tempPath() + "/vLRXXXXXX.TMP");
    if (!FPageFile->open())
        throw Exception(QString("Cannot create file \"%1\". %2")
                            .arg(FPageFile->fileTemplate(), FPageFile->errorString()));
    FImage = Image;
    CreatePageBitmap();
    LightRep->BeginPreview();
}

void TLRPreviewControl::CreatePageBitmap() {
    if (FPageBitmap.isNull()) {
        FPageBitmap = QImage(FImage->width(), FImage->height(), QImage::Format_RGB32);
        FPageCanvas = std::make_unique<TCanvas>(&FPageBitmap);
    }
    FPageCanvas->Brush = TBrush{clWhite, bsSolid};
    FPageCanvas->FillRect(Rect(0, 0, FPageBitmap.width() - 1, FPageBitmap.height() - 1));
}

void TLRPreviewControl::NextPage() {
    if (MoveNext())
        return;
    LightRep->PrintPreviewPage(FPageCanvas.get());
    StorePage();
    ShowPage(PageCount() - 1);
}

// A page that does not get smaller by encoding is stored as it is.
void TLRPreviewControl::StorePage() {
    TMoDIB dib;
    dib.Assign(ToIndexed(FPageBitmap, PagePalette(PixelFormat)));
    if (PixelFormat == pf4bit)
        dib.SetPixelFormat(moPf4Bit);
    try {
        dib.SetPixelFormat(PixelFormat == pf4bit ? moPf4BitRLE : moPf8BitRLE);
    } catch (const EMoDIBCompressionFailed&) {
    }
    const qint64 position = FPageFile->size();
    FPageFile->seek(position);
    dib.SaveToStream(*FPageFile);
    FPagePositions << position;
}

void TLRPreviewControl::ShowPage(int index) {
    auto dib = std::make_unique<TMoDIB>();
    FPageFile->seek(FPagePositions.at(index));
    dib->LoadFromStream(*FPageFile);
    if (FImage)
        FImage->SetPicture(std::move(dib));
    FCurrentIndex = index;
}

void TLRPreviewControl::EndPreview() {
    LightRep->EndPreview();
}

void TLRPreviewControl::MoveFirst() {
    MoveTo(1);
}

void TLRPreviewControl::MoveLast() {
    MoveTo(PageCount());
}

void TLRPreviewControl::MoveTo(int n) {
    if (n < 1 || n > PageCount()) {
        QApplication::beep();
        return;
    }
    ShowPage(n - 1);
}

bool TLRPreviewControl::MoveNext() {
    if (IsLastPage())
        return false;
    ShowPage(FCurrentIndex + 1);
    return true;
}

void TLRPreviewControl::MovePrior() {
    if (FCurrentIndex > 0)
        ShowPage(FCurrentIndex - 1);
}
