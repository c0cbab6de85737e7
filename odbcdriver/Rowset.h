#pragma once

#include <cstdint>

// Where a block fetch puts the rowset, by the positioning rules of ODBC's SQLFetchScroll.
// Rows are numbered from 1; 0 is "before the start", rows + 1 "after the end".
struct RowsetMove {
    int64_t Start = 0;        // the new rowset's first row, or 0 / rows + 1
    bool HasRows = false;     // false: SQL_NO_DATA
    bool BeforeFirst = false; // moved to row 1 from a request before it: warning 01S06
};

// `orientation` is SQL_FETCH_NEXT, _PRIOR, _FIRST, _LAST, _ABSOLUTE, _RELATIVE or _BOOKMARK;
// `offset` the fetch offset (for a bookmark: the bookmarked row + the offset).
RowsetMove MoveRowset(int64_t current, int64_t rows, int64_t rowsetSize, int orientation,
                      int64_t offset);
