#include "Report_UserView.h"

#include "entrance/common/Unit_CommonDates.h"
#include "entrance/reports/persons/PersonReportTexts.h"

namespace entrance {

namespace {

constexpr int RowsPerPage = 20;
constexpr int LineHeight = 15;
constexpr int RowHeight = 3 * LineHeight;
constexpr int CodeWidth = 70;

// One cell of the three-line row: its heading, line, place and width.
struct TCell {
    const char* Caption;
    int Line;
    int Left;
    int Width;
    TAlignment Alignment;
};

} // namespace

TRep_UserView::TRep_UserView(QWidget* owner)
    : TRep_UserReport("利用者 基本情報一覧", poPortrait, owner) {
    LightRep1->SetFont(ReportTextFont(8));
    LRLayoutPanel2 = new TLRLayoutPanel(LightRep1);
    LRLayoutPanel2->SetHeight(RowHeight);
    LRGridPanel1 = new TLRGridPanel(LightRep1);
    LRGridPanel1->SetHeight(RowsPerPage * RowHeight);
    LRGridPanel1->SetRowCount(RowsPerPage);
    CreateFooter();

    const int c = CodeWidth;
    const TCell cells[] = {
        {"部門名", 0, c, 150, taLeftJustify},        {"ﾌﾘｶﾞﾅ", 1, c, 150, taLeftJustify},
        {"郵便番号", 1, c + 150, 80, taLeftJustify}, {"有効期限", 1, c + 230, 80, taLeftJustify},
        {"性別", 1, c + 310, 40, taCenter},          {"血液型", 1, c + 350, 50, taCenter},
        {"生年月日", 1, c + 400, 112, taCenter},     {"年齢", 1, c + 512, 40, taCenter},
        {"画像登録", 1, c + 552, 82, taCenter},      {"氏名", 2, c, 150, taLeftJustify},
        {"住所", 2, c + 150, 362, taLeftJustify},    {"電話番号", 2, c + 512, 122, taLeftJustify},
    };
    TLRItem** items[] = {&ItmBumon,    &ItmKana, &ItmPostNo, &ItmEndDate, &ItmSex,  &ItmKetuEki,
                         &ItmBirthDay, &ItmOld,  &ItmImage,  &ItmName,    &ItmAddr, &ItmTel};
    AddItem(LRLayoutPanel2, 0, 0, c, RowHeight, taCenter, "個人ｺｰﾄﾞ");
    ItmCode = AddItem(LRGridPanel1, 0, 0, c, RowHeight, taLeftJustify);
    for (int i = 0; i < int(std::size(cells)); ++i) {
        const TCell& cell = cells[i];
        const int top = cell.Line * LineHeight;
        AddItem(LRLayoutPanel2, cell.Left, top, cell.Width, LineHeight, cell.Alignment,
                cell.Caption);
        *items[i] = AddItem(LRGridPanel1, cell.Left, top, cell.Width, LineHeight, cell.Alignment);
    }
    FillRowsWith(RowsPerPage, [this] { DetailPrintPanel(); });
}

void TRep_UserView::DetailPrintPanel() {
    ItmCode->Text = Text("個人コード");
    ItmBumon->Text = Text("部門名");
    ItmKana->Text = Text("ﾌﾘｶﾞﾅ");
    ItmName->Text = Text("氏名");
    ItmPostNo->Text = "〒" + Text("郵便番号");
    ItmAddr->Text = Text("住所①") + Text("住所②");
    ItmTel->Text = "Tel " + Text("電話");
    ItmEndDate->Text = EndDateText(Date("有効終了日"));
    const TField* sex = sqlUser.FieldByName("性別");
    ItmSex->Text = SexWord(sex->IsNull(), sex->AsInteger());
    ItmKetuEki->Text = Text("血液型");
    ItmOld->Text = AgeText(Date("生年月日"));
    ItmBirthDay->Text = DateToEraStr(Date("生年月日"));
    ItmImage->Text =
        sqlUser.FieldByName("認証画像")->BlobSize() > 0 ? "画像登録済み" : "画像未登録";
}

} // namespace entrance
