#pragma once

#include "FakeDriverManager.h"
#include "odbc/ConnectionODBC.h"
#include "odbc/ODBCCore.h"

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
