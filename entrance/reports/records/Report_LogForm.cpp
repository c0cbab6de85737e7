#include "Report_LogForm.h"

#include "dbengine/Query.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_CommonDates.h"
#include "entrance/common/Unit_CommonWait.h"
#include "ui/ShowMessage.h"

namespace entrance {

namespace {

constexpr int HeaderHeight = 116;

} // namespace

TRep_LogForm::TRep_LogForm(const QString& title, int marginLeft, QWidget* owner)
    : TRep_Form(owner) {
    LightRep1->SetMarginLeft(marginLeft);
    CreateHeader(title);
}

void TRep_LogForm::CreateHeader(const QString& title) {
    CreatePageBands(title);
    LRLayoutPanel1->SetHeight(HeaderHeight);
    const int width = ItmPage->Left() + ItmPage->Width();
    FPrintDate = new TLRItem(LRLayoutPanel1);
    FPrintDate->SetBounds(0, 40, width, 16);
    FPrintDate->Alignment = taCenter;
    FGroupName = new TLRItem(LRLayoutPanel1);
    FGroupName->SetBounds(0, 76, 300, 18);
    FPageDate = new TLRItem(LRLayoutPanel1);
    FPageDate->SetBounds(0, 96, 300, 18);
    const TBeforePrintEvent frameHeader = LRLayoutPanel1->BeforePrint;
    LRLayoutPanel1->BeforePrint = [this, frameHeader](QObject* sender, TRect rect,
                                                      TPrintStatus& status) {
        frameHeader(sender, rect, status);
        HeaderBeforePrint();
    };
}

QList<TLRItem*> TRep_LogForm::CreateCells(const QList<TRepColumn>& columns, int rowsPerPage,
                                          int rowHeight) {
    LRSub = NewSubPanel();
    const QList<TLRItem*> items = CreateColumns(columns, rowsPerPage, rowHeight, LRSub);
    delete items[0];
    delete items[1];
    LRSub->SetGridPanel(LRGridPanel1);
    LRSub->BeforePrint = [this](QObject*, TRect, TPrintStatus& Status) { LineBeforePrint(Status); };
    LRSubHead = NewSubPanel();
    LRSubHead->SetGridPanel(LRGridPanel1);
    LRSubHead->BeforePrint = [this](QObject*, TRect, TPrintStatus&) { HeadBeforePrint(); };
    LRSubSUM = NewSubPanel();
    LRSubSUM->SetGridPanel(LRGridPanel1);
    LRSubSUM->BeforePrint = [this](QObject*, TRect, TPrintStatus&) { SumBeforePrint(); };
    LRGridPanel1->OnPrintPanel = [this](QObject*, int, int row, TRect, TPrintStatus&) {
        DetailPrintPanel(row);
    };
    return items.mid(2);
}

void TRep_LogForm::Execute(const TLogReportRequest& request, const TEntrance& units,
                           TUsers& users) {
    Request = request;
    Units = &units;
    Users = &users;
    if (!WithinTwoMonths(request.Period.Start(), request.Period.End())) {
        ShowMessage(PeriodTooLongMessage);
        close();
        return;
    }
    LightRep1->Title = RunTitle();
    ItmTitle->Text = LightRep1->Title;
    RunPreview();
}

TDataSet* TRep_LogForm::MainDataSet() {
    return LogQueries().Master;
}

void TRep_LogForm::CloseData() {
    LogQueries().Master->Close();
    LogQueries().sqlSubGroup->Close();
}

QString TRep_LogForm::WaitText() const {
    return LoadStr(65148);
}

void TRep_LogForm::ResetState() {
    if (LogQueries().Restart())
        StartDay();
}

void TRep_LogForm::StartDay() {
    CurrentDay = LogQueries().CurrentDay();
    BeginDay();
}

// Each page starts the wait window's progress over its cells.
void TRep_LogForm::HeaderBeforePrint() {
    StartWaitProgress(LRGridPanel1->RowCount());
    FPrintDate->Text = PeriodText(Request.Period.Start(), Request.Period.End());
    FGroupName->Text = GroupLine;
    FPageDate->Text = "【" + DateToJpWeekStr(CurrentDay) + "】";
}

// The cell's line; after the page's last cell of a finished day the next day begins.
void TRep_LogForm::DetailPrintPanel(int row) {
    switch (NextCell(row)) {
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
    if (DayEnded(row) && LogQueries().NextDay())
        StartDay();
    StepWaitProgress();
}

} // namespace entrance
