#include "entrance/common/Unit_CommonGrids.h"
#include "ui/StringGrid.h"

#include <gtest/gtest.h>

using namespace entrance;

namespace {

// A 3 x 4 grid with one fixed row, every cell holding "c<col>r<row>".
class CommonGrids : public ::testing::Test {
protected:
    void SetUp() override {
        grid.SetColCount(3);
        grid.SetRowCount(4);
        grid.SetFixedRows(1);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c)
                grid.SetCells(c, r, QString("c%1r%2").arg(c).arg(r));
    }
    TStringGrid grid;
};

TEST_F(CommonGrids, ClearGridRowsEmptiesEveryCellAndKeepsTheRows) {
    ClearGridRows(&grid);
    EXPECT_EQ(grid.RowCount(), 4);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(grid.Rows(r).join(""), "") << r;
}

TEST_F(CommonGrids, ClearGridRowsFromLeavesOneEmptyRowBelowTheKeptOnes) {
    ClearGridRowsFrom(&grid, 1);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.Cells(1, 0), "c1r0");
    EXPECT_EQ(grid.Rows(1).join(""), "");
    // Rows that come back later are empty too.
    grid.SetRowCount(4);
    EXPECT_EQ(grid.Cells(2, 3), "");
}

TEST_F(CommonGrids, NextFreeGridNumberLooksBelowTheFixedRows) {
    const struct {
        QStringList column; // rows 1 to 3
        int expected;
    } cases[] = {
        {{"", "", ""}, 1},
        {{"2", "1", "4"}, 3},
        {{"1", "2", "3"}, 4},
        {{"01", "x", " 1"}, 1}, // only the plain decimal text counts
    };
    for (const auto& c : cases) {
        grid.SetCells(1, 0, "1"); // the fixed row does not count
        for (int r = 1; r <= 3; ++r)
            grid.SetCells(1, r, c.column[r - 1]);
        EXPECT_EQ(NextFreeGridNumber(&grid, 1), c.expected) << c.column.join(",").toStdString();
    }
}

} // namespace
