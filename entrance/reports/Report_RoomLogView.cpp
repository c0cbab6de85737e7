#include "Report_RoomLogView.h"

#include "base/Convert.h"
#include "dbengine/Query.h"
#include "entrance/RecordRules.h"
#include "entrance/ResourceStrings.h"
#include "entrance/Unit_CommonDates.h"
#include "entrance/Unit_CommonWait.h"
#include "entrance/Unit_Entrance.h"
#include "entrance/Unit_Users.h"
#include "ui/ShowMessage.h"

QPointer<TRep_RoomLogView> Rep_RoomLogView;

namespace {

constexpr int RowsPerPage = 52;
constexpr int RowHeight = 16;
constexpr int HeaderHeight = 116;
// The columns: person code, name, entry unit, entry time, exit time, exit unit, stay.
constexpr int ColumnWidths[] = {90, 130, 110, 90, 90, 110, 102};
// The dashes of a side without a record.
const QString InDash = "―　　";
const QString OutDash = "　　―";

int ColumnLeft(int column) {
    int left = 0;
    for (int i = 0; i < column; ++i)
        left += ColumnWidths[i];
    return left;
}

} // namespace

TRep_RoomLogView::TRep_RoomLogView(QWidget* owner)
    : TRep_Form(owner), Queries(std::make_unique<TRoomLogQueries>()) {
    CreateHeader();
    CreateLines();
}

void TRep_RoomLogView::CreateHeader() {
    CreatePageBands(Title);
    LRLayoutPanel1->SetHeight(HeaderHeight);
    const int width = ItmPage->Left() + ItmPage->Width();
    FPrintDate = new TLRItem(LRLayoutPanel1);
    FPrintDate->SetBounds(0, 40, width, 16);
    FPrintDate->Alignment = taCenter;
    FRoomName = new TLRItem(LRLayoutPanel1);
    FRoomName->SetBounds(0, 76, 300, 18);
    FPageDate = new TLRItem(LRLayoutPanel1);
    FPageDate->SetBounds(0, 96, 300, 18);
    const TBeforePrintEvent frameHeader = LRLayoutPanel1->BeforePrint;
    LRLayoutPanel1->BeforePrint = [this, frameHeader](QObject* sender, TRect rect,
                                                      TPrintStatus& status) {
        frameHeader(sender, rect, status);
        HeaderBeforePrint();
    };
}

// The stay line holds the five columns from the entry unit on; the head line the person in
// the first two; the total line its caption and value in the last two.
void TRep_RoomLogView::CreateLines() {
    const char* const headings[] = {"個人コード", "氏名",       "入室認証機", "入室時間",
                                    "退室時間",   "退室認証機", "在室時間"};
    QList<TRepColumn> columns;
    for (int i = 0; i < 7; ++i)
        columns << TRepColumn{headings[i], ColumnWidths[i],
                              i == 2 ? taRightJustify : taLeftJustify};
    LRSub = new TLRSubPanel(this);
    const QList<TLRItem*> items = CreateColumns(columns, RowsPerPage, RowHeight, LRSub);
    delete items[0];
    delete items[1];
    FINEntrance = items[2];
    FINTime = items[3];
    FOUTTime = items[4];
    FOUTEntrance = items[5];
    FLivingTime = items[6];
    LRSub->SetGridPanel(LRGridPanel1);
    LRSub->BeforePrint = [this](QObject*, TRect, TPrintStatus&) { LRSubBeforePrint(); };

    LRSubHead = new TLRSubPanel(this);
    LRSubHead->SetGridPanel(LRGridPanel1);
    FUserCode = AddItem(LRSubHead, 0, 0, ColumnWidths[0], RowHeight, taLeftJustify);
    FUserName = AddItem(LRSubHead, ColumnLeft(1), 0, ColumnWidths[1], RowHeight, taLeftJustify);
    LRSubHead->BeforePrint = [this](QObject*, TRect, TPrintStatus&) { LRSubHeadBeforePrint(); };

    LRSubSUM = new TLRSubPanel(this);
    LRSubSUM->SetGridPanel(LRGridPanel1);
    AddItem(LRSubSUM, ColumnLeft(5), 0, ColumnWidths[5], RowHeight, taCenter, "在室時間計");
    FLivingTimeSUM = AddItem(LRSubSUM, ColumnLeft(6), 0, ColumnWidths[6], RowHeight, taLeftJustify);
    LRSubSUM->BeforePrint = [this](QObject*, TRect, TPrintStatus&) { LRSubSUMBeforePrint(); };

    LRGridPanel1->OnPrintPanel = [this](QObject*, int, int row, TRect, TPrintStatus&) {
        DetailPrintPanel(row);
    };
}

void TRep_RoomLogView::Execute(TEntrance& request, TUsers& users) {
    Params = &request;
    Users = &users;
    if (!WithinTwoMonths(request.StartDate(), request.EndDate)) {
        ShowMessage(PeriodTooLongMessage);
        close();
        return;
    }
    RunPreview();
}

TDataSet* TRep_RoomLogView::MainDataSet() {
    return Queries->Master;
}

bool TRep_RoomLogView::OpenData() {
    RoomName = ReadNameOf(RoomNameText(StrToInt(Params->FilterCode)));
    return Queries->Execute(*Params);
}

void TRep_RoomLogView::CloseData() {
    Queries->Master->Close();
    Queries->sqlSubGroup->Close();
}

QString TRep_RoomLogView::WaitText() const {
    return LoadStr(65148);
}

// Every rendering starts from the first day, so the print run gives the preview's pages.
void TRep_RoomLogView::ResetState() {
    Cells.clear();
    NextCell = 0;
    if (Queries->Restart())
        StartDay();
}

// The day's stays, completed from the same persons' records of the calendar days around it.
void TRep_RoomLogView::StartDay() {
    CurrentDay = Queries->CurrentDay();
    const QList<TStayPerson> persons =
        RoomStaysOfDay(Queries->DayRecords(), Queries->RecordsOfDay(*Params, CurrentDay - 1),
                       Queries->RecordsOfDay(*Params, CurrentDay + 1));
    Cells.clear();
    for (const TStayPerson& person : persons) {
        Cells << TStayCell{TCellKind::Head, person.PersonCode};
        for (const TStayLine& line : person.Lines)
            Cells << TStayCell{TCellKind::Record, person.PersonCode, line};
        Cells << TStayCell{TCellKind::Sum, person.PersonCode, {}, person.TotalSeconds};
    }
    NextCell = 0;
}

void TRep_RoomLogView::HeaderBeforePrint() {
    FPrintDate->Text = PeriodText(Params->StartDate(), Params->EndDate);
    FRoomName->Text = "部屋名 : " + RoomName;
    FPageDate->Text = "【" + DateToJpWeekStr(CurrentDay) + "】";
}

// The cell's line; after the page's last cell of a finished day the next day begins.
void TRep_RoomLogView::DetailPrintPanel(int row) {
    Cell = NextCell < Cells.size() ? Cells[NextCell++] : TStayCell{};
    switch (Cell.Kind) {
    case TCellKind::Head:
        LRGridPanel1->SubPanel = LRSubHead;
        break;
    case TCellKind::Record:
        LRGridPanel1->SubPanel = LRSub;
        break;
    case TCellKind::Sum:
        LRGridPanel1->SubPanel = LRSubSUM;
        break;
    case TCellKind::Blank:
        LRGridPanel1->SubPanel = nullptr;
        break;
    }
    if (row == RowsPerPage - 1 && NextCell == Cells.size() && Queries->NextDay())
        StartDay();
    StepWaitProgress();
}

void TRep_RoomLogView::LRSubHeadBeforePrint() {
    FUserCode->Text = Cell.PersonCode;
    FUserName->Text = NameOrDash(Users->NameOfCode(Cell.PersonCode));
}

QString TRep_RoomLogView::UnitText(int unit, const QString& dash) const {
    return unit == 0 ? dash : Params->NameOfID(unit);
}

void TRep_RoomLogView::LRSubBeforePrint() {
    const TStayLine& line = Cell.Line;
    FINEntrance->Text = UnitText(line.InUnit, InDash);
    FINTime->Text = line.InUnit == 0 ? OutDash
                    : line.InMarked  ? FormatTimeMarked(line.InTime)
                                     : TimeToHMSStr(line.InTime);
    FOUTTime->Text = line.OutUnit == 0 ? OutDash
                     : line.OutMarked  ? FormatTimeMarked(line.OutTime)
                                       : TimeToHMSStr(line.OutTime);
    FOUTEntrance->Text = UnitText(line.OutUnit, OutDash);
    FLivingTime->Text = line.InUnit == 0 || line.OutUnit == 0 ? OutDash
                        : line.Marked()                       ? FormatStayMarked(line.StaySeconds)
                                                              : FormatStayLine(line.StaySeconds);
}

void TRep_RoomLogView::LRSubSUMBeforePrint() {
    FLivingTimeSUM->Text = FormatStayTime(Cell.TotalSeconds);
}
