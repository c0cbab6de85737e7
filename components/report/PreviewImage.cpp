#include "PreviewImage.h"

#include "ui/Canvas.h"

TPreviewImage::TPreviewImage(QWidget* parent) : QWidget(parent) {}

void TPreviewImage::SetPicture(std::unique_ptr<TMoDIB> picture) {
    FPicture = std::move(picture);
    update();
}

void TPreviewImage::paintEvent(QPaintEvent*) {
    if (!FPicture)
        return;
    TCanvas canvas(this);
    FPicture->Draw(canvas, Rect(0, 0, width(), height()));
}
