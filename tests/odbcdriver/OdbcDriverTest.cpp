#include "OdbcFixture.h"
#include "storage/Connection.h"

#include <QDir>
#include <QFile>

namespace {

// One row of a row-wise bound block: the value, its indicator and the bookmark.
struct Row {
    SQLINTEGER N;
    SQLLEN NInd;
    SQLUINTEGER Bookmark;
    SQLLEN BookmarkInd;
};

} // namespace

TEST_F(Odbc, ConnectsByDataSourceAndByConnectString) {
    EXPECT_TRUE(SQL_SUCCEEDED(DriverConnect("DSN=ZorarareVUZU;PWD="))) << Diag(SQL_HANDLE_DBC, Dbc);
    SQLDisconnect(Dbc);
    EXPECT_TRUE(
        SQL_SUCCEEDED(SQLConnect(Dbc, (SQLCHAR*)"EntParaODBC", SQL_NTS, nullptr, 0, nullptr, 0)))
        << Diag(SQL_HANDLE_DBC, Dbc);
    SQLDisconnect(Dbc);
    EXPECT_TRUE(SQL_SUCCEEDED(DriverConnect(
        QString("DRIVER={%1};DBQ=%2/VODURAVIRIVE.MDB").arg(AccessDriverName, Temp.Path()))))
        << Diag(SQL_HANDLE_DBC, Dbc);
    SQLDisconnect(Dbc);
    EXPECT_EQ(
        DriverConnect(QString("DRIVER={%1};DBQ=%2/MISSING.MDB").arg(AccessDriverName, Temp.Path())),
        SQL_ERROR);
    EXPECT_EQ(DriverConnect("DSN=NoSuchSource"), SQL_ERROR);
    // A value in braces is read whole: ";" and "=" inside it, "}}" for "}".
    const QString odd = Temp.Path() + "/a;b=c}d";
    ASSERT_TRUE(QDir().mkpath(odd));
    ASSERT_TRUE(QFile::copy(Temp.File("ENTRANCESTATE.DB"), odd + "/ENTRANCESTATE.DB"));
    ASSERT_TRUE(
        SQL_SUCCEEDED(DriverConnect(QString("DRIVER={%1};DefaultDir={%2} ;PWD=")
                                        .arg(ParadoxDriverName, QString(odd).replace("}", "}}")))))
        << Diag(SQL_HANDLE_DBC, Dbc);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &St)));
    MustExec("INSERT INTO entranceState (認証機ID, 認証機名) VALUES (7, 'x')");
    SQLFreeHandle(SQL_HANDLE_STMT, St);
    St = nullptr;
    const auto file = SqlConnection::OpenDatabase(odd + "/ENTRANCESTATE.DB");
    const auto written = file->Prepare("SELECT 認証機名 FROM entranceState WHERE 認証機ID = 7");
    ASSERT_TRUE(written->Step());
    EXPECT_EQ(written->Value(0).toString(), "x");
}

TEST_F(Odbc, BlockFetchInEveryOrientation) {
    Connect();
    MakeTwentyFiveRows();
    SQLSetStmtAttr(St, SQL_ATTR_CURSOR_TYPE, (SQLPOINTER)SQL_CURSOR_STATIC, 0);
    SQLSetStmtAttr(St, SQL_ATTR_USE_BOOKMARKS, (SQLPOINTER)SQL_UB_VARIABLE, 0);
    MustExec("SELECT n FROM t ORDER BY n");
    Row rows[10];
    SQLUSMALLINT status[10];
    SQLULEN fetched = 0;
    SQLSetStmtAttr(St, SQL_ATTR_ROW_BIND_TYPE, (SQLPOINTER)sizeof(Row), 0);
    SQLSetStmtAttr(St, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)10, 0);
    SQLSetStmtAttr(St, SQL_ATTR_ROW_STATUS_PTR, status, 0);
    SQLSetStmtAttr(St, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    SQLBindCol(St, 1, SQL_C_SLONG, &rows[0].N, 0, &rows[0].NInd);
    const SQLRETURN bound =
        SQLBindCol(St, 0, SQL_C_VARBOOKMARK, &rows[0].Bookmark, 4, &rows[0].BookmarkInd);
    ASSERT_EQ(bound, SQL_SUCCESS) << Diag(SQL_HANDLE_STMT, St);

    const struct {
        SQLSMALLINT Orientation;
        SQLLEN Offset;
        SQLRETURN Result;
        int First;
        SQLULEN Rows;
    } steps[] = {
        {SQL_FETCH_NEXT, 0, SQL_SUCCESS, 1, 10},
        {SQL_FETCH_NEXT, 0, SQL_SUCCESS, 11, 10},
        {SQL_FETCH_PRIOR, 0, SQL_SUCCESS, 1, 10}, // prior from the second block
        {SQL_FETCH_PRIOR, 0, SQL_NO_DATA, 0, 0},  // prior from the first block: before the start
        {SQL_FETCH_NEXT, 0, SQL_SUCCESS, 1, 10},  // and on from there
        {SQL_FETCH_RELATIVE, 5, SQL_SUCCESS, 6, 10},
        {SQL_FETCH_RELATIVE, -3, SQL_SUCCESS, 3, 10},
        {SQL_FETCH_PRIOR, 0, SQL_SUCCESS_WITH_INFO, 1, 10}, // within one rowset of the start: 01S06
        {SQL_FETCH_LAST, 0, SQL_SUCCESS, 16, 10},
        {SQL_FETCH_ABSOLUTE, 21, SQL_SUCCESS, 21, 5}, // a short block
        {SQL_FETCH_NEXT, 0, SQL_NO_DATA, 0, 0},
        {SQL_FETCH_ABSOLUTE, -10, SQL_SUCCESS, 16, 10},
        {SQL_FETCH_FIRST, 0, SQL_SUCCESS, 1, 10},
    };
    for (const auto& s : steps) {
        const SQLRETURN rc = SQLFetchScroll(St, s.Orientation, s.Offset);
        ASSERT_EQ(rc, s.Result) << s.Orientation << "/" << s.Offset << " "
                                << Diag(SQL_HANDLE_STMT, St);
        EXPECT_EQ(fetched, s.Rows);
        for (SQLULEN i = 0; i < s.Rows; ++i) {
            EXPECT_EQ(rows[i].N, s.First + int(i));
            EXPECT_EQ(rows[i].Bookmark, SQLUINTEGER(s.First + i));
            EXPECT_EQ(status[i], SQL_ROW_SUCCESS);
        }
        for (SQLULEN i = s.Rows; i < 10 && s.Result != SQL_NO_DATA; ++i)
            EXPECT_EQ(status[i], SQL_ROW_NOROW);
    }
    // Back to a bookmarked row: row 13 (variable bookmark), and two rows on from it.
    SQLUINTEGER mark = 13;
    SQLSetStmtAttr(St, SQL_ATTR_FETCH_BOOKMARK_PTR, &mark, 0);
    ASSERT_EQ(SQLFetchScroll(St, SQL_FETCH_BOOKMARK, 0), SQL_SUCCESS);
    EXPECT_EQ(rows[0].N, 13);
    ASSERT_EQ(SQLFetchScroll(St, SQL_FETCH_BOOKMARK, 2), SQL_SUCCESS);
    EXPECT_EQ(rows[0].N, 15);
    // The current row's bookmark through SQLGetData, as the library reads it.
    unsigned char bookmark[256];
    SQLLEN length = 0;
    ASSERT_EQ(SQLGetData(St, 0, SQL_C_VARBOOKMARK, bookmark, sizeof bookmark, &length),
              SQL_SUCCESS);
    EXPECT_EQ(length, 4);
    SQLLEN octets = 0;
    SQLColAttribute(St, 0, SQL_DESC_OCTET_LENGTH, nullptr, 0, nullptr, &octets);
    EXPECT_EQ(octets, 4);
}

TEST_F(Odbc, FixedBookmarksAndTheOlderCalls) {
    Connect();
    MakeTwentyFiveRows();
    SQLSetStmtAttr(St, SQL_ATTR_CURSOR_TYPE, (SQLPOINTER)SQL_CURSOR_STATIC, 0);
    SQLSetStmtAttr(St, SQL_ATTR_USE_BOOKMARKS, (SQLPOINTER)SQL_UB_ON, 0);
    MustExec("SELECT n FROM t ORDER BY n");
    SQLINTEGER n[10];
    SQLLEN nInd[10];
    SQLULEN bookmarks[10] = {0};
    SQLLEN bInd[10];
    SQLSetStmtAttr(St, SQL_ROWSET_SIZE, (SQLPOINTER)10, 0);
    SQLBindCol(St, 1, SQL_C_SLONG, n, 0, nInd);
    SQLBindCol(St, 0, SQL_C_BOOKMARK, bookmarks, 0, bInd);
    SQLULEN fetched = 0;
    SQLUSMALLINT status[10];
    ASSERT_EQ(SQLExtendedFetch(St, SQL_FETCH_ABSOLUTE, 3, &fetched, status), SQL_SUCCESS)
        << Diag(SQL_HANDLE_STMT, St);
    EXPECT_EQ(fetched, 10u);
    EXPECT_EQ(n[0], 3);
    EXPECT_EQ(bookmarks[9], 12u);
    ASSERT_EQ(SQLExtendedFetch(St, SQL_FETCH_BOOKMARK, 20, &fetched, status), SQL_SUCCESS);
    EXPECT_EQ(n[0], 20);
    EXPECT_EQ(fetched, 6u);
    ASSERT_EQ(SQLExtendedFetch(St, SQL_FETCH_PRIOR, 0, &fetched, status), SQL_SUCCESS);
    EXPECT_EQ(n[0], 10);
}

TEST_F(Odbc, KeysetCursorsBecomeStaticWithAWarning) {
    Connect();
    EXPECT_EQ(SQLSetStmtAttr(St, SQL_ATTR_CURSOR_TYPE, (SQLPOINTER)SQL_CURSOR_KEYSET_DRIVEN, 0),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(Diag(SQL_HANDLE_STMT, St).substr(0, 5), "01S02");
    SQLULEN type = 0;
    SQLGetStmtAttr(St, SQL_ATTR_CURSOR_TYPE, &type, 0, nullptr);
    EXPECT_EQ(type, SQLULEN(SQL_CURSOR_STATIC));
    SQLUINTEGER attributes = 0;
    SQLGetInfo(Dbc, SQL_STATIC_CURSOR_ATTRIBUTES1, &attributes, 0, nullptr);
    EXPECT_TRUE(attributes & SQL_CA1_BOOKMARK);
    SQLUSMALLINT supported = 0;
    SQLGetFunctions(Dbc, SQL_API_SQLFETCHSCROLL, &supported);
    EXPECT_EQ(supported, SQL_TRUE);
    // Set on the connection, as the library does at connect: the default of new statements.
    EXPECT_EQ(SQLSetConnectAttr(Dbc, SQL_ATTR_CURSOR_TYPE, (SQLPOINTER)SQL_CURSOR_DYNAMIC, 0),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(SQLSetConnectAttr(Dbc, SQL_ATTR_USE_BOOKMARKS, (SQLPOINTER)SQL_UB_VARIABLE, 0),
              SQL_SUCCESS);
    SQLHSTMT fresh;
    SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &fresh);
    SQLULEN bookmarks = 0;
    SQLGetStmtAttr(fresh, SQL_ATTR_CURSOR_TYPE, &type, 0, nullptr);
    SQLGetStmtAttr(fresh, SQL_ATTR_USE_BOOKMARKS, &bookmarks, 0, nullptr);
    EXPECT_EQ(type, SQLULEN(SQL_CURSOR_STATIC));
    EXPECT_EQ(bookmarks, SQLULEN(SQL_UB_VARIABLE));
    SQLFreeHandle(SQL_HANDLE_STMT, fresh);
}

TEST_F(Odbc, TheImageInAndOut) {
    Connect();
    QByteArray image(900, 0);
    for (int i = 0; i < 900; ++i)
        image[i] = char(i * 7);
    // Bound whole.
    MustExec("DELETE * FROM M_個人情報");
    SQLLEN length = 900;
    ASSERT_EQ(SQLPrepare(St,
                         (SQLCHAR*)"INSERT INTO M_個人情報 (個人コード, 認証画像) VALUES ('A', ?)",
                         SQL_NTS),
              SQL_SUCCESS);
    SQLBindParameter(St, 1, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY, 900, 0, image.data(),
                     900, &length);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLExecute(St))) << Diag(SQL_HANDLE_STMT, St);
    // In pieces at execution time, as the library sends long data.
    SQLFreeStmt(St, SQL_RESET_PARAMS);
    ASSERT_EQ(SQLPrepare(St,
                         (SQLCHAR*)"INSERT INTO M_個人情報 (個人コード, 認証画像) VALUES ('B', ?)",
                         SQL_NTS),
              SQL_SUCCESS);
    SQLLEN atExec = SQL_LEN_DATA_AT_EXEC(900);
    SQLBindParameter(St, 1, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY, 900, 0, image.data(),
                     0, &atExec);
    ASSERT_EQ(SQLExecute(St), SQL_NEED_DATA);
    SQLPOINTER token = nullptr;
    ASSERT_EQ(SQLParamData(St, &token), SQL_NEED_DATA);
    EXPECT_EQ(token, image.data());
    SQLPutData(St, image.data(), 512);
    SQLPutData(St, image.data() + 512, 388);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLParamData(St, &token))) << Diag(SQL_HANDLE_STMT, St);
    SQLFreeStmt(St, SQL_RESET_PARAMS);

    // Out bound, as the dataset's row buffer takes it.
    MustExec("SELECT 個人コード, 認証画像 FROM M_個人情報 ORDER BY 個人コード");
    SQLSMALLINT type = 0;
    SQLLEN octets = 0;
    SQLColAttribute(St, 2, SQL_DESC_CONCISE_TYPE, nullptr, 0, nullptr, (SQLLEN*)&octets);
    EXPECT_EQ(octets, SQL_LONGVARBINARY);
    SQLDescribeCol(St, 2, nullptr, 0, nullptr, &type, nullptr, nullptr, nullptr);
    EXPECT_EQ(type, SQL_LONGVARBINARY);
    char buffer[16384];
    SQLLEN ind = 0;
    SQLBindCol(St, 2, SQL_C_BINARY, buffer, sizeof buffer, &ind);
    ASSERT_EQ(SQLFetch(St), SQL_SUCCESS);
    EXPECT_EQ(ind, 900);
    EXPECT_EQ(QByteArray(buffer, 900), image);
    // Out in pieces.
    ASSERT_EQ(SQLFetch(St), SQL_SUCCESS);
    QByteArray read;
    char piece[256];
    SQLRETURN rc;
    while ((rc = SQLGetData(St, 2, SQL_C_BINARY, piece, sizeof piece, &ind)) != SQL_NO_DATA) {
        ASSERT_TRUE(SQL_SUCCEEDED(rc));
        read.append(piece, int(qMin<SQLLEN>(ind, sizeof piece)));
    }
    EXPECT_EQ(read, image);
}

TEST_F(Odbc, TransactionsCommitAndRollBack) {
    Connect();
    SQLSetConnectAttr(Dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0);
    MustExec("INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, '総務')");
    ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, Dbc, SQL_ROLLBACK), SQL_SUCCESS);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM M_部門"), 0);
    MustExec("INSERT INTO M_部門 (部門コード, 部門名) VALUES (2, '営業')");
    ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, Dbc, SQL_COMMIT), SQL_SUCCESS);
    SQLSetConnectAttr(Dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_ON, 0);
    auto other = SqlConnection::OpenDatabase(Temp.File("VODURAVIRIVE.MDB"));
    auto st = other->Prepare("SELECT 部門名 FROM M_部門");
    ASSERT_TRUE(st->Step());
    EXPECT_EQ(st->Value(0).toString(), "営業");
}

TEST_F(Odbc, FailuresReportEveryDiagnostic) {
    Connect();
    EXPECT_EQ(Exec("ALTER TABLE M_使用認証機 ADD COLUMN 予備 SHORT, ADD COLUMN 登録 BIT"),
              SQL_ERROR);
    EXPECT_EQ(
        Diag(SQL_HANDLE_STMT, St),
        "42S21: duplicate column name: 登録 & HY000: none of the text's statements was applied");
    SQLLEN n = 0;
    Exec("SELECT * FROM M_使用認証機");
    SQLNumResultCols(St, (SQLSMALLINT*)&n);
    EXPECT_EQ(short(n), 6);
    EXPECT_EQ(Exec("SELECT * FROM M_なし"), SQL_ERROR);
    EXPECT_EQ(Diag(SQL_HANDLE_STMT, St), "42S02: no such table: M_なし");
}

TEST_F(Odbc, TheCommunicationProgramsStatements) {
    Connect();
    MustExec("INSERT INTO M_個人情報 (個人コード, 認証画像) VALUES ('0012', X'0102')");
    MustExec("INSERT INTO M_使用認証機 (個人コード, 認証機ID) VALUES ('0012', 1)");
    MustExec("SELECT M_個人情報.個人コード, First(M_個人情報.認証画像) AS 認証画像, "
             "Count(M_使用認証機.認証機ID) AS 未登録認証機数\n"
             "FROM M_個人情報 INNER JOIN M_使用認証機 ON M_個人情報.個人コード = "
             "M_使用認証機.個人コード\n"
             "WHERE (M_使用認証機.登録=False AND M_使用認証機.登録不可=False) AND "
             "(M_使用認証機.認証機ID=1)\n"
             "GROUP BY M_個人情報.個人コード\n"
             "HAVING (((First(M_個人情報.認証画像)) Is Not Null) AND "
             "((Count(M_使用認証機.認証機ID))>0));");
    SQLSMALLINT type = 0;
    SQLDescribeCol(St, 2, nullptr, 0, nullptr, &type, nullptr, nullptr, nullptr);
    EXPECT_EQ(type, SQL_LONGVARBINARY);
    ASSERT_EQ(SQLFetch(St), SQL_SUCCESS);
    char image[16];
    SQLLEN ind = 0;
    ASSERT_EQ(SQLGetData(St, 2, SQL_C_DEFAULT, image, sizeof image, &ind), SQL_SUCCESS);
    EXPECT_EQ(ind, 2);
    // The generated update of a registration row, keyed by its columns.
    QByteArray update =
        "UPDATE M_使用認証機 SET 登録=?, 削除=?, 登録不可=? WHERE 個人コード=? AND 認証機ID=?";
    SQLFreeStmt(St, SQL_CLOSE);
    ASSERT_EQ(SQLPrepare(St, (SQLCHAR*)update.data(), SQL_NTS), SQL_SUCCESS);
    SQLSMALLINT params = 0;
    SQLNumParams(St, &params);
    EXPECT_EQ(params, 5);
    char yes[] = "1", no[] = "0", code[] = "0012", unit[] = "1";
    SQLLEN nts = SQL_NTS;
    SQLBindParameter(St, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_BIT, 1, 0, yes, 0, &nts);
    SQLBindParameter(St, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_BIT, 1, 0, no, 0, &nts);
    SQLBindParameter(St, 3, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_BIT, 1, 0, no, 0, &nts);
    SQLBindParameter(St, 4, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, code, 0, &nts);
    SQLBindParameter(St, 5, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_INTEGER, 10, 0, unit, 0, &nts);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLExecute(St))) << Diag(SQL_HANDLE_STMT, St);
    SQLLEN changed = 0;
    SQLRowCount(St, &changed);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM M_使用認証機 WHERE 登録=True"), 1);
    // A text that is no number, sent for a numeric parameter, is refused.
    char notNumber[] = "1x";
    SQLFreeStmt(St, SQL_CLOSE);
    ASSERT_EQ(SQLPrepare(St, (SQLCHAR*)update.data(), SQL_NTS), SQL_SUCCESS);
    SQLBindParameter(St, 5, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_INTEGER, 10, 0, notNumber, 0, &nts);
    EXPECT_EQ(SQLExecute(St), SQL_ERROR);
    EXPECT_EQ(Diag(SQL_HANDLE_STMT, St).substr(0, 7), "22018: ");
    MustExec("DELETE * FROM M_使用認証機\nWHERE 個人コード='0012' AND 認証機ID=1");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM M_使用認証機"), 0);
}

TEST_F(Odbc, TheUnitDialogOnTheUnitTable) {
    Connect("EntParaODBC");
    MustExec("INSERT INTO entranceState (認証機ID, 認証機名, 認証機種別, 作動状況) Values "
             "(1,'認証機1',Null,True)");
    MustExec("SELECT 認証機ID, 認証機名,稼動開始,稼動終了,作動状況 FROM entranceState.DB\nWHERE "
             "認証機ID=1");
    SQLLEN value = 0;
    SQLColAttribute(St, 2, SQL_DESC_CONCISE_TYPE, nullptr, 0, nullptr, &value);
    EXPECT_EQ(value, SQL_VARCHAR);
    SQLColAttribute(St, 2, SQL_DESC_OCTET_LENGTH, nullptr, 0, nullptr, &value);
    EXPECT_EQ(value, 120); // 40 characters of up to three UTF-8 bytes
    SQLColAttribute(St, 3, SQL_DESC_CONCISE_TYPE, nullptr, 0, nullptr, &value);
    EXPECT_EQ(value, SQL_TYPE_TIME);
    SQLColAttribute(St, 5, SQL_DESC_CONCISE_TYPE, nullptr, 0, nullptr, &value);
    EXPECT_EQ(value, SQL_BIT);
    char table[64];
    SQLSMALLINT length = 0;
    SQLColAttribute(St, 2, SQL_DESC_BASE_TABLE_NAME, table, sizeof table, &length, nullptr);
    EXPECT_STREQ(table, "entranceState");
    // The dataset's generated update, times as timestamps.
    SQLFreeStmt(St, SQL_CLOSE);
    ASSERT_EQ(
        SQLPrepare(St,
                   (SQLCHAR*)"UPDATE entranceState.DB SET 認証機名=?, 稼動開始=? WHERE 認証機ID=?",
                   SQL_NTS),
        SQL_SUCCESS);
    char name[] = "正面玄関";
    TIMESTAMP_STRUCT start = {1899, 12, 30, 8, 30, 0, 0};
    SQLINTEGER id = 1;
    SQLLEN nts = SQL_NTS, fixed = 0;
    SQLBindParameter(St, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 40, 0, name, 0, &nts);
    SQLBindParameter(St, 2, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 23, 0,
                     &start, 0, &fixed);
    SQLBindParameter(St, 3, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &id, 0, &fixed);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLExecute(St))) << Diag(SQL_HANDLE_STMT, St);
    MustExec("SELECT 認証機名, 稼動開始 FROM entranceState");
    ASSERT_EQ(SQLFetch(St), SQL_SUCCESS);
    char text[64];
    SQLLEN ind;
    SQLGetData(St, 1, SQL_C_CHAR, text, sizeof text, &ind);
    EXPECT_STREQ(text, "正面玄関");
    TIME_STRUCT time = {};
    SQLGetData(St, 2, SQL_C_TYPE_TIME, &time, 0, &ind);
    EXPECT_EQ(time.hour, 8);
    EXPECT_EQ(time.minute, 30);
    EXPECT_EQ(SQLGetData(St, 2, SQL_C_TYPE_TIME, &time, 0, &ind), SQL_NO_DATA);
    // The catalog of the folder lists the table files.
    SQLFreeStmt(St, SQL_CLOSE);
    ASSERT_EQ(SQLTables(St, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(St), SQL_SUCCESS);
    SQLGetData(St, 3, SQL_C_CHAR, text, sizeof text, &ind);
    EXPECT_STREQ(text, "ENTRANCESTATE");
}

// The library's default: the ODBC 2 calls, which the driver manager maps onto the driver.
TEST_F(Odbc, TheOdbc2CallsThroughTheDriverManager) {
    SQLHENV env;
    SQLHDBC dbc;
    SQLHSTMT st;
    ASSERT_EQ(SQLAllocEnv(&env), SQL_SUCCESS);
    ASSERT_EQ(SQLAllocConnect(env, &dbc), SQL_SUCCESS);
    ASSERT_TRUE(
        SQL_SUCCEEDED(SQLConnect(dbc, (SQLCHAR*)"ZorarareVUZU", SQL_NTS, nullptr, 0, nullptr, 0)));
    ASSERT_EQ(SQLSetConnectOption(dbc, SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF), SQL_SUCCESS);
    ASSERT_EQ(SQLAllocStmt(dbc, &st), SQL_SUCCESS);
    EXPECT_EQ(SQLSetStmtOption(st, SQL_CURSOR_TYPE, SQL_CURSOR_KEYSET_DRIVEN),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(SQLSetStmtOption(st, SQL_USE_BOOKMARKS, SQL_UB_ON), SQL_SUCCESS);
    EXPECT_EQ(SQLSetStmtOption(st, SQL_ROWSET_SIZE, 2), SQL_SUCCESS);
    for (const char* sql : {"INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, '総務')",
                            "INSERT INTO M_部門 (部門コード, 部門名) VALUES (2, '営業')",
                            "INSERT INTO M_部門 (部門コード, 部門名) VALUES (3, '開発')"}) {
        ASSERT_EQ(SQLExecDirect(st, (SQLCHAR*)sql, SQL_NTS), SQL_SUCCESS);
        SQLFreeStmt(st, SQL_CLOSE);
    }
    ASSERT_EQ(SQLTransact(env, dbc, SQL_COMMIT), SQL_SUCCESS);
    SQLFreeStmt(st, SQL_DROP);
    ASSERT_EQ(SQLAllocStmt(dbc, &st), SQL_SUCCESS);
    SQLSetStmtOption(st, SQL_CURSOR_TYPE, SQL_CURSOR_STATIC);
    SQLSetStmtOption(st, SQL_ROWSET_SIZE, 2);
    ASSERT_EQ(SQLExecDirect(st,
                            (SQLCHAR*)"SELECT 部門コード, 部門名 FROM M_部門 ORDER BY 部門コード",
                            SQL_NTS),
              SQL_SUCCESS);
    SQLLEN type = 0, length = 0;
    SQLColAttributes(st, 2, SQL_COLUMN_TYPE, nullptr, 0, nullptr, &type);
    SQLColAttributes(st, 2, SQL_COLUMN_LENGTH, nullptr, 0, nullptr, &length);
    EXPECT_EQ(type, SQL_VARCHAR);
    EXPECT_EQ(length, 90);
    SQLINTEGER codes[2];
    SQLLEN ind[2];
    SQLBindCol(st, 1, SQL_C_SLONG, codes, 0, ind);
    SQLULEN fetched = 0;
    SQLUSMALLINT status[2];
    ASSERT_EQ(SQLExtendedFetch(st, SQL_FETCH_LAST, 0, &fetched, status), SQL_SUCCESS);
    EXPECT_EQ(codes[0], 2);
    EXPECT_EQ(codes[1], 3);
    SQLFreeStmt(st, SQL_CLOSE);
    EXPECT_EQ(SQLExecDirect(st, (SQLCHAR*)"SELECT * FROM M_なし", SQL_NTS), SQL_ERROR);
    SQLCHAR state[6], message[256];
    SQLINTEGER native;
    SQLSMALLINT size;
    ASSERT_EQ(SQLError(env, dbc, st, state, &native, message, sizeof message, &size), SQL_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<char*>(message), "no such table: M_なし");
    SQLFreeStmt(st, SQL_DROP);
    SQLDisconnect(dbc);
    SQLFreeConnect(dbc);
    SQLFreeEnv(env);
}
