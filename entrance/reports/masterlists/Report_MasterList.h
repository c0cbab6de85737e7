#pragma once

#include "entrance/reports/frame/Report_Frame.h"

namespace entrance {

// The database name of the Access tables.
inline constexpr char AccessDatabaseName[] = "RORazu";

// A list of master data: a report form whose page header takes the office name from the
// business office table.
class TRep_MasterList : public TRep_Form {
    Q_OBJECT
public:
    using TRep_Form::TRep_Form;

protected:
    // Reads the office name once; call it from OpenData.
    void ReadOfficeName();
    QString OfficeName() override { return FOfficeName; }

private:
    QString FOfficeName;
};

} // namespace entrance
