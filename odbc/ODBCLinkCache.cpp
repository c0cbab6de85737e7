// The dataset's record cache and navigation: block, whole-result and uncached reading.
#include "ODBCLink.h"

#include "odbc/ODBCLinkThread.h"

#include <cstring>

namespace {

const QString SInvalidOperation = "Invalid operation. Check FetchScroll and CashCount.";
const QString SNoData = "No data returned.";
constexpr int RefindLimit = 10000;

} // namespace

// ---------------------------------------------------------------- rows

void TCustomDBLinkODBC::SetIndicator(uint8_t* row, const TResultCol& col, SQLLEN value) {
    std::memcpy(row + col.Offset + col.Size, &value, sizeof(value));
}

void TCustomDBLinkODBC::InitRow(uint8_t* row) {
    std::memset(row, 0, size_t(FRowSize));
    const TResultCols& cols = FQuery->ResultCols();
    for (int c = 1; c <= cols.Count(); ++c)
        SetIndicator(row, cols.Items(c), SQL_NULL_DATA);
}

TRecordBuffer TCustomDBLinkODBC::AllocRecordBuffer() {
    auto* buffer = new uint8_t[size_t(FRowSize) + 1];
    InternalInitRecord(buffer);
    return buffer;
}

void TCustomDBLinkODBC::InternalInitRecord(TRecordBuffer buffer) {
    InitRow(buffer);
    buffer[FRowSize] = bfCurrent;
}

void TCustomDBLinkODBC::ClearCache() {
    InitRows(FCached ? FCashCount : 1);
}

void TCustomDBLinkODBC::InitRows(int count) {
    InitRow(RowAt(0));
    // Copies of the first: a block fetch clears the cache each time, one pass over the columns.
    for (int i = 1; i < count; ++i)
        std::memcpy(RowAt(i), RowAt(0), size_t(FRowSize));
}

qint64 TCustomDBLinkODBC::BookmarkValue(const uint8_t* row) const {
    qint64 value = 0;
    std::memcpy(&value, row + FRowSize - qoBookmarkSize, sizeof(value));
    return value;
}

void TCustomDBLinkODBC::SetCurrent(int index) {
    FCurIndex = index;
    FCurRow = index >= 0 && index < FRowsInCache ? RowAt(index) : nullptr;
}

void TCustomDBLinkODBC::InvalidOperation() const {
    RaiseDatabaseError(SInvalidOperation);
}

void TCustomDBLinkODBC::RequireCapability(bool capable) const {
    if (!capable)
        InvalidOperation();
}

void TCustomDBLinkODBC::AllocateCache() {
    FCached = FCashCount > 0;
    if (FCached) {
        qint64 bytes = qint64(FRowSize) * (FCashCount + 1);
        if (bytes > INT_MAX)
            RaiseDatabaseError("Buffer size overflow.");
        const qint64 limit = qint64(FCheckBufSize) * 1048576;
        if (FCheckBufSize > 0 && limit < bytes) {
            const int fitting = int(limit / FRowSize);
            if (fitting < 2)
                RaiseDatabaseError("Need more memory(CheckBufSize).");
            FCashCount = fitting;
            bytes = qint64(FRowSize) * (FCashCount + 1);
        }
        FCache = QByteArray(int(bytes), '\0');
        FNextRow = QByteArray(FRowSize, '\0');
        if (FBlockMode) {
            FRowStatus.assign(size_t(FCashCount), 0);
            FQuery->RowStatus = FRowStatus.data();
            FQuery->SetRowArraySize(FCashCount);
        }
    } else {
        FCache = QByteArray(FRowSize, '\0');
    }
    FRowsInCache = 0;
    FCurIndex = 0;
    FCurRow = nullptr;
    FWholeResult = false;
    FWindowBase = 0;
    FMoreRows = false;
    FEndMark = emStart;
}

// ---------------------------------------------------------------- fetching

bool TCustomDBLinkODBC::FetchBlock(SQLSMALLINT orientation, SQLLEN offset) {
    ClearCache();
    FQuery->FetchOrientation = orientation;
    FQuery->FetchOffset = offset;
    const bool found = FQuery->FetchToRec(RowAt(0));
    FRowsInCache = found ? int(FQuery->RowsFetched()) : 0;
    return FRowsInCache > 0;
}

// The uncached row buffer; remembers whether the fetch found a row.
bool TCustomDBLinkODBC::FetchSingle(SQLSMALLINT orientation, SQLLEN offset) {
    InitRow(RowAt(0));
    FQuery->FetchOrientation = orientation;
    FQuery->FetchOffset = offset;
    FLastFetchFound = FQuery->FetchToRec(RowAt(0));
    FCurRow = FLastFetchFound ? RowAt(0) : nullptr;
    return FLastFetchFound;
}

bool TCustomDBLinkODBC::LastFetchForward() const {
    return FQuery->FetchOrientation != SQL_FETCH_PRIOR;
}

void TCustomDBLinkODBC::ReadIntoCache(bool nextRowWaits) {
    const bool queryCursor = FQuery->SQLWaitCursor;
    if (queryCursor) {
        FQuery->SQLWaitCursor = false;
        SetWaitCursor(true);
    }
    auto restore = [&] {
        if (!queryCursor)
            return;
        SetWaitCursor(false);
        if (!ThreadRunning())
            FQuery->SQLWaitCursor = true;
    };
    try {
        InitRows(FCashCount);
        int rows = 0;
        if (nextRowWaits)
            std::memcpy(RowAt(rows++), FNextRow.constData(), size_t(FRowSize));
        FQuery->FetchOrientation = SQL_FETCH_NEXT;
        FMoreRows = false;
        bool started = false;
        // The cache stops at its size without a further fetch, so no row is lost.
        while (rows < FCashCount) {
            if (FBackGroundTrigger > 0 && rows == FBackGroundTrigger) {
                // Published before the thread starts, which publishes from there on.
                FRowsInCache = rows;
                StartBackgroundFetch(rows, queryCursor);
                started = true;
                break;
            }
            if (!FQuery->FetchToRec(ScratchRow()))
                break;
            std::memcpy(RowAt(rows++), ScratchRow(), size_t(FRowSize));
        }
        if (!started) {
            FMoreRows = rows == FCashCount && FetchNextRow();
            FRowsInCache = rows;
        }
        FWholeResult = true;
        SetCurrent(0);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

// A full cache of an unscrollable result reads one row more, so that a result of exactly the
// cache's size is known to be whole; that row waits for the next cache-full.
bool TCustomDBLinkODBC::FetchNextRow() {
    return FQuery->FetchToRec(reinterpret_cast<uint8_t*>(FNextRow.data()));
}

TGetResult TCustomDBLinkODBC::ReadNextWindow() {
    if (!FMoreRows)
        return grEOF;
    FWindowBase += FRowsInCache;
    ReadIntoCache(true);
    return grOK;
}

// ---------------------------------------------------------------- reading records

TGetResult TCustomDBLinkODBC::GetRecord(TRecordBuffer buffer, TGetMode getMode, bool) {
    const TGetResult result = FCached ? GetCachedRecord(getMode) : GetUncachedRecord(getMode);
    if (result != grOK)
        return result;
    std::memcpy(buffer, FCurRow, size_t(FRowSize));
    buffer[FRowSize] = bfCurrent;
    if (FCached && FWholeResult) {
        const qint64 index = FWindowBase + FCurIndex;
        std::memcpy(buffer + FRowSize - qoBookmarkSize, &index, sizeof(index));
    }
    GetCalcFields(buffer);
    return grOK;
}

TGetResult TCustomDBLinkODBC::GetCachedRecord(TGetMode mode) {
    switch (mode) {
    case gmNext:
        return CachedNext();
    case gmPrior:
        return CachedPrior();
    default:
        return CachedCurrent();
    }
}

TGetResult TCustomDBLinkODBC::CachedNext() {
    const int index = FCurIndex + 1;
    if (index < FRowsInCache) {
        SetCurrent(index);
        return grOK;
    }
    if (FWholeResult) {
        while (ThreadRunning() && index >= FRowsInCache)
            WaitForRows(250);
        FinishBackgroundFetch();
        if (index < FRowsInCache) {
            SetCurrent(index);
            return grOK;
        }
        if (ReadNextWindow() == grOK)
            return grOK;
        FCurIndex = FRowsInCache;
        return grEOF;
    }
    if (FBlockMode)
        return BlockNext();
    ReadIntoCache(false);
    return FRowsInCache > 0 ? grOK : grEOF;
}

TGetResult TCustomDBLinkODBC::BlockNext() {
    if (FCurIndex > 1 && LastFetchForward() && FRowsInCache < FCashCount) {
        FRowsInCache = 0;
        FCurIndex = 0;
        return grEOF;
    }
    if (!FetchBlock(SQL_FETCH_NEXT)) {
        FCurIndex = 0;
        return grEOF;
    }
    SetCurrent(0);
    return grOK;
}

TGetResult TCustomDBLinkODBC::CachedPrior() {
    const int index = FCurIndex - 1;
    if (index >= 0 && index < FRowsInCache) {
        SetCurrent(index);
        return grOK;
    }
    if (FWholeResult) {
        // The rows before the cache of a result larger than it are gone.
        if (FWindowBase > 0)
            InvalidOperation();
        FCurIndex = -1;
        return grBOF;
    }
    return BlockPrior();
}

TGetResult TCustomDBLinkODBC::BlockPrior() {
    if (FQuery->FetchOrientation == SQL_FETCH_ABSOLUTE && FQuery->FetchOffset > 1 &&
        FQuery->FetchOffset < FCashCount)
        FQuery->SetRowArraySize(int(FQuery->FetchOffset) - 1);
    RequireCapability(FQuery->Capabilities().Prior);
    std::memcpy(ScratchRow(), RowAt(0), size_t(FRowSize));
    const bool found = FetchBlock(SQL_FETCH_PRIOR);
    FQuery->SetRowArraySize(FCashCount);
    if (!found) {
        SetCurrent(0);
        return grBOF;
    }
    int current = FRowsInCache - 1;
    if (FQuery->FetchedWithInfo()) {
        // The block reached the start and overlaps the one shown before: stop before it.
        const size_t compared = size_t(FRowSize - qoBookmarkSize);
        for (int i = 1; i < FRowsInCache; ++i)
            if (std::memcmp(RowAt(i), ScratchRow(), compared) == 0) {
                current = i - 1;
                break;
            }
    }
    SetCurrent(current);
    return grOK;
}

TGetResult TCustomDBLinkODBC::CachedCurrent() {
    if (FCurIndex >= 0 && FCurIndex < FRowsInCache) {
        SetCurrent(FCurIndex);
        return grOK;
    }
    const SQLSMALLINT last = FQuery->FetchOrientation;
    if (FCurIndex < 0 || last == SQL_FETCH_FIRST || last == SQL_FETCH_PRIOR)
        return FRowsInCache == 0 || FCurIndex < 0 ? grBOF : grEOF;
    return grEOF;
}

TGetResult TCustomDBLinkODBC::GetUncachedRecord(TGetMode mode) {
    const SQLSMALLINT last = FQuery->FetchOrientation;
    switch (mode) {
    case gmNext:
        if (last == SQL_FETCH_FIRST) {
            FQuery->FetchOrientation = SQL_FETCH_NEXT;
            return FLastFetchFound ? grOK : grEOF;
        }
        return FetchSingle(SQL_FETCH_NEXT) ? grOK : grEOF;
    case gmPrior:
        if (last == SQL_FETCH_LAST) {
            FQuery->FetchOrientation = SQL_FETCH_PRIOR;
            return FLastFetchFound ? grOK : grBOF;
        }
        RequireCapability(FQuery->Capabilities().Prior);
        return FetchSingle(SQL_FETCH_PRIOR) ? grOK : grBOF;
    default:
        if (last == SQL_FETCH_FIRST)
            FQuery->FetchOrientation = SQL_FETCH_NEXT;
        else if (last == SQL_FETCH_LAST)
            FQuery->FetchOrientation = SQL_FETCH_PRIOR;
        if (FLastFetchFound)
            return grOK;
        return last == SQL_FETCH_NEXT || last == SQL_FETCH_LAST ? grEOF : grBOF;
    }
}

// ---------------------------------------------------------------- positioning

void TCustomDBLinkODBC::InternalFirst() {
    FEndMark = emStart;
    if (!FCached) {
        if (FQuery->FetchOrientation != SQL_FETCH_FIRST) {
            RequireCapability(FQuery->Capabilities().First);
            FetchSingle(SQL_FETCH_FIRST);
        }
        return;
    }
    if (FWholeResult || !FBlockMode) {
        WaitBackgroundFetch();
        if (FWindowBase > 0)
            ReadAgainFromStart();
        FCurIndex = -1;
        return;
    }
    if (FQuery->FetchOrientation != SQL_FETCH_FIRST) {
        RequireCapability(FQuery->Capabilities().First);
        FetchBlock(SQL_FETCH_FIRST);
    }
    FCurIndex = -1;
    if (FRowsInCache < FCashCount)
        FWholeResult = true;
}

void TCustomDBLinkODBC::InternalLast() {
    FEndMark = emEnd;
    if (!FCached) {
        RequireCapability(FQuery->Capabilities().Last);
        FetchSingle(SQL_FETCH_LAST);
        if (State() == dsInsert)
            FQuery->FetchOrientation = SQL_FETCH_PRIOR;
        return;
    }
    if (FWholeResult || !FBlockMode) {
        if (ThreadRunning()) {
            SetWaitCursor(true);
            WaitBackgroundFetch();
            SetWaitCursor(false);
        }
        FinishBackgroundFetch();
        if (!FWholeResult)
            ReadIntoCache(false);
        while (ReadNextWindow() == grOK) {
        }
    } else if (FQuery->FetchOrientation != SQL_FETCH_LAST) {
        RequireCapability(FQuery->Capabilities().Last);
        FetchBlock(SQL_FETCH_LAST);
    }
    const int rows = FRowsInCache;
    SetCurrent(State() == dsInsert ? rows - 1 : rows);
}

void TCustomDBLinkODBC::InternalGotoBookmark(const void* bookmark) {
    qint64 value = 0;
    std::memcpy(&value, bookmark, sizeof(value));
    if (FCached && FWholeResult) {
        const qint64 index = value - FWindowBase;
        if (index < 0 || index >= FRowsInCache)
            InvalidOperation();
        SetCurrent(int(index));
        return;
    }
    RequireCapability(FQuery->Capabilities().Bookmark);
    if (!FCached) {
        bool found = false;
        try {
            found = FetchSingle(SQL_FETCH_BOOKMARK, SQLLEN(value));
        } catch (const Exception&) {
        }
        if (!found) {
            FSkipRequery = true;
            InternalRefresh();
        }
        return;
    }
    for (int i = 0; i < FRowsInCache; ++i)
        if (BookmarkValue(RowAt(i)) == value) {
            SetCurrent(i);
            return;
        }
    const QByteArray saved = FCache;
    const int rows = FRowsInCache, index = FCurIndex;
    bool found = false;
    try {
        found = FetchBlock(SQL_FETCH_BOOKMARK, SQLLEN(value));
    } catch (const Exception&) {
    }
    if (found) {
        SetCurrent(0);
        return;
    }
    FCache = saved;
    FRowsInCache = rows;
    SetCurrent(index);
}

void TCustomDBLinkODBC::InternalSetToRecord(TRecordBuffer buffer) {
    if (GetBookmarkFlag(buffer) == bfCurrent)
        InternalGotoBookmark(buffer + FRowSize - qoBookmarkSize);
}

// ---------------------------------------------------------------- bookmarks and numbers

void TCustomDBLinkODBC::GetBookmarkData(TRecordBuffer buffer, void* data) {
    std::memcpy(data, buffer + FRowSize - qoBookmarkSize, size_t(qoBookmarkSize) + 1);
}

void TCustomDBLinkODBC::SetBookmarkData(TRecordBuffer buffer, const void* data) {
    std::memcpy(buffer + FRowSize - qoBookmarkSize, data, size_t(qoBookmarkSize) + 1);
}

TBookmarkFlag TCustomDBLinkODBC::GetBookmarkFlag(TRecordBuffer buffer) {
    return TBookmarkFlag(buffer[FRowSize]);
}

void TCustomDBLinkODBC::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) {
    buffer[FRowSize] = value;
}

int TCustomDBLinkODBC::CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2) {
    if (bookmark1.size() < qoBookmarkSize || bookmark2.size() < qoBookmarkSize)
        return TDataSet::CompareBookmarks(bookmark1, bookmark2);
    qint64 a = 0, b = 0;
    std::memcpy(&a, bookmark1.constData(), sizeof(a));
    std::memcpy(&b, bookmark2.constData(), sizeof(b));
    return a == b ? 0 : (a < b ? -1 : 1);
}

bool TCustomDBLinkODBC::CountKnown() {
    FinishBackgroundFetch();
    return FCached && FWholeResult && !ThreadRunning() && !Windowed();
}

int TCustomDBLinkODBC::GetRecordCount() {
    return CountKnown() ? FRowsInCache.load() : -1;
}

int TCustomDBLinkODBC::GetRecNo() {
    if (!CountKnown())
        return -1;
    UpdateCursorPos();
    return FCurIndex + 1;
}

void TCustomDBLinkODBC::SetRecNo(int value) {
    if (value == 0)
        return;
    CheckBrowseMode();
    if (FCached && FWholeResult && !Windowed()) {
        if (value == GetRecNo())
            return;
        WaitBackgroundFetch();
        FinishBackgroundFetch();
        const int rows = FRowsInCache;
        const int index = value > 0 ? value - 1 : rows + value;
        if (index < 0 || index >= rows)
            RaiseDatabaseError(SNoData);
        DoBeforeScroll();
        SetCurrent(index);
    } else {
        RequireCapability(FQuery->Capabilities().Absolute && !Windowed());
        const TBookmark saved = GetBookmark();
        DoBeforeScroll();
        const bool found = FCached ? FetchBlock(SQL_FETCH_ABSOLUTE, value)
                                   : FetchSingle(SQL_FETCH_ABSOLUTE, value);
        if (!found) {
            if (!saved.isEmpty())
                InternalGotoBookmark(saved.constData());
            RaiseDatabaseError(SNoData);
        }
        if (FCached)
            SetCurrent(0);
    }
    Resync(rmCenter);
    DoAfterScroll();
}

bool TCustomDBLinkODBC::FindRecord(bool restart, bool goForward) {
    CheckBrowseMode();
    DoBeforeScroll();
    UpdateCursorPos();
    CursorPosChanged();
    const bool switchFilter = !Filtered() && !Filter().isEmpty();
    if (switchFilter)
        SetFiltered(true);
    bool found = false;
    try {
        if (goForward) {
            if (restart)
                InternalFirst();
            found = GetRecord(ActiveBuffer(), gmNext, true) == grOK;
        } else {
            if (restart)
                InternalLast();
            found = GetRecord(ActiveBuffer(), gmPrior, true) == grOK;
        }
    } catch (...) {
        if (switchFilter)
            SetFiltered(false);
        throw;
    }
    if (switchFilter)
        SetFiltered(false);
    if (!found)
        return false;
    // The found row is shown as the database holds it now. Switching the filter off has
    // already done so; without key columns the row could not be found again.
    if (!switchFilter && !FUpdateKeyColumn.isEmpty()) {
        FRefreshFound = true;
        InternalRefresh();
    }
    ShowFoundRecord();
    return true;
}

// ---------------------------------------------------------------- refresh

bool TCustomDBLinkODBC::RefreshSavedRow(QByteArray& saved) {
    TRecordBuffer active = GetActiveRecordBuffer();
    if (!active)
        return false;
    int end = 0;
    for (const TKeyColumn& key : FKeys)
        if (const TResultCol* col = FindColumn(key.Name))
            end = qMax(end, col->Offset + col->Size + qoIndicatorSize);
    saved = QByteArray(reinterpret_cast<const char*>(active), end);
    return end > 0;
}

void TCustomDBLinkODBC::FindAgain(const QByteArray& saved, bool backward) {
    if (FBookmarksSurviveDrop && !FCached) {
        if (TRecordBuffer active = GetActiveRecordBuffer())
            InternalGotoBookmark(active + FRowSize - qoBookmarkSize);
        GetRecord(TempBuffer(), gmCurrent, false);
        return;
    }
    const TGetMode direction = backward ? gmPrior : gmNext;
    backward ? InternalLast() : InternalFirst();
    for (int reads = 0; reads <= RefindLimit; ++reads) {
        if (GetRecord(TempBuffer(), direction, false) != grOK)
            break;
        if (std::memcmp(TempBuffer(), saved.constData(), size_t(saved.size())) == 0)
            return;
    }
    GetRecord(TempBuffer(), backward ? gmNext : gmPrior, false);
}

// Runs the query again with the parameters it has; a failure closes the dataset.
void TCustomDBLinkODBC::Requery() {
    FQuery->KeepParams = true;
    try {
        BuildSQLText();
        FQuery->Execute();
    } catch (...) {
        FQuery->KeepParams = false;
        Close();
        throw;
    }
    FQuery->KeepParams = false;
}

// The rows before the cache of a result larger than it are gone; the first of them is
// reached by reading the result again.
void TCustomDBLinkODBC::ReadAgainFromStart() {
    Requery();
    ReadIntoCache(false);
}

void TCustomDBLinkODBC::InternalRefresh() {
    StopBackgroundFetch();
    WaitBackgroundFetch();
    FinishBackgroundFetch();
    FQuery->FetchOrientation = SQL_FETCH_RELATIVE;
    FWholeResult = false;
    FRowsInCache = 0;
    FWindowBase = 0;
    FMoreRows = false;
    const bool queryCursor = FQuery->SQLWaitCursor;
    if (queryCursor) {
        FQuery->SQLWaitCursor = false;
        SetWaitCursor(true);
    }
    const bool first = FRefreshFirst || FUpdateKeyColumn.isEmpty();
    const bool last = !first && !FRefreshFound && (Eof() || FRefreshLast);
    const bool atEnd = FEndMark == emEnd;
    FRefreshFirst = FRefreshLast = FRefreshFound = false;
    QByteArray saved;
    const bool find = !first && !last && RefreshSavedRow(saved);
    try {
        if (!FSkipRequery) {
            Requery();
            if (FCached && !FBlockMode) {
                FCurIndex = -1;
                CachedNext();
                CachedPrior();
            } else if (FBlockMode && FCashCount > 1) {
                InternalFirst();
            }
        }
        FSkipRequery = false;
        if (last) {
            InternalLast();
            if (State() != dsInsert)
                SetCurrent(FCurIndex - 1);
        } else if (find) {
            FindAgain(saved, atEnd);
        } else {
            InternalFirst();
            if (FCached)
                SetCurrent(FCurIndex + 1);
            else
                GetRecord(TempBuffer(), gmCurrent, false);
        }
    } catch (...) {
        FSkipRequery = false;
        if (queryCursor) {
            SetWaitCursor(false);
            FQuery->SQLWaitCursor = !ThreadRunning();
        }
        throw;
    }
    if (queryCursor) {
        SetWaitCursor(false);
        FQuery->SQLWaitCursor = !ThreadRunning();
    }
}
