#pragma once

#include <algorithm>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <sql.h>
#include <sqlext.h>
#include <string>
#include <vector>

// A result column as the fake driver manager describes it.
struct FakeColumn {
    std::string Name;
    SQLSMALLINT Type = SQL_VARCHAR;
    SQLLEN OctetLength = 0;
    // SQL_DESC_LENGTH: characters; half the octet length for a driver that counts wide ones.
    SQLLEN Length = 0;
    SQLLEN Precision = 0;
    SQLLEN Scale = 0;
    bool Money = false;
    bool Nullable = true;
    bool Updatable = true;
    bool Unsigned = false;
    bool AutoIncrement = false;
};

struct FakeDiag {
    std::string State;
    SQLINTEGER Native = 0;
    std::string Text;
};

// What the tests set up and read back; the library under test reaches the same object
// through the SQL entry points of the fake driver manager.
struct FakeDriverManager {
    // Every entry point called, in order; some with details after a blank.
    std::vector<std::string> Calls;
    // Results to give instead of the normal ones, per entry point, once each.
    std::map<std::string, std::deque<SQLRETURN>> Results;
    std::vector<FakeDiag> Diags;
    std::set<SQLUSMALLINT> MissingFunctions;
    std::map<SQLUSMALLINT, SQLUINTEGER> Info;
    std::set<SQLULEN> CursorTypes = {SQL_CURSOR_FORWARD_ONLY, SQL_CURSOR_KEYSET_DRIVEN,
                                     SQL_CURSOR_STATIC};
    SQLULEN CursorFallback = SQL_CURSOR_STATIC;
    SQLULEN TxnIsolation = SQL_TXN_READ_COMMITTED;
    SQLLEN BookmarkOctetLength = 8;
    std::vector<FakeColumn> Columns;
    std::vector<std::vector<std::optional<std::string>>> Rows;
    SQLLEN RowCount = 0;
    int LiveHandles = 0;
    // Values of the last execution's parameters: "NULL", the text, or the raw bytes.
    std::vector<std::string> Params;
    std::vector<SQLULEN> ParamSizes;
    std::vector<size_t> PieceSizes;
    std::string LongData;
    std::string LastSQL;
    std::string ConnectString;
    // Catalog arguments: "<null>" for a null pointer.
    std::vector<std::string> CatalogArgs;

    void Reset() { *this = FakeDriverManager(); }
    bool Called(const std::string& call) const {
        return std::find(Calls.begin(), Calls.end(), call) != Calls.end();
    }
    // The calls that start with prefix, in order.
    std::vector<std::string> CallsOf(const std::string& prefix) const {
        std::vector<std::string> result;
        for (const std::string& call : Calls)
            if (call.rfind(prefix, 0) == 0)
                result.push_back(call);
        return result;
    }
};

extern "C" FakeDriverManager* FakeControl();
