#include "OdbcFixture.h"

#include <cstring>

TEST_F(OdbcTest, ColumnsAreDescribedAndLaidOut) {
    Dm.Columns = {
        // A driver that counts characters: the first text column tells for all of them.
        {"wide", SQL_CHAR, 20, 10},
        {"name", SQL_VARCHAR, 40},
        {"id", SQL_INTEGER, 4},
        {"image", SQL_LONGVARBINARY, 1073741823},
        {"amount", SQL_NUMERIC, 0, 0, 10, 2, true},
        {"flag", SQL_BIT, 1, 0, 0, 0, false, false, false},
    };
    Dm.Rows = {{"ab", "abc", IntBytes(7), std::string(900, 'x'), "12345678.90", "\1"}};
    auto query = NewQuery(ODBC35);
    query->LongDataLimit = 16384;
    query->SetSQLText("SELECT * FROM t");
    query->Execute();
    const TResultCols& cols = query->ResultCols();
    ASSERT_EQ(query->ColumnCount(), 6);
    EXPECT_EQ(cols.Items(1).SQLType, SQL_WCHAR);
    EXPECT_EQ(cols.Items(1).Size, 21);
    EXPECT_EQ(cols.Items(2).SQLType, SQL_WVARCHAR);
    EXPECT_EQ(cols.Items(2).Size, 41);
    EXPECT_EQ(cols.DataLength(2), 40);
    EXPECT_EQ(cols.Items(3).Size, 4);
    EXPECT_TRUE(cols.Items(3).Numeric);
    EXPECT_EQ(cols.Items(4).Size, 16384);
    EXPECT_EQ(cols.Items(5).Size, 13);
    EXPECT_EQ(cols.Items(5).Scale, 2);
    EXPECT_TRUE(cols.Items(5).Money);
    EXPECT_FALSE(cols.Items(6).Nullable);
    EXPECT_FALSE(cols.Items(6).Updatable);
    EXPECT_EQ(cols.Items(3).Offset, 21 + 41 + 2 * qoIndicatorSize);
    EXPECT_EQ(cols.IndexOf("amount"), 5);
    EXPECT_EQ(query->RowBufSize(), 21 + 41 + 4 + 16384 + 13 + 1 + 6 * qoIndicatorSize);

    QByteArray row(query->RowBufSize(), '\0');
    EXPECT_TRUE(query->FetchToRec(row.data()));
    EXPECT_TRUE(Dm.Called("SQLBindCol 1 1")); // wide, mapped to char
    EXPECT_TRUE(Dm.Called("SQLBindCol 5 1")); // NUMERIC as text
    EXPECT_STREQ(row.constData() + cols.Items(5).Offset, "12345678.90");
    SQLLEN imageLength = 0;
    memcpy(&imageLength, row.constData() + cols.Items(4).Offset + cols.Items(4).Size,
           sizeof(imageLength));
    EXPECT_EQ(imageLength, 900);
    EXPECT_EQ(ErrorOf([&] { cols.IndexOf("nosuch"); }).Message(),
              "ResultCols: Column not found. Name=nosuch");
}

TEST_F(OdbcTest, FetchBufSizeRange) {
    auto query = NewQuery();
    for (int bad : {0, 1048577})
        EXPECT_EQ(ErrorOf([&] { query->SetFetchBufSize(bad); }).Message(),
                  "Q1: Valid value is 1 thru 1048576");
    EXPECT_EQ(ErrorOf([&] { query->RowBufSize(); }).Message(),
              "Q1: Number of result column is zero or RowBufSize over 2G byte.");
    EXPECT_EQ(ErrorOf([&] { query->ResultCols(); }).Message(), "Q1: ResultCols is null.");
}

TEST_F(OdbcTest, FetchRowGivesTexts) {
    SetTable(2);
    Dm.Columns[0].Type = SQL_VARCHAR;
    Dm.Rows[0][0] = "12";
    Dm.Rows[1] = {std::nullopt, std::string(600, 'z')};
    auto query = NewQuery();
    int events = 0;
    query->OnFetchData = [&](TComponent*, TqoFetchMethod method) {
        EXPECT_EQ(method, qoFetchRow);
        ++events;
    };
    query->SetSQLText("SELECT id, name FROM t");
    query->Execute();
    ASSERT_TRUE(query->FetchRow());
    EXPECT_EQ(query->RowValues().Lines(), (QStringList{"QueryODBC Result Row", "12", "name1"}));
    ASSERT_TRUE(query->FetchRow());
    EXPECT_EQ(query->RowValues()[1], "<Null>");
    EXPECT_EQ(query->RowValues()[2].size(), 512);
    EXPECT_FALSE(query->FetchRow());
    EXPECT_EQ(events, 2);
    // The end of the result drops the statement (CursorState qoDrop).
    EXPECT_EQ(query->StmtHandle(), nullptr);
}

TEST_F(OdbcTest, BlockFetchInEveryOrientation) {
    for (TqoODBCVersion version : {ODBC20, ODBC30, ODBC35}) {
        SCOPED_TRACE(version);
        SetUp();
        SetTable(25);
        auto query = NewQuery(version);
        const QByteArray rows = WalkTwentyFiveRows(*query);
        EXPECT_EQ(query->RowBufSize(), 4 + 41 + 2 * qoIndicatorSize + qoBookmarkSize);
        EXPECT_EQ(Dm.CallsOf("SQLBindCol").size(), 3u);
        // The fake's bookmark is the row number.
        BOOKMARK bookmark = 0;
        memcpy(&bookmark, rows.constData() + query->RowBufSize() - qoBookmarkSize,
               sizeof(bookmark));
        EXPECT_EQ(bookmark, 3u);
    }
}

TEST_F(OdbcTest, ForwardOnlyHasNoCapabilitiesAndNoBookmark) {
    SetTable(3);
    auto query = NewQuery();
    query->SetCursorType(qoForwardOnly);
    query->SetUseBookmarks(true);
    query->SetSQLText("SELECT id, name FROM t");
    query->Execute();
    const TqoFetchCapabilities& caps = query->Capabilities();
    EXPECT_FALSE(caps.First || caps.Last || caps.Prior || caps.Absolute || caps.Relative ||
                 caps.Bookmark);
    QByteArray row(query->RowBufSize(), '\0');
    EXPECT_TRUE(query->FetchToRec(row.data()));
    EXPECT_FALSE(Dm.Called("SQLBindCol 0 -2"));
    EXPECT_EQ(query->RowBufSize(), 4 + 41 + 2 * qoIndicatorSize);
}

TEST_F(OdbcTest, NullBufferAndChangesWhileExecuted) {
    SetTable(3);
    auto query = NewQuery();
    query->CursorState = qoKeep;
    query->SetSQLText("SELECT id, name FROM t");
    query->Execute();
    EXPECT_EQ(ErrorOf([&] { query->FetchToRec(nullptr); }).Message(),
              "QueryODBC: Null pointer on FetchToRec.");
    EXPECT_EQ(ErrorOf([&] { query->SetUseBookmarks(true); }).Message(),
              "Q1: Can't Change during Executed");
    EXPECT_EQ(ErrorOf([&] { query->SetCursorType(qoStatic); }).Message(),
              "Q1: Can't Change during Executed");
}

TEST_F(OdbcTest, GetDataAndBookmarks) {
    SetTable(3);
    auto query = NewQuery();
    query->CursorState = qoKeep;
    query->SetSQLText("SELECT id, name FROM t");
    query->Execute();
    ASSERT_TRUE(query->FetchRow());
    char text[4] = {};
    SQLLEN length = sizeof(text);
    EXPECT_TRUE(query->GetData(2, text, length)); // "name1" does not fit
    EXPECT_STREQ(text, "nam");
    EXPECT_EQ(length, 5);
    EXPECT_EQ(ErrorOf([&] {
                  SQLLEN l = 4;
                  query->GetData(3, text, l);
              }).Message(),
              "QueryODBC: Column number too big. Col=3");
    char bookmark[8] = {};
    query->GetBookmark(bookmark);
    EXPECT_EQ(bookmark[0], 1);
    Dm.BookmarkOctetLength = 12;
    EXPECT_EQ(ErrorOf([&] { query->GetBookmark(bookmark); }).Message(),
              "QueryODBC: Set BookmarkLength to 12");
}

TEST_F(OdbcTest, WideBookmarksAreNotUsed) {
    SetTable(3);
    Dm.BookmarkOctetLength = 16;
    auto query = NewQuery(ODBC35);
    query->SetUseBookmarks(true);
    query->SetSQLText("SELECT id, name FROM t");
    query->Execute();
    EXPECT_FALSE(query->UseBookmarks());
    EXPECT_EQ(query->RowBufSize(), 4 + 41 + 2 * qoIndicatorSize + qoBookmarkSize);
}

// ODBC 3.0 reads sizes as ODBC 2 column lengths and the numeric details through the
// ODBC 2 call.
TEST_F(OdbcTest, ODBC30DescribesNumbersThroughColAttributes) {
    Dm.Columns = {{"amount", SQL_DECIMAL, 0, 0, 10, 2}, {"name", SQL_CHAR, 20, 10}};
    Dm.Rows = {{"1.50", "x"}};
    auto query = NewQuery(ODBC30);
    query->SetSQLText("SELECT amount, name FROM t");
    query->Execute();
    EXPECT_EQ(query->ResultCols().Items(1).Size, 13);
    EXPECT_EQ(query->ResultCols().Items(2).SQLType, SQL_CHAR);
    EXPECT_EQ(query->ResultCols().Items(2).Size, 21);
    EXPECT_TRUE(Dm.Called("SQLColAttributes 1 4"));
    EXPECT_TRUE(Dm.Called("SQLColAttribute 2 3"));
    EXPECT_FALSE(Dm.Called("SQLColAttribute 2 1003"));
}
