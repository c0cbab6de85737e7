#include "odbcdriver/Rowset.h"

#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

// The positioning rules of SQLFetchScroll, for 25 rows in rowsets of 10 unless said.
TEST(Rowset, FollowsTheOdbcPositioningRules) {
    const int64_t After = 26;
    const struct {
        int64_t Current, Rows, Size;
        int Orientation;
        int64_t Offset;
        int64_t Start;
        bool HasRows, Warning;
    } cases[] = {
        {0, 25, 10, SQL_FETCH_NEXT, 0, 1, true, false},
        {21, 25, 10, SQL_FETCH_NEXT, 0, After, false, false},
        {After, 25, 10, SQL_FETCH_PRIOR, 0, 16, true, false}, // from after the end
        {After, 5, 10, SQL_FETCH_PRIOR, 0, 1, true, false},   // fewer rows than a rowset
        {0, 25, 10, SQL_FETCH_PRIOR, 0, 0, false, false},
        {4, 25, 10, SQL_FETCH_PRIOR, 0, 1, true, true},
        {0, 25, 10, SQL_FETCH_RELATIVE, 3, 3, true, false}, // as absolute from before the start
        {After, 25, 10, SQL_FETCH_RELATIVE, -3, 23, true, false}, // as absolute from after the end
        {After, 25, 10, SQL_FETCH_RELATIVE, 2, After, false, false},
        {1, 25, 10, SQL_FETCH_RELATIVE, -1, 0, false, false},
        {5, 25, 10, SQL_FETCH_RELATIVE, -20, 0, false, false},
        {5, 25, 10, SQL_FETCH_RELATIVE, -8, 1, true, true},
        {5, 25, 10, SQL_FETCH_RELATIVE, 0, 5, true, false}, // refresh
        {5, 25, 10, SQL_FETCH_ABSOLUTE, -30, 0, false, false},
        {5, 25, 40, SQL_FETCH_ABSOLUTE, -30, 1, true, true},
        {5, 25, 10, SQL_FETCH_ABSOLUTE, 0, 0, false, false},
        {5, 25, 10, SQL_FETCH_ABSOLUTE, 26, After, false, false},
        {5, 0, 10, SQL_FETCH_FIRST, 0, 1, false, false}, // an empty result
        {5, 0, 10, SQL_FETCH_LAST, 0, 1, false, false},
        {5, 25, 10, SQL_FETCH_BOOKMARK, 30, After, false, false},
    };
    for (const auto& c : cases) {
        const RowsetMove m = MoveRowset(c.Current, c.Rows, c.Size, c.Orientation, c.Offset);
        EXPECT_EQ(m.Start, c.Start) << c.Current << " " << c.Orientation << " " << c.Offset;
        EXPECT_EQ(m.HasRows, c.HasRows) << c.Current << " " << c.Orientation << " " << c.Offset;
        EXPECT_EQ(m.BeforeFirst, c.Warning) << c.Current << " " << c.Orientation << " " << c.Offset;
    }
}
