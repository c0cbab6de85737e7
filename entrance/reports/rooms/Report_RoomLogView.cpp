#include "Report_RoomLogView.h"

#include "base/Convert.h"
#include "entrance/common/Unit_CommonDates.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_Users.h"

namespace entrance {

namespace {

constexpr int RowsPerPage = 52;
constexpr int RowHeight = 16;
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
    : TRep_LogForm("部屋別 入退室記録", TLightRep::DefaultMargin, owner),
      Queries(std::make_unique<TRoomLogQueries>()) {
    CreateLines();
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
    const QList<TLRItem*> items = CreateCells(columns, RowsPerPage, RowHeight);
    FINEntrance = items[0];
    FINTime = items[1];
    FOUTTime = items[2];
    FOUTEntrance = items[3];
    FLivingTime = items[4];

    FUserCode = AddItem(LRSubHead, 0, 0, ColumnWidths[0], RowHeight, taLeftJustify);
    FUserName = AddItem(LRSubHead, ColumnLeft(1), 0, ColumnWidths[1], RowHeight, taLeftJustify);

    AddItem(LRSubSUM, ColumnLeft(5), 0, ColumnWidths[5], RowHeight, taCenter, "在室時間計");
    FLivingTimeSUM = AddItem(LRSubSUM, ColumnLeft(6), 0, ColumnWidths[6], RowHeight, taLeftJustify);
}

bool TRep_RoomLogView::OpenData() {
    GroupLine = "部屋名 : " + ReadNameOf(RoomNameText(StrToInt(Request.FilterCode)));
    return Queries->Execute(Request, *Units);
}

// The day's stays, completed from the same persons' records of the calendar days around it.
void TRep_RoomLogView::BeginDay() {
    const QList<TStayPerson> persons =
        RoomStaysOfDay(Queries->DayRecords(), Queries->RecordsOfDay(*Units, CurrentDay - 1),
                       Queries->RecordsOfDay(*Units, CurrentDay + 1));
    Cells.clear();
    for (const TStayPerson& person : persons) {
        Cells << TStayCell{TCellKind::Head, person.PersonCode};
        for (const TStayLine& line : person.Lines)
            Cells << TStayCell{TCellKind::Record, person.PersonCode, line};
        Cells << TStayCell{TCellKind::Sum, person.PersonCode, {}, person.TotalSeconds};
    }
    Next = 0;
}

TCellKind TRep_RoomLogView::NextCell(int) {
    Cell = Next < Cells.size() ? Cells[Next++] : TStayCell{};
    return Cell.Kind;
}

bool TRep_RoomLogView::DayEnded(int row) const {
    return row == RowsPerPage - 1 && Next == Cells.size();
}

void TRep_RoomLogView::HeadBeforePrint() {
    FUserCode->Text = Cell.PersonCode;
    FUserName->Text = NameOrDash(Users->NameOfCode(Cell.PersonCode));
}

QString TRep_RoomLogView::UnitText(int unit, const QString& dash) const {
    return unit == 0 ? dash : Units->NameOfID(unit);
}

void TRep_RoomLogView::LineBeforePrint(TPrintStatus&) {
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

void TRep_RoomLogView::SumBeforePrint() {
    FLivingTimeSUM->Text = FormatStayTime(Cell.TotalSeconds);
}

} // namespace entrance
