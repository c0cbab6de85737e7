#include "RecordingDevice.h"
#include "SampleReport.h"
#include "tests/common/TempFolder.h"
#include "ui/Printer.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

int PdfPages(const QString& file) {
    const QString info = RunTool("pdfinfo", {file});
    for (const QString& line : info.split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

QString PdfPageText(const QString& file, int page) {
    return RunTool("pdftotext", {"-f", QString::number(page), "-l", QString::number(page),
                                 "-layout", file, "-"});
}

class PdfPrinting : public ::testing::Test {
protected:
    void SetUp() override {
        Printer()->SetPrinterIndex(-1);
        ASSERT_TRUE(Printer()->IsPdf()) << "these tests expect a machine without printers";
        Printer()->ResetSettings();
        Printer()->SetOutputFileName(Pdf);
    }
    TempFolder Folder;
    QString Pdf = Folder.File("out.pdf");
};

} // namespace

TEST(LightRepPage, PaperTableAndOrientation) {
    QWidget form;
    TLightRep page(&form);
    const struct {
        TPaperSize paper;
        int width, height;
    } table[] = {{psA4, 794, 1123},
                 {psB4, 945, 1338},
                 {psB5, 688, 971},
                 {psA3, 1123, 1587},
                 {psA5, 559, 794}};
    for (const auto& row : table) {
        page.SetOrientation(poPortrait);
        page.SetPaperSize(row.paper);
        EXPECT_EQ(page.Width(), row.width);
        EXPECT_EQ(page.Height(), row.height);
        page.SetOrientation(poLandscape);
        EXPECT_EQ(page.Width(), row.height);
        EXPECT_EQ(page.Height(), row.width);
        page.SetBounds(0, 0, 300, 200);
        EXPECT_EQ(page.Width(), row.height) << "a paper page keeps its size";
    }
    page.SetPaperSize(psNone);
    page.SetBounds(0, 0, 300, 200);
    EXPECT_EQ(page.Width(), 300);
    EXPECT_EQ(page.Height(), 200);
}

TEST(LightRepPage, MarginsAndBandAlignment) {
    QWidget form;
    TLightRep page(&form);
    auto* header = new TLRLayoutPanel(&page);
    header->SetHeight(50);
    auto* footer = new TLRLayoutPanel(&page);
    footer->SetHeight(40);
    footer->SetLRAlign(laBottom);
    auto* body = new TLRLayoutPanel(&page);
    body->SetLRAlign(laClient);
    EXPECT_EQ(footer->LRAlign(), laBottom);
    EXPECT_EQ(ToLRAlign(alNone), laClient);
    EXPECT_EQ(header->BoundsRect(), Rect(36, 36, 794 - 36, 86));
    EXPECT_EQ(footer->BoundsRect(), Rect(36, 1123 - 36 - 40, 794 - 36, 1123 - 36));
    EXPECT_EQ(body->BoundsRect(), Rect(36, 86, 794 - 36, 1123 - 76));

    for (int ignored : {0, -5, 794 / 2, 500})
        page.SetMarginLeft(ignored);
    EXPECT_EQ(page.MarginLeft(), 36);
    page.SetMarginLeft(50);
    EXPECT_EQ(header->Left(), 50) << "a margin that takes effect realigns the bands";

    // Top and bottom margins are held against the height, not the width.
    page.SetMarginTop(500);
    EXPECT_EQ(page.MarginTop(), 500);
    EXPECT_EQ(header->Top(), 500);
    page.SetMarginBottom(1123 / 2);
    EXPECT_EQ(page.MarginBottom(), 36);
    page.SetOrientation(poLandscape);
    page.SetMarginTop(396);
    EXPECT_EQ(page.MarginTop(), 396);
    page.SetMarginTop(397);
    EXPECT_EQ(page.MarginTop(), 396);
}

TEST(LightRepPage, PlacementRules) {
    QWidget form;
    QWidget inner(&form);
    EXPECT_THROW(TLightRep{&inner}, ELRError);
    try {
        TLightRep page(&inner);
    } catch (const ELRError& e) {
        EXPECT_EQ(e.Message(), "フォーム上にのみ配置できます．");
    }
    TLightRep page(&form);
    auto* grid = new TLRGridPanel(&page);
    auto* layout = new TLRLayoutPanel(grid);
    EXPECT_EQ(layout->parent(), grid->CellPanel()) << "a band on a grid sits on its cell panel";
    auto* item = new TLRItem(grid);
    EXPECT_EQ(item->parent(), grid->CellPanel());
    EXPECT_THROW(new TLRItem(&page), ELRError);
    EXPECT_THROW(new TLRGridPanel(grid), ELRError);
    EXPECT_THROW(new TLRLayoutPanel(&form), ELRError);
    EXPECT_THROW(new TLRSubPanel(&page), ELRError);
    EXPECT_THROW(new TLRSubPanel(layout), ELRError);
    auto* sub = new TLRSubPanel(&form);
    sub->SetGridPanel(grid);
    EXPECT_EQ(sub->Width(), grid->CellPanel()->Width());
    EXPECT_EQ(sub->Height(), grid->CellPanel()->Height());
    grid->SetRowCount(5);
    EXPECT_EQ(sub->Height(), 100 / 5) << "sub panels follow the cell size";
}

TEST(LightRepProtocol, StateErrors) {
    QWidget form;
    TLightRep page(&form);
    try {
        page.PrintPage();
        FAIL();
    } catch (const ELRError& e) {
        EXPECT_EQ(e.Message(), "BeginDocが呼び出されていません．");
    }
    page.BeginPreview();
    EXPECT_THROW(page.PrintPage(), ELRError) << "a preview has no printer page";
    page.EndPreview();
    EXPECT_EQ(page.State(), TLightRep::stIdle);
}

TEST_F(PdfPrinting, PageRangeReachesOnlyItsPages) {
    TSampleReport report(70);
    report.LightRep1->FirstPage = 3;
    report.LightRep1->LastPage = 4;
    report.Print();
    EXPECT_EQ(report.PagesSeen, (QList<int>{1, 2, 3, 4, 5, 6, 7})) << "every page is laid out";
    ASSERT_EQ(PdfPages(Pdf), 2) << "no sheet before the range or after its last page";
    EXPECT_TRUE(PdfPageText(Pdf, 1).contains(QRegularExpression("Page:\\s+3")));
    EXPECT_TRUE(PdfPageText(Pdf, 1).contains("利用者21 山田太郎"));
    EXPECT_TRUE(PdfPageText(Pdf, 2).contains(QRegularExpression("Page:\\s+4")));
    EXPECT_TRUE(PdfPageText(Pdf, 2).contains("入退室記録一覧表"));
}

TEST_F(PdfPrinting, ReversedRangeRaisesAndKeepsTheStart) {
    TSampleReport report(70);
    report.LightRep1->FirstPage = 5;
    report.LightRep1->LastPage = 2;
    try {
        report.LightRep1->BeginDoc();
        FAIL();
    } catch (const ELRError& e) {
        EXPECT_EQ(e.Message(), "印刷ページ範囲が正しくありません．");
    }
    EXPECT_EQ(report.LightRep1->LastPage, 5);
    EXPECT_EQ(report.LightRep1->State(), TLightRep::stIdle);
    report.Print();
    ASSERT_EQ(PdfPages(Pdf), 1);
    EXPECT_TRUE(PdfPageText(Pdf, 1).contains(QRegularExpression("Page:\\s+5")));
}

// A PDF whose writing fails on the way (a full disk, a file size limit) is reported at the end
// of the job with the file and the reason; the broken file goes, and the next job prints.
TEST_F(PdfPrinting, APdfThatCannotBeWrittenIsReportedAtTheEnd) {
    std::signal(SIGXFSZ, SIG_IGN);
    TSampleReport(70).Print();
    const int pages = PdfPages(Pdf);
    ASSERT_GT(pages, 1);
    const struct {
        QString File;
        rlim_t SizeLimit;
    } cases[] = {{"/dev/full", RLIM_INFINITY}, {Folder.File("short.pdf"), 4096}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File.toStdString());
        TSampleReport report(70);
        Printer()->SetOutputFileName(c.File);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limited{c.SizeLimit, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
        try {
            report.Print();
            ADD_FAILURE() << "no error";
        } catch (const EPrinter& e) {
            EXPECT_EQ(e.Message(), "PDFファイル「" + c.File +
                                       "」に書き込めませんでした。\n"
                                       "ディスクに空きがないか、書き込めない場所です。");
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_EQ(report.LightRep1->State(), TLightRep::stIdle);
        EXPECT_FALSE(Printer()->Printing());
        EXPECT_EQ(QFileInfo(c.File).isFile(), false) << "no broken file left";

        Printer()->SetOutputFileName(Pdf);
        report.Print();
        EXPECT_EQ(PdfPages(Pdf), pages);
    }
}

TEST_F(PdfPrinting, WholeReportLandscapeAt600Dpi) {
    TSampleReport report(25);
    report.LightRep1->SetOrientation(poLandscape);
    report.LightRep1->FirstPage = 1;
    report.LightRep1->LastPage = 3;
    report.Print();
    EXPECT_EQ(Printer()->Resolution(), 600);
    ASSERT_EQ(PdfPages(Pdf), 3);
    EXPECT_TRUE(RunTool("pdfinfo", {Pdf}).contains("842 x 595")) << "A4 landscape";
    EXPECT_TRUE(PdfPageText(Pdf, 3).contains("利用者25 山田太郎"));
    EXPECT_THROW(report.LightRep1->PrintPage(), ELRError);
}

TEST_F(PdfPrinting, PageWithoutPaperLeavesThePrinterToTheReport) {
    TSampleReport report(5);
    TLightRep* page = report.LightRep1;
    page->SetPaperSize(psNone);
    page->SetBounds(0, 0, 500, 700);
    EXPECT_EQ(page->Width(), 500);
    int calls = 0;
    page->OnSetPrinter = [&](QObject* sender) {
        EXPECT_EQ(sender, page);
        ++calls;
        Printer()->SetPaper(QPageSize::A5, QPageLayout::Portrait);
    };
    page->BeginPreview();
    report.Print();
    EXPECT_EQ(page->State(), TLightRep::stIdle) << "printing ended the preview";
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(RunTool("pdfinfo", {Pdf}).contains("420 x 595")) << "the report's A5";
}

TEST_F(PdfPrinting, PrintingTwiceAndPreviewWhilePrinting) {
    TSampleReport report(5);
    report.LightRep1->BeginDoc();
    EXPECT_THROW(report.LightRep1->BeginDoc(), ELRError);
    try {
        report.LightRep1->BeginPreview();
        FAIL();
    } catch (const ELRError& e) {
        EXPECT_EQ(e.Message(), "プリンタが印刷中のため、プレビューを開始できません．");
    }
    report.LightRep1->PrintPage();
    report.LightRep1->EndDoc();
    EXPECT_EQ(PdfPages(Pdf), 1);
}

namespace {

// An item that keeps where and at which scale it was asked to print.
class TProbeItem : public TCustomLRItem {
public:
    using TCustomLRItem::TCustomLRItem;
    void Print(TCanvas*, TRect Rect, TPrintStatus, double Scale) override {
        Rects << Rect;
        Scales << Scale;
    }
    QList<TRect> Rects;
    QList<double> Scales;
};

} // namespace

// The printable area begins 50 dots below the sheet's edge at 600 dpi.
TEST_F(PdfPrinting, PhysicalOffsetsShiftTheBands) {
    Printer()->SetPageMargins(QMarginsF(0, 6, 0, 0));
    QWidget form;
    TLightRep page(&form);
    auto* band = new TLRLayoutPanel(&page);
    page.SetMarginTop(37);
    auto* probe = new TProbeItem(band);
    probe->SetBounds(0, 0, 10, 10);
    page.BeginDoc();
    EXPECT_EQ(Printer()->PhysicalOffset(), QPoint(0, 50));
    page.PrintPage();
    page.EndDoc();
    ASSERT_EQ(probe->Rects.size(), 1);
    EXPECT_DOUBLE_EQ(probe->Scales[0], 6.25);
    EXPECT_EQ(probe->Rects[0].Top, 29);
    EXPECT_EQ(LRScaleValue(probe->Rects[0].Top, probe->Scales[0]), 181);
}

TEST(LightRepBands, GridCellLimitsAndRows) {
    QWidget form;
    TLightRep page(&form);
    page.SetMarginLeft(97);
    page.SetMarginRight(97);
    auto* grid = new TLRGridPanel(&page);
    ASSERT_EQ(grid->Width(), 600);
    grid->SetColCount(60);
    EXPECT_EQ(grid->ColCount(), 60);
    EXPECT_EQ(grid->CellPanel()->Width(), 10);
    for (int bad : {61, 0}) {
        try {
            grid->SetColCount(bad);
            FAIL();
        } catch (const ELRError& e) {
            EXPECT_EQ(e.Message(), "列数が有効範囲を超えています．");
        }
    }
    EXPECT_THROW(grid->SetRowCount(11), ELRError);
    grid->SetColCount(1);
    grid->SetRowCount(3);
    QList<int> tops;
    grid->OnPrintPanel = [&](QObject*, int, int, TRect r, TPrintStatus&) { tops << r.Top; };
    TRecordingDevice device(794, 1123);
    TCanvas canvas(&device);
    grid->PrintPanel(&canvas, Bounds(0, 0, 600, 100), 1.0);
    EXPECT_EQ(tops, (QList<int>{0, 33, 66}));
    EXPECT_EQ(grid->CellPanel()->Height(), 33);
}

TEST(LightRepBands, VisitOrder) {
    QWidget form;
    TLightRep page(&form);
    auto* grid = new TLRGridPanel(&page);
    grid->SetColCount(3);
    grid->SetRowCount(2);
    QList<QPoint> cells;
    grid->OnPrintPanel = [&](QObject*, int c, int r, TRect, TPrintStatus&) {
        cells << QPoint(c, r);
    };
    int after = 0;
    grid->AfterPrint = [&](QObject*) { ++after; };
    TRecordingDevice device(794, 1123);
    TCanvas canvas(&device);
    grid->PrintDirection = pdVert;
    grid->PrintPanel(&canvas, grid->BoundsRect(), 1.0);
    EXPECT_EQ(cells, (QList<QPoint>{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}}));
    for (TPrintDirection direction : {pdHorz, pdHolz}) {
        cells.clear();
        grid->PrintDirection = direction;
        grid->PrintPanel(&canvas, grid->BoundsRect(), 1.0);
        EXPECT_EQ(cells, (QList<QPoint>{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}));
    }
    EXPECT_EQ(after, 3);
}

TEST(LightRepBands, StatusSubPanelsAndDisabledParts) {
    QWidget form;
    TLightRep page(&form);
    auto* band = new TLRLayoutPanel(&page);
    auto* text = new TLRItem(band);
    text->Text = "見出し";
    text->LineBottom = lsSingle;
    auto* nested = new TLRLayoutPanel(band);
    nested->SetAlign(alBottom);
    nested->SetHeight(20);
    auto* nestedText = new TLRItem(nested);
    nestedText->Text = "入れ子";
    auto* hidden = new TLRItem(band);
    hidden->Text = "無効";
    hidden->SetEnabled(false);
    band->BeforePrint = [](QObject*, TRect, TPrintStatus& s) { s = lrsLinesOnly; };
    int after = 0;
    band->AfterPrint = [&](QObject*) { ++after; };

    TRecordingDevice device(794, 1123);
    TCanvas canvas(&device);
    page.PrintPreviewPage(&canvas);
    EXPECT_EQ(device.Texts(), "入れ子") << "lines only reaches the band's own items";
    EXPECT_EQ(device.Lines().size(), 1);
    EXPECT_EQ(after, 1);

    band->BeforePrint = [](QObject*, TRect, TPrintStatus& s) { s = lrsSkip; };
    device.Drawn.clear();
    page.PrintPreviewPage(&canvas);
    EXPECT_EQ(device.Texts(), "");
    EXPECT_EQ(after, 1) << "a skipped band has no AfterPrint";
    band->SetEnabled(false);
    band->BeforePrint = nullptr;
    page.PrintPreviewPage(&canvas);
    EXPECT_EQ(device.Texts(), "");

    // A sub panel chosen in row 0 stays for the later rows.
    auto* grid = new TLRGridPanel(&page);
    grid->SetRowCount(3);
    auto* own = new TLRItem(grid);
    own->Text = "行";
    auto* sub = new TLRSubPanel(&form);
    sub->SetGridPanel(grid);
    auto* subText = new TLRItem(sub);
    subText->Text = "副";
    grid->OnPrintPanel = [&](QObject*, int, int r, TRect, TPrintStatus&) {
        if (r == 0)
            grid->SubPanel = sub;
    };
    device.Drawn.clear();
    page.PrintPreviewPage(&canvas);
    EXPECT_EQ(device.Texts(), "副副副");
}

// An item at page (10, 20)-(110, 37) with all four lines of one style.
TEST(LightRepItems, LinePositionsAndPenWidths) {
    TItemOnBand<TLRItem> f;
    TLRItem* item = f.item;
    const struct {
        TLineStyle style;
        double scale;
        int width;
    } table[] = {{lsSingle, 1.0, 1},  {lsHalf, 1.0, 0},  {lsDouble, 1.0, 2},
                 {lsSingle, 6.25, 7}, {lsHalf, 6.25, 3}, {lsDouble, 6.25, 12}};
    for (const auto& row : table) {
        item->LineTop = item->LineLeft = item->LineRight = item->LineBottom = row.style;
        TRecordingDevice device(5000, 5000);
        TCanvas canvas(&device);
        item->Print(&canvas, Rect(10, 20, 110, 37), lrsLinesOnly, row.scale);
        const QList<TDrawn> lines = device.Lines();
        ASSERT_EQ(lines.size(), 4);
        const int d = int(row.scale);
        const int l = int(10 * row.scale) - d, t = int(20 * row.scale) - d;
        const int r = int(109 * row.scale), b = int(36 * row.scale);
        for (const TDrawn& line : lines)
            EXPECT_EQ(line.width <= 1 ? 1 : line.width, std::max(row.width, 1));
        if (row.width <= 1) {
            // Thin lines leave out their end point.
            EXPECT_EQ(lines[0].line, QLine(l, t, r - 1, t));
            EXPECT_EQ(lines[1].line, QLine(l, t, l, b - 1));
            EXPECT_EQ(lines[2].line, QLine(r, t, r, b - 1));
            EXPECT_EQ(lines[3].line, QLine(l, b, r - 1, b));
        } else {
            EXPECT_EQ(lines[0].line, QLine(l, t, r, t));
            EXPECT_EQ(lines[3].line, QLine(l, b, r, b));
        }
    }
    EXPECT_EQ(LRScaleValue(1, 0.5), 0);
    EXPECT_EQ(LRScaleValue(-1, 0.5), 0);
}

TEST(LightRepItems, TextPlacementAndMasks) {
    TItemOnBand<TLRItem> f;
    TLRItem* item = f.item;
    item->Text = "12345.6";
    item->DisplayMask = "#,##0.00";
    EXPECT_EQ(item->DisplayText(), "12,345.60");
    item->Text = "AB12";
    item->DisplayMask = ">LL-00;0";
    EXPECT_EQ(item->DisplayText(), "AB-12");
    item->Text = "-";
    item->DisplayMask = "0";
    EXPECT_THROW(item->DisplayText(), EConvertError);

    item->SetHMargin(300);
    EXPECT_EQ(item->HMargin(), 2);
    item->SetHMargin(5);
    item->DisplayMask.clear();
    item->Text = "右";
    item->Alignment = taRightJustify;
    TRecordingDevice device(794, 1123);
    TCanvas canvas(&device);
    item->Print(&canvas, Rect(10, 20, 110, 44), lrsPrint, 1.0);
    ASSERT_EQ(device.Texts(), "右");
    canvas.Font = item->Font();
    const int width = canvas.TextWidth("右");
    EXPECT_NEAR(device.Drawn.last().at.x() + width, 104, 1) << "right edge 110 - 1 - 5";
}
