#include "SampleReport.h"

#include <QDir>
#include <QProcess>

TSampleReport::TSampleReport(int rows, int rowsPerPage) : FRows(rows) {
    LightRep1 = new TLightRep(this);
    LightRep1->Title = "サンプル";
    LRLayoutPanel1 = new TLRLayoutPanel(LightRep1);
    LRLayoutPanel1->SetHeight(60);
    TFont title;
    title.Name = "ＭＳ 明朝";
    title.Size = 16;
    title.Color = clBlack;
    ItmTitle = new TLRItem(LRLayoutPanel1);
    ItmTitle->SetBounds(200, 10, 300, 30);
    ItmTitle->SetFont(title);
    ItmTitle->Text = "入退室記録一覧表";
    ItmTitle->Alignment = taCenter;
    ItmTitle->LineBottom = lsDouble;
    ItmPage = new TLRItem(LRLayoutPanel1);
    ItmPage->SetBounds(600, 30, 120, 20);
    LRLayoutPanel1->BeforePrint = [this](QObject*, TRect, TPrintStatus&) {
        ++HeaderCount;
        PagesSeen << LightRep1->PageNumber();
        ItmPage->Text = QString("Page: %1").arg(LightRep1->PageNumber(), 3);
    };

    LRGridPanel1 = new TLRGridPanel(LightRep1);
    LRGridPanel1->SetHeight(rowsPerPage * 30);
    LRGridPanel1->SetRowCount(rowsPerPage);
    ItmNo = new TLRItem(LRGridPanel1);
    ItmNo->SetBounds(0, 0, 80, 30);
    ItmNo->Alignment = taRightJustify;
    ItmNo->LineTop = ItmNo->LineLeft = ItmNo->LineBottom = lsSingle;
    ItmName = new TLRItem(LRGridPanel1);
    ItmName->SetBounds(80, 0, 400, 30);
    ItmName->Layout = tlCenter;
    ItmName->LineTop = ItmName->LineLeft = ItmName->LineRight = ItmName->LineBottom = lsSingle;
    TFont gothic;
    gothic.Name = "ＭＳ ゴシック";
    gothic.Size = 10;
    gothic.Color = clBlack;
    ItmName->SetFont(gothic);
    LRGridPanel1->OnPrintPanel = [this](QObject*, int, int, TRect, TPrintStatus& status) {
        if (Eof()) {
            status = lrsSkip;
            return;
        }
        ++FRow;
        ItmNo->Text = QString::number(FRow);
        ItmName->Text = QString("利用者%1 山田太郎").arg(FRow);
    };
}

void TSampleReport::Rewind() {
    FRow = 0;
    HeaderCount = 0;
    PagesSeen.clear();
}

void TSampleReport::Print() {
    Rewind();
    LightRep1->BeginDoc();
    while (!Eof()) {
        LightRep1->PrintPage();
        LightRep1->NewPage();
    }
    LightRep1->EndDoc();
}

void TSampleReport::Preview(TLRPreviewControl& preview, TPreviewImage* image) {
    Rewind();
    preview.LightRep = LightRep1;
    preview.BeginPreview(image);
    while (!Eof())
        preview.NextPage();
    preview.EndPreview();
    preview.MoveFirst();
}

QString RunTool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}
