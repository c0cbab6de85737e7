#pragma once

#include "base/Component.h"
#include "components/report/LRPageFile.h"
#include "components/report/LRPageRecord.h"
#include "components/report/LightRep.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <memory>

class TPreviewImage;

// Renders a report once into page images kept run-length encoded in a temporary "vLR" file,
// and shows one stored page at a time in a preview image.
class TLRPreviewControl : public TComponent {
public:
    explicit TLRPreviewControl(TComponent* AOwner = nullptr);
    ~TLRPreviewControl() override;

    QPointer<TLightRep> LightRep;
    // pf4bit stores 4-bit pages, anything else 8-bit ones.
    TPixelFormat PixelFormat = pf8bit;

    void BeginPreview(TPreviewImage* Image);
    // Shows the next stored page, or renders, stores and shows a new one after the last.
    void NextPage();
    // Renders and stores a new page after the last without showing it: a report rendered
    // whole before its preview opens needs no picture of each page on the way.
    void AddPage();
    void EndPreview();
    void MoveFirst();
    void MoveLast();
    // Beeps and changes nothing outside 1..PageCount.
    void MoveTo(int n);
    bool MoveNext();
    void MovePrior();
    int CurrentPage() const { return FCurrentIndex + 1; }
    int PageCount() const { return int(FPagePositions.size()); }
    bool IsFirstPage() const { return FCurrentIndex == 0; }
    bool IsLastPage() const { return FPagePositions.isEmpty() || FCurrentIndex == PageCount() - 1; }

    // The page file, for readers of the stored pages.
    QString FileName() const { return FPageFile ? FPageFile->FileName() : QString(); }
    // Where each stored page's BMP record begins in the page file.
    const QList<qint64>& PagePositions() const { return FPagePositions; }

private:
    void CreatePageBitmap();
    void StorePage();
    void ShowPage(int index);

    QImage FPageBitmap;
    std::unique_ptr<TCanvas> FPageCanvas;
    QPointer<TPreviewImage> FImage;
    std::unique_ptr<TLRPageFile> FPageFile;
    std::unique_ptr<TLRPageEncoder> FPageEncoder;
    QList<qint64> FPagePositions;
    int FCurrentIndex = 0;
};
