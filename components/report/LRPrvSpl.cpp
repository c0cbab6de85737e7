#include "LRPrvSpl.h"

#include "components/dib/MoDIB.h"
#include "components/report/PreviewImage.h"

#include <QApplication>

TLRPreviewControl::TLRPreviewControl(TComponent* AOwner) : TComponent(AOwner) {}

TLRPreviewControl::~TLRPreviewControl() = default;

void TLRPreviewControl::BeginPreview(TPreviewImage* Image) {
    FPagePositions.clear();
    FCurrentIndex = 0;
    FPageFile.reset();
    FPageFile = std::make_unique<TLRPageFile>();
    FPageEncoder = std::make_unique<TLRPageEncoder>(PixelFormat);
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
    AddPage();
    ShowPage(PageCount() - 1);
}

void TLRPreviewControl::AddPage() {
    LightRep->PrintPreviewPage(FPageCanvas.get());
    StorePage();
}

void TLRPreviewControl::StorePage() {
    QFile& file = FPageFile->File();
    const qint64 position = file.size();
    file.seek(position);
    FPageEncoder->Write(FPageBitmap, file);
    FPagePositions << position;
}

void TLRPreviewControl::ShowPage(int index) {
    auto dib = std::make_unique<TMoDIB>();
    FPageFile->File().seek(FPagePositions.at(index));
    dib->LoadFromStream(FPageFile->File());
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
