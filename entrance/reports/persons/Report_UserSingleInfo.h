#pragma once

#include "entrance/reports/persons/Report_UserReport.h"
#include "protocol/CommRequests.h"

#include <array>

namespace entrance {

// The person sheet: one page per person with the basic data, the details and the units the
// person may use, each unit of the unit table in a cell of its own.
class TRep_UserSingleInfo final : public TRep_UserReport {
    Q_OBJECT
public:
    explicit TRep_UserSingleInfo(QWidget* owner = nullptr);

    static constexpr int UnitCells = MaxUnitId;

    // The basic data.
    TLRItem* ItmCode;
    TLRItem* ItmName;
    TLRItem* ItmKana;
    TLRItem* FCategoryName;
    TLRItem* FValidEnd;
    // The details.
    TLRItem* ItmPostNo;
    TLRItem* ItmAddr1;
    TLRItem* ItmAddr2;
    TLRItem* ItmTel;
    TLRItem* FBirthDay;
    TLRItem* FAge;
    TLRItem* FSex;
    TLRItem* ItmBlood;
    TLRItem* ItmKyuyoCode;
    TLRItem* FKinmuName;
    // Cell n of the unit panel: a mark and, right of it, the unit's ID and name.
    std::array<TLRItem*, UnitCells> MarkItems;
    std::array<TLRItem*, UnitCells> UnitItems;

protected:
    bool OpenData() override;
    // Each run over the persons, preview or print, starts the progress over all of them.
    void ResetState() override;
    QString GroupLine() const override { return DeptLine(); }
    QString PrintDateText() const override;

private:
    void CreateKihonHead();
    void CreateSyousaiHead();
    void CreateEntranceHead();
    void KihonHeadBeforePrint();
    void SyousaiHeadBeforePrint();
    void EntranceHeadBeforePrint();
    void EntranceHeadAfterPrint();

    QList<int> UnitIDs;
    QHash<QString, QList<int>> PersonUnits;
};

} // namespace entrance
