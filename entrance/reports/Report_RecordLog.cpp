#include "Report_RecordLog.h"

#include "base/Convert.h"
#include "dbengine/Query.h"
#include "entrance/ResourceStrings.h"
#include "entrance/Unit_CommonDates.h"
#include "entrance/Unit_CommonText.h"
#include "entrance/Unit_CommonWait.h"
#include "entrance/Unit_Entrance.h"
#include "ui/ShowMessage.h"

namespace {

constexpr int RowsPerPage = 50;
constexpr int RowHeight = 17;
constexpr int HeaderHeight = 116;
constexpr int ColumnWidth = 97;
constexpr int LastColumnWidth = 223;
// The sum line: five pairs of caption and value.
constexpr int SumLeft = 64;
constexpr int SumWidth = 65;

} // namespace

TRep_RecordLog::TRep_RecordLog(const TLayout& layout, QWidget* owner)
    : TRep_Form(owner), FLayout(layout), Queries(std::make_unique<TLogReportQueries>(layout.Kind)) {
    CreateHeader();
    CreateLines();
}

void TRep_RecordLog::CreateHeader() {
    CreatePageBands(FLayout.Title);
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

// The record line holds the time, the operation and the other side; the head line the key
// and its name over the first two columns; every line lies in the one column of the grid.
void TRep_RecordLog::CreateLines() {
    QList<TRepColumn> columns;
    for (int i = 0; i < FLayout.Headings.size(); ++i)
        columns << TRepColumn{FLayout.Headings[i], i == 5 ? LastColumnWidth : ColumnWidth,
                              i == 3 ? taCenter : taLeftJustify};
    LRSub = new TLRSubPanel(this);
    const QList<TLRItem*> items = CreateColumns(columns, RowsPerPage, RowHeight, LRSub);
    delete items[0];
    delete items[1];
    FOpeTime = items[2];
    FOpeType = items[3];
    FOther = {items[4], items[5]};
    LRSub->SetGridPanel(LRGridPanel1);
    LRSub->BeforePrint = [this](QObject*, TRect, TPrintStatus& Status) {
        RecordBeforePrint(Status);
    };

    LRSubHead = new TLRSubPanel(this);
    LRSubHead->SetGridPanel(LRGridPanel1);
    FKey = AddItem(LRSubHead, 0, 0, ColumnWidth, RowHeight, taLeftJustify);
    FKeyName = AddItem(LRSubHead, ColumnWidth, 0, 2 * ColumnWidth, RowHeight, taLeftJustify);
    LRSubHead->BeforePrint = [this](QObject*, TRect, TPrintStatus&) { HeadBeforePrint(); };

    LRSubSUM = new TLRSubPanel(this);
    LRSubSUM->SetGridPanel(LRGridPanel1);
    const char* const captions[] = {"認証数", "認証率", "エラー数", "入室数", "退室数"};
    for (int i = 0; i < 5; ++i) {
        const int left = SumLeft + 2 * SumWidth * i;
        AddItem(LRSubSUM, left, 0, SumWidth, RowHeight, taCenter, captions[i]);
        FSums[i] = AddItem(LRSubSUM, left + SumWidth, 0, SumWidth, RowHeight, taRightJustify);
    }
    LRSubSUM->BeforePrint = [this](QObject*, TRect, TPrintStatus&) { SumBeforePrint(); };

    LRGridPanel1->OnPrintPanel = [this](QObject*, int, int row, TRect, TPrintStatus&) {
        DetailPrintPanel(row);
    };
}

void TRep_RecordLog::Execute(TEntrance& request, TUsers& users) {
    Params = &request;
    Users = &users;
    if (!WithinTwoMonths(request.StartDate(), request.EndDate)) {
        ShowMessage(PeriodTooLongMessage);
        close();
        return;
    }
    FTitle = request.FromNowView != 0 ? FLayout.NowTitle : FLayout.Title;
    LightRep1->Title = FTitle;
    ItmTitle->Text = FTitle;
    RunPreview();
}

TDataSet* TRep_RecordLog::MainDataSet() {
    return Queries->Master;
}

bool TRep_RecordLog::OpenData() {
    GroupName = Params->FilterMode == 2 && Params->FromNowView == 0
                    ? ReadNameOf(GroupNameText(StrToInt(Params->FilterCode)))
                    : QString();
    return Queries->Execute(*Params);
}

void TRep_RecordLog::CloseData() {
    Queries->Master->Close();
    Queries->sqlSubGroup->Close();
}

QString TRep_RecordLog::WaitText() const {
    return LoadStr(65148);
}

// Every rendering starts from the first day, so the print run gives the preview's pages.
void TRep_RecordLog::ResetState() {
    Counts = {};
    if (Queries->Restart())
        StartDay();
}

void TRep_RecordLog::StartDay() {
    Sequencer.StartDay(CurrentKey().value_or(QString()));
    CurrentDay = Queries->CurrentDay();
}

std::optional<QString> TRep_RecordLog::CurrentKey() {
    TQuery& detail = *Queries->sqlSubGroup;
    if (!detail.Active() || detail.Eof())
        return std::nullopt;
    return detail.FieldByName(FLayout.KeyField)->AsString();
}

void TRep_RecordLog::HeaderBeforePrint() {
    FPrintDate->Text = PeriodText(Params->StartDate(), Params->EndDate);
    FGroupName->Text = Params->FilterMode == 2 ? FLayout.GroupLabel + GroupName : QString();
    FPageDate->Text = "【" + DateToJpWeekStr(CurrentDay) + "】";
}

// The cell's line; after the page's last cell of a finished day the next day begins.
void TRep_RecordLog::DetailPrintPanel(int row) {
    switch (Sequencer.Next(CurrentKey(), row)) {
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
    if (Sequencer.DayEnded() && Queries->NextDay())
        StartDay();
    StepWaitProgress();
}

void TRep_RecordLog::HeadBeforePrint() {
    const QString key = CurrentKey().value_or(QString());
    FKey->Text = key;
    FKeyName->Text = NameOfKey(key);
}

void TRep_RecordLog::RecordBeforePrint(TPrintStatus& Status) {
    TQuery& detail = *Queries->sqlSubGroup;
    if (!CurrentKey()) {
        Status = lrsSkip;
        return;
    }
    FOpeTime->Text = TimeToHMSStr(detail.FieldByName("操作日時")->AsDateTime());
    const TRecordClass record =
        ClassifyRecord(detail.FieldByName("操作種別")->AsInteger(),
                       detail.FieldByName("エラー種別")->AsInteger(), TResultRule::ZeroFails);
    FOpeType->Text = record.LineText;
    Counts.Add(record.Kind);
    const std::array<QString, 2> other = OtherSide(detail);
    FOther[0]->Text = other[0];
    FOther[1]->Text = other[1];
    detail.Next();
}

void TRep_RecordLog::SumBeforePrint() {
    FSums[0]->Text = QString::number(Counts.All());
    FSums[1]->Text = IntToStrPadSpace(Counts.Rate(), 3) + " %";
    FSums[2]->Text = QString::number(Counts.Error);
    FSums[3]->Text = QString::number(Counts.In);
    FSums[4]->Text = QString::number(Counts.Out);
    Counts = {};
}
