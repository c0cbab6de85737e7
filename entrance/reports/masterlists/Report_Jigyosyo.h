#pragma once

#include "dbengine/Query.h"
#include "entrance/reports/masterlists/Report_MasterList.h"

namespace entrance {

// The business office sheet: one page per office row.
class TRep_Jigyosyo final : public TRep_Form {
    Q_OBJECT
public:
    explicit TRep_Jigyosyo(QWidget* owner = nullptr);

    TQuery sqlJigyosyo;
    TLRItem* ItmName;
    TLRItem* ItmKana;
    TLRItem* ItmRepName;
    TLRItem* ItmPostNo;
    TLRItem* ItmAddr1;
    TLRItem* ItmAddr2;
    TLRItem* ItmTelNo;
    TLRItem* ItmFaxNo;

protected:
    QString PreviewCaption() const override { return "事業所情報"; }
    TDataSet* MainDataSet() override { return &sqlJigyosyo; }
    bool OpenData() override;
    void CloseData() override { sqlJigyosyo.Close(); }

private:
    void LRLayoutPanel1BeforePrint(TPrintStatus& Status);
};

} // namespace entrance
