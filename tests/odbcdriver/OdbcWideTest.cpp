// A client that uses the wide calls (UTF-16), as general-purpose clients do: Japanese names,
// data and messages arrive intact, with their lengths counted as each call counts them.
#include "OdbcFixture.h"

#include <QString>

namespace {

// UTF-16 text as the wide calls take it.
struct Wide {
    explicit Wide(const QString& text) : Text(text) {}
    SQLWCHAR* operator()() { return reinterpret_cast<SQLWCHAR*>(Text.data()); }
    QString Text;
};

QString FromWide(const SQLWCHAR* text, qsizetype characters) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text), characters);
}

} // namespace

TEST_F(Odbc, WideCallsCarryJapaneseNamesDataAndMessages) {
    Wide connect("DSN=ZorarareVUZU");
    SQLWCHAR completed[256];
    SQLSMALLINT completedLength = 0;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLDriverConnectW(Dbc, nullptr, connect(), SQL_NTS, completed, 256,
                                                &completedLength, SQL_DRIVER_NOPROMPT)))
        << Diag(SQL_HANDLE_DBC, Dbc);
    EXPECT_EQ(FromWide(completed, completedLength).toStdString(),
              QString(connect.Text).toStdString());
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &St)));
    // Such a connection gets some calls in their wide form only, also ones without text.
    EXPECT_EQ(SQLSetConnectAttr(Dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_ON, 0),
              SQL_SUCCESS);
    EXPECT_EQ(SQLProceduresW(St, nullptr, 0, nullptr, 0, nullptr, 0), SQL_SUCCESS);
    SQLFreeStmt(St, SQL_CLOSE);
    Wide insert("INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, '総務部')");
    ASSERT_EQ(SQLExecDirectW(St, insert(), SQL_NTS), SQL_SUCCESS) << Diag(SQL_HANDLE_STMT, St);

    // A length in characters, not in bytes: the text ends where the length says.
    Wide select("SELECT 部門名 AS 部門の名前 FROM M_部門 -- 後ろは読まない");
    ASSERT_EQ(SQLExecDirectW(St, select(), SQLINTEGER(select.Text.indexOf(" --"))), SQL_SUCCESS)
        << Diag(SQL_HANDLE_STMT, St);
    SQLWCHAR name[64];
    SQLSMALLINT nameLength = 0;
    ASSERT_EQ(SQLDescribeColW(St, 1, name, 64, &nameLength, nullptr, nullptr, nullptr, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(nameLength, 5); // characters
    EXPECT_EQ(FromWide(name, nameLength).toStdString(), QString("部門の名前").toStdString());
    SQLSMALLINT labelBytes = 0;
    ASSERT_EQ(SQLColAttributeW(St, 1, SQL_DESC_LABEL, name, sizeof name, &labelBytes, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(labelBytes, 10); // bytes
    EXPECT_EQ(FromWide(name, labelBytes / 2).toStdString(), QString("部門の名前").toStdString());
    // Cut to the buffer: the length is the whole name's, the buffer holds what fits.
    EXPECT_EQ(SQLDescribeColW(St, 1, name, 3, &nameLength, nullptr, nullptr, nullptr, nullptr),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(nameLength, 5);
    EXPECT_EQ(FromWide(name, 2).toStdString(), QString("部門").toStdString());
    EXPECT_EQ(name[2], 0);

    ASSERT_EQ(SQLFetch(St), SQL_SUCCESS);
    SQLWCHAR value[16];
    SQLLEN valueBytes = 0;
    ASSERT_EQ(SQLGetData(St, 1, SQL_C_WCHAR, value, sizeof value, &valueBytes), SQL_SUCCESS);
    EXPECT_EQ(valueBytes, 6);
    EXPECT_EQ(FromWide(value, 3).toStdString(), QString("総務部").toStdString());
    SQLFreeStmt(St, SQL_CLOSE);

    // The message of a failure, through the wide diagnostic calls.
    Wide unknown("SELECT 無い列 FROM M_部門");
    ASSERT_EQ(SQLExecDirectW(St, unknown(), SQL_NTS), SQL_ERROR);
    SQLWCHAR state[6], message[128];
    SQLINTEGER native = 0;
    SQLSMALLINT messageLength = 0;
    ASSERT_EQ(SQLGetDiagRecW(SQL_HANDLE_STMT, St, 1, state, &native, message, 128, &messageLength),
              SQL_SUCCESS);
    EXPECT_EQ(FromWide(state, 5).toStdString(), QString("42S22").toStdString());
    const QString expected = "no such column: 無い列";
    EXPECT_EQ(messageLength, expected.size());
    EXPECT_EQ(FromWide(message, messageLength).toStdString(), QString(expected).toStdString());
    SQLSMALLINT fieldBytes = 0;
    ASSERT_EQ(SQLGetDiagFieldW(SQL_HANDLE_STMT, St, 1, SQL_DIAG_MESSAGE_TEXT, message,
                               sizeof message, &fieldBytes),
              SQL_SUCCESS);
    EXPECT_EQ(fieldBytes, 2 * expected.size());
    EXPECT_EQ(FromWide(message, fieldBytes / 2).toStdString(), QString(expected).toStdString());
}
