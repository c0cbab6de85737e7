#include "Report_RecordLog.h"

#include "base/Convert.h"
#include "dbengine/Query.h"
#include "entrance/common/Unit_CommonDates.h"
#include "entrance/common/Unit_CommonText.h"
#include "entrance/data/Unit_Entrance.h"

namespace entrance {

namespace {

constexpr int RowsPerPage = 50;
constexpr int RowHeight = 17;
// Six columns, their frames sharing their lines.
constexpr int ColumnWidth = 96;
constexpr int LastColumnWidth = 223;
constexpr int GridRight = 5 * ColumnWidth + LastColumnWidth;
// The sum line: five pairs of caption and value, ending at the grid's right edge.
constexpr int SumWidth = 64;
constexpr int SumLeft = GridRight - 10 * SumWidth;

} // namespace

TRep_RecordLog::TRep_RecordLog(const TLayout& layout, QWidget* owner)
    : TRep_LogForm(layout.Title, WideMarginLeft, owner), FLayout(layout),
      Queries(std::make_unique<TLogReportQueries>(layout.Kind)) {
    CreateLines();
}

// The record line holds the time, the operation and the other side; the head line the key
// and its name over the first two columns; every line lies in the one column of the grid.
void TRep_RecordLog::CreateLines() {
    QList<TRepColumn> columns;
    for (int i = 0; i < FLayout.Headings.size(); ++i)
        columns << TRepColumn{FLayout.Headings[i], i == 5 ? LastColumnWidth : ColumnWidth,
                              i == 3 ? taCenter : taLeftJustify};
    const QList<TLRItem*> items = CreateCells(columns, RowsPerPage, RowHeight);
    FOpeTime = items[0];
    FOpeType = items[1];
    FOther = {items[2], items[3]};

    FKey = AddItem(LRSubHead, 0, 0, ColumnWidth, RowHeight, taLeftJustify);
    FKeyName = AddItem(LRSubHead, ColumnWidth, 0, 2 * ColumnWidth, RowHeight, taLeftJustify);

    const char* const captions[] = {"認証数", "認証率", "エラー数", "入室数", "退室数"};
    for (int i = 0; i < 5; ++i) {
        const int left = SumLeft + 2 * SumWidth * i;
        AddItem(LRSubSUM, left, 0, SumWidth, RowHeight, taCenter, captions[i]);
        FSums[i] = AddItem(LRSubSUM, left + SumWidth, 0, SumWidth, RowHeight, taRightJustify);
    }
}

QString TRep_RecordLog::RunTitle() const {
    return Request.FromNowView ? FLayout.NowTitle : FLayout.Title;
}

bool TRep_RecordLog::OpenData() {
    GroupLine.clear();
    if (Request.FilterMode == 2)
        GroupLine = FLayout.GroupLabel +
                    (Request.FromNowView ? QString()
                                         : ReadNameOf(GroupNameText(StrToInt(Request.FilterCode))));
    return Queries->Execute(Request, *Units);
}

void TRep_RecordLog::ResetState() {
    Counts = {};
    TRep_LogForm::ResetState();
}

void TRep_RecordLog::BeginDay() {
    Sequencer.StartDay(CurrentKey().value_or(QString()));
}

std::optional<QString> TRep_RecordLog::CurrentKey() {
    TQuery& detail = *Queries->sqlSubGroup;
    if (!detail.Active() || detail.Eof())
        return std::nullopt;
    return detail.FieldByName(FLayout.KeyField)->AsString();
}

TCellKind TRep_RecordLog::NextCell(int row) {
    return Sequencer.Next(CurrentKey(), row);
}

void TRep_RecordLog::HeadBeforePrint() {
    const QString key = CurrentKey().value_or(QString());
    FKey->Text = key;
    FKeyName->Text = NameOfKey(key);
}

void TRep_RecordLog::LineBeforePrint(TPrintStatus& Status) {
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

} // namespace entrance
