#pragma once

#include "db/DataSource.h"
#include "dbengine/Query.h"
#include "entrance/reports/masterlists/Report_MasterList.h"

namespace entrance {

// The rooms with their units: a heading row per room, repeated at the top of every page
// the room continues on, then one row per unit. The heading row names the room in the
// column headed "部屋名".
class TRep_RoomNinsyoki final : public TRep_MasterList {
    Q_OBJECT
public:
    explicit TRep_RoomNinsyoki(QWidget* owner = nullptr);

    TQuery sqlRoom;
    TDataSource DataSource1;
    TQuery sqlNinsyoki;
    TLRSubPanel* SubPRoom;
    TLRItem* ItmRoom;
    TLRSubPanel* SubPNinsyoki;
    TLRItem* ItmID;
    TLRItem* ItmName;

protected:
    QString PreviewCaption() const override { return "部屋別認証機登録一覧表"; }
    TDataSet* MainDataSet() override { return &sqlRoom; }
    bool OpenData() override;
    void CloseData() override;

private:
    void LRGridPanel1PrintPanel(TPrintStatus& Status);
    void SubPRoomBeforePrint();
    void SubPNinsyokiBeforePrint();
    int FRoomCode = 0;
};

} // namespace entrance
