// What a general-purpose client meets through the driver manager: one statement per call,
// the SQLSTATE of each fault, numbers that do not fit, parameter arrays, two writing programs.
#include "OdbcFixture.h"
#include "storage/Connection.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <array>
#include <vector>

namespace {

// Text with its explicit length, NUL characters included.
template <size_t N> QByteArray Text(const char (&s)[N]) {
    return QByteArray(s, N - 1);
}

// The bytes as hexadecimal, as a client sees binary data.
QString Hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

// The state of the first diagnostic, or "" for none.
std::string State(SQLSMALLINT type, SQLHANDLE h) {
    return Odbc::Diag(type, h).substr(0, 5);
}

} // namespace

TEST_F(Odbc, OneStatementPerCallAndTheStateOfEachFault) {
    Connect();
    MustExec("INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, '総務')");
    const struct {
        QByteArray Sql;
        const char* State; // "" when it runs
        const char* Value; // the first value of its result
    } cases[] = {
        {Text("SELECT 部門コード FROM M_部門; DROP TABLE M_部門"), "42000", nullptr},
        {Text("SELECT COUNT(*) FROM M_部門\0; DELETE FROM M_部門"), "42000", nullptr},
        {Text("DELETE FROM M_部門\0 WHERE 部門コード = 2"), "42000", nullptr},
        {Text("SELECT COUNT(*) FROM M_部門;;"), "42000", nullptr},
        {Text("SELECT COUNT(*) FROM M_部門 ; \n"), "", "1"},
        {Text("SELECT \"abcdef"), "42000", nullptr},
        {Text("SELECT \"abcdef\""), "", "abcdef"},
        {Text("SELECT 'abc"), "42000", nullptr},
        {Text("SELECT [部門名 FROM M_部門"), "42000", nullptr},
        {Text("SELECT 部門名 FROM M_部門 WHERE 1 < #12/10/2026"), "42000", nullptr},
        {Text("SELECT 部門名 FROM M_部門 WHERE 1 < #12/10/2026#"), "", "総務"},
        {Text("SELEC 部門名 FROM M_部門"), "42000", nullptr},
        {Text("SELECT 無い列 FROM M_部門"), "42S22", nullptr},
        {Text("SELECT * FROM M_なし"), "42S02", nullptr},
        {Text("CREATE TABLE M_部門 (a SHORT)"), "42S01", nullptr},
        // One statement with several clauses.
        {Text("ALTER TABLE M_使用認証機 ADD COLUMN 予備1 SHORT, ADD COLUMN 予備2 SHORT;"), "",
         nullptr},
    };
    for (const auto& c : cases) {
        SQLFreeStmt(St, SQL_CLOSE);
        QByteArray sql = c.Sql;
        const SQLRETURN rc =
            SQLExecDirect(St, reinterpret_cast<SQLCHAR*>(sql.data()), SQLINTEGER(sql.size()));
        if (*c.State) {
            EXPECT_EQ(rc, SQL_ERROR) << c.Sql.constData();
            EXPECT_EQ(State(SQL_HANDLE_STMT, St), c.State)
                << c.Sql.constData() << " " << Diag(SQL_HANDLE_STMT, St);
            continue;
        }
        ASSERT_TRUE(SQL_SUCCEEDED(rc)) << c.Sql.constData() << " " << Diag(SQL_HANDLE_STMT, St);
        if (!c.Value)
            continue;
        char value[64] = {0};
        SQLLEN ind = 0;
        ASSERT_EQ(SQLFetch(St), SQL_SUCCESS) << c.Sql.constData();
        SQLGetData(St, 1, SQL_C_CHAR, value, sizeof value, &ind);
        EXPECT_STREQ(value, c.Value) << c.Sql.constData();
    }
    EXPECT_EQ(Count("SELECT COUNT(*) FROM M_部門"), 1);
}

// The block fetch writes the usual values by a shorter road than SQLGetData: each must come
// out the same, byte for byte, with the same length and the same state.
TEST_F(Odbc, ABoundColumnReadsAsGetDataReads) {
    Connect();
    MustExec("CREATE TABLE 値 (n LONG, d DOUBLE, t DATETIME, s TEXT (20))");
    MustExec("INSERT INTO 値 (n, d, t, s) VALUES (-32768, 12.5, 46371.75, 'ab')");
    MustExec("INSERT INTO 値 (n, d, t, s) VALUES (32768, -3, 0, 'abcd')");
    MustExec("INSERT INTO 値 (n, d, t, s) VALUES (NULL, 1e300, -1.25, 'あい')");
    const struct {
        const char* Column;
        SQLSMALLINT CType;
        SQLLEN Buffer;
    } cases[] = {
        {"n", SQL_C_SSHORT, 2},
        {"n", SQL_C_SLONG, 4},
        {"n", SQL_C_SBIGINT, 8},
        {"n", SQL_C_DOUBLE, 8},
        {"n", SQL_C_DEFAULT, 4},
        {"n", SQL_C_CHAR, 6},
        {"d", SQL_C_DOUBLE, 8},
        {"d", SQL_C_SSHORT, 2},
        {"d", SQL_C_CHAR, 5},
        {"t", SQL_C_DEFAULT, 16},
        {"t", SQL_C_TYPE_TIMESTAMP, 16},
        {"t", SQL_C_TIMESTAMP, 16},
        {"t", SQL_C_DOUBLE, 8},
        {"s", SQL_C_CHAR, 5},
        {"s", SQL_C_CHAR, 4},
        {"s", SQL_C_CHAR, 3},
        {"s", SQL_C_CHAR, 1},
        {"s", SQL_C_WCHAR, 8},
        {"s", SQL_C_SLONG, 4},
    };
    struct Read {
        std::array<char, 32> Bytes{};
        SQLLEN Length = 0;
        std::string State;
    };
    for (const auto& c : cases) {
        const QString select = QString("SELECT %1 FROM 値 ORDER BY s").arg(c.Column);
        std::vector<Read> got, bound;
        MustExec(select);
        while (SQLFetch(St) == SQL_SUCCESS) {
            Read r;
            SQLGetData(St, 1, c.CType, r.Bytes.data(), c.Buffer, &r.Length);
            r.State = State(SQL_HANDLE_STMT, St);
            got.push_back(r);
        }
        SQLFreeStmt(St, SQL_CLOSE);
        Read r;
        SQLBindCol(St, 1, c.CType, r.Bytes.data(), c.Buffer, &r.Length);
        MustExec(select);
        for (SQLRETURN rc; (rc = SQLFetch(St)) != SQL_NO_DATA && rc != SQL_INVALID_HANDLE;) {
            r.State = State(SQL_HANDLE_STMT, St);
            bound.push_back(r);
            r = Read();
        }
        SQLFreeStmt(St, SQL_CLOSE);
        SQLFreeStmt(St, SQL_UNBIND);
        const std::string what = std::string(c.Column) + " as " + std::to_string(c.CType);
        ASSERT_EQ(bound.size(), got.size()) << what;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(bound[i].State, got[i].State) << what << " row " << i;
            if (got[i].State.empty() || got[i].State[1] == '1') {
                EXPECT_EQ(bound[i].Length, got[i].Length) << what << " row " << i;
                EXPECT_EQ(bound[i].Bytes, got[i].Bytes) << what << " row " << i;
            }
        }
    }
}

TEST_F(Odbc, NumbersThatDoNotFitAreReported) {
    Connect();
    MustExec("CREATE TABLE 数 (l LONG, d DOUBLE, s TEXT (20))");
    const struct {
        const char* Stored; // the row: l, d, s
        const char* Column;
        SQLSMALLINT CType;
        SQLLEN Buffer;
        const char* State; // "" when read cleanly
        double Value;      // what was read, unless it failed
    } cases[] = {
        {"3000000000, 0, ''", "l", SQL_C_SLONG, 4, "22003", 0},
        {"1099511627776, 0, ''", "l", SQL_C_SLONG, 4, "22003", 0},
        {"3000000000, 0, ''", "l", SQL_C_SBIGINT, 8, "", 3e9},
        {"3000000000, 0, ''", "l", SQL_C_ULONG, 4, "", 3e9},
        {"-1, 0, ''", "l", SQL_C_ULONG, 4, "22003", 0},
        {"70000, 0, ''", "l", SQL_C_SSHORT, 2, "22003", 0},
        {"-32768, 0, ''", "l", SQL_C_SSHORT, 2, "", -32768},
        {"2, 0, ''", "l", SQL_C_BIT, 1, "22003", 0},
        {"0, 12.5, ''", "d", SQL_C_SLONG, 4, "01S07", 12},
        {"0, -12.5, ''", "d", SQL_C_SLONG, 4, "01S07", -12},
        {"0, 0.5, ''", "d", SQL_C_BIT, 1, "01S07", 0},
        {"0, 1e300, ''", "d", SQL_C_FLOAT, 4, "22003", 0},
        {"0, 1e300, ''", "d", SQL_C_SBIGINT, 8, "22003", 0},
        {"0, 0, '12.5'", "s", SQL_C_SLONG, 4, "01S07", 12},
        {"0, 0, '4000000000'", "s", SQL_C_SLONG, 4, "22003", 0},
        {"0, 0, 'abc'", "s", SQL_C_SLONG, 4, "22018", 0},
        // As text: whole digits cut off are out of range, fractional ones a truncation.
        {"123456, 0, ''", "l", SQL_C_CHAR, 4, "22003", 0},
        {"0, 12.25, ''", "d", SQL_C_CHAR, 4, "01004", 12.},
    };
    for (const auto& c : cases) {
        const std::string what = std::string(c.Stored) + " as " + c.Column;
        MustExec("DELETE FROM 数");
        MustExec(QString("INSERT INTO 数 (l, d, s) VALUES (%1)").arg(c.Stored));
        MustExec(QString("SELECT %1 FROM 数").arg(c.Column));
        ASSERT_EQ(SQLFetch(St), SQL_SUCCESS);
        union {
            SQLINTEGER Long;
            SQLUINTEGER ULong;
            SQLSMALLINT Short;
            SQLBIGINT Big;
            SQLREAL Real;
            SQLCHAR Bit;
            char Chars[8];
        } value = {};
        SQLLEN ind = 0;
        const SQLRETURN rc = SQLGetData(St, 1, c.CType, &value, c.Buffer, &ind);
        EXPECT_EQ(State(SQL_HANDLE_STMT, St), c.State) << what;
        if (*c.State && c.State[1] != '1') {
            EXPECT_EQ(rc, SQL_ERROR) << what;
            continue;
        }
        const double read = c.CType == SQL_C_SLONG     ? value.Long
                            : c.CType == SQL_C_ULONG   ? value.ULong
                            : c.CType == SQL_C_SSHORT  ? value.Short
                            : c.CType == SQL_C_SBIGINT ? double(value.Big)
                            : c.CType == SQL_C_BIT     ? value.Bit
                            : c.CType == SQL_C_CHAR    ? QByteArray(value.Chars).toDouble()
                                                       : value.Real;
        EXPECT_EQ(read, c.Value) << what;
    }
    // Bound: the row that cannot be written is an error of the fetch.
    MustExec("DELETE FROM 数");
    MustExec("INSERT INTO 数 (l, d, s) VALUES (3000000000, 0, '')");
    MustExec("SELECT l FROM 数");
    SQLINTEGER bound = 0;
    SQLLEN ind = 0;
    SQLBindCol(St, 1, SQL_C_SLONG, &bound, 0, &ind);
    EXPECT_EQ(SQLFetch(St), SQL_ERROR);
    EXPECT_EQ(State(SQL_HANDLE_STMT, St), "22003");
}

// Parameter arrays as a bulk-inserting client binds them: row-wise, column-wise with a skipped
// and a failing set, and with values sent at execution.
TEST_F(Odbc, ParameterArraysRunEverySet) {
    Connect();
    SQLULEN processed = 0;
    SQLUSMALLINT status[4] = {};
    SQLSetStmtAttr(St, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
    SQLSetStmtAttr(St, SQL_ATTR_PARAM_STATUS_PTR, status, 0);
    ASSERT_EQ(
        SQLPrepare(St, (SQLCHAR*)"INSERT INTO M_部門 (部門コード, 部門名) VALUES (?, ?)", SQL_NTS),
        SQL_SUCCESS);

    struct Department {
        SQLINTEGER Code;
        SQLLEN CodeInd;
        char Name[31];
        SQLLEN NameInd;
    } rows[3] = {{1, 0, "総務", SQL_NTS}, {2, 0, "営業", SQL_NTS}, {3, 0, "", SQL_NULL_DATA}};
    SQLSetStmtAttr(St, SQL_ATTR_PARAM_BIND_TYPE, (SQLPOINTER)sizeof(Department), 0);
    SQLSetStmtAttr(St, SQL_ATTR_PARAMSET_SIZE, (SQLPOINTER)3, 0);
    SQLBindParameter(St, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &rows[0].Code, 0,
                     &rows[0].CodeInd);
    SQLBindParameter(St, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 30, 0, rows[0].Name,
                     sizeof rows[0].Name, &rows[0].NameInd);
    ASSERT_EQ(SQLExecute(St), SQL_SUCCESS) << Diag(SQL_HANDLE_STMT, St);
    EXPECT_EQ(processed, 3u);
    EXPECT_EQ(status[2], SQL_PARAM_SUCCESS);
    SQLLEN changed = 0;
    SQLRowCount(St, &changed);
    EXPECT_EQ(changed, 3);

    SQLINTEGER codes[4] = {4, 5, 1, 6};
    SQLLEN codeInd[4] = {};
    char names[4][31] = {"開発", "経理", "重複", "人事"};
    SQLLEN nameInd[4] = {SQL_NTS, SQL_NTS, SQL_NTS, SQL_NTS};
    SQLUSMALLINT operations[4] = {SQL_PARAM_PROCEED, SQL_PARAM_IGNORE, SQL_PARAM_PROCEED,
                                  SQL_PARAM_PROCEED};
    SQLSetStmtAttr(St, SQL_ATTR_PARAM_BIND_TYPE, (SQLPOINTER)SQL_PARAM_BIND_BY_COLUMN, 0);
    SQLSetStmtAttr(St, SQL_ATTR_PARAMSET_SIZE, (SQLPOINTER)4, 0);
    SQLSetStmtAttr(St, SQL_ATTR_PARAM_OPERATION_PTR, operations, 0);
    SQLBindParameter(St, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, codes, 0, codeInd);
    SQLBindParameter(St, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 30, 0, names, 31, nameInd);
    EXPECT_EQ(SQLExecute(St), SQL_ERROR);
    EXPECT_EQ(State(SQL_HANDLE_STMT, St), "23000");
    EXPECT_EQ(processed, 3u);
    const SQLUSMALLINT expected[4] = {SQL_PARAM_SUCCESS, SQL_PARAM_UNUSED, SQL_PARAM_ERROR,
                                      SQL_PARAM_UNUSED};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(status[i], expected[i]) << i;

    // The names at execution: each set asks for its own, with its own element as the token.
    SQLINTEGER laterCodes[2] = {7, 8};
    SQLLEN atExec[2] = {SQL_DATA_AT_EXEC, SQL_DATA_AT_EXEC};
    SQLSetStmtAttr(St, SQL_ATTR_PARAM_OPERATION_PTR, nullptr, 0);
    SQLSetStmtAttr(St, SQL_ATTR_PARAMSET_SIZE, (SQLPOINTER)2, 0);
    SQLBindParameter(St, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, laterCodes, 0,
                     codeInd);
    SQLBindParameter(St, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 30, 0, names, 31, atExec);
    ASSERT_EQ(SQLExecute(St), SQL_NEED_DATA);
    SQLPOINTER token = nullptr;
    for (int set = 0; set < 2; ++set) {
        ASSERT_EQ(SQLParamData(St, &token), SQL_NEED_DATA);
        EXPECT_EQ(token, names[set]);
        SQLPutData(St, (SQLPOINTER)(set == 0 ? "品質" : "保守"), SQL_NTS);
    }
    ASSERT_EQ(SQLParamData(St, &token), SQL_SUCCESS) << Diag(SQL_HANDLE_STMT, St);

    SQLFreeStmt(St, SQL_RESET_PARAMS);
    SQLFreeHandle(SQL_HANDLE_STMT, St);
    SQLAllocHandle(SQL_HANDLE_STMT, Dbc, &St);
    MustExec("SELECT 部門コード, 部門名 FROM M_部門 ORDER BY 部門コード");
    QStringList read;
    while (SQLFetch(St) == SQL_SUCCESS) {
        SQLINTEGER code = 0;
        char name[64] = {0};
        SQLLEN ind = 0;
        SQLGetData(St, 1, SQL_C_SLONG, &code, 0, &ind);
        SQLGetData(St, 2, SQL_C_CHAR, name, sizeof name, &ind);
        read << QString("%1 %2").arg(code).arg(ind == SQL_NULL_DATA ? "-" : name);
    }
    EXPECT_EQ(read.join(", "), "1 総務, 2 営業, 3 -, 4 開発, 7 品質, 8 保守");

    // A query with an array of parameters is refused, not run once.
    SQLFreeStmt(St, SQL_CLOSE);
    SQLSetStmtAttr(St, SQL_ATTR_PARAMSET_SIZE, (SQLPOINTER)2, 0);
    ASSERT_EQ(SQLPrepare(St, (SQLCHAR*)"SELECT 部門名 FROM M_部門 WHERE 部門コード = ?", SQL_NTS),
              SQL_SUCCESS);
    SQLBindParameter(St, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, codes, 0, codeInd);
    EXPECT_EQ(SQLExecute(St), SQL_ERROR);
    EXPECT_EQ(State(SQL_HANDLE_STMT, St), "HYC00");
}

// A reading client with autocommit off holds no lock: another program writes meanwhile.
TEST_F(Odbc, AReaderWithAutocommitOffLetsOthersWrite) {
    Connect();
    SQLSetConnectAttr(Dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM M_部門"), 0);
    auto other = SqlConnection::OpenDatabase(Temp.File("VODURAVIRIVE.MDB"));
    other->SetBusyTimeout(0);
    EXPECT_NO_THROW(other->Execute("INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, '総務')"));
    // Its first change takes the lock and keeps it to the end of the transaction.
    MustExec("INSERT INTO M_部門 (部門コード, 部門名) VALUES (2, '営業')");
    EXPECT_THROW(other->Execute("INSERT INTO M_部門 (部門コード, 部門名) VALUES (3, '開発')"),
                 ESqlError);
    ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, Dbc, SQL_COMMIT), SQL_SUCCESS);
    EXPECT_NO_THROW(other->Execute("INSERT INTO M_部門 (部門コード, 部門名) VALUES (3, '開発')"));
}

// Every kind of value as a client reads it, as text, wide text and bytes: NULL, Japanese text
// (also in pieces), whole and real numbers, bytes, and dates at the day's edges.
TEST_F(Odbc, EveryKindOfValueAsTheClientReadsIt) {
    Connect();
    auto c = SqlConnection::OpenDatabase(Temp.File("VODURAVIRIVE.MDB"));
    c->Execute("CREATE TABLE 値 (k LONG, t TEXT (20), m LONGTEXT, l LONG, d DOUBLE, b BIT, "
               "dt DATETIME, da DATE, ti TIME, bl LONGBINARY)");
    const QString memo = QString("あいうえおｶﾅ").repeated(50);
    const double roundsUp = 46357 + 86399.9995 / 86400, lastSecond = 2958465.999988426;
    const QVariant rows[][9] = {
        {},
        {"山田ｱｲｳ", memo, qlonglong(3000000000), 2.5, 1, 46357.75, 46357, 0.5,
         QByteArray("\x00\xff\x10", 3)},
        {"", "x", -7, 1e-300, 0, roundsUp, -1.25, 0.9999999, QByteArray("", 0)},
        {"ｶﾅ", "", 0, 123456789.125, 1, lastSecond, 1, 0, QByteArray("a")},
    };
    auto insert = c->Prepare("INSERT INTO 値 VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (int k = 0; k < 4; ++k) {
        insert->Bind(1, k);
        for (int i = 0; i < 9; ++i)
            insert->Bind(i + 2, rows[k][i]);
        insert->Execute();
    }
    const struct {
        int K;
        const char* Column;
        SQLSMALLINT CType;
        QString Expected; // text as read, bytes in hexadecimal
        SQLLEN Piece = 4096;
    } cases[] = {
        {0, "t", SQL_C_CHAR, "NULL"},
        {0, "dt", SQL_C_WCHAR, "NULL"},
        {0, "bl", SQL_C_BINARY, "NULL"},
        {0, "l", SQL_C_CHAR, "NULL"},
        {1, "t", SQL_C_CHAR, "山田ｱｲｳ"},
        {1, "t", SQL_C_WCHAR, "山田ｱｲｳ"},
        {1, "t", SQL_C_BINARY, Hex(QString("山田ｱｲｳ").toUtf8())},
        {1, "m", SQL_C_CHAR, memo, 100},
        {1, "m", SQL_C_WCHAR, memo, 101},
        {1, "l", SQL_C_CHAR, "3000000000"},
        {1, "d", SQL_C_CHAR, "2.5"},
        {1, "b", SQL_C_WCHAR, "1"},
        {1, "dt", SQL_C_CHAR, "2026-12-01 18:00:00"},
        {1, "dt", SQL_C_WCHAR, "2026-12-01 18:00:00"},
        {1, "da", SQL_C_CHAR, "2026-12-01"},
        {1, "ti", SQL_C_CHAR, "12:00:00"},
        {1, "bl", SQL_C_CHAR, "00FF10"},
        {1, "bl", SQL_C_BINARY, "00FF10"},
        {2, "t", SQL_C_CHAR, ""},
        {2, "l", SQL_C_CHAR, "-7"},
        {2, "l", SQL_C_BINARY, "F9FFFFFF"},
        {2, "d", SQL_C_CHAR, "1e-300"},
        {2, "dt", SQL_C_CHAR, "2026-12-02 00:00:00"},
        {2, "da", SQL_C_CHAR, "1899-12-29"},
        {2, "ti", SQL_C_CHAR, "23:59:59"},
        {2, "bl", SQL_C_BINARY, ""},
        {3, "t", SQL_C_WCHAR, "ｶﾅ"},
        {3, "d", SQL_C_CHAR, "123456789.125"},
        {3, "dt", SQL_C_CHAR, "9999-12-31 23:59:59"},
        {3, "da", SQL_C_CHAR, "1899-12-31"},
        {3, "bl", SQL_C_WCHAR, "61"},
    };
    for (const auto& t : cases) {
        const std::string what =
            QString("row %1, %2 as %3").arg(t.K).arg(t.Column).arg(t.CType).toStdString();
        MustExec(QString("SELECT %1 FROM 値 WHERE k = %2").arg(t.Column).arg(t.K));
        ASSERT_EQ(SQLFetch(St), SQL_SUCCESS) << what;
        QByteArray read, piece(t.Piece, '\0');
        SQLLEN ind = 0;
        SQLRETURN rc;
        const int terminator = t.CType == SQL_C_CHAR ? 1 : t.CType == SQL_C_WCHAR ? 2 : 0;
        while ((rc = SQLGetData(St, 1, t.CType, piece.data(), t.Piece, &ind)) != SQL_NO_DATA) {
            ASSERT_TRUE(SQL_SUCCEEDED(rc)) << what << Diag(SQL_HANDLE_STMT, St);
            if (ind == SQL_NULL_DATA) {
                read = "NULL";
                break;
            }
            // A cut piece fills the buffer up to a whole character.
            const SQLLEN room = t.Piece - terminator;
            const SQLLEN got = rc == SQL_SUCCESS ? ind
                               : t.CType == SQL_C_CHAR
                                   ? SQLLEN(qstrnlen(piece.constData(), uint(room)))
                                   : room & ~SQLLEN(terminator == 2);
            read.append(piece.constData(), got);
        }
        const QString text =
            read == "NULL"            ? QString(read)
            : t.CType == SQL_C_BINARY ? Hex(read)
            : t.CType == SQL_C_WCHAR
                ? QString::fromUtf16(reinterpret_cast<const char16_t*>(read.constData()),
                                     read.size() / 2)
                : QString::fromUtf8(read);
        EXPECT_EQ(text, t.Expected) << what;
    }
}

// A client holding a result open, part-read, holds no lock on the file: the result was read
// whole when it ran, so another program writes meanwhile.
TEST_F(Odbc, AnOpenResultLetsOthersWrite) {
    Connect();
    MustExec("INSERT INTO M_部門 (部門コード, 部門名) VALUES (1, '総務')");
    MustExec("INSERT INTO M_部門 (部門コード, 部門名) VALUES (2, '営業')");
    MustExec("SELECT 部門コード FROM M_部門");
    ASSERT_EQ(SQLFetch(St), SQL_SUCCESS);
    auto other = SqlConnection::OpenDatabase(Temp.File("VODURAVIRIVE.MDB"));
    other->SetBusyTimeout(0);
    EXPECT_NO_THROW(other->Execute("INSERT INTO M_部門 (部門コード, 部門名) VALUES (3, '開発')"));
    EXPECT_EQ(SQLFetch(St), SQL_SUCCESS);
    EXPECT_EQ(SQLFetch(St), SQL_NO_DATA);
}

// Two odbc_lock_writer programs inserting into the table 書込 at once.
struct OdbcWriters : Odbc {
    // Starts both, lets them go together once both are connected, and waits for them; every
    // insert must succeed. Returns their reports (longest wait, failures), joined.
    QString RaceTwoWriters(int rows) {
        QProcess writers[2];
        for (int w = 0; w < 2; ++w) {
            writers[w].setReadChannel(QProcess::StandardError);
            writers[w].start(QCoreApplication::applicationDirPath() + "/odbc_lock_writer",
                             {"DSN=ZorarareVUZU", QString::number(w + 1), QString::number(rows)});
        }
        // Both are connected before either starts: a slow start is no head start.
        for (QProcess& w : writers) {
            while (!w.canReadLine() && w.waitForReadyRead(120000)) {
            }
            EXPECT_EQ(w.readLine().trimmed(), "ready");
        }
        for (QProcess& w : writers) {
            w.write("go\n");
            w.waitForBytesWritten();
        }
        QStringList results;
        for (QProcess& w : writers) {
            EXPECT_TRUE(w.waitForFinished(120000));
            const QString out = QString::fromUtf8(w.readAllStandardOutput()).trimmed();
            EXPECT_EQ(out.section(' ', 1, 1), "0") << "failed inserts: " << out.toStdString();
            results << out;
        }
        return results.join(" / ");
    }
    // The longest run of one writer's rows while the other still had rows to come.
    int LongestRunWhileBothWrite(int rows) {
        MustExec("SELECT 書き手 FROM 書込 ORDER BY 番号");
        QList<int> order;
        SQLSMALLINT writer = 0;
        SQLLEN ind = 0;
        SQLBindCol(St, 1, SQL_C_SSHORT, &writer, 0, &ind);
        while (SQLFetch(St) == SQL_SUCCESS)
            order << writer;
        SQLFreeStmt(St, SQL_UNBIND);
        EXPECT_EQ(order.size(), 2 * rows);
        const qsizetype bothWrite = qMin(order.lastIndexOf(1), order.lastIndexOf(2));
        int longest = 0, run = 0;
        for (qsizetype i = 0; i < bothWrite; ++i) {
            run = i > 0 && order[i] == order[i - 1] ? run + 1 : 1;
            longest = qMax(longest, run);
        }
        return longest;
    }
};

// Two programs inserting row by row into one database file take turns at the lock: none of
// their inserts fails, and neither writes (nearly) all its rows while the other waits. A
// starved writer waits through every row of the other, in every race; a writer descheduled on
// a loaded machine lets the other run ahead by half its rows now and then: so a run short of
// nine tenths must be seen in one of three races. (The full-size run, with
// the longest wait, is odbcdriver_benchmark.)
TEST_F(OdbcWriters, TwoWritingProgramsTakeTurns) {
    Connect();
    MustExec("CREATE TABLE 書込 (番号 INTEGER PRIMARY KEY AUTOINCREMENT, 書き手 SHORT, n LONG)");
    constexpr int Rows = 100;
    constexpr int Races = 3;
    QStringList seen;
    for (int race = 0; race < Races; ++race) {
        MustExec("DELETE FROM 書込");
        const QString results = RaceTwoWriters(Rows);
        if (HasFailure())
            return;
        const int longest = LongestRunWhileBothWrite(Rows);
        if (longest < Rows * 9 / 10)
            return;
        seen << QString("run of %1 rows; longest waits (ms) and failures: %2")
                    .arg(longest)
                    .arg(results);
    }
    ADD_FAILURE() << "one writer ran ahead in every race:\n" << seen.join('\n').toStdString();
}

// A client reaches only the connected files and does not change how they are stored, however
// it writes the statement.
TEST_F(Odbc, StatementsReachingPastTheConnectedFilesAreRefused) {
    const QString other = Temp.File("OTHER.MDB");
    SqlConnection::OpenDatabase(other, true)->Execute("CREATE TABLE secret (s TEXT (10))");
    const QString copy = Temp.File("copy.db");
    const QString cases[] = {
        "ATTACH DATABASE '" + other + "' AS other",
        "attach   '" + other + "'as o",
        "/* a comment */ Attach\n'file:" + other + "?mode=ro' AS o",
        "-- a comment\nDETACH DATABASE main",
        "DETACH ENTRANCESTATE",
        "PRAGMA journal_mode=WAL",
        "pragma  main.journal_mode = 'wal';",
        "PrAgMa\tjournal_mode\n=\nWAL",
        "PRAGMA writable_schema = 1",
        "PRAGMA table_info(entranceState)",
        "SELECT * FROM pragma_table_info('entranceState')",
        "SELECT name FROM pragma_database_list",
        "VACUUM",
        "vacuum into '" + copy + "'",
    };
    for (const char* dsn : {"ZorarareVUZU", "EntParaODBC"}) {
        Connect(dsn);
        // The folder's table file is attached now.
        Exec("SELECT COUNT(*) FROM entranceState");
        for (const QString& sql : cases) {
            EXPECT_EQ(Exec(sql), SQL_ERROR) << dsn << ": " << sql.toStdString();
            const std::string diag = Diag(SQL_HANDLE_STMT, St);
            EXPECT_EQ(diag.substr(0, 5), "42000")
                << dsn << ": " << sql.toStdString() << " " << diag;
            EXPECT_NE(diag.find("is not allowed"), std::string::npos) << diag;
        }
        Exec("SELECT * FROM secret");
        EXPECT_EQ(State(SQL_HANDLE_STMT, St), "42S02") << dsn;
        SQLFreeHandle(SQL_HANDLE_STMT, St);
        St = nullptr;
        SQLDisconnect(Dbc);
    }
    EXPECT_FALSE(QFile::exists(copy));
    // Both files keep their rollback journal (byte 18 of the header: 1; WAL would be 2).
    for (const char* file : {"VODURAVIRIVE.MDB", "ENTRANCESTATE.DB"}) {
        QFile f(Temp.File(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.read(20).at(18), 1) << file;
    }
}

// Text longer than its field is refused with 22001 and the field's name, given as a literal or
// through a parameter; at its size, full-width characters counted one each, it is stored.
TEST_F(Odbc, TextLongerThanItsFieldIsRefused) {
    Connect();
    const QString insert = "INSERT INTO M_個人情報 (部門コード, 個人コード) VALUES ";
    EXPECT_EQ(Exec(insert + "(1, '" + QString(11, 'x') + "')"), SQL_ERROR);
    std::string diag = Diag(SQL_HANDLE_STMT, St);
    EXPECT_EQ(diag.substr(0, 5), "22001") << diag;
    EXPECT_NE(diag.find("個人コード"), std::string::npos) << diag;

    QByteArray sql = (insert + "(1, ?)").toUtf8();
    SQLFreeStmt(St, SQL_CLOSE);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLPrepare(St, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS)));
    QByteArray value;
    SQLLEN length = 0;
    const auto run = [&](const QByteArray& text) {
        value = text;
        length = value.size();
        SQLBindParameter(St, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, value.data(),
                         length, &length);
        return SQLExecute(St);
    };
    EXPECT_EQ(run(QByteArray(1024 * 1024, 'x')), SQL_ERROR);
    diag = Diag(SQL_HANDLE_STMT, St);
    EXPECT_EQ(diag.substr(0, 5), "22001") << diag;
    EXPECT_NE(diag.find("個人コード"), std::string::npos) << diag;
    EXPECT_EQ(run(QString(11, QChar(0x5C71)).toUtf8()), SQL_ERROR);
    EXPECT_EQ(run(QString(10, QChar(0x5C71)).toUtf8()), SQL_SUCCESS) << Diag(SQL_HANDLE_STMT, St);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM M_個人情報"), 1);
}
