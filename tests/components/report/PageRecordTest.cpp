#include "components/dib/MoDIB.h"
#include "components/report/LRPageRecord.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <gtest/gtest.h>
#include <string>

namespace {

// Pages the record reports rendered into the page store, kept as they were drawn.
QImage Page(const char* name) {
    QImage page(QString(ZZ_REPORT_PAGES) + "/" + name);
    EXPECT_FALSE(page.isNull()) << name;
    return page.convertToFormat(QImage::Format_RGB32);
}

std::string Sha1(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().toStdString();
}

// Single pixels of alternating colour: their runs would not make the page smaller.
QImage Checker() {
    QImage page(794, 1123, QImage::Format_RGB32);
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            page.setPixel(x, y, (x + y) % 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    return page;
}

// Colours of every kind: a gradient above, bands of one colour each below.
QImage Colours() {
    QImage page(794, 1123, QImage::Format_RGB32);
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            page.setPixel(x, y,
                          y < 560 ? qRgb(x % 64 * 4, y % 64 * 4, (x / 64 + y / 64) * 8 % 256)
                                  : qRgb(y * 7 % 256, y * 13 % 256, x / 100 * 30));
    return page;
}

} // namespace

// The page file's records of real pages, byte for byte as readers of earlier files got them;
// one encoder writes them all, as the page store does for a whole report.
TEST(PageRecord, RealPagesKeepTheirBytes) {
    const struct {
        QImage page;
        TPixelFormat format;
        const char* sha1;
    } cases[] = {
        {Page("persons-day.png"), pf8bit, "311e8045729294f512691772f6e62d4565efc9c3"},
        {Page("unit-day.png"), pf8bit, "817214c765025e1dc77a92e863440d95ef935faf"},
        {Page("person-month.png"), pf8bit, "808906e12763e69cfdcd73fc28eda6148e5998ef"},
        {Checker(), pf8bit, "be1aa3ae7d10eedfae3723231a3750b345dcfc9a"},
        {Colours(), pf8bit, "27c3b6f27c1d32031fffa9896af48104b0b831b1"},
        {Page("persons-day.png"), pf8bit, "311e8045729294f512691772f6e62d4565efc9c3"},
        {Page("persons-day.png"), pf4bit, "1cbca5466933db44e22ca80cd1e381674241a0a5"},
        {Page("unit-day.png"), pf4bit, "c0cc4efbb334212945336a9117d2e00dd5c6b530"},
        {Checker(), pf4bit, "6b0ba87a39a917fa1224530ad99a9afb03731cd3"},
        {Colours(), pf4bit, "89142219b44ce412a253fb0a286cad8c34771b1e"},
    };
    TLRPageEncoder eight(pf8bit), four(pf4bit);
    for (const auto& c : cases) {
        QBuffer file;
        file.open(QIODevice::WriteOnly);
        (c.format == pf4bit ? four : eight).Write(c.page, file);
        EXPECT_EQ(Sha1(file.data()), c.sha1) << file.data().size();
    }
}

// Pages of any size, in colours of the palette, read back as the pixels they were, whether
// their rows repeat the row below or not.
TEST(PageRecord, PagesOfAnySizeReadBack) {
    for (const QSize size : {QSize(794, 1123), QSize(333, 77), QSize(1, 1), QSize(5, 3)})
        for (TPixelFormat format : {pf8bit, pf4bit}) {
            SCOPED_TRACE(QString("%1 x %2, %3 bits")
                             .arg(size.width())
                             .arg(size.height())
                             .arg(format == pf4bit ? 4 : 8)
                             .toStdString());
            QImage page(size, QImage::Format_RGB32);
            page.fill(Qt::white);
            for (int y = 0; y < size.height(); ++y)
                if (y % 7 < 3)
                    for (int x = y % 5; x < size.width(); x += 3)
                        page.setPixel(x, y, y % 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 0));
            TLRPageEncoder encoder(format);
            QBuffer file;
            file.open(QIODevice::ReadWrite);
            encoder.Write(page, file);
            encoder.Write(page, file);
            file.seek(0);
            for (int copy = 0; copy < 2; ++copy) {
                TMoDIB dib;
                dib.LoadFromStream(file);
                QImage read;
                dib.AssignTo(read);
                EXPECT_TRUE(read.convertToFormat(QImage::Format_RGB32) == page);
            }
        }
}
