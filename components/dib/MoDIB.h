#pragma once

#include "MoGraph.h"
#include "MoInternalDIB.h"
#include "ui/Color.h"

#include <QImage>
#include <QList>
#include <memory>

// An image kept as a device-independent bitmap: header, colour table and pixel rows as a
// BMP file holds them, shared between copies until one of them changes.
class TMoDIB : public TMoGraphic {
public:
    TMoDIB();

    int Width() const override { return FInternalDIB->Width(); }
    int Height() const override { return FInternalDIB->Height(); }
    bool Empty() const override { return false; }
    int BitCount() const { return FInternalDIB->Info.Header.biBitCount; }
    // Each replaces the image by a black one of the new size or depth.
    void SetWidth(int Value);
    void SetHeight(int Value);
    void SetBitCount(int Value);

    TMoPixelFormat PixelFormat() const { return FInternalDIB->GetPixelFormat(); }
    // Converts the pixels; on failure the image stays as it was.
    void SetPixelFormat(TMoPixelFormat Format);

    // The colours the image draws with: the halftone colours or black and white while it
    // draws halftoned, else its own colour table.
    QList<QRgb> Palette() const;
    // The entries (at most 256) become the colour table; none leaves no colour table.
    void SetPalette(const QList<QRgb>& Value);

    // None gives a fresh 1 x 1 image; another image shares its data.
    void Assign(const TMoDIB* Source);
    // A bitmap: 1 bit and indexed 8 bits keep their depth and colours, the rest become 24 bits.
    void Assign(const QImage& Source);
    using TMoGraphic::Assign;
    // The image as a bitmap of its depth (4 bits as indexed 8) with its own colours.
    void AssignTo(QImage& Dest) const;
    using TMoGraphic::AssignTo;

    void Draw(TCanvas& Canvas, const TRect& Rect) override;
    void LoadFromStream(QIODevice& Stream) override;
    void SaveToStream(QIODevice& Stream) const override;
    QString ClipboardFormat() const override { return QStringLiteral("image/bmp"); }
    void LoadFromClipboardFormat(const QMimeData* Data) override;
    void SaveToClipboardFormat(QMimeData& Data) const override;

    const TMoInternalDIB& InternalDIB() const { return *FInternalDIB; }

    // 0: fast colour reduction, 1: fine.
    int ConvertMode = 0;
    // The colour that stays white when the image goes to 1 bit.
    TColor MaskColor = clWhite;
    // 0: drawn as it is, 1: through colour halftoning, 2: through black and white.
    int HalftoneMode = 0;

private:
    friend class TMoDIBCanvas;
    // Gives the image its own copy of shared data before a change.
    void UniqueDIB();
    void ReplaceDIB(TMoDIBInfo Info);
    void ReplaceSize(int Width, int Height, int Colors, int BitCount);
    QImage ToImage() const;
    QImage HalftoneImage(const TRect& Rect) const;

    std::shared_ptr<TMoInternalDIB> FInternalDIB;
    int FProgressDone = 0;
    int FProgressSteps = 0;
    QString FProgressStage;
};
