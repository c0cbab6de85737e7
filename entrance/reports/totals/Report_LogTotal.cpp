#include "Report_LogTotal.h"

#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/LogOperations.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_CommonWait.h"
#include "entrance/data/DataModule1.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/reports/rules/LogReportQueries.h"

#include <cmath>

namespace entrance {

namespace {

// A4 landscape less the margins of the totals reports.
constexpr int MarginTop = 36;
constexpr int MarginLeft = WideMarginLeft;
constexpr int MarginRight = 36;
constexpr int MarginBottom = 36;
constexpr int PageWidth = 1123 - MarginLeft - MarginRight;
constexpr int HeaderHeight = 112;
constexpr int HeadRowHeight = 17;
constexpr int BandsPerPage = 9;
constexpr int CountRows = 4;
constexpr int RowHeight = 15;
constexpr int BandHeight = CountRows * RowHeight;
constexpr int LabelWidth = 24;
constexpr int SumWidth = 64;
constexpr int CellFontSize = 8;

qint64 DayNumber(TDateTime date) {
    return qint64(std::trunc(date));
}

} // namespace

TRep_LogTotal::TRep_LogTotal(const TLayout& layout, QWidget* owner)
    : TRep_Form(owner), FLayout(layout), sqlEntrance(std::make_unique<TQuery>()),
      UnitCounts(layout.Columns), GrandCounts(layout.Columns) {
    sqlEntrance->SetDatabaseName(EntranceSession().DM1->DB2->DatabaseName);
    LightRep1->SetOrientation(poLandscape);
    LightRep1->SetMarginTop(MarginTop);
    LightRep1->SetMarginLeft(MarginLeft);
    LightRep1->SetMarginRight(MarginRight);
    LightRep1->SetMarginBottom(MarginBottom);
    CreateHeader();
    CreateGroupHeader();
    CreateBands();
}

TRep_LogTotal::~TRep_LogTotal() = default;

// The frame's header, widened to the landscape page, with the room and the period below the
// office name.
void TRep_LogTotal::CreateHeader() {
    CreatePageBands(FLayout.Title);
    LRLayoutPanel1->SetHeight(HeaderHeight);
    ItmTitle->SetBounds((PageWidth - ItmTitle->Width()) / 2, ItmTitle->Top(), ItmTitle->Width(),
                        ItmTitle->Height());
    ItmPage->SetBounds(PageWidth - ItmPage->Width(), ItmPage->Top(), ItmPage->Width(),
                       ItmPage->Height());
    ItmDate->SetBounds(ItmPage->Left() - ItmDate->Width(), ItmDate->Top(), ItmDate->Width(),
                       ItmDate->Height());
    FRoomName = new TLRItem(LRLayoutPanel1);
    FRoomName->SetBounds(0, ItmJigyosyo->Top() + 18, 420, 18);
    FPageDate = new TLRItem(LRLayoutPanel1);
    FPageDate->SetBounds(0, ItmJigyosyo->Top() + 36, 420, 18);
    const TBeforePrintEvent frameHeader = LRLayoutPanel1->BeforePrint;
    LRLayoutPanel1->BeforePrint = [this, frameHeader](QObject* sender, TRect rect,
                                                      TPrintStatus& status) {
        frameHeader(sender, rect, status);
        HeaderBeforePrint();
    };
}

void TRep_LogTotal::CreateGroupHeader() {
    LRLayoutPanel2 = new TLRLayoutPanel(LightRep1);
    LRLayoutPanel2->SetHeight(2 * HeadRowHeight);
    LRLayoutPanel2->SetFont(ReportTextFont(CellFontSize));
    TLRLayoutPanel* head = LRLayoutPanel2;
    const int name = FLayout.NameWidth;
    AddItem(head, 0, 0, name, HeadRowHeight, taCenter, " 認 証 機 ID");
    AddItem(head, 0, HeadRowHeight, name, HeadRowHeight, taCenter, " 認 証 機 名");
    const int cells = FLayout.PrintedColumns * FLayout.CellWidth;
    AddItem(head, name, 0, LabelWidth + cells, HeadRowHeight, taCenter, FLayout.UnitHead);
    AddItem(head, name, HeadRowHeight, LabelWidth, HeadRowHeight, taCenter);
    for (int k = 0; k < FLayout.PrintedColumns; ++k)
        FHeads << AddItem(head, name + LabelWidth + k * FLayout.CellWidth, HeadRowHeight,
                          FLayout.CellWidth, HeadRowHeight, taCenter);
    AddItem(head, name + LabelWidth + cells, 0, SumWidth, 2 * HeadRowHeight, taCenter, "合　計");
    head->BeforePrint = [this](QObject*, TRect, TPrintStatus&) { GroupHeaderBeforePrint(); };
}

// The grid of nine cells; each shows a unit's band, the grand totals or nothing.
void TRep_LogTotal::CreateBands() {
    LRGridPanel1 = new TLRGridPanel(LightRep1);
    LRGridPanel1->SetHeight(BandsPerPage * BandHeight);
    LRGridPanel1->SetRowCount(BandsPerPage);
    LRGridPanel1->OnPrintPanel = [this](QObject*, int, int, TRect, TPrintStatus&) {
        DetailPrintPanel();
    };
    CreateFooter();

    LRSub = new TLRSubPanel(this);
    LRSub->SetGridPanel(LRGridPanel1);
    LRSub->SetFont(ReportTextFont(CellFontSize));
    const int half = BandHeight / 2;
    FEntCode = AddItem(LRSub, 0, 0, FLayout.NameWidth, half, taCenter);
    FEntName = AddItem(LRSub, 0, half, FLayout.NameWidth, BandHeight - half, taCenter);
    FUnitItems = AddCountRows(LRSub);
    LRSub->BeforePrint = [this](QObject*, TRect, TPrintStatus&) { UnitBeforePrint(); };

    LRSubSUM = new TLRSubPanel(this);
    LRSubSUM->SetGridPanel(LRGridPanel1);
    LRSubSUM->SetFont(ReportTextFont(CellFontSize));
    AddItem(LRSubSUM, 0, 0, FLayout.NameWidth, BandHeight, taCenter, "合　　　　　計");
    FSumItems = AddCountRows(LRSubSUM);
    LRSubSUM->BeforePrint = [this](QObject*, TRect, TPrintStatus& Status) {
        SumBeforePrint(Status);
    };
}

TRep_LogTotal::TCountItems TRep_LogTotal::AddCountRows(TLRControl* band) {
    static const char* const labels[CountRows] = {"入", "退", "エ", "計"};
    TCountItems items;
    const int cellsLeft = FLayout.NameWidth + LabelWidth;
    for (int row = 0; row < CountRows; ++row) {
        const int top = row * RowHeight;
        AddItem(band, FLayout.NameWidth, top, LabelWidth, RowHeight, taCenter, labels[row]);
        for (int k = 0; k < FLayout.PrintedColumns; ++k)
            items.Cells[row] << AddItem(band, cellsLeft + k * FLayout.CellWidth, top,
                                        FLayout.CellWidth, RowHeight, taRightJustify);
        items.Sums[row] = AddItem(band, cellsLeft + FLayout.PrintedColumns * FLayout.CellWidth, top,
                                  SumWidth, RowHeight, taRightJustify);
    }
    return items;
}

void TRep_LogTotal::ShowCounts(const TCountItems& items, const TLogCounts& counts) const {
    const QList<int>* cells[CountRows] = {&counts.InCount, &counts.OutCount, &counts.ErrorCount,
                                          &counts.TotalCount};
    const int sums[CountRows] = {counts.InSum, counts.OutSum, counts.ErrorSum, counts.TotalSum};
    for (int row = 0; row < CountRows; ++row) {
        const QStringList texts = CellTexts(*cells[row], ShownColumns());
        for (int k = 0; k < items.Cells[row].size(); ++k)
            items.Cells[row][k]->Text = texts.value(k);
        items.Sums[row]->Text = QString::number(sums[row]);
    }
}

void TRep_LogTotal::Execute(const TLogReportRequest& request, const TEntrance& units,
                            TUsers& users) {
    Request = request;
    Units = &units;
    Users = &users;
    RunPreview();
}

TDataSet* TRep_LogTotal::MainDataSet() {
    return sqlEntrance.get();
}

// The unit condition: a room admits only its units (none when it has none left), one unit
// its ID, read as a number so that no other text reaches the statement.
QString TRep_LogTotal::UnitCondition() {
    switch (Request.FilterMode) {
    case 2:
        return TEntrance::GroupIDCondition(Request.FilterCode.trimmed().toInt());
    case 1:
        return "AND (認証機ID=" + QString::number(Request.FilterCode.trimmed().toInt()) + ")";
    default:
        return {};
    }
}

bool TRep_LogTotal::OpenData() {
    RoomName = Request.FilterMode == 2
                   ? ReadNameOf(RoomNameText(Request.FilterCode.trimmed().toInt()))
                   : QString();
    const qint64 lo = DayNumber(Request.Period.Start());
    const qint64 hi = DayNumber(LastDayOfPeriod()) + 1;
    sqlEntrance->Close();
    sqlEntrance->SQL().Assign(QStringList{
        "SELECT 個人コード,認証機ID,操作種別,操作日時,エラー種別",
        "FROM " + LoadStr(65152) + TEntrance::YearMonthSuffix(Request.Period.Start()),
        "WHERE " + EntryExitCondition() + " ",
        UnitCondition(),
        "AND (CDbl(操作日時) >= " + QString::number(lo) + ")",
        "AND (CDbl(操作日時) < " + QString::number(hi) + ")",
        "ORDER BY 認証機ID,操作日時",
    });
    sqlEntrance->Open();
    return !sqlEntrance->IsEmpty();
}

void TRep_LogTotal::CloseData() {
    sqlEntrance->Close();
}

void TRep_LogTotal::ResetState() {
    SumPrinted = false;
    ClearCounts(GrandCounts);
}

// The grand totals still want their cell; for one unit they print nothing, so they take no
// page of their own.
bool TRep_LogTotal::HasPendingRows() const {
    return !SumPrinted && Request.FilterMode != 1;
}

QString TRep_LogTotal::NoDataText() const {
    return NoRecordsMessage;
}

QString TRep_LogTotal::WaitText() const {
    return LoadStr(65148);
}

void TRep_LogTotal::HeaderBeforePrint() {
    StartWaitProgress(BandsPerPage);
    FRoomName->Text = Request.FilterMode == 2 ? "部屋名 : " + RoomName : QString();
    FPageDate->Text = "【" + PeriodText() + "】";
}

void TRep_LogTotal::GroupHeaderBeforePrint() {
    for (int k = 0; k < FHeads.size(); ++k)
        FHeads[k]->Text = HeadText(k);
}

void TRep_LogTotal::DetailPrintPanel() {
    if (!sqlEntrance->Eof()) {
        LRGridPanel1->SubPanel = LRSub;
    } else if (!SumPrinted) {
        LRGridPanel1->SubPanel = LRSubSUM;
        SumPrinted = true;
    } else {
        LRGridPanel1->SubPanel = nullptr;
    }
    StepWaitProgress();
}

// Consumes the unit's records.
void TRep_LogTotal::UnitBeforePrint() {
    TQuery& records = *sqlEntrance;
    const int id = records.FieldByName("認証機ID")->AsInteger();
    ClearCounts(UnitCounts);
    FEntCode->Text = QString::number(id);
    FEntName->Text = Units->NameOfID(id);
    for (; !records.Eof() && records.FieldByName("認証機ID")->AsInteger() == id; records.Next())
        CountRecord(UnitCounts, ColumnOf(records.FieldByName("操作日時")->AsDateTime()),
                    records.FieldByName("操作種別")->AsInteger(),
                    records.FieldByName("エラー種別")->AsInteger());
    AddToTotals(UnitCounts, GrandCounts);
    ShowCounts(FUnitItems, UnitCounts);
}

void TRep_LogTotal::SumBeforePrint(TPrintStatus& Status) {
    if (Request.FilterMode == 1) {
        Status = lrsSkip;
        return;
    }
    ShowCounts(FSumItems, GrandCounts);
}

} // namespace entrance
