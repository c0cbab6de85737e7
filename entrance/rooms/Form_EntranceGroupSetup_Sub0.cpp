#include "Form_EntranceGroupSetup_Sub0.h"

#include "components/grids/MOStringGrid.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/SetupGrids.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/data/DataModule1.h"
#include "entrance/data/Unit_Entrance.h"
#include "ui/ImeMode.h"
#include "ui/MaxBytes.h"
#include "ui/ShowMessage.h"

#include <QGridLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>

namespace entrance {

void SetUpUnitGrid(TMOStringGrid* grid) {
    SetUpListGrid(grid, {{"ID", 50, taCenter}, {"認　証　機　名", 200}});
}

void MoveGridUnit(TStringGrid* source, TStringGrid* target) {
    const int from = source->Row();
    if (!IsNumber(source->Cells(0, from), 0))
        return;
    if (IsNumber(target->Cells(0, target->Row()), 0))
        target->SetRowCount(target->RowCount() + 1);
    const int last = target->RowCount() - 1;
    target->SetCells(0, last, source->Cells(0, from));
    target->SetCells(1, last, source->Cells(1, from));
    for (int row = from; row < source->RowCount() - 1; ++row)
        source->SetRows(row, source->Rows(row + 1));
    source->SetRows(source->RowCount() - 1, {QString(), QString()});
    if (source->RowCount() > 2)
        source->SetRowCount(source->RowCount() - 1);
}

TfrmEntranceGroupSetup_Sub0::TfrmEntranceGroupSetup_Sub0(QWidget* owner) : TForm(owner) {
    CreateControls();
    sqlGroup.SetDatabaseName("RORazu");
    hide();
}

void TfrmEntranceGroupSetup_Sub0::CreateControls() {
    auto* layout = new QGridLayout(this);
    Ed_Name = new QLineEdit(this);
    SetMaxBytes(Ed_Name, 30);
    SetImeMode(Ed_Name, imHira);
    Ed_Code = new QLineEdit(this);
    Ed_Code->setVisible(false);
    layout->addWidget(new QLabel("部屋名", this), 0, 0);
    layout->addWidget(Ed_Name, 0, 1, 1, 2);
    EntGrid = new TMOStringGrid(this);
    GroupGrid = new TMOStringGrid(this);
    for (TMOStringGrid* grid : {EntGrid, GroupGrid}) {
        SetUpUnitGrid(grid);
        grid->setMinimumSize(280, 300);
    }
    layout->addWidget(new QLabel("部屋に登録されていない認証機", this), 1, 0);
    layout->addWidget(new QLabel("登 録 認 証 機", this), 1, 2);
    layout->addWidget(EntGrid, 2, 0, 2, 1);
    btnInsert = new QPushButton("(追加)＞", this);
    btnDelete = new QPushButton("＜(削除)", this);
    layout->addWidget(btnInsert, 2, 1, Qt::AlignBottom);
    layout->addWidget(btnDelete, 3, 1, Qt::AlignTop);
    layout->addWidget(GroupGrid, 2, 2, 2, 1);
    btnOK = new QPushButton("OK", this);
    btnCancel = new QPushButton("キャンセル", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons, 4, 0, 1, 3);
    EscapeButton = btnCancel;
    connect(btnInsert, &QPushButton::clicked, this, &TfrmEntranceGroupSetup_Sub0::btnInsertClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfrmEntranceGroupSetup_Sub0::btnDeleteClick);
    connect(btnOK, &QPushButton::clicked, this, &TfrmEntranceGroupSetup_Sub0::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmEntranceGroupSetup_Sub0::btnCancelClick);
    FEdited.Watch({Ed_Name});
}

bool TfrmEntranceGroupSetup_Sub0::ExecuteRoomDialog(TEntrance& entrance, int code) {
    FEntrance = &entrance;
    FillGrids(code);
    return ShowModal() == mrOk;
}

void TfrmEntranceGroupSetup_Sub0::FillGrids(int code) {
    Ed_Code->setText(QString::number(code));
    FillRoom();
    FillFreeUnits();
    FEdited.Clear();
}

void TfrmEntranceGroupSetup_Sub0::FillRoom() {
    ClearGridRowsFrom(GroupGrid, 1);
    Ed_Name->clear();
    OpenRoomRows();
    FAsRead = TReadRows(sqlGroup, {"認証機ID", "認証機グループ名"});
    FNewRoom = sqlGroup.IsEmpty();
    setWindowTitle(FNewRoom ? "部屋の追加" : "部屋の編集");
    if (!FNewRoom)
        Ed_Name->setText(sqlGroup.FieldByName("認証機グループ名")->AsString());
    for (int row = 1; !sqlGroup.Eof(); sqlGroup.Next(), ++row) {
        const int id = sqlGroup.FieldByName("認証機ID")->AsInteger();
        GroupGrid->SetRowCount(row + 1);
        GroupGrid->SetRows(row, {QString::number(id), FEntrance->NameOfID(id)});
    }
    sqlGroup.Close();
}

void TfrmEntranceGroupSetup_Sub0::FillFreeUnits() {
    ClearGridRowsFrom(EntGrid, 1);
    QSet<int> taken;
    for (int row : UnitRows())
        taken.insert(GroupGrid->Cells(0, row).trimmed().toInt());
    for (OpenOtherRooms(); !sqlGroup.Eof(); sqlGroup.Next())
        taken.insert(sqlGroup.FieldByName("認証機ID")->AsInteger());
    sqlGroup.Close();
    int row = 1;
    for (int i = 0; i < FEntrance->Count(); ++i) {
        if (taken.contains(FEntrance->IDAt(i)))
            continue;
        EntGrid->SetRowCount(row + 1);
        EntGrid->SetRows(row++, {QString::number(FEntrance->IDAt(i)), FEntrance->NameAt(i)});
    }
}

QList<int> TfrmEntranceGroupSetup_Sub0::UnitRows() const {
    QList<int> rows;
    for (int row = 1; row < GroupGrid->RowCount(); ++row)
        if (IsNumber(GroupGrid->Cells(0, row), 0))
            rows << row;
    return rows;
}

void TfrmEntranceGroupSetup_Sub0::ShowStoredKeepingTyping() {
    QList<QStringList> units;
    for (int row : UnitRows())
        units << GroupGrid->Rows(row);
    FEdited.RefillKeeping([this] { FillRoom(); });
    if (FEdited.Has(GroupGrid)) {
        ClearGridRowsFrom(GroupGrid, 1);
        GroupGrid->SetRowCount(std::max(2, int(units.size()) + 1));
        for (int i = 0; i < units.size(); ++i)
            GroupGrid->SetRows(i + 1, units[i]);
    }
}

void TfrmEntranceGroupSetup_Sub0::FormShow() {
    EntGrid->Invalidate();
    GroupGrid->Invalidate();
    Ed_Name->setFocus();
}

void TfrmEntranceGroupSetup_Sub0::btnInsertClick() {
    MoveGridUnit(EntGrid, GroupGrid);
    FEdited.Mark(GroupGrid);
}

void TfrmEntranceGroupSetup_Sub0::btnDeleteClick() {
    MoveGridUnit(GroupGrid, EntGrid);
    FEdited.Mark(GroupGrid);
}

void TfrmEntranceGroupSetup_Sub0::btnOKClick() {
    const bool hasUnits = IsNumber(GroupGrid->Cells(0, 1), 0);
    if (!hasUnits) {
        if (MessageBox(LoadStr(FNewRoom ? 65137 : 65136), MB_OKCANCEL) != IDOK)
            return;
    } else if (TrimJ(Ed_Name->text()).isEmpty()) {
        MessageBox(LoadStr(65167));
        return;
    }
    try {
        SaveRoom();
    } catch (const ERecordChanged& e) {
        ShowMessage(e.Message());
        if (e.Change() == TRowChange::Changed)
            ShowStoredKeepingTyping();
        FillFreeUnits();
        return;
    } catch (const Exception& e) {
        // A unit another terminal put into another room stays in the grid for the operator
        // to take out; the units offered are those free now.
        ShowMessage(e.Message());
        FillFreeUnits();
        return;
    }
    SetModalResult(mrOk);
}

void TfrmEntranceGroupSetup_Sub0::OpenRoomRows() {
    sqlGroup.Close();
    sqlGroup.SQL().Assign(QStringList{
        "SELECT 認証機グループコード,認証機ID,認証機グループ名", "FROM M_認証機グループ",
        "WHERE 認証機グループコード=" + Ed_Code->text(), "ORDER BY 認証機ID"});
    sqlGroup.Open();
}

void TfrmEntranceGroupSetup_Sub0::OpenOtherRooms() {
    sqlGroup.Close();
    sqlGroup.SQL().Assign(QStringList{"SELECT 認証機グループコード,認証機ID,認証機グループ名",
                                      "FROM M_認証機グループ", "WHERE 認証機グループコード<>0",
                                      "AND 認証機グループコード<>" + Ed_Code->text(),
                                      "ORDER BY 認証機ID"});
    sqlGroup.Open();
}

// A unit belongs to one room at most: another terminal may have put it into its room since
// the dialog offered it.
void TfrmEntranceGroupSetup_Sub0::CheckUnitsInNoOtherRoom() {
    QHash<int, QString> otherRoom;
    for (OpenOtherRooms(); !sqlGroup.Eof(); sqlGroup.Next())
        otherRoom.insert(sqlGroup.FieldByName("認証機ID")->AsInteger(),
                         sqlGroup.FieldByName("認証機グループ名")->AsString());
    sqlGroup.Close();
    for (int row : UnitRows()) {
        const int id = GroupGrid->Cells(0, row).trimmed().toInt();
        if (otherRoom.contains(id))
            throw EDatabaseError(QString("認証機 %1:%2 は他の端末で部屋「%3」に登録されたため、"
                                         "登録できませんでした。")
                                     .arg(id)
                                     .arg(GroupGrid->Cells(1, row), otherRoom.value(id)));
    }
}

// The room's rows are replaced in one transaction, so a failure keeps the room as it was; rows
// another terminal changed, deleted or added since the dialog read them are left alone.
void TfrmEntranceGroupSetup_Sub0::SaveRoom() {
    InAccessTransaction([&] {
        OpenRoomRows();
        FAsRead.Check(sqlGroup);
        sqlGroup.Close();
        CheckUnitsInNoOtherRoom();
        sqlGroup.SQL().Assign(QStringList{"DELETE 認証機グループコード FROM M_認証機グループ",
                                          "WHERE 認証機グループコード=" + Ed_Code->text()});
        sqlGroup.ExecSQL();
        sqlGroup.SQL().Assign(QStringList{
            "INSERT INTO M_認証機グループ (認証機グループコード,認証機ID,認証機グループ名)",
            "VALUES (:code, :id, :name)"});
        for (int row : UnitRows()) {
            sqlGroup.ParamByName("code").SetAsInteger(Ed_Code->text().toInt());
            sqlGroup.ParamByName("id").SetAsInteger(GroupGrid->Cells(0, row).trimmed().toInt());
            sqlGroup.ParamByName("name").SetAsString(Ed_Name->text());
            sqlGroup.ExecSQL();
        }
    });
}

void TfrmEntranceGroupSetup_Sub0::btnCancelClick() {
    SetModalResult(mrCancel);
}

void TfrmEntranceGroupSetup_Sub0::FormClose(TCloseAction& action) {
    sqlGroup.Close();
    action = caFree;
}

} // namespace entrance
