#include "SampleReport.h"
#include "components/dib/MoDIB.h"
#include "components/report/LRPrvSpl.h"
#include "components/report/PreviewImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

// A report rendered into the page store as a report form does it.
struct PreviewFixture {
    explicit PreviewFixture(int rows, TPixelFormat format = pf8bit) : report(rows) {
        image.resize(report.LightRep1->Width(), report.LightRep1->Height());
        preview.PixelFormat = format;
        report.Preview(preview, &image);
    }
    QByteArray FileBytes() const {
        QFile file(preview.FileName());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    TSampleReport report;
    TPreviewImage image;
    TLRPreviewControl preview;
};

quint32 U32(const QByteArray& bytes, qint64 at) {
    return quint32(uchar(bytes[at])) | quint32(uchar(bytes[at + 1])) << 8 |
           quint32(uchar(bytes[at + 2])) << 16 | quint32(uchar(bytes[at + 3])) << 24;
}

// Share of pixels in `area` that are clearly not white.
double InkIn(const QImage& image, const QRect& area) {
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ink += qGray(image.pixel(x, y)) < 128;
    return double(ink) / (area.width() * area.height());
}

} // namespace

TEST(PreviewStore, PagesAreStoredAsRunLengthBmpRecords) {
    PreviewFixture f(25);
    ASSERT_EQ(f.preview.PageCount(), 3);
    EXPECT_EQ(f.report.HeaderCount, 3);
    EXPECT_EQ(f.preview.CurrentPage(), 1);
    EXPECT_TRUE(QFileInfo(f.preview.FileName()).fileName().startsWith("vLR"));
    EXPECT_EQ(QFileInfo(f.preview.FileName()).absolutePath(),
              QDir(QDir::tempPath()).absolutePath());

    const QByteArray bytes = f.FileBytes();
    const QList<qint64>& at = f.preview.PagePositions();
    EXPECT_EQ(at[0], 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(bytes.mid(at[i], 2), "BM");
        EXPECT_EQ(U32(bytes, at[i] + 10), 54u + 4 * 256) << "bfOffBits";
        EXPECT_EQ(U32(bytes, at[i] + 18), 794u);
        EXPECT_EQ(U32(bytes, at[i] + 22), 1123u);
        EXPECT_EQ(U32(bytes, at[i] + 30), 1u) << "BI_RLE8";
        if (i < 2)
            EXPECT_EQ(at[i + 1], at[i] + U32(bytes, at[i] + 2)) << "pages follow back to back";
    }
    EXPECT_EQ(bytes.size(), at[2] + U32(bytes, at[2] + 2));

    // The bitmap library and Qt's own BMP reader read the same pixels back.
    for (int i = 0; i < 3; ++i) {
        QFile file(f.preview.FileName());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        file.seek(at[i]);
        TMoDIB dib;
        dib.LoadFromStream(file);
        EXPECT_EQ(dib.PixelFormat(), moPf8BitRLE);
        QImage ours;
        dib.AssignTo(ours);
        const QImage theirs = QImage::fromData(bytes.mid(at[i], U32(bytes, at[i] + 2)), "BMP");
        ASSERT_FALSE(theirs.isNull());
        EXPECT_EQ(ours.convertToFormat(QImage::Format_RGB32),
                  theirs.convertToFormat(QImage::Format_RGB32));
        if (i == 0) {
            theirs.save(TestOutputFolder() + "/report-preview-page1.png");
            // The title "入退室記録一覧表" in 16-point Mincho, centred in (200, 46)-(500, 76).
            EXPECT_GT(InkIn(theirs, QRect(250, 50, 200, 22)), 0.02);
            EXPECT_EQ(InkIn(theirs, QRect(0, 0, 30, 30)), 0.0) << "the margin stays white";
        }
    }
}

TEST(PreviewStore, PagingReadsTheFileWithoutRendering) {
    PreviewFixture f(25);
    EXPECT_TRUE(f.preview.IsFirstPage());
    f.preview.MoveTo(2);
    const int headers = f.report.HeaderCount;
    f.preview.NextPage();
    EXPECT_EQ(f.preview.CurrentPage(), 3);
    EXPECT_EQ(f.report.HeaderCount, headers) << "a stored page is not rendered again";
    EXPECT_TRUE(f.preview.IsLastPage());
    EXPECT_FALSE(f.preview.MoveNext());
    f.preview.MovePrior();
    EXPECT_EQ(f.preview.CurrentPage(), 2);
    f.preview.MoveTo(0);
    f.preview.MoveTo(4);
    EXPECT_EQ(f.preview.CurrentPage(), 2) << "pages outside the range change nothing";
    f.preview.MoveLast();
    EXPECT_EQ(f.preview.CurrentPage(), 3);
    ASSERT_NE(f.image.Picture(), nullptr);
    EXPECT_EQ(f.image.Picture()->Width(), 794);
}

TEST(PreviewStore, OnePageAndANewPreview) {
    PreviewFixture f(3);
    EXPECT_EQ(f.preview.PageCount(), 1);
    EXPECT_TRUE(f.preview.IsFirstPage());
    EXPECT_TRUE(f.preview.IsLastPage());
    EXPECT_FALSE(f.preview.MoveNext());

    const QString first = f.preview.FileName();
    f.report.Rewind();
    f.preview.BeginPreview(&f.image);
    EXPECT_EQ(f.preview.PageCount(), 0);
    EXPECT_FALSE(QFile::exists(first)) << "the old page file goes";
    EXPECT_TRUE(QFile::exists(f.preview.FileName()));

    // Two stores at once never share a file.
    PreviewFixture other(3);
    EXPECT_NE(other.preview.FileName(), f.preview.FileName());
    const QString last = other.preview.FileName();
    {
        PreviewFixture gone(3);
        const QString name = gone.preview.FileName();
        EXPECT_TRUE(QFile::exists(name));
        gone.preview.~TLRPreviewControl();
        new (&gone.preview) TLRPreviewControl;
        EXPECT_FALSE(QFile::exists(name)) << "freeing the store deletes its file";
    }
    EXPECT_TRUE(QFile::exists(last));
}

namespace {

// An item that covers its area with single pixels of alternating colour.
class TCheckerItem : public TCustomLRItem {
public:
    using TCustomLRItem::TCustomLRItem;
    void Print(TCanvas* Canvas, TRect Rect, TPrintStatus, double) override {
        QImage checker(Rect.Width(), Rect.Height(), QImage::Format_RGB32);
        for (int y = 0; y < checker.height(); ++y)
            for (int x = 0; x < checker.width(); ++x)
                checker.setPixel(x, y, (x + y) % 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
        Canvas->Draw(Rect.Left, Rect.Top, checker);
    }
};

} // namespace

TEST(PreviewStore, PagesThatDoNotShrinkAreStoredUnencoded) {
    QWidget form;
    TLightRep page(&form);
    page.SetMarginTop(1);
    page.SetMarginLeft(1);
    page.SetMarginRight(1);
    page.SetMarginBottom(1);
    auto* band = new TLRLayoutPanel(&page);
    band->SetAlign(alClient);
    auto* checker = new TCheckerItem(band);
    checker->SetAlign(alClient);
    TPreviewImage image;
    image.resize(page.Width(), page.Height());
    TLRPreviewControl preview;
    preview.LightRep = &page;
    preview.BeginPreview(&image);
    preview.NextPage();
    QFile file(preview.FileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(U32(bytes, 30), 0u) << "BI_RGB";
    const QImage shown = QImage::fromData(bytes, "BMP");
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.pixel(10, 10), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(11, 10), qRgb(255, 0, 0));
}

TEST(PreviewStore, FourBitPages) {
    PreviewFixture f(5, pf4bit);
    const QByteArray bytes = f.FileBytes();
    EXPECT_EQ(uchar(bytes[28]), 4);
    EXPECT_EQ(U32(bytes, 30), 2u) << "BI_RLE4";
    EXPECT_FALSE(QImage::fromData(bytes, "BMP").isNull());
}
