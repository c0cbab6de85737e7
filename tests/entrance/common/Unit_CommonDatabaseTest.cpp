#include "entrance/common/Unit_CommonDatabase.h"
#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "dbengine/Session.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/common/Unit_CommonDatabase.h"
#include "tests/dbengine/EngineFixture.h"

using namespace entrance;

namespace {

// A new data folder with "RORazu" and "ParaOzka", on 10 December 2026.
class CommonDatabase : public EngineFixture {
protected:
    CommonDatabase() {
        Clock::SetNow([] { return EncodeDate(2026, 12, 10) + 0.5; });
        EntranceSession().ProcessingPeriod = TDisposalDayD();
    }
    ~CommonDatabase() override { Clock::SetNow({}); }
    // The office rows as "code,year,month,closing day,closing month".
    QStringList OfficeRows() {
        return Column("SELECT 事業所コード || ',' || 処理年度 || ',' || 処理月 || ',' || "
                      "勤怠締日 || ',' || 勤怠締月 FROM M_事業所");
    }
};

TEST_F(CommonDatabase, AMissingOfficeRowIsCreatedForThisMonth) {
    LoadProcessingPeriod();
    EXPECT_EQ(OfficeRows(), QStringList{"1,2026,12,31,12"});
    EXPECT_EQ(EntranceSession().ProcessingPeriod.Year, 2026);
    EXPECT_EQ(EntranceSession().ProcessingPeriod.Month, 12);
    EXPECT_EQ(EntranceSession().ProcessingPeriod.ClosingMonth, 12);
    EXPECT_EQ(EntranceSession().ProcessingPeriod.ClosingDay, 31);
    EXPECT_EQ(EntranceSession().ProcessingPeriod.StartDate, EncodeDate(2026, 12, 1));
    EXPECT_EQ(EntranceSession().ProcessingPeriod.EndDate, EncodeDate(2026, 12, 31));
}

TEST_F(CommonDatabase, OfficeValuesOutOfRangeAreRepairedAndGoodOnesKept) {
    const struct {
        const char* values; // 処理年度,処理月,勤怠締日,勤怠締月
        const char* stored;
        double start, end;
    } cases[] = {
        {"2001,7,20,7", "1,2001,7,20,7", EncodeDate(2001, 6, 21), EncodeDate(2001, 7, 20)},
        {"1999,0,0,13", "1,2026,12,31,12", EncodeDate(2026, 12, 1), EncodeDate(2026, 12, 31)},
        {"NULL,NULL,NULL,NULL", "1,2026,12,31,12", EncodeDate(2026, 12, 1),
         EncodeDate(2026, 12, 31)},
        {"2025,3,32,4", "1,2025,3,31,4", EncodeDate(2025, 3, 1), EncodeDate(2025, 3, 31)},
        {"2025,2,15,-1", "1,2025,2,15,12", EncodeDate(2025, 1, 16), EncodeDate(2025, 2, 15)},
    };
    for (const auto& c : cases) {
        Run("DELETE FROM M_事業所");
        Run(QString("INSERT INTO M_事業所 (事業所コード,処理年度,処理月,勤怠締日,勤怠締月) "
                    "VALUES (1,%1)")
                .arg(c.values));
        LoadProcessingPeriod();
        EXPECT_EQ(OfficeRows(), QStringList{c.stored}) << c.values;
        EXPECT_EQ(EntranceSession().ProcessingPeriod.StartDate, c.start) << c.values;
        EXPECT_EQ(EntranceSession().ProcessingPeriod.EndDate, c.end) << c.values;
    }
}

TEST_F(CommonDatabase, CloseDatabasesClosesTheAccessDatabaseAndTheTableFilesDatasets) {
    TQuery persons, units, unitIds;
    persons.SetDatabaseName("RORazu");
    persons.SQL().Add("SELECT * FROM M_部門");
    units.SetDatabaseName("ParaOzka");
    units.SQL().Add("SELECT * FROM entranceState");
    unitIds.SetDatabaseName("ParaOzka");
    unitIds.SQL().Add("SELECT 認証機ID FROM entranceState");
    for (TQuery* q : {&persons, &units, &unitIds})
        q->Open();
    CloseDatabases();
    EXPECT_FALSE(DB1.Connected());
    for (TQuery* q : {&persons, &units, &unitIds})
        EXPECT_FALSE(q->Active());
    EXPECT_EQ(DB2.DataSetCount(), 0);
    // Both open again on demand.
    units.Open();
    persons.Open();
    EXPECT_TRUE(DB1.Connected());
}

} // namespace
