#pragma once

#include "LogReportFixture.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/reports/totals/Report_EntranceDayLogTotal.h"

namespace entrance {

inline const char* const February = "ENTRANCE_LOG2024_02";

// February 2024, a leap month. On the 29th: unit 1 an entry at 0:30 and an exit at 8:15;
// unit 2 a refused entry at 17:05 and an exit at 23:59:59; unit 3 an entry at 1:00. On the
// 28th an entry at unit 1; on the 15th one entry at each of the units 1 to 9. Room 5 holds
// units 2 and 3; room 6 lost its units after it was listed.
struct TotalsReports : LogReportFixture {
    TotalsReports() {
        Run("INSERT INTO M_認証機グループ (認証機グループコード,認証機ID,認証機グループ名) "
            "VALUES (5,2,'会議室'), (5,3,'会議室')");
        Run("INSERT INTO entranceState (認証機ID,認証機名) VALUES (1,'正面'), (2,'裏口'), "
            "(3,'倉庫')",
            true);
        CreateTempLogTable(February);
        AddLog(February, "A1", 11, "2/29/2024, 00:30:00", 1, 1);
        AddLog(February, "A1", 21, "2/29/2024, 08:15:00", 1, 1);
        AddLog(February, "B2", 12, "2/29/2024, 17:05:00", 0, 2);
        AddLog(February, "B2", 22, "2/29/2024, 23:59:59", 1, 2);
        AddLog(February, "C3", 11, "2/29/2024, 01:00:00", 1, 3);
        AddLog(February, "A1", 11, "2/28/2024, 10:00:00", 1, 1);
        for (int unit = 1; unit <= 9; ++unit)
            AddLog(February, "A1", 11, "2/15/2024, 09:00:00", 1, unit);
    }

    TReportRun PrintDay(int day, int mode = 0, const QString& code = {},
                        const QString& name = "TRep_EntranceDayLogTotal") {
        const TDateTime date = EncodeDate(2024, 2, day);
        return Print(EntranceSession().Rep_EntranceDayLogTotal, {mode, code, date, date}, name);
    }
};

} // namespace entrance
