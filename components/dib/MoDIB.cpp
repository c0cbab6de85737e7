#include "MoDIB.h"

#include "MoConvert.h"
#include "MoDIBErrors.h"
#include "MoDIBImage.h"
#include "MoHalftone.h"
#include "ui/Canvas.h"

#include <QBuffer>
#include <QMimeData>
#include <QPainter>

namespace {

QString FormatName(TMoPixelFormat format) {
    switch (format) {
    case moPf1Bit:
        return "1Bit";
    case moPf4Bit:
        return "4Bit";
    case moPf4BitRLE:
        return "4BitRLE";
    case moPf8Bit:
        return "8Bit";
    case moPf8BitRLE:
        return "8BitRLE";
    default:
        return "24Bit";
    }
}

// Progress steps of the conversions that reduce colours; 0 for all others.
int ReductionSteps(TMoPixelFormat from, TMoPixelFormat to) {
    const bool toFour = to == moPf4Bit || to == moPf4BitRLE;
    const bool toEight = to == moPf8Bit || to == moPf8BitRLE;
    if (toFour && (from == moPf8Bit || from == moPf8BitRLE || from == moPf24Bit))
        return 16;
    if (toEight && from == moPf24Bit)
        return 256;
    return 0;
}

QList<QRgb> ToRgbList(const TRGBQuad* colors, int count) {
    QList<QRgb> list;
    for (int i = 0; i < count; ++i)
        list.append(qRgb(colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue));
    return list;
}

} // namespace

TMoDIB::TMoDIB() : FInternalDIB(std::make_shared<TMoInternalDIB>()) {}

void TMoDIB::UniqueDIB() {
    if (FInternalDIB.use_count() > 1)
        FInternalDIB = std::make_shared<TMoInternalDIB>(*FInternalDIB);
}

void TMoDIB::ReplaceDIB(TMoDIBInfo Info) {
    FInternalDIB = std::make_shared<TMoInternalDIB>(std::move(Info));
    PaletteModified = true;
    Changed();
}

void TMoDIB::ReplaceSize(int Width, int Height, int Colors, int BitCount) {
    ReplaceDIB(CreateDIB(Width, Height, Colors, BitCount));
}

void TMoDIB::SetWidth(int Value) {
    if (Value < 1)
        throw EMoDIBInvalidDIBPara("TMoDIB.SetWidth: Invalid Width");
    const TBitmapInfoHeader& h = FInternalDIB->Info.Header;
    if (Value != h.biWidth)
        ReplaceSize(Value, h.biHeight, int(h.biClrUsed), h.biBitCount);
}

void TMoDIB::SetHeight(int Value) {
    if (Value == 0)
        throw EMoDIBInvalidDIBPara("TMoDIB.SetHeight: Invalid Height");
    const TBitmapInfoHeader& h = FInternalDIB->Info.Header;
    if (Value != h.biHeight)
        ReplaceSize(h.biWidth, Value, int(h.biClrUsed), h.biBitCount);
}

void TMoDIB::SetBitCount(int Value) {
    if (Value != 1 && Value != 4 && Value != 8 && Value != 24)
        throw EMoDIBInvalidDIBPara("TMoDIB.SetBitCount: Invalid BitCount");
    const TBitmapInfoHeader& h = FInternalDIB->Info.Header;
    if (Value != h.biBitCount)
        ReplaceSize(h.biWidth, h.biHeight, DIBColorCount(Value), Value);
}

void TMoDIB::SetPixelFormat(TMoPixelFormat Format) {
    const TMoPixelFormat from = PixelFormat();
    if (Format == from)
        return;
    UniqueDIB();
    FProgressDone = 0;
    FProgressSteps = ReductionSteps(from, Format);
    const TRect whole{0, 0, Width(), Height()};
    TMoConvertOptions options{ConvertMode, quint32(ColorToRGB(MaskColor)), {}};
    if (FProgressSteps) {
        FProgressStage = "PixelFormat " + FormatName(from) + " -> " + FormatName(Format);
        Progress(psStarting, 0, whole, FProgressStage);
        options.Step = [&] {
            if (++FProgressDone < FProgressSteps)
                Progress(psRunning, FProgressDone * 100 / FProgressSteps, whole, FProgressStage);
        };
    }
    FInternalDIB->Info = ConvertPixelFormat(FInternalDIB->Info, Format, options);
    PaletteModified = true;
    if (FProgressSteps)
        Progress(psEnding, 100, whole, FProgressStage);
    Changed();
}

QList<QRgb> TMoDIB::Palette() const {
    if (HalftoneMode == 1)
        return ToRgbList(HalftoneColors().data(), 215);
    if (HalftoneMode == 2)
        return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    const TMoDIBInfo& info = FInternalDIB->Info;
    return ToRgbList(info.Colors.data(), int(info.Header.biClrUsed));
}

void TMoDIB::SetPalette(const QList<QRgb>& Value) {
    UniqueDIB();
    TMoDIBInfo& info = FInternalDIB->Info;
    const int count = qMin<int>(Value.size(), 256);
    for (int i = 0; i < count; ++i)
        info.Colors[i] = {quint8(qBlue(Value[i])), quint8(qGreen(Value[i])), quint8(qRed(Value[i])),
                          0};
    info.Header.biClrUsed = quint32(count);
    PaletteModified = true;
    Changed();
}

void TMoDIB::Assign(const TMoDIB* Source) {
    if (Source == this)
        return;
    if (!Source) {
        ReplaceDIB(TMoInternalDIB().Info);
        return;
    }
    FInternalDIB = Source->FInternalDIB;
    ConvertMode = Source->ConvertMode;
    MaskColor = Source->MaskColor;
    HalftoneMode = Source->HalftoneMode;
    PaletteModified = true;
    Changed();
}

void TMoDIB::Assign(const QImage& Source) {
    ReplaceDIB(DIBFromImage(Source));
}

void TMoDIB::AssignTo(QImage& Dest) const {
    Dest = ImageFromDIB(FInternalDIB->Info);
}

QImage TMoDIB::HalftoneImage(const TRect& Rect) const {
    const QImage stretched = ImageFromDIB(FInternalDIB->Info)
                                 .scaled(qAbs(Rect.Width()), qAbs(Rect.Height()),
                                         Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const TMoDIBInfo info = DIBFromImage(stretched);
    return ImageFromDIB(HalftoneMode == 1 ? ConvertToHalfTone(info) : ConvertToHalfToneBW(info));
}

void TMoDIB::Draw(TCanvas& Canvas, const TRect& Rect) {
    if (HalftoneMode != 0 && Rect.IsEmpty())
        return;
    const QImage image = HalftoneMode == 0 ? ImageFromDIB(FInternalDIB->Info) : HalftoneImage(Rect);
    QPainter* painter = Canvas.Painter();
    const bool smooth = painter && painter->testRenderHint(QPainter::SmoothPixmapTransform);
    if (painter)
        painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    Canvas.StretchDraw(Rect, image);
    if (painter)
        painter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

void TMoDIB::LoadFromStream(QIODevice& Stream) {
    ReplaceDIB(TMoInternalDIB::LoadFromStream(Stream).Info);
}

void TMoDIB::SaveToStream(QIODevice& Stream) const {
    FInternalDIB->SaveToStream(Stream);
}

void TMoDIB::LoadFromClipboardFormat(const QMimeData* Data) {
    QByteArray bytes = Data ? Data->data(ClipboardFormat()) : QByteArray();
    if (!bytes.isEmpty()) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        LoadFromStream(buffer);
    } else if (Data && Data->hasImage()) {
        Assign(qvariant_cast<QImage>(Data->imageData()));
    } else {
        throw EInvalidGraphic(
            "TMoDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
    }
}

void TMoDIB::SaveToClipboardFormat(QMimeData& Data) const {
    Data.setData(ClipboardFormat(), FInternalDIB->SaveToBytes());
}
