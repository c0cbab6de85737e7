#pragma once

#include "dbengine/Query.h"
#include "entrance/reports/masterlists/Report_MasterList.h"

namespace entrance {

// The authentication units with their operating hours.
class TRep_Ninsyoki final : public TRep_MasterList {
    Q_OBJECT
public:
    explicit TRep_Ninsyoki(QWidget* owner = nullptr);

    TQuery sqlNinsyoki;
    TLRItem* ItmID;
    TLRItem* ItmName;
    TLRItem* ItmStartTime;
    TLRItem* ItmEndTime;

protected:
    QString PreviewCaption() const override { return "認証機情報一覧"; }
    TDataSet* MainDataSet() override { return &sqlNinsyoki; }
    bool OpenData() override;
    void CloseData() override { sqlNinsyoki.Close(); }

private:
    void LRGridPanel1PrintPanel(TPrintStatus& Status);
};

// An operating time as the unit list prints it: " 9 時  5 分".
QString UnitHoursText(double time);

} // namespace entrance
