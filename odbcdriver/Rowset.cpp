#include "Rowset.h"

#include <sql.h>
#include <sqlext.h>

namespace {

RowsetMove At(int64_t start, int64_t rows) {
    RowsetMove m;
    m.Start = start < 1 ? 0 : start > rows ? rows + 1 : start;
    m.HasRows = start >= 1 && start <= rows;
    return m;
}

RowsetMove FirstWithWarning() {
    RowsetMove m;
    m.Start = 1;
    m.HasRows = true;
    m.BeforeFirst = true;
    return m;
}

RowsetMove Absolute(int64_t offset, int64_t rows, int64_t size) {
    if (offset < 0) {
        if (-offset <= rows)
            return At(rows + offset + 1, rows);
        return -offset > size ? At(0, rows) : FirstWithWarning();
    }
    return At(offset, rows);
}

} // namespace

RowsetMove MoveRowset(int64_t current, int64_t rows, int64_t size, int orientation,
                      int64_t offset) {
    const bool beforeStart = current < 1;
    const bool afterEnd = current > rows;
    switch (orientation) {
    case SQL_FETCH_NEXT:
        if (beforeStart)
            return At(1, rows);
        return At(afterEnd ? rows + 1 : current + size, rows);
    case SQL_FETCH_PRIOR:
        if (afterEnd)
            return At(rows < size ? 1 : rows - size + 1, rows);
        if (beforeStart || current == 1)
            return At(0, rows);
        return current <= size ? FirstWithWarning() : At(current - size, rows);
    case SQL_FETCH_FIRST:
        return At(1, rows);
    case SQL_FETCH_LAST:
        return At(rows <= size ? 1 : rows - size + 1, rows);
    case SQL_FETCH_ABSOLUTE:
        return Absolute(offset, rows, size);
    case SQL_FETCH_RELATIVE:
        if ((beforeStart && offset > 0) || (afterEnd && offset < 0))
            return Absolute(offset, rows, size);
        if (beforeStart || afterEnd)
            return At(beforeStart ? 0 : rows + 1, rows);
        if (current + offset < 1)
            return (current > 1 && -offset <= size) ? FirstWithWarning() : At(0, rows);
        return At(current + offset, rows);
    case SQL_FETCH_BOOKMARK:
        return At(offset, rows);
    default:
        return At(0, rows);
    }
}
