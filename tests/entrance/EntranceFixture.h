#pragma once

#include "base/SysUtils.h"
#include "dbengine/Database.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/data/DataModule1.h"
#include "entrance/data/DataModule3.h"
#include "tests/dbengine/EngineFixture.h"

namespace entrance {

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
        EntranceSession().DM1 = &dm1;
        EntranceSession().DM3 = &dm3;
        EntranceSession().DataPath = Temp.File("Zezoduzu");
        EntranceSession().LocalIPDigits = "127001";
    }
    ~EntranceFixture() override {
        EntranceSession().DM1 = nullptr;
        EntranceSession().DM3 = nullptr;
        EntranceSession().DataPath.clear();
        EntranceSession().LocalIPDigits.clear();
    }

    // A row of a log table; `time` as the communication program writes it.
    void AddLog(const QString& table, const QString& code, int operation, const QString& time,
                int result, int unit) {
        Run(QString("INSERT INTO %1 (個人コード,操作種別,操作日時,エラー種別,認証機ID) VALUES "
                    "(%2,%3,'%4',%5,%6)")
                .arg(table, QuotedStr(code))
                .arg(operation)
                .arg(time)
                .arg(result)
                .arg(unit),
            true);
    }
};

} // namespace entrance
