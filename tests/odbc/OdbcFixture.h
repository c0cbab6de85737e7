#pragma once

#include "FakeDriverManager.h"
#include "odbc/ConnectionODBC.h"
#include "odbc/ODBCCore.h"
#include "odbcdriver/OdbcInstaller.h"

#include "tests/common/TempFolder.h"

#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <memory>

// The fake driver manager's state, shared with the copy the library loads by file name.
inline FakeDriverManager& Fake() {
    static void* module = dlopen(FAKE_DM_PATH, RTLD_NOW);
    static auto control = reinterpret_cast<FakeDriverManager* (*)()>(dlsym(module, "FakeControl"));
    return *control();
}

// Tests of the library against the fake driver manager, which can scroll and bookmark.
class OdbcTest : public ::testing::Test {
protected:
    FakeDriverManager& Dm = Fake();

    void SetUp() override {
        Dm.Reset();
        const SQLUINTEGER all = SQL_CA1_ABSOLUTE | SQL_CA1_RELATIVE | SQL_CA1_BOOKMARK;
        Dm.Info[SQL_KEYSET_CURSOR_ATTRIBUTES1] = all;
        Dm.Info[SQL_STATIC_CURSOR_ATTRIBUTES1] = all;
        Dm.Info[SQL_FETCH_DIRECTION] = SQL_FD_FETCH_NEXT | SQL_FD_FETCH_FIRST | SQL_FD_FETCH_LAST |
                                       SQL_FD_FETCH_PRIOR | SQL_FD_FETCH_ABSOLUTE |
                                       SQL_FD_FETCH_RELATIVE | SQL_FD_FETCH_BOOKMARK;
    }

    template <typename Q = TCustomQueryODBC>
    std::unique_ptr<Q> NewQuery(TqoODBCVersion version = ODBC35, const QString& name = "Q1") {
        auto query = std::make_unique<Q>();
        query->SetName(name);
        query->LibraryName = FAKE_DM_PATH;
        query->SetDSName("ZorarareVUZU");
        query->SetODBCVersion(version);
        return query;
    }

    // A result of `rows` rows: an INTEGER 個人コード-like id and a VARCHAR(40) name.
    void SetTable(int rows) {
        Dm.Columns = {{"id", SQL_INTEGER, 4}, {"name", SQL_VARCHAR, 40}};
        Dm.Rows.clear();
        for (int i = 1; i <= rows; ++i)
            Dm.Rows.push_back({IntBytes(i), "name" + std::to_string(i)});
    }

    static std::string IntBytes(int32_t value) {
        return std::string(reinterpret_cast<const char*>(&value), sizeof(value));
    }
};

// The EODBCError a call raises, or a failure when it raises none.
template <typename F> EODBCError ErrorOf(F&& call) {
    try {
        call();
    } catch (const EODBCError& e) {
        return e;
    }
    ADD_FAILURE() << "no EODBCError raised";
    return EODBCError({});
}

// unixODBC reads where its files are when it is loaded, so the whole test program registers
// the driver in one folder, once, and keeps the driver manager loaded from then on.
inline void InstallDriverOnce() {
    static TempFolder folder;
    static const bool installed = [] {
        InstallOdbcDriver(folder.Path());
        return dlopen("libodbc.so.2", RTLD_NOW) != nullptr;
    }();
    ASSERT_TRUE(installed);
}

// Reads a result of 25 rows (an INTEGER id 1..25, then a name) in blocks of 10 in every
// fetch orientation, bookmarks included; returns the block fetched by the third row's
// bookmark. The query is set up but not yet executed.
inline QByteArray WalkTwentyFiveRows(TCustomQueryODBC& query) {
    query.SetUseBookmarks(true);
    query.CursorState = qoKeep;
    query.SetSQLText("SELECT id, name FROM t ORDER BY id");
    query.Execute();
    const int rowSize = query.RowBufSize();
    const int idOffset = query.ResultCols().Items(1).Offset;
    const auto idAt = [&](const QByteArray& rows, int row) {
        int32_t id = 0;
        memcpy(&id, rows.constData() + row * rowSize + idOffset, sizeof(id));
        return id;
    };
    QByteArray rows(rowSize * 10, '\0');
    std::vector<SQLUSMALLINT> status(10);
    query.SetRowArraySize(10);
    EXPECT_EQ(ErrorOf([&] { query.FetchToRec(rows.data()); }).Message(),
              "QueryODBC: FetchRowStatus required.");
    query.RowStatus = status.data();

    struct Step {
        SQLSMALLINT Orientation;
        SQLLEN Offset;
        int FirstId, Rows;
    };
    const Step steps[] = {
        {SQL_FETCH_NEXT, 0, 1, 10},      {SQL_FETCH_NEXT, 0, 11, 10},
        {SQL_FETCH_PRIOR, 0, 1, 10},     {SQL_FETCH_LAST, 0, 16, 10},
        {SQL_FETCH_ABSOLUTE, 21, 21, 5}, {SQL_FETCH_RELATIVE, -15, 6, 10},
        {SQL_FETCH_FIRST, 0, 1, 10},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.Orientation);
        query.FetchOrientation = step.Orientation;
        query.FetchOffset = step.Offset;
        EXPECT_TRUE(query.FetchToRec(rows.data()));
        EXPECT_EQ(query.RowsFetched(), SQLULEN(step.Rows));
        EXPECT_EQ(idAt(rows, 0), step.FirstId);
        EXPECT_EQ(idAt(rows, step.Rows - 1), step.FirstId + step.Rows - 1);
        EXPECT_EQ(status[size_t(step.Rows - 1)], SQL_ROW_SUCCESS);
    }
    // The third row's bookmark starts a block there.
    SQLLEN bookmark = 0;
    memcpy(&bookmark, rows.constData() + 3 * rowSize - qoBookmarkSize, sizeof(bookmark));
    query.FetchOrientation = SQL_FETCH_BOOKMARK;
    query.FetchOffset = bookmark;
    EXPECT_TRUE(query.FetchToRec(rows.data()));
    EXPECT_EQ(idAt(rows, 0), 3);
    const QByteArray byBookmark(rows.constData(), rows.size());

    // Back over the start: the first block once, with a warning, then nothing.
    query.FetchOrientation = SQL_FETCH_PRIOR;
    EXPECT_TRUE(query.FetchToRec(rows.data()));
    EXPECT_EQ(idAt(rows, 0), 1);
    EXPECT_TRUE(query.FetchedWithInfo());
    EXPECT_FALSE(query.FetchToRec(rows.data()));
    EXPECT_TRUE(query.AtStart());
    query.FetchOrientation = SQL_FETCH_ABSOLUTE;
    query.FetchOffset = 26;
    EXPECT_FALSE(query.FetchToRec(rows.data()));
    EXPECT_TRUE(query.AtEnd());
    return byBookmark;
}
