#pragma once

#include "entrance/reports/Report_Frame.h"

// The database names of the Access tables and of the table files.
inline constexpr char AccessDatabaseName[] = "RORazu";
inline constexpr char TableDatabaseName[] = "ParaOzka";

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
