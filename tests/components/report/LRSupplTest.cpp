#include "components/report/LRSuppl.h"
#include "RecordingDevice.h"
#include "SampleReport.h"

#include <QWidget>
#include <gtest/gtest.h>

using ItemRFixture = TItemOnBand<TLRItemR>;

TEST(LRItemR, RoundSizeLimits) {
    ItemRFixture f;
    f.item->SetRoundSize(20);
    EXPECT_EQ(f.item->RoundSize(), 20);
    try {
        f.item->SetRoundSize(21);
        FAIL();
    } catch (const ELRError&) {
        FAIL() << "not an engine error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "RoundSize は 0-20 の範囲のみ許されています．");
    }
    EXPECT_THROW(f.item->SetRoundSize(-1), Exception);
    EXPECT_EQ(f.item->RoundSize(), 20);
}

// RoundSize 10, every corner rounded and every line single, transparent, at scale 1.
TEST(LRItemR, RoundedFrameEdgesAndArcs) {
    ItemRFixture f;
    f.item->SetRoundSize(10);
    f.item->RoundLeftTop = f.item->RoundLeftBottom = f.item->RoundRightTop =
        f.item->RoundRightBottom = true;
    f.item->LineTop = f.item->LineLeft = f.item->LineRight = f.item->LineBottom = lsSingle;
    TRecordingDevice device(400, 400);
    TCanvas canvas(&device);
    f.item->Print(&canvas, Rect(10, 20, 110, 60), lrsLinesOnly, 1.0);
    // L 9, T 19, Rt 109, B 59 after the one-pixel move out.
    QList<QLine> edges;
    int arcs = 0;
    for (const TDrawn& d : device.Drawn) {
        if (d.kind == TDrawn::Pixels)
            edges << d.line;
        else if (d.kind == TDrawn::Path) {
            ++arcs;
            EXPECT_LE(d.line.dx(), 21) << "arcs lie inside boxes 2 x 10 + 1 wide";
        } else if (d.kind == TDrawn::Fill)
            ADD_FAILURE() << "a transparent item fills nothing";
    }
    ASSERT_EQ(edges.size(), 4);
    EXPECT_EQ(edges[0], QLine(19, 19, 98, 19));
    EXPECT_EQ(edges[1], QLine(9, 29, 9, 48));
    EXPECT_EQ(edges[2], QLine(109, 28, 109, 48));
    EXPECT_EQ(edges[3], QLine(18, 59, 98, 59));
    EXPECT_EQ(arcs, 4);

    // Size 0 keeps square corners even with the corner flags set.
    f.item->SetRoundSize(0);
    device.Drawn.clear();
    f.item->Print(&canvas, Rect(10, 20, 110, 60), lrsLinesOnly, 1.0);
    EXPECT_EQ(device.Lines()[0].line, QLine(9, 19, 108, 19));
}

TEST(LRItemR, DiagonalsFillAndText) {
    ItemRFixture f;
    f.item->Transparent = false;
    f.item->Color = clSilver;
    f.item->DiagonalRisedLeft = lsSingle;
    f.item->DiagonalRisedRight = lsDouble;
    f.item->Text = "事業所";
    TRecordingDevice device(400, 400);
    TCanvas canvas(&device);
    f.item->Print(&canvas, Rect(10, 20, 110, 60), lrsPrint, 1.0);
    const QList<TDrawn> lines = device.Lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].line.p1(), QPoint(9, 19));
    EXPECT_EQ(lines[1].width, 2);
    EXPECT_EQ(lines[1].line, QLine(9, 59, 109, 19));
    EXPECT_EQ(device.Texts(), "事業所");
    EXPECT_EQ(device.Drawn.first().kind, TDrawn::Path) << "the fill comes first";
    device.Drawn.clear();
    f.item->Print(&canvas, Rect(10, 20, 110, 60), lrsSkip, 1.0);
    EXPECT_TRUE(device.Drawn.isEmpty());
}
