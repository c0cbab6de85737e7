#pragma once

#include "dbengine/Database.h"
#include "entrance/DataModule1.h"
#include "entrance/DataModule3.h"
#include "entrance/Unit_Common.h"
#include "tests/dbengine/EngineFixture.h"

// A new data folder as the management program sees it after a login on a PC whose address
// digits are "127001": the data modules with "RORazu" on the database file and "ParaOzka" on
// the folder of table files. The engine fixture's own two databases step aside.
struct EntranceFixture : EngineFixture {
    TDM1 dm1;
    TDM3 dm3;

    EntranceFixture() {
        DB1.DatabaseName.clear();
        DB2.DatabaseName.clear();
        dm1.DB1->Params.Add("DATABASE NAME=" + Temp.File(DatabaseFileName));
        dm1.DB2->Params.Add("PATH=" + Temp.Path());
        DM1 = &dm1;
        DM3 = &dm3;
        DataPath = Temp.File("Zezoduzu");
        LocalIPDigits = "127001";
    }
    ~EntranceFixture() override {
        DM1 = nullptr;
        DM3 = nullptr;
        DataPath.clear();
        LocalIPDigits.clear();
    }
};
