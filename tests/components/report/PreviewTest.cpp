#include "SampleReport.h"
#include "components/dib/MoDIB.h"
#include "components/report/LRPrvSpl.h"
#include "components/report/PreviewImage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <memory>
#include <sys/file.h>

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
        if (i < 2) {
            EXPECT_EQ(at[i + 1], at[i] + U32(bytes, at[i] + 2)) << "pages follow back to back";
        }
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

// Pages added without being shown are stored as the shown ones; none is decoded until asked for.
TEST(PreviewStore, AddedPagesAreStoredLikeShownOnes) {
    PreviewFixture shown(25);
    TSampleReport report(25);
    TPreviewImage image;
    TLRPreviewControl preview;
    image.resize(report.LightRep1->Width(), report.LightRep1->Height());
    report.Rewind();
    preview.LightRep = report.LightRep1;
    preview.BeginPreview(&image);
    while (!report.Eof())
        preview.AddPage();
    preview.EndPreview();
    EXPECT_EQ(image.Picture(), nullptr);
    preview.MoveLast();
    EXPECT_EQ(preview.CurrentPage(), 3);
    ASSERT_NE(image.Picture(), nullptr);
    QFile file(preview.FileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), shown.FileBytes());
    EXPECT_EQ(preview.PagePositions(), shown.preview.PagePositions());
}

// Text items of every placement, with and without wrapping, fill and frame, in two fonts,
// stored byte for byte as they were before each text was laid out once: texts with blanks
// at either end, an empty one, one too long for its item and one in a font too big for it.
TEST(PreviewStore, TextItemsOfEveryKindKeepTheirBytes) {
    QWidget form;
    TLightRep page(&form);
    auto* band = new TLRLayoutPanel(&page);
    band->SetHeight(700);
    const QString texts[] = {"入退室 12:34:56",
                             "  5 %",
                             "trailing  ",
                             "",
                             "長い文章を折り返して表示する項目の例です。さらに続く text too",
                             "Wg|ÅÉ 認証機"};
    const TAlignment alignments[] = {taLeftJustify, taRightJustify, taCenter};
    const TTextLayout layouts[] = {tlTop, tlCenter, tlBottom};
    int i = 0;
    for (TAlignment alignment : alignments)
        for (TTextLayout layout : layouts)
            for (bool wrap : {false, true})
                for (bool transparent : {true, false}) {
                    auto* item = new TLRItem(band);
                    item->SetBounds(10 + i % 6 * 120, 10 + i / 6 * 60, 110, i % 3 ? 50 : 17);
                    item->Text = texts[i % 6];
                    item->Alignment = alignment;
                    item->Layout = layout;
                    item->WordWrap = wrap;
                    item->Transparent = transparent;
                    item->Color = clYellow;
                    item->LineTop = item->LineBottom = TLineStyle(i % 4);
                    item->LineLeft = item->LineRight = TLineStyle((i + 1) % 4);
                    TFont font = item->Font();
                    font.Size = i % 5 ? 9 + i % 3 : 40;
                    font.Style = i % 2 ? TFontStyles(fsBold) : 0;
                    item->SetFont(font);
                    ++i;
                }
    TPreviewImage image;
    image.resize(page.Width(), page.Height());
    TLRPreviewControl preview;
    preview.LightRep = &page;
    preview.BeginPreview(&image);
    preview.NextPage();
    preview.EndPreview();
    QFile file(preview.FileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(
        QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex().toStdString(),
        "20d9f771d0d5e1677b04fbb50c69667478cb74db");
    image.grab().save(TestOutputFolder() + "/TLRItem.png");
}

TEST(PreviewStore, OnePage) {
    PreviewFixture f(3);
    EXPECT_EQ(f.preview.PageCount(), 1);
    EXPECT_TRUE(f.preview.IsFirstPage());
    EXPECT_TRUE(f.preview.IsLastPage());
    EXPECT_FALSE(f.preview.MoveNext());
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

const TColor StandardColors[16] = {clBlack, clMaroon,  clGreen,  clOlive, clNavy, clPurple,
                                   clTeal,  clGray,    clSilver, clRed,   clLime, clYellow,
                                   clBlue,  clFuchsia, clAqua,   clWhite};

// An item that covers its area with sixteen stripes, one of each standard colour.
class TStripesItem : public TCustomLRItem {
public:
    using TCustomLRItem::TCustomLRItem;
    void Print(TCanvas* Canvas, TRect Rect, TPrintStatus, double) override {
        for (int i = 0; i < 16; ++i) {
            Canvas->Brush = TBrush{StandardColors[i], bsSolid};
            Canvas->FillRect(TRect{Rect.Left + i * Rect.Width() / 16, Rect.Top,
                                   Rect.Left + (i + 1) * Rect.Width() / 16, Rect.Bottom});
        }
    }
};

// The page file of a one-page report whose only band is covered by one item.
template <class TItem> QByteArray StoreOnePage(TPixelFormat format) {
    QWidget form;
    TLightRep page(&form);
    page.SetMarginTop(1);
    page.SetMarginLeft(1);
    page.SetMarginRight(1);
    page.SetMarginBottom(1);
    auto* band = new TLRLayoutPanel(&page);
    band->SetAlign(alClient);
    auto* item = new TItem(band);
    item->SetAlign(alClient);
    TPreviewImage image;
    image.resize(page.Width(), page.Height());
    TLRPreviewControl preview;
    preview.PixelFormat = format;
    preview.LightRep = &page;
    preview.BeginPreview(&image);
    preview.NextPage();
    QFile file(preview.FileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The temporary folder of the page files while it lives.
class TemporaryPath {
public:
    TemporaryPath() : FSaved(qgetenv("TMPDIR")) { qputenv("TMPDIR", FFolder.Path().toLocal8Bit()); }
    ~TemporaryPath() { qputenv("TMPDIR", FSaved); }
    QString File(const QString& name) const { return FFolder.File(name); }

private:
    TempFolder FFolder;
    QByteArray FSaved;
};

} // namespace

TEST(PreviewStore, PagesThatDoNotShrinkAreStoredUnencoded) {
    const QByteArray bytes = StoreOnePage<TCheckerItem>(pf8bit);
    EXPECT_EQ(U32(bytes, 30), 0u) << "BI_RGB";
    const QImage shown = QImage::fromData(bytes, "BMP");
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.pixel(10, 10), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(11, 10), qRgb(255, 0, 0));
}

// A 4-bit page keeps the sixteen standard colours as drawn.
TEST(PreviewStore, FourBitPages) {
    const QByteArray bytes = StoreOnePage<TStripesItem>(pf4bit);
    EXPECT_EQ(uchar(bytes[28]), 4);
    EXPECT_EQ(U32(bytes, 30), 2u) << "BI_RLE4";
    EXPECT_EQ(U32(bytes, 46), 16u) << "biClrUsed";
    const QImage shown = QImage::fromData(bytes, "BMP");
    ASSERT_FALSE(shown.isNull());
    shown.save(TestOutputFolder() + "/report-preview-4bit.png");
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        const int x = 1 + (2 * i + 1) * (shown.width() - 2) / 32;
        EXPECT_EQ(QColor(shown.pixel(x, shown.height() / 2)), ToQColor(StandardColors[i]));
    }
}

TEST(PreviewStore, PageFilesAreNumberedFromOneAndLockedWhileInUse) {
    TemporaryPath temp;
    const auto name = [&](const char* file) {
        return QFileInfo(temp.File(file)).absoluteFilePath();
    };
    const auto nameOf = [](const PreviewFixture& f) {
        return QFileInfo(f.preview.FileName()).absoluteFilePath();
    };
    // A file left by a crashed run is taken over; one another program holds is passed over.
    QFile stale(temp.File("vLR1.TMP"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("left by a crashed run");
    stale.close();
    QFile held(temp.File("vLR2.TMP"));
    ASSERT_TRUE(held.open(QIODevice::ReadWrite));
    ASSERT_EQ(::flock(held.handle(), LOCK_EX | LOCK_NB), 0);

    auto first = std::make_unique<PreviewFixture>(3);
    EXPECT_EQ(nameOf(*first), name("vLR1.TMP"));
    EXPECT_EQ(first->FileBytes().left(2), "BM");
    PreviewFixture second(3);
    EXPECT_EQ(nameOf(second), name("vLR3.TMP"));
    EXPECT_TRUE(QFile::exists(temp.File("vLR2.TMP")));

    // A new preview of the same control and a preview after one was freed reuse the name.
    first->report.Rewind();
    first->preview.BeginPreview(&first->image);
    EXPECT_EQ(first->preview.PageCount(), 0);
    EXPECT_EQ(nameOf(*first), name("vLR1.TMP"));
    EXPECT_EQ(QFileInfo(temp.File("vLR1.TMP")).size(), 0) << "the old pages are gone";
    first.reset();
    EXPECT_FALSE(QFile::exists(temp.File("vLR1.TMP")));
    PreviewFixture third(3);
    EXPECT_EQ(nameOf(third), name("vLR1.TMP"));
}
