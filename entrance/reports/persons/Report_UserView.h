#pragma once

#include "entrance/reports/persons/Report_UserReport.h"

namespace entrance {

// The person list: each person's basic data on three lines, 20 persons to a page.
class TRep_UserView final : public TRep_UserReport {
    Q_OBJECT
public:
    explicit TRep_UserView(QWidget* owner = nullptr);

    // Line 1: the code over all three lines and the department; line 2: reading, postal code,
    // end date, sex, blood type, birth date, age, image; line 3: name, address, telephone.
    TLRItem* ItmCode;
    TLRItem* ItmBumon;
    TLRItem* ItmKana;
    TLRItem* ItmPostNo;
    TLRItem* ItmEndDate;
    TLRItem* ItmSex;
    TLRItem* ItmKetuEki;
    TLRItem* ItmBirthDay;
    TLRItem* ItmOld;
    TLRItem* ItmImage;
    TLRItem* ItmName;
    TLRItem* ItmAddr;
    TLRItem* ItmTel;

private:
    // The current person's row.
    void DetailPrintPanel();
};

} // namespace entrance
