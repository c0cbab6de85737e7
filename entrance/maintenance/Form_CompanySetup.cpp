#include "Form_CompanySetup.h"

#include "base/DateTime.h"
#include "components/dbctrls/DBEdit.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/common/Unit_CommonDatabase.h"
#include "entrance/common/Unit_CommonText.h"
#include "entrance/data/DataModule1.h"
#include "entrance/reports/masterlists/Report_Jigyosyo.h"
#include "ui/ImeMode.h"
#include "ui/ShowMessage.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace entrance {

TfrmCompanySetup::TfrmCompanySetup(QWidget* owner) : TForm(owner) {
    setWindowTitle("事業所の登録");
    CreateControls();
    const int code = CurrentOfficeCode();
    sqlCompany.Close();
    DS1.SetEnabled(false);
    sqlCompany.SetDatabaseName("RORazu");
    sqlCompany.RequestLive = true;
    sqlCompany.SQL().Assign(QStringList{"SELECT * FROM M_事業所", "WHERE 事業所コード=:code"});
    sqlCompany.ParamByName("code").SetAsInteger(code);
    sqlCompany.Open();
    if (sqlCompany.IsEmpty()) {
        int year, month, day;
        DecodeDate(Date(), year, month, day);
        sqlCompany.Append();
        sqlCompany.FieldByName("事業所コード")->SetAsInteger(code);
        sqlCompany.FieldByName("処理年度")->SetAsInteger(year);
        sqlCompany.FieldByName("処理月")->SetAsInteger(month);
        sqlCompany.FieldByName("勤怠締月")->SetAsInteger(month);
        sqlCompany.FieldByName("勤怠締日")->SetAsInteger(31);
        sqlCompany.Post();
    }
    FAsRead = TReadRows(sqlCompany, ShownColumns());
    sqlCompany.Edit();
    DS1.SetEnabled(true);
    for (TDBEdit* edit : ShownEdits())
        FEdited.Watch({edit});
}

QList<TDBEdit*> TfrmCompanySetup::ShownEdits() const {
    return {DBEdit1, DBEdit2, DBEdit3, DBEdit5, DBEdit6, DBEdit7, DBEdit8, DBEdit9};
}

QStringList TfrmCompanySetup::ShownColumns() const {
    QStringList columns;
    for (const TDBEdit* edit : ShownEdits())
        columns << edit->DataField();
    return columns;
}

void TfrmCompanySetup::OpenOffice() {
    sqlCompany.Close();
    sqlCompany.Open();
    FAsRead = TReadRows(sqlCompany, ShownColumns());
    sqlCompany.Edit();
}

void TfrmCompanySetup::ShowStoredKeepingTyping() {
    FEdited.RefillKeeping([this] { OpenOffice(); });
    for (TDBEdit* edit : ShownEdits())
        if (FEdited.Has(edit))
            edit->Field()->SetText(edit->text());
}

TfrmCompanySetup::~TfrmCompanySetup() = default;

void TfrmCompanySetup::CreateControls() {
    DS1.SetDataSet(&sqlCompany);
    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout;
    auto field = [&](const char* label, const char* column, int bytes, TImeMode ime) {
        auto* edit = new TDBEdit(this);
        edit->SetDataSource(&DS1);
        edit->SetDataField(column);
        edit->SetMaxLength(bytes);
        SetImeMode(edit, ime);
        if (*label)
            fields->addRow(label, edit);
        return edit;
    };
    DBEdit1 = field("事業所名称", "事業所名", 38, imHira);
    DBEdit2 = field("ﾌﾘｶﾞﾅ", "事業所ﾌﾘｶﾞﾅ", 38, imSKata);
    DBEdit3 = field("郵便番号", "郵便番号", 9, imClose);
    DBEdit5 = field("住所", "住所①", 38, imHira);
    DBEdit6 = field("", "住所②", 38, imHira);
    fields->addRow("", DBEdit6);
    DBEdit7 = field("電話", "電話", 15, imClose);
    DBEdit8 = field("FAX", "FAX", 15, imClose);
    DBEdit9 = field("代表者名", "代表者名", 18, imHira);
    DBEdit4 = field("", "事業所コード", 4, imClose);
    DBEdit4->setVisible(false);
    layout->addLayout(fields);
    auto* buttons = new QHBoxLayout;
    btnOK = new QPushButton("登　録", this);
    btnPrint = new QPushButton("印　刷", this);
    btnClose = new QPushButton("閉じる", this);
    buttons->addStretch();
    for (QPushButton* button : {btnOK, btnPrint, btnClose})
        buttons->addWidget(button);
    layout->addLayout(buttons);
    EscapeButton = btnClose;
    connect(btnOK, &QPushButton::clicked, this, &TfrmCompanySetup::btnOKClick);
    connect(btnPrint, &QPushButton::clicked, this, &TfrmCompanySetup::btnPrintClick);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
}

void TfrmCompanySetup::FormShow() {
    CenterInMainArea();
    DBEdit1->setFocus();
}

bool TfrmCompanySetup::SaveOffice() {
    try {
        InAccessTransaction([&] {
            TQuery stored;
            stored.SetDatabaseName("RORazu");
            stored.SQL().Assign(sqlCompany.SQL());
            stored.ParamByName("code").SetAsInteger(CurrentOfficeCode());
            stored.Open();
            FAsRead.Check(stored);
            sqlCompany.Post();
        });
    } catch (const ERecordChanged& e) {
        // The row stays in edit with what was typed; the other fields show it as stored now.
        MessageBox(e.Message());
        if (e.Change() == TRowChange::Changed)
            ShowStoredKeepingTyping();
        return false;
    }
    FAsRead = TReadRows::CurrentOf(sqlCompany, ShownColumns());
    FEdited.Clear();
    if (!WriteAppRegistry("CompanyName", sqlCompany.FieldByName("事業所名")->AsString()))
        ShowMessage("事業所名をレジストリに保存できませんでした。");
    LoadProcessingPeriod();
    return true;
}

void TfrmCompanySetup::btnOKClick() {
    if (!SaveOffice())
        return;
    sqlCompany.Close();
    close();
}

void TfrmCompanySetup::btnPrintClick() {
    if (!SaveOffice())
        return;
    try {
        OpenReport(EntranceSession().Rep_Jigyosyo);
    } catch (...) {
        sqlCompany.Edit();
        throw;
    }
    sqlCompany.Edit();
}

// Closing without saving drops what was typed.
void TfrmCompanySetup::FormClose(TCloseAction& action) {
    sqlCompany.Close();
    LoadProcessingPeriod();
    action = caFree;
}

} // namespace entrance
