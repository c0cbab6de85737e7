#include "Report_UserSingleInfo.h"

#include "entrance/common/Unit_CommonDates.h"
#include "entrance/common/Unit_CommonWait.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/reports/persons/PersonReportTexts.h"

namespace entrance {

namespace {

constexpr int LineSpacing = 24;
constexpr int CaptionLeft = 20;
constexpr int ValueLeft = 130;
constexpr int ValueWidth = 560;
// The unit panel: 3 cells to a line, each a mark and the unit's name.
constexpr int CellsPerLine = 3;
constexpr int CellWidth = 226;
constexpr int MarkWidth = 34;

TLRItem* NewText(TLRControl* parent, int left, int top, int width, const QString& text = {}) {
    auto* item = new TLRItem(parent);
    item->SetBounds(left, top, width, 20);
    item->Text = text;
    return item;
}

// A band headed by `heading` with a rule below it.
TLRLayoutPanel* NewBand(TLightRep* page, int height, int width, const QString& heading) {
    auto* band = new TLRLayoutPanel(page);
    band->SetHeight(height);
    NewText(band, 0, 0, width, heading)->LineBottom = lsSingle;
    return band;
}

// A caption and its value item on line `line` of a band.
TLRItem* AddLine(TLRLayoutPanel* band, int line, const QString& caption) {
    const int top = 30 + line * LineSpacing;
    NewText(band, CaptionLeft, top, ValueLeft - CaptionLeft, caption);
    return NewText(band, ValueLeft, top, ValueWidth);
}

// "2026年 03月 05日"; "-" for no date.
QString ValidEndText(TDateTime date) {
    if (date == 0)
        return "-";
    return QString::asprintf("%d年 %02d月 %02d日", YearOf(date), MonthOf(date), DayOf(date));
}

// The value, and after it its unit word; nothing without a value.
QString WithWord(const QString& value, const QString& word) {
    return value.isEmpty() ? QString() : value + " " + word;
}

} // namespace

TRep_UserSingleInfo::TRep_UserSingleInfo(QWidget* owner)
    : TRep_UserReport("利用者 基 本 台 帳", poPortrait, owner) {
    CreateKihonHead();
    CreateSyousaiHead();
    CreateEntranceHead();
    CreateFooter();
}

void TRep_UserSingleInfo::CreateKihonHead() {
    TLRLayoutPanel* band = NewBand(LightRep1, 160, PageInnerWidth(), "【基 本 情 報】");
    ItmCode = AddLine(band, 0, "個人コード");
    ItmName = AddLine(band, 1, "氏　　　名");
    ItmKana = AddLine(band, 2, "フ リ ガ ナ");
    FCategoryName = AddLine(band, 3, "部　　　門");
    FValidEnd = AddLine(band, 4, "有効終了日");
    band->BeforePrint = [this](QObject*, TRect, TPrintStatus&) { KihonHeadBeforePrint(); };
}

void TRep_UserSingleInfo::CreateSyousaiHead() {
    TLRLayoutPanel* band = NewBand(LightRep1, 290, PageInnerWidth(), "【詳 細 情 報】");
    ItmPostNo = AddLine(band, 0, "住　　　所");
    ItmAddr1 = AddLine(band, 1, "");
    ItmAddr2 = AddLine(band, 2, "");
    ItmTel = AddLine(band, 3, "電 話 番 号");
    FBirthDay = AddLine(band, 4, "生 年 月 日");
    FAge = AddLine(band, 5, "年　　　齢");
    FSex = AddLine(band, 6, "性　　　別");
    ItmBlood = AddLine(band, 7, "血　液　型");
    ItmKyuyoCode = AddLine(band, 8, "給与社員ｺｰﾄﾞ");
    FKinmuName = AddLine(band, 9, "勤務グループ");
    band->BeforePrint = [this](QObject*, TRect, TPrintStatus&) { SyousaiHeadBeforePrint(); };
}

void TRep_UserSingleInfo::CreateEntranceHead() {
    const int lines = (UnitCells + CellsPerLine - 1) / CellsPerLine;
    TLRLayoutPanel* band =
        NewBand(LightRep1, 30 + lines * LineSpacing, PageInnerWidth(), "【使 用 認 証 機 情 報】");
    for (int n = 0; n < UnitCells; ++n) {
        const int left = CaptionLeft + (n % CellsPerLine) * CellWidth;
        const int top = 30 + (n / CellsPerLine) * LineSpacing;
        MarkItems[n] = NewText(band, left, top, MarkWidth);
        UnitItems[n] = NewText(band, left + MarkWidth, top, CellWidth - MarkWidth);
    }
    band->BeforePrint = [this](QObject*, TRect, TPrintStatus&) { EntranceHeadBeforePrint(); };
    band->AfterPrint = [this](QObject*) { EntranceHeadAfterPrint(); };
}

// The unit names are the same on every page: written once.
bool TRep_UserSingleInfo::OpenData() {
    if (!TRep_UserReport::OpenData())
        return false;
    TEntrance units;
    UnitIDs = units.UnitIDs.mid(0, UnitCells);
    for (int n = 0; n < UnitCells; ++n)
        UnitItems[n]->Text =
            n < UnitIDs.size() ? QString("%1: ").arg(UnitIDs[n], 2) + units.NameAt(n) : QString();
    PersonUnits = UnitsOfPersons();
    return true;
}

QString TRep_UserSingleInfo::PrintDateText() const {
    return PlainSlashDate(::Date());
}

void TRep_UserSingleInfo::ResetState() {
    StartWaitProgress(sqlUser.RecordCount());
}

void TRep_UserSingleInfo::KihonHeadBeforePrint() {
    ItmCode->Text = Text("個人コード");
    ItmName->Text = Text("氏名");
    ItmKana->Text = Text("ﾌﾘｶﾞﾅ");
    const QString dept = Text("部門名");
    FCategoryName->Text = Text("部門コード") + "：" + (dept.isEmpty() ? "-" : dept);
    FValidEnd->Text = ValidEndText(Date("有効終了日"));
}

void TRep_UserSingleInfo::SyousaiHeadBeforePrint() {
    ItmPostNo->Text = "〒" + Text("郵便番号");
    ItmAddr1->Text = Text("住所①");
    ItmAddr2->Text = Text("住所②");
    ItmTel->Text = Text("電話");
    FBirthDay->Text = BirthDayText(Date("生年月日"));
    FAge->Text = WithWord(AgeText(Date("生年月日")), "歳");
    const TField* sex = sqlUser.FieldByName("性別");
    FSex->Text = SexWord(sex->IsNull(), sex->AsInteger());
    ItmBlood->Text = WithWord(Text("血液型"), "型");
    ItmKyuyoCode->Text = Text("給与コード");
    const QString group = Text("勤務グループコード");
    FKinmuName->Text =
        group.isEmpty() || group == "0" ? QString() : group + "：" + Text("勤務グループ名");
}

void TRep_UserSingleInfo::EntranceHeadBeforePrint() {
    const QList<int> used = PersonUnits.value(Text("個人コード"));
    for (int n = 0; n < UnitIDs.size(); ++n)
        MarkItems[n]->Text = used.contains(UnitIDs[n]) ? "[○]" : "[　]";
}

// The page of one person is done: the next page shows the next person.
void TRep_UserSingleInfo::EntranceHeadAfterPrint() {
    sqlUser.Next();
    StepWaitProgress();
}

} // namespace entrance
