#include "Report_UserNinsyoki.h"

#include "entrance/data/Unit_Entrance.h"
#include "entrance/reports/persons/PersonReportTexts.h"

namespace entrance {

namespace {

constexpr int RowsPerPage = 32;
constexpr int RowHeight = 16;
// The legend: six unit names to a line, six lines, under the heading.
constexpr int LegendPerLine = 6;
constexpr int LegendLeft = 24;
constexpr int LegendWidth = 164;
constexpr int LegendStep = 168;
constexpr int LegendHeight = 14;
constexpr int ColumnHeadTop = LegendHeight * (1 + MatrixColumns / LegendPerLine + 1);
constexpr int ColumnHeadHeight = 18;
// The columns: code, name, end date, then one per unit. The units' columns are 24 wide, not
// 25, so that all 32 fit inside the wide left margin.
constexpr int CodeWidth = 65;
constexpr int NameWidth = 121;
constexpr int DateWidth = 72;
constexpr int UnitWidth = 24;
constexpr int UnitsLeft = CodeWidth + NameWidth + DateWidth;

} // namespace

TRep_UserNinsyoki::TRep_UserNinsyoki(QWidget* owner)
    : TRep_UserReport("利用者 使用認証機一覧", poLandscape, owner) {
    LightRep1->SetFont(ReportTextFont(8));
    CreateLegend();
    CreateLines();
}

void TRep_UserNinsyoki::CreateLegend() {
    LRLayoutPanel2 = new TLRLayoutPanel(LightRep1);
    LRLayoutPanel2->SetHeight(ColumnHeadTop + ColumnHeadHeight);
    auto* heading = new TLRItem(LRLayoutPanel2);
    heading->SetBounds(0, 0, 200, LegendHeight);
    heading->Text = "【 認証機一覧 】";
    for (int n = 0; n < MatrixColumns; ++n) {
        UnitItems[n] = new TLRItem(LRLayoutPanel2);
        UnitItems[n]->SetBounds(LegendLeft + (n % LegendPerLine) * LegendStep,
                                LegendHeight * (1 + n / LegendPerLine), LegendWidth, LegendHeight);
    }
    const int top = ColumnHeadTop, h = ColumnHeadHeight;
    AddItem(LRLayoutPanel2, 0, top, CodeWidth, h, taLeftJustify, "個人コード");
    AddItem(LRLayoutPanel2, CodeWidth, top, NameWidth, h, taCenter, "氏　　名");
    AddItem(LRLayoutPanel2, CodeWidth + NameWidth, top, DateWidth, h, taCenter, "有効期限");
    for (int c = 0; c < MatrixColumns; ++c)
        HeaderItems[c] =
            AddItem(LRLayoutPanel2, UnitsLeft + c * UnitWidth, top, UnitWidth, h, taCenter);
}

void TRep_UserNinsyoki::CreateLines() {
    LRGridPanel1 = new TLRGridPanel(LightRep1);
    LRGridPanel1->SetHeight(RowsPerPage * RowHeight);
    LRGridPanel1->SetRowCount(RowsPerPage);
    FCode = AddItem(LRGridPanel1, 0, 0, CodeWidth, RowHeight, taLeftJustify);
    FName = AddItem(LRGridPanel1, CodeWidth, 0, NameWidth, RowHeight, taLeftJustify);
    ItmEndDate = AddItem(LRGridPanel1, CodeWidth + NameWidth, 0, DateWidth, RowHeight, taCenter);
    for (int c = 0; c < MatrixColumns; ++c) {
        RowCells[c] =
            AddItem(LRGridPanel1, UnitsLeft + c * UnitWidth, 0, UnitWidth, RowHeight, taCenter);
        RowCells[c]->LineColor = clGray;
    }
    FillRowsWith(RowsPerPage, [this] { DetailPrintPanel(); });
}

// The legend and the captions follow the unit table; they are the same on every page.
bool TRep_UserNinsyoki::OpenData() {
    if (!TRep_UserReport::OpenData())
        return false;
    TEntrance units;
    for (int n = 0; n < MatrixColumns; ++n)
        UnitItems[n]->Text =
            n < units.Count() ? MatrixLegendText(units.IDAt(n), units.NameAt(n)) : QString();
    Captions = MatrixCaptions(units.UnitIDs);
    for (int c = 0; c < MatrixColumns; ++c)
        HeaderItems[c]->Text = Captions[c];
    PersonUnits = UnitsOfPersons();
    return true;
}

QString TRep_UserNinsyoki::PrintDateText() const {
    return PlainSlashDate(::Date());
}

void TRep_UserNinsyoki::DetailPrintPanel() {
    FCode->Text = Text("個人コード");
    FName->Text = Text("氏名");
    ItmEndDate->Text = EndDateText(Date("有効終了日"));
    const QStringList cells = MatrixRowCells(Captions, PersonUnits.value(Text("個人コード")));
    for (int c = 0; c < MatrixColumns; ++c)
        RowCells[c]->Text = cells[c];
}

} // namespace entrance
