#include "Report_RoomNinsyoki.h"

#include "dbengine/Database.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/data/DataModule1.h"

namespace entrance {

namespace {
constexpr int RowsPerPage = 40;
constexpr int RowHeight = 22;
} // namespace

TRep_RoomNinsyoki::TRep_RoomNinsyoki(QWidget* owner) : TRep_MasterList(owner) {
    CreatePageBands("部屋別認証機登録一覧表");
    // Every row is a room heading or a unit; the grid's own cell panel stays empty.
    SubPNinsyoki = NewSubPanel();
    const QList<TLRItem*> items =
        CreateColumns({{"認証機ID", 100, taCenter}, {"認証機名", 342}, {"部屋名", 280}},
                      RowsPerPage, RowHeight, SubPNinsyoki);
    ItmID = items[0];
    ItmName = items[1];
    SubPNinsyoki->SetGridPanel(LRGridPanel1);
    SubPNinsyoki->BeforePrint = [this](QObject*, TRect, TPrintStatus&) {
        SubPNinsyokiBeforePrint();
    };

    SubPRoom = NewSubPanel();
    SubPRoom->SetGridPanel(LRGridPanel1);
    // Framed as a unit row; its last cell, under "部屋名", is the room's.
    for (TLRItem* cell : items)
        ItmRoom = AddItem(SubPRoom, cell->Left(), 0, cell->Width(), RowHeight, taLeftJustify);
    SubPRoom->BeforePrint = [this](QObject*, TRect, TPrintStatus&) { SubPRoomBeforePrint(); };

    LRGridPanel1->BeforePrint = [this](QObject*, TRect, TPrintStatus&) { FRoomCode = 0; };
    LRGridPanel1->OnPrintPanel = [this](QObject*, int, int, TRect, TPrintStatus& Status) {
        LRGridPanel1PrintPanel(Status);
    };

    sqlRoom.SetDatabaseName(AccessDatabaseName);
    sqlRoom.SQL().Assign(QStringList{"select * from M_認証機グループ",
                                     "where 認証機グループコード > 0",
                                     "order by 認証機グループコード, 認証機ID"});
    DataSource1.SetDataSet(&sqlRoom);
    sqlNinsyoki.SetDatabaseName(EntranceSession().DM1->DB2->DatabaseName);
    sqlNinsyoki.SQL().Assign(QStringList{"select * from EntranceState",
                                         "where 認証機ID = :認証機ID", "order by 認証機ID;"});
    sqlNinsyoki.SetDataSource(&DataSource1);
}

bool TRep_RoomNinsyoki::OpenData() {
    ReadOfficeName();
    sqlRoom.Open();
    sqlNinsyoki.Open();
    return !sqlRoom.IsEmpty();
}

void TRep_RoomNinsyoki::CloseData() {
    sqlNinsyoki.Close();
    sqlRoom.Close();
}

// A row of a room not yet headed on this page is its heading; the rows after it are units.
void TRep_RoomNinsyoki::LRGridPanel1PrintPanel(TPrintStatus& Status) {
    if (sqlRoom.Eof()) {
        Status = lrsSkip;
        return;
    }
    const bool headed = sqlRoom.FieldByName("認証機グループコード")->AsInteger() == FRoomCode;
    LRGridPanel1->SubPanel = headed ? static_cast<TLRChildPanel*>(SubPNinsyoki) : SubPRoom;
}

void TRep_RoomNinsyoki::SubPRoomBeforePrint() {
    ItmRoom->Text = "【" + sqlRoom.FieldByName("認証機グループ名")->AsString() + "】";
    FRoomCode = sqlRoom.FieldByName("認証機グループコード")->AsInteger();
}

// A unit the unit table no longer holds prints its ID with a dash for its name; the room
// list moves on either way.
void TRep_RoomNinsyoki::SubPNinsyokiBeforePrint() {
    if (!sqlNinsyoki.IsEmpty()) {
        ItmID->Text = QString::number(sqlNinsyoki.FieldByName("認証機ID")->AsInteger());
        ItmName->Text = sqlNinsyoki.FieldByName("認証機名")->AsString();
    } else {
        ItmID->Text = QString::number(sqlRoom.FieldByName("認証機ID")->AsInteger());
        ItmName->Text = "―";
    }
    FRoomCode = sqlRoom.FieldByName("認証機グループコード")->AsInteger();
    sqlRoom.Next();
}

} // namespace entrance
