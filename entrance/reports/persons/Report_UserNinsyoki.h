#pragma once

#include "entrance/reports/persons/Report_UserReport.h"
#include "entrance/reports/persons/UserUnitMatrix.h"

#include <array>

namespace entrance {

// The person-by-unit matrix: one line per person, 32 persons to a landscape page, with "◆"
// in the column of each unit the person may use; the page head names the units.
class TRep_UserNinsyoki final : public TRep_UserReport {
    Q_OBJECT
public:
    explicit TRep_UserNinsyoki(QWidget* owner = nullptr);

    // The legend, the column captions and a person's cells, column c for the unit with ID c.
    std::array<TLRItem*, MatrixColumns> UnitItems;
    std::array<TLRItem*, MatrixColumns> HeaderItems;
    std::array<TLRItem*, MatrixColumns> RowCells;
    TLRItem* FCode;
    TLRItem* FName;
    TLRItem* ItmEndDate;

protected:
    bool OpenData() override;
    QString PrintDateText() const override;

private:
    void CreateLegend();
    void CreateLines();
    // The current person's row.
    void DetailPrintPanel();

    QStringList Captions;
    QHash<QString, QList<int>> PersonUnits;
};

} // namespace entrance
