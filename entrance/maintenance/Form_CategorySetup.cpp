#include "Form_CategorySetup.h"

#include "DepartmentRules.h"
#include "components/grids/MOStringGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/SetupGrids.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/common/Unit_CommonGrids.h"
#include "entrance/data/DataModule1.h"
#include "entrance/reports/masterlists/Report_Bumon.h"
#include "ui/ImeMode.h"
#include "ui/MaxBytes.h"
#include "ui/ShowMessage.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace entrance {

TfrmCategorySetup::TfrmCategorySetup(QWidget* owner) : TForm(owner) {
    setWindowTitle("部門の登録");
    CreateControls();
    sqlCategory.SetDatabaseName("RORazu");
    sqlUser.SetDatabaseName("RORazu");
    LoadGrid();
    SelectRow(1);
    ResetEntry();
}

TfrmCategorySetup::~TfrmCategorySetup() = default;

void TfrmCategorySetup::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    CategoryGrid = new TMOStringGrid(this);
    SetUpListGrid(CategoryGrid, {{"部門コード", 90, taCenter}, {"部　　門　　名", 280}});
    CategoryGrid->setMinimumSize(400, 300);
    layout->addWidget(CategoryGrid, 1);

    auto* fields = new QGridLayout;
    pnlCateCount = new QLabel("0", this);
    pnlCateCount->setFrameShape(QFrame::Panel);
    fields->addWidget(new QLabel("登録数", this), 0, 0);
    fields->addWidget(pnlCateCount, 0, 1);
    Ed_Code = new QLineEdit(this);
    Ed_Code->setMaxLength(2);
    // Typed or pasted, only digits reach the code.
    Ed_Code->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), Ed_Code));
    SetImeMode(Ed_Code, imClose);
    fields->addWidget(new QLabel("部門コード  1～99", this), 1, 0);
    fields->addWidget(Ed_Code, 1, 1);
    Ed_Name = new QLineEdit(this);
    SetMaxBytes(Ed_Name, 30);
    SetImeMode(Ed_Name, imHira);
    fields->addWidget(new QLabel("部門名", this), 2, 0);
    fields->addWidget(Ed_Name, 2, 1);
    layout->addLayout(fields);

    auto* buttons = new QHBoxLayout;
    btnOK = new QPushButton("登　録", this);
    btnCANCEL = new QPushButton("キャンセル", this);
    btnDELETE = new QPushButton("削　除", this);
    BitBtn3 = new QPushButton("印　刷", this);
    BitBtn2 = new QPushButton("新規追加", this);
    btnClose = new QPushButton("閉じる", this);
    for (QPushButton* button : {BitBtn2, btnOK, btnCANCEL, btnDELETE, BitBtn3})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);
    EscapeButton = btnClose;

    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCANCEL, &QPushButton::clicked, this, &TfrmCategorySetup::btnCANCELClick);
    connect(btnDELETE, &QPushButton::clicked, this, &TfrmCategorySetup::btnDELETEClick);
    connect(BitBtn2, &QPushButton::clicked, this, &TfrmCategorySetup::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TfrmCategorySetup::BitBtn3Click);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    for (QLineEdit* edit : {Ed_Code, Ed_Name})
        connect(edit, &QLineEdit::textEdited, this, [this] { Modified = true; });
    FEdited.Watch({Ed_Code, Ed_Name});
    CategoryGrid->OnClick = [this](QObject*) { CategoryGridClick(); };
}

void TfrmCategorySetup::FormShow() {
    CenterInMainArea();
    CategoryGrid->setFocus();
}

void TfrmCategorySetup::LoadGrid() {
    ClearGridRowsFrom(CategoryGrid, 1);
    sqlCategory.Close();
    sqlCategory.SQL().Assign(
        QStringList{"SELECT 部門コード,部門名 FROM M_部門", "ORDER BY 部門コード"});
    sqlCategory.Open();
    int row = 0;
    if (!sqlCategory.IsEmpty())
        CategoryGrid->SetRowCount(sqlCategory.RecordCount() + 1);
    FReadRows.clear();
    for (; !sqlCategory.Eof(); sqlCategory.Next()) {
        const int code = sqlCategory.FieldByName("部門コード")->AsInteger();
        FReadRows.insert(code, TReadRows::CurrentOf(sqlCategory, {"部門名"}));
        CategoryGrid->SetRows(
            ++row, {QString::number(code), sqlCategory.FieldByName("部門名")->AsString()});
    }
    sqlCategory.Close();
    pnlCateCount->setText(QString::number(row));
}

bool TfrmCategorySetup::DeptInUse(int code) {
    // Every person row counts, those with a finger code too.
    sqlUser.Close();
    sqlUser.SQL().Assign(
        QStringList{"SELECT 部門コード", "FROM M_個人情報", "WHERE 部門コード=:code"});
    sqlUser.ParamByName("code").SetAsInteger(code);
    sqlUser.Open();
    const bool used = !sqlUser.IsEmpty();
    sqlUser.Close();
    return used;
}

bool TfrmCategorySetup::CodeExists(const QString& text) const {
    return ListedCodes().contains(text.toInt());
}

QList<int> TfrmCategorySetup::ListedCodes() const {
    QList<int> codes;
    for (int row = 1; row < CategoryGrid->RowCount(); ++row)
        if (IsNumber(CategoryGrid->Cells(0, row), 0))
            codes << CategoryGrid->Cells(0, row).toInt();
    return codes;
}

bool TfrmCategorySetup::AskSave() {
    const bool store = MessageBox(LoadStr(65124), MB_OKCANCEL) == IDOK;
    if (store && !btnOKClick())
        return false;
    ResetEntry();
    return true;
}

void TfrmCategorySetup::ResetEntry() {
    Modified = false;
    FEdited.Clear();
    NewMode = false;
    // A listed department keeps its code; only a new entry takes a typed one.
    Ed_Code->setReadOnly(true);
}

void TfrmCategorySetup::SelectRow(int row) {
    if (row >= CategoryGrid->RowCount())
        row = CategoryGrid->RowCount() - 1;
    if (row != CategoryGrid->Row())
        CategoryGrid->SetRow(row); // its click fills the fields
    else
        CategoryGridClick();
}

void TfrmCategorySetup::CategoryGridClick() {
    if (FEntryRow < 0) // moving back to the kept entry's row
        return;
    if (Modified && !AskSave()) {
        // The typed entry stays; so does the row it belongs to.
        HighlightEntryRow(FEntryRow);
        return;
    }
    ResetEntry();
    FEntryRow = CategoryGrid->Row();
    FAsRead = FReadRows.value(CategoryGrid->Cells(0, FEntryRow).toInt());
    Ed_Code->setText(CategoryGrid->Cells(0, FEntryRow));
    Ed_Name->setText(CategoryGrid->Cells(1, FEntryRow));
}

void TfrmCategorySetup::HighlightEntryRow(int row) {
    FEntryRow = -1;
    CategoryGrid->SetRow(row);
    FEntryRow = row;
}

void TfrmCategorySetup::ShowListedKeepingTyping(int code) {
    const int row = GridRowOf(CategoryGrid, 0, QString::number(code));
    if (row < 0)
        return;
    HighlightEntryRow(row);
    FAsRead = FReadRows.value(code);
    FEdited.RefillKeeping([&] { Ed_Name->setText(CategoryGrid->Cells(1, row)); });
}

void TfrmCategorySetup::BitBtn2Click() {
    if (Modified && !AskSave())
        return;
    btnDELETE->setEnabled(false);
    NewMode = true;
    FAsRead = TReadRows();
    Ed_Code->setReadOnly(false);
    const int code = ProposedDepartmentCode(CategoryGrid->Cells(0, CategoryGrid->RowCount() - 1));
    Ed_Code->setText(code > 0 ? QString::number(code) : QString());
    Ed_Name->clear();
    Ed_Code->setFocus();
}

void TfrmCategorySetup::Refuse(int message, QLineEdit* field) {
    MessageBox(LoadStr(message));
    field->setFocus();
}

bool TfrmCategorySetup::btnOKClick() {
    Ed_Code->setText(TrimJ(Ed_Code->text()));
    Ed_Name->setText(TrimJ(Ed_Name->text()));
    const int error =
        DepartmentEntryError(Ed_Code->text(), Ed_Name->text(), NewMode, ListedCodes());
    if (error != 0) {
        Refuse(error, error == 65125 ? Ed_Name : Ed_Code);
        return false;
    }
    try {
        StoreDepartment(Ed_Code->text().toInt(), Ed_Name->text());
    } catch (const ERecordChanged& e) {
        // The entry keeps what was typed; the list, and the entry's other fields, show what is
        // stored now.
        MessageBox(e.Message());
        LoadGrid();
        if (e.Change() == TRowChange::Changed)
            ShowListedKeepingTyping(Ed_Code->text().toInt());
        return false;
    }
    ResetEntry();
    LoadGrid();
    btnDELETE->setEnabled(false);
    BitBtn2Click();
    return true;
}

// Stores over the department only while it still holds what the entry was filled from.
void TfrmCategorySetup::StoreDepartment(int code, const QString& name) {
    sqlCategory.Close();
    sqlCategory.SQL().Assign(
        QStringList{"SELECT 部門コード,部門名", "FROM M_部門", "WHERE 部門コード=:code"});
    sqlCategory.ParamByName("code").SetAsInteger(code);
    PostChecked(sqlCategory, FAsRead, [&] {
        if (sqlCategory.IsEmpty())
            sqlCategory.Insert();
        else
            sqlCategory.Edit();
        sqlCategory.FieldByName("部門コード")->SetAsInteger(code);
        sqlCategory.FieldByName("部門名")->SetAsString(name);
        sqlCategory.Post();
    });
}

void TfrmCategorySetup::btnCANCELClick() {
    ResetEntry();
    SelectRow(CategoryGrid->Row());
    btnDELETE->setEnabled(true);
}

void TfrmCategorySetup::btnDELETEClick() {
    if (!IsNumber(CategoryGrid->Cells(0, 1), 0)) {
        MessageBox(LoadStr(65160));
        return;
    }
    if (NewMode) {
        MessageBox(LoadStr(65129));
        return;
    }
    const QString text = Ed_Code->text().trimmed();
    if (DepartmentEntryError(text, "-", false, {}) != 0)
        return;
    const int code = text.toInt();
    if (DeptInUse(code)) {
        MessageBox(LoadStr(65128));
        return;
    }
    if (MessageBox(Ed_Name->text() + LoadStr(65130), MB_OKCANCEL) != IDOK)
        return;
    DeleteDepartment(code);
    LoadGrid();
    SelectRow(1);
}

// The department and its persons' references go together or not at all.
void TfrmCategorySetup::DeleteDepartment(int code) {
    InAccessTransaction([&] {
        sqlCategory.Close();
        sqlCategory.SQL().Assign(
            QStringList{"DELETE 部門コード", "FROM M_部門", "WHERE 部門コード=:code"});
        sqlCategory.ParamByName("code").SetAsInteger(code);
        sqlCategory.ExecSQL();
        sqlUser.Close();
        sqlUser.SQL().Assign(
            QStringList{"UPDATE M_個人情報", "SET 部門コード=NULL", "WHERE 部門コード=:code"});
        sqlUser.ParamByName("code").SetAsInteger(code);
        sqlUser.ExecSQL();
    });
}

void TfrmCategorySetup::BitBtn3Click() {
    if (Modified && !AskSave())
        return;
    if (!IsNumber(CategoryGrid->Cells(0, 1), 0)) {
        MessageBox(LoadStr(65160));
        return;
    }
    OpenReport(EntranceSession().Rep_Bumon);
}

void TfrmCategorySetup::FormClose(TCloseAction& action) {
    if (Modified && !AskSave()) {
        action = caNone;
        return;
    }
    ClearGridRows(CategoryGrid);
    sqlUser.Close();
    action = caFree;
}

} // namespace entrance
