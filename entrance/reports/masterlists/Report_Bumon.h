#pragma once

#include "dbengine/Query.h"
#include "entrance/reports/masterlists/Report_MasterList.h"

namespace entrance {

// The departments with the number of persons in each, and a closing row for the persons
// without a department.
class TRep_Bumon final : public TRep_MasterList {
    Q_OBJECT
public:
    explicit TRep_Bumon(QWidget* owner = nullptr);

    TQuery sqlBumon;
    TQuery sqlNoneCount;
    TLRItem* ItmCode;
    TLRItem* ItmName;
    TLRItem* ItmCount;

protected:
    QString PreviewCaption() const override { return "部門情報一覧"; }
    TDataSet* MainDataSet() override { return &sqlBumon; }
    bool OpenData() override;
    void CloseData() override { sqlBumon.Close(); }
    void ResetState() override { FNoneRowPending = FNoneCount > 0; }
    bool HasPendingRows() const override { return FNoneRowPending; }

private:
    void LRGridPanel1PrintPanel(TPrintStatus& Status);
    int FNoneCount = 0;
    bool FNoneRowPending = false;
};

} // namespace entrance
