#include "Form_EntranceGroupSetup.h"

#include "Form_EntranceGroupSetup_Sub0.h"
#include "components/grids/MOStringGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/SetupGrids.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/reports/masterlists/Report_RoomNinsyoki.h"
#include "ui/ShowMessage.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace entrance {

TfrmEntranceGroupSetup::TfrmEntranceGroupSetup(QWidget* owner) : TForm(owner) {
    setWindowTitle("部屋の設定");
    CreateControls();
    TWaitWindowScope wait(this, "データを取得しています。");
    FEntrance = std::make_unique<TEntrance>();
    sqlGroup.SetDatabaseName("RORazu");
    if (FEntrance->Count() > 0) {
        LoadRoomGrid();
        LoadRoomList();
    } else {
        MessageBox(LoadStr(65162));
        close();
    }
}

TfrmEntranceGroupSetup::~TfrmEntranceGroupSetup() = default;

void TfrmEntranceGroupSetup::CreateControls() {
    auto* layout = new QHBoxLayout(this);
    GroupGrid = new TMOStringGrid(this);
    SetUpListGrid(GroupGrid, {{"部　屋　名", 300}, {"", -1}});
    GroupGrid->setMinimumSize(320, 360);
    layout->addWidget(GroupGrid, 1);
    // Every unit with its room; kept out of sight.
    EntGrid = new TMOStringGrid(this);
    EntGrid->SetColCount(3);
    EntGrid->setVisible(false);

    auto* buttons = new QVBoxLayout;
    btnAddNew = new QPushButton("部屋の追加", this);
    btnAddNew->setObjectName("btnAddNew");
    btnEdit = new QPushButton("部屋の編集", this);
    btnEdit->setObjectName("btnEdit");
    btnDelete = new QPushButton("部屋の削除", this);
    btnPRINT = new QPushButton("印刷", this);
    btnCLOSE = new QPushButton("閉じる", this);
    for (QPushButton* button : {btnAddNew, btnEdit, btnDelete, btnPRINT})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(btnCLOSE);
    layout->addLayout(buttons);
    EscapeButton = btnCLOSE;
    for (QPushButton* button : {btnAddNew, btnEdit})
        connect(button, &QPushButton::clicked, this, [this, button] { btnAddNewClick(button); });
    connect(btnDelete, &QPushButton::clicked, this, &TfrmEntranceGroupSetup::btnDeleteClick);
    connect(btnPRINT, &QPushButton::clicked, this, &TfrmEntranceGroupSetup::btnPRINTClick);
    connect(btnCLOSE, &QPushButton::clicked, this, &QWidget::close);
}

void TfrmEntranceGroupSetup::FormShow() {
    CenterInMainArea();
}

void TfrmEntranceGroupSetup::LoadRoomList() {
    ClearGridRowsFrom(GroupGrid, 1);
    GroupGrid->SetColWidths(1, -1);
    sqlGroup.Close();
    sqlGroup.SQL().Assign(QStringList{"SELECT 認証機グループ名,認証機グループコード",
                                      "FROM M_認証機グループ", "WHERE 認証機グループコード<>0",
                                      "GROUP BY 認証機グループ名,認証機グループコード",
                                      "ORDER BY 認証機グループコード"});
    sqlGroup.Open();
    if (!sqlGroup.IsEmpty())
        GroupGrid->SetRowCount(sqlGroup.RecordCount() + 1);
    for (int row = 1; !sqlGroup.Eof(); sqlGroup.Next(), ++row)
        GroupGrid->SetRows(
            row, {sqlGroup.FieldByName("認証機グループ名")->AsString(),
                  QString::number(sqlGroup.FieldByName("認証機グループコード")->AsInteger())});
    sqlGroup.Close();
}

void TfrmEntranceGroupSetup::LoadRoomGrid() {
    ClearGridRowsFrom(EntGrid, 1);
    EntGrid->SetRowCount(FEntrance->Count() + 1);
    sqlGroup.Close();
    sqlGroup.SQL().Assign(QStringList{"SELECT 認証機ID,認証機グループ名", "FROM M_認証機グループ",
                                      "WHERE 認証機グループコード<>0", "ORDER BY 認証機ID"});
    sqlGroup.Open();
    for (int i = 0; i < FEntrance->Count(); ++i) {
        const int id = FEntrance->IDAt(i);
        EntGrid->SetRows(i + 1, {QString::number(id), FEntrance->NameAt(i)});
        if (sqlGroup.Locate("認証機ID", id, 0))
            EntGrid->SetCells(2, i + 1, sqlGroup.FieldByName("認証機グループ名")->AsString());
    }
    sqlGroup.Close();
}

int TfrmEntranceGroupSetup::NewRoomCode() {
    sqlGroup.Close();
    sqlGroup.SQL().Assign(
        QStringList{"SELECT * FROM M_認証機グループ", "WHERE 認証機グループコード<>0"});
    sqlGroup.Open();
    const bool unitLeft = sqlGroup.RecordCount() < FEntrance->Count();
    sqlGroup.Close();
    return unitLeft ? NextFreeGridNumber(GroupGrid, 1) : -1;
}

void TfrmEntranceGroupSetup::btnAddNewClick(QObject* Sender) {
    int code = -2;
    if (Sender->objectName() == "btnAddNew")
        code = NewRoomCode();
    else if (const QString cell = GroupGrid->Cells(1, GroupGrid->Row()); IsNumber(cell, 0))
        code = cell.trimmed().toInt();
    if (code == -1) {
        MessageBox(LoadStr(65165));
    } else if (code == -2) {
        MessageBox(LoadStr(65166));
    } else {
        if (!EntranceSession().frmEntranceGroupSetup_Sub0 ||
            EntranceSession().frmEntranceGroupSetup_Sub0->Closing())
            EntranceSession().frmEntranceGroupSetup_Sub0 = new TfrmEntranceGroupSetup_Sub0(this);
        if (EntranceSession().frmEntranceGroupSetup_Sub0->ExecuteRoomDialog(*FEntrance, code)) {
            LoadRoomGrid();
            LoadRoomList();
        }
    }
}

void TfrmEntranceGroupSetup::btnDeleteClick() {
    const int row = GroupGrid->Row();
    const QString code = GroupGrid->Cells(1, row);
    if (!IsNumber(code, 0))
        return;
    if (MessageBox(GroupGrid->Cells(0, row) + LoadStr(65146), MB_OKCANCEL) != IDOK)
        return;
    sqlGroup.Close();
    sqlGroup.SQL().Assign(QStringList{"DELETE 認証機グループコード FROM M_認証機グループ",
                                      "WHERE 認証機グループコード=" + code.trimmed()});
    sqlGroup.ExecSQL();
    LoadRoomGrid();
    LoadRoomList();
}

void TfrmEntranceGroupSetup::btnPRINTClick() {
    OpenReport(EntranceSession().Rep_RoomNinsyoki);
}

void TfrmEntranceGroupSetup::FormClose(TCloseAction& action) {
    if (FEntrance)
        FEntrance->Clear();
    FEntrance.reset();
    sqlGroup.Close();
    action = caFree;
}

} // namespace entrance
