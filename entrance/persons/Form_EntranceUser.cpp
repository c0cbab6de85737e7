#include "Form_EntranceUser.h"

#include "components/grids/MOStringGrid.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_CommonGrids.h"
#include "entrance/common/Unit_CommonWait.h"
#include "entrance/data/Unit_CommonRequests.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/UserRows.h"
#include "entrance/data/UserRules.h"
#include "protocol/CommRequests.h"
#include "ui/Color.h"
#include "ui/ShowMessage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

namespace entrance {

namespace {

enum { ColID, ColName, ColUse };

} // namespace

TfrmEntranceUser::TfrmEntranceUser(QWidget* owner) : TForm(owner) {
    setWindowTitle("認証機登録");
    CreateControls();
    FormCreate();
}

TfrmEntranceUser::~TfrmEntranceUser() = default;

void TfrmEntranceUser::CreateControls() {
    auto* layout = new QGridLayout(this);
    EntGrid = new TMOStringGrid(this);
    EntGrid->SetColCount(3);
    EntGrid->SetGridStyle(mgsStriped);
    EntGrid->SetStripeColor(RGB(241, 233, 254));
    EntGrid->SetDefaultRowHeight(20);
    EntGrid->SetOptions(EntGrid->Options() | goRowSelect);
    const char* captions[] = {"ID", "認証機名", "使用"};
    for (int c = ColID; c <= ColUse; ++c)
        EntGrid->GridColumns()[c]->SetCaption(captions[c]);
    EntGrid->GridColumns()[ColID]->SetAlignment(taCenter);
    EntGrid->GridColumns()[ColUse]->SetButtonStyle(cbsCheckBox);
    EntGrid->SetColWidths(ColName, 220);
    EntGrid->OnKeyPress = [this](QObject* s, QChar& k) { EntGridKeyPress(s, k); };
    pnlCaption = new QLabel("氏　名", this);
    Ed_Name = new QLabel(this);
    Ed_Code = new QLineEdit(this);
    Ed_Code->hide();
    btnAllCheck = new QPushButton("全て使用", this);
    btnAllNONE = new QPushButton("全て未使用", this);
    btnOK = new QPushButton("登　録", this);
    btnCANCEL = new QPushButton("キャンセル", this);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->showMessage("　指定した利用者が使用する認証機を登録します。");
    EscapeButton = btnCANCEL;
    layout->addWidget(pnlCaption, 0, 0);
    layout->addWidget(Ed_Name, 0, 1, 1, 3);
    layout->addWidget(EntGrid, 1, 0, 1, 4);
    layout->addWidget(btnAllCheck, 2, 0);
    layout->addWidget(btnAllNONE, 2, 1);
    layout->addWidget(btnOK, 2, 2);
    layout->addWidget(btnCANCEL, 2, 3);
    layout->addWidget(StatusBar1, 3, 0, 1, 4);
    resize(420, 460);
    connect(btnAllCheck, &QPushButton::clicked, this, [this] { SetAll("1"); });
    connect(btnAllNONE, &QPushButton::clicked, this, [this] { SetAll("0"); });
    connect(btnOK, &QPushButton::clicked, this, &TfrmEntranceUser::btnOKClick);
    connect(btnCANCEL, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

void TfrmEntranceUser::FormCreate() {
    ShowWaitWindow(this);
    SetWaitText("データを取得しています。");
    Units = new TEntrance();
    ClearGridRowsFrom(EntGrid, 1);
    if (Units->Count() == 0) {
        CloseWaitWindow(this);
        ShowMessage(LoadStr(65162));
        close();
        return;
    }
    EntGrid->SetRowCount(Units->Count() + 1);
    for (int i = 0; i < Units->Count(); ++i) {
        EntGrid->SetCells(ColID, i + 1, QString::number(Units->IDAt(i)));
        EntGrid->SetCells(ColName, i + 1, Units->NameAt(i));
    }
    CloseWaitWindow(this);
}

int TfrmEntranceUser::EditUnitsForUser(const QString& Code, const QString& Name) {
    Ed_Code->setText(Code);
    Ed_Name->setText(" " + Name);
    LoadUnitGrid();
    return ShowModal();
}

void TfrmEntranceUser::LoadUnitGrid() {
    const QList<int> used = UsedUnitsOf(Ed_Code->text());
    for (int r = 1; r < EntGrid->RowCount(); ++r)
        EntGrid->SetCells(ColUse, r, used.contains(EntGrid->Cells(ColID, r).toInt()) ? "1" : "0");
}

QList<TUnitTick> TfrmEntranceUser::Ticks() const {
    QList<TUnitTick> ticks;
    for (int r = 1; r < EntGrid->RowCount(); ++r)
        if (!EntGrid->Cells(ColID, r).isEmpty())
            ticks << TUnitTick{EntGrid->Cells(ColID, r).toInt(), EntGrid->Cells(ColUse, r) == "1"};
    return ticks;
}

void TfrmEntranceUser::FormShow() {
    CenterInMainArea();
    EntGrid->setFocus();
}

void TfrmEntranceUser::FormClose(TCloseAction& action) {
    action = caFree;
    delete Units;
    Units = nullptr;
}

void TfrmEntranceUser::SetAll(const QString& value) {
    for (int r = 1; r < EntGrid->RowCount(); ++r)
        EntGrid->SetCells(ColUse, r, value);
}

void TfrmEntranceUser::EntGridKeyPress(QObject*, QChar& Key) {
    if (Key != '\r' && Key != ' ')
        return;
    const int r = EntGrid->Row();
    EntGrid->SetCells(ColUse, r, EntGrid->Cells(ColUse, r) == "0" ? "1" : "0");
    Key = QChar();
}

void TfrmEntranceUser::btnOKClick() {
    if (!Units || Units->Count() == 0) {
        ShowMessage(LoadStr(65162));
        return;
    }
    const QString code = Ed_Code->text();
    const TUnitStorePlan plan = PlanUnitStore(Ticks(), UsedUnitsOf(code));
    InsertUnitRows(code, plan.Insert);
    // An unticked unit may hold the person even while its row says unregistered (an image on
    // its way, or one read again from another unit): every such unit is asked, and its row is
    // marked and kept until the unit confirms.
    if (!plan.Remove.isEmpty()) {
        if (!RemovalGoesAhead(
                SendCommRequest(CD_DELETE_USERS, RemovalRequestText(code, plan.Remove)))) {
            ShowMessage("認証機コミュニケーションと接続できませんでした。\r"
                        "認証機の使用を解除できませんでした。");
            return;
        }
        MarkUnitRowsRemoving(code, plan.Remove);
    }
    SetModalResult(mrOk);
}

} // namespace entrance
