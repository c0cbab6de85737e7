// BMP files as the bitmap library reads them (the preview's page file, the clipboard), and
// their pixels as an image.
#include "components/dib/MoDIB.h"

#include <QBuffer>
#include <QImage>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TMoDIB dib;
    try {
        dib.LoadFromStream(buffer);
        QImage image;
        dib.AssignTo(image);
    } catch (const Exception&) {
        // A file the library refuses; what matters here is that nothing breaks.
    }
    return 0;
}
