#pragma once

#include "entrance/Unit_Common.h"
#include "tests/dbengine/EngineFixture.h"

// A new data folder with "RORazu" and "ParaOzka", as the management program sees it after a
// login on a PC whose address digits are "127001".
struct EntranceFixture : EngineFixture {
    EntranceFixture() {
        DataPath = Temp.File("Zezoduzu");
        LocalIPDigits = "127001";
    }
    ~EntranceFixture() override {
        DataPath.clear();
        LocalIPDigits.clear();
    }
};
