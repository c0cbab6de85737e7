#include "base/DateTime.h"
#include "entrance/reports/persons/PersonReportTexts.h"
#include "entrance/reports/persons/UserLogView.h"
#include "entrance/reports/persons/UserUnitMatrix.h"

#include <gtest/gtest.h>

using namespace entrance;

namespace {

TEST(UserLogView, CountsEntriesAndExitsPerUnit) {
    const QList<int> units{1, 2, 4};
    const struct {
        const char* name;
        QList<TUserLogRecord> records;
        QList<TUnitCounts> counts;
    } cases[] = {
        {"no record", {}, {{}, {}, {}}},
        {"entries at 1 and 2, exit at 2", {{1, 11}, {2, 12}, {2, 21}}, {{1, 0}, {1, 1}, {}}},
        {"both exit operations", {{4, 21}, {4, 22}, {4, 11}}, {{}, {}, {1, 2}}},
        {"unit 3 is not listed", {{3, 11}, {3, 21}, {1, 22}}, {{0, 1}, {}, {}}},
        {"unit 0 is not listed", {{0, 11}}, {{}, {}, {}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountsPerUnit(units, c.records), c.counts) << c.name;
    EXPECT_TRUE(CountsPerUnit({}, {{1, 11}}).isEmpty());
}

TEST(UserLogView, OperationWords) {
    const struct {
        int operation;
        const char* word;
    } cases[] = {{11, "入室"}, {12, "入室"}, {21, "退室"}, {22, "退室"}};
    for (const auto& c : cases)
        EXPECT_EQ(OperationWord(c.operation), c.word) << c.operation;
}

TEST(UserUnitMatrix, ColumnsCaptionedByExistingUnits) {
    const QStringList captions = MatrixCaptions({1, 2, 4});
    ASSERT_EQ(captions.size(), MatrixColumns);
    QStringList expected(MatrixColumns);
    expected[0] = "1";
    expected[1] = "2";
    expected[3] = "4";
    EXPECT_EQ(captions, expected);
    EXPECT_EQ(MatrixCaptions({32, 33}).last(), "32");

    const struct {
        const char* name;
        QList<int> personUnits;
        QList<int> marked; // columns, from 1
    } cases[] = {
        {"no units", {}, {}},
        {"units 1 and 4", {1, 4}, {1, 4}},
        {"unit 3 is not listed", {2, 3}, {2}},
        {"beyond the columns", {33, 0}, {}},
    };
    for (const auto& c : cases) {
        const QStringList cells = MatrixRowCells(captions, c.personUnits);
        ASSERT_EQ(cells.size(), MatrixColumns) << c.name;
        for (int col = 1; col <= MatrixColumns; ++col)
            EXPECT_EQ(cells[col - 1], c.marked.contains(col) ? "◆" : "") << c.name << " " << col;
    }
}

TEST(UserUnitMatrix, LegendNamesEachUnitWithItsID) {
    EXPECT_EQ(MatrixLegendText(4, "正面玄関"), " 4:正面玄関");
    EXPECT_EQ(MatrixLegendText(12, "倉庫"), "12:倉庫");
}

TEST(PersonReportTexts, ColumnsOfAPerson) {
    const struct {
        bool isNull;
        int sex;
        const char* word;
    } sexes[] = {{true, 0, ""}, {false, 0, "男"}, {false, 1, "女"}, {false, 2, ""}};
    for (const auto& c : sexes)
        EXPECT_EQ(SexWord(c.isNull, c.sex), c.word) << c.isNull << " " << c.sex;

    EXPECT_EQ(EndDateText(0), "");
    EXPECT_EQ(EndDateText(EncodeDate(2026, 3, 5)), "2026/03/05");
    EXPECT_EQ(AgeText(0), "");
    const QDate birth = QDate::currentDate().addYears(-30);
    EXPECT_EQ(AgeText(EncodeDate(birth.year(), birth.month(), birth.day())), "30");
}

} // namespace
