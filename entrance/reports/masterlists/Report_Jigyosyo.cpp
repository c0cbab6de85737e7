#include "Report_Jigyosyo.h"

namespace entrance {

namespace {
constexpr int LabelWidth = 150;
constexpr int ValueWidth = 480;
constexpr int LineHeight = 40;
constexpr int SheetLeft = (722 - LabelWidth - ValueWidth) / 2;
constexpr int SheetTop = 90;
} // namespace

TRep_Jigyosyo::TRep_Jigyosyo(QWidget* owner) : TRep_Form(owner) {
    LightRep1->Title = "事　業　所　情　報";
    LightRep1->SetFont(ReportTextFont(12));
    LRLayoutPanel1 = new TLRLayoutPanel(LightRep1);
    LRLayoutPanel1->SetHeight(SheetTop + 9 * LineHeight);
    AddTitle(LRLayoutPanel1, 10, LightRep1->Title);

    // One line per label; the address takes two.
    int top = SheetTop;
    auto addLine = [&](const QString& label, int lines = 1) {
        AddItem(LRLayoutPanel1, SheetLeft, top, LabelWidth, LineHeight * lines, taCenter, label);
        QList<TLRItem*> values;
        for (int i = 0; i < lines; ++i) {
            TLRItem* value = AddItem(LRLayoutPanel1, SheetLeft + LabelWidth, top + i * LineHeight,
                                     ValueWidth, LineHeight, taLeftJustify);
            value->SetHMargin(8);
            values << value;
        }
        top += LineHeight * lines;
        return values;
    };
    ItmName = addLine("事業所名")[0];
    ItmKana = addLine("ﾌﾘｶﾞﾅ")[0];
    ItmRepName = addLine("代表者名")[0];
    ItmPostNo = addLine("郵便番号")[0];
    const QList<TLRItem*> address = addLine("住　　所", 2);
    ItmAddr1 = address[0];
    ItmAddr2 = address[1];
    ItmTelNo = addLine("電話番号")[0];
    ItmFaxNo = addLine("ＦＡＸ")[0];
    LRLayoutPanel1->BeforePrint = [this](QObject*, TRect, TPrintStatus& Status) {
        LRLayoutPanel1BeforePrint(Status);
    };

    sqlJigyosyo.SetDatabaseName(AccessDatabaseName);
    sqlJigyosyo.SQL().Assign(QStringList{"select * from M_事業所", "where 事業所コード=1"});
}

bool TRep_Jigyosyo::OpenData() {
    sqlJigyosyo.Open();
    return !sqlJigyosyo.IsEmpty();
}

void TRep_Jigyosyo::LRLayoutPanel1BeforePrint(TPrintStatus& Status) {
    if (sqlJigyosyo.Eof()) {
        Status = lrsSkip;
        return;
    }
    auto text = [this](const char* field) { return sqlJigyosyo.FieldByName(field)->AsString(); };
    ItmName->Text = text("事業所名");
    ItmKana->Text = text("事業所ﾌﾘｶﾞﾅ");
    ItmRepName->Text = text("代表者名");
    ItmPostNo->Text = text("郵便番号");
    ItmAddr1->Text = text("住所①");
    ItmAddr2->Text = text("住所②");
    ItmTelNo->Text = text("電話");
    ItmFaxNo->Text = text("FAX");
    sqlJigyosyo.Next();
}

} // namespace entrance
