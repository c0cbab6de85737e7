#pragma once

#include "ui/Canvas.h"

#include <QImage>

class TMoDIB;

// A canvas whose drawing lands in an image's pixels. Qt cannot paint into 1-, 4- or
// 8-bit pixels, so it draws on a 32-bit copy; when the canvas goes, the pixels it changed
// go back into the image, as the nearest colour-table entry where the image has one.
class TMoDIBCanvas : public TCanvas {
public:
    explicit TMoDIBCanvas(TMoDIB& DIB);
    ~TMoDIBCanvas() override;

private:
    void WriteBack();

    TMoDIB& FDIB;
    QImage FBefore;
    QImage FImage;
};
