#include "storage/Connection.h"
#include "storage/SqlError.h"

#include "base/DateTime.h"
#include "tests/common/TempFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cstdio>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <thread>

namespace {

QVariant Scalar(SqlConnection& c, const QString& sql) {
    auto st = c.Prepare(sql);
    return st->Step() ? st->Value(0) : QVariant();
}

int StatementsOf(SqlConnection& c) {
    int count = 0;
    for (sqlite3_stmt* st = sqlite3_next_stmt(c.Handle(), nullptr); st;
         st = sqlite3_next_stmt(c.Handle(), st))
        ++count;
    return count;
}

// A folder with an empty database file.
struct DatabaseFixture : ::testing::Test {
    TempFolder Temp;
    std::unique_ptr<SqlConnection> Db =
        SqlConnection::OpenDatabase(Temp.File("VODURAVIRIVE.MDB"), true);
};

// A folder of table files with the unit table and one month's log table.
struct FolderFixture : ::testing::Test {
    TempFolder Temp;
    std::unique_ptr<SqlConnection> Folder = SqlConnection::OpenFolder(Temp.Path());
    FolderFixture() {
        Folder->Execute(
            "CREATE TABLE entranceState (認証機ID SHORT, 認証機名 TEXT (40), 稼動開始 TIME, "
            "稼動終了 TIME, 認証機種別 SHORT, 作動状況 BIT)");
        Folder->Execute(
            "CREATE TABLE ENTRANCE_LOG2026_12 (autoNum INTEGER PRIMARY KEY AUTOINCREMENT, "
            "個人コード TEXT (10), 操作種別 SHORT, 操作日時 DATETIME, エラー種別 SHORT, "
            "認証機ID SHORT)");
    }
};

} // namespace

TEST_F(DatabaseFixture, FunctionsOfTheDialect) {
    EXPECT_EQ(Scalar(*Db, "SELECT CInt(2.5)").toInt(), 2);
    EXPECT_EQ(Scalar(*Db, "SELECT CInt(3.5)").toInt(), 4);
    EXPECT_EQ(Scalar(*Db, "SELECT CLng('41')").toInt(), 41);
    EXPECT_DOUBLE_EQ(Scalar(*Db, "SELECT CDbl(#12/10/2026 06:00:00#)").toDouble(), 46366.25);
    EXPECT_EQ(Scalar(*Db, "SELECT Year(46366.75) * 10000 + Month(46366.75) * 100 + Day(46366.75)")
                  .toInt(),
              20261210);
    EXPECT_EQ(
        Scalar(*Db, "SELECT Hour(46366.75) * 10000 + Minute(46366.75) * 100 + Second(46366.75)")
            .toInt(),
        180000);
    EXPECT_TRUE(Scalar(*Db, "SELECT CInt(NULL)").isNull());
    EXPECT_THROW(Scalar(*Db, "SELECT CInt(40000)"), ESqlError);
    EXPECT_THROW(Scalar(*Db, "SELECT CDbl('abc')"), ESqlError);
    EXPECT_EQ(Scalar(*Db, "SELECT 'ｲﾄｳ' LIKE '[ｱ-ｵ]*'").toInt(), 1);
    EXPECT_EQ(Scalar(*Db, "SELECT 'ｲﾄｳ' NOT LIKE \"[ｶ-ｺ]*\"").toInt(), 1);
}

TEST_F(DatabaseFixture, JetDdlKeepsItsTypeNamesAndKinds) {
    Db->Execute("CREATE TABLE M_給与項目\n(項目コード Long, 項目名 TEXT (20), 使用 BIT, 順番 Long, "
                "ヘッダ名 TEXT (20), 作成処理月 DATETIME)");
    Db->Execute("ALTER TABLE M_給与項目 ADD COLUMN 率 DOUBLE, ADD COLUMN 画像 LONGBINARY, "
                "ADD COLUMN 区分 SHORT");
    const QList<ColumnInfo> cols = Db->Columns("M_給与項目");
    ASSERT_EQ(cols.size(), 9);
    const ColumnKind kinds[] = {ColumnKind::Integer, ColumnKind::String, ColumnKind::Boolean,
                                ColumnKind::Integer, ColumnKind::String, ColumnKind::DateTime,
                                ColumnKind::Float,   ColumnKind::Blob,   ColumnKind::Smallint};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(cols[i].Kind, kinds[i]) << cols[i].Name.toStdString();
    EXPECT_EQ(cols[1].DeclaredType, "TEXT (20)");
    EXPECT_EQ(cols[1].Size, 20);
    auto st =
        Db->Prepare("SELECT 項目名, 作成処理月, CInt(1) AS x, First(M_給与項目.画像) AS 画像, "
                    "Count(*), (CDbl(順番)), 率 * 2 FROM M_給与項目");
    EXPECT_EQ(st->Column(0).Kind, ColumnKind::String);
    EXPECT_EQ(st->Column(0).Table, "M_給与項目");
    EXPECT_EQ(st->Column(1).Kind, ColumnKind::DateTime);
    EXPECT_EQ(st->Column(2).Kind, ColumnKind::Smallint);
    EXPECT_EQ(st->Column(2).Name, "x");
    EXPECT_EQ(st->Column(3).Kind, ColumnKind::Blob);
    EXPECT_EQ(st->Column(4).Kind, ColumnKind::Integer);
    EXPECT_EQ(st->Column(5).Kind, ColumnKind::Float);
    EXPECT_EQ(st->Column(6).Kind, ColumnKind::Unknown);
}

TEST_F(DatabaseFixture, FailedStatementsLeaveTheDataAsItWas) {
    Db->Execute("CREATE TABLE t (a SHORT)");
    // The second clause fails: the first is undone.
    EXPECT_THROW(Db->Execute("ALTER TABLE t ADD COLUMN b SHORT, ADD COLUMN a SHORT"), ESqlError);
    EXPECT_EQ(Db->Columns("t").size(), 1);
    try {
        Db->Execute("SELECT missing FROM t");
        FAIL();
    } catch (const ESqlError& e) {
        EXPECT_EQ(e.Message().toStdString(), "no such column: missing");
    }
    Db->StartTransaction();
    Db->Execute("INSERT INTO t (a) VALUES (1)");
    EXPECT_TRUE(Db->InTransaction());
    Db->Rollback();
    EXPECT_FALSE(Db->InTransaction());
    EXPECT_EQ(Scalar(*Db, "SELECT COUNT(*) FROM t").toInt(), 0);
    Db->VacuumInto(Temp.File("copy.MDB"));
    EXPECT_TRUE(SqlConnection::OpenDatabase(Temp.File("copy.MDB"))->TableExists("t"));
}

TEST_F(DatabaseFixture, ParametersBindTypedValuesAndEscapeNothing) {
    Db->Execute(
        "CREATE TABLE M_個人情報 (個人コード TEXT (10), 有効終了日 DATETIME, 認証画像 LONGBINARY)");
    auto ins = Db->Prepare(
        "INSERT INTO M_個人情報 (個人コード, 有効終了日, 認証画像) VALUES (:code, ?, :img)");
    ASSERT_EQ(ins->ParamCount(), 3);
    EXPECT_EQ(ins->ParamName(1), "code");
    EXPECT_EQ(ins->ParamName(2), "");
    const QByteArray image(900, '\x01');
    ins->Bind("CODE", "O'Neil");
    ins->Bind(2, QDate(2026, 12, 10));
    ins->Bind("img", image);
    EXPECT_EQ(ins->Execute(), 1);
    ins->Bind("code", QVariant());
    ins->Bind(2, "12/11/2026");
    ins->Execute();
    auto sel = Db->Prepare("SELECT 有効終了日, 認証画像 FROM M_個人情報 WHERE 個人コード=:c");
    sel->Bind(1, "O'Neil");
    ASSERT_TRUE(sel->Step());
    EXPECT_DOUBLE_EQ(sel->Value(0).toDouble(), 46366);
    EXPECT_EQ(sel->Value(1).toByteArray(), image);
    EXPECT_FALSE(sel->Step());
    EXPECT_DOUBLE_EQ(
        Scalar(*Db, "SELECT 有効終了日 FROM M_個人情報 WHERE 個人コード IS NULL").toDouble(),
        46367);
    EXPECT_THROW(sel->Bind("nothing", 1), ESqlError);
}

TEST_F(DatabaseFixture, DatabaseFileIsFoundWithoutRegardToCase) {
    Db->Execute("CREATE TABLE t (a SHORT)");
    auto again = SqlConnection::OpenDatabase(Temp.Path() + "/VoduraviRive.MDB");
    EXPECT_TRUE(again->TableExists("T"));
    EXPECT_THROW(SqlConnection::OpenDatabase(Temp.File("MISSING.MDB")), ESqlError);
    EXPECT_FALSE(QFile::exists(Temp.File("MISSING.MDB")));
}

TEST_F(DatabaseFixture, AStatementMeetingALockWaits) {
    Db->Execute("CREATE TABLE t (a SHORT)");
    auto other = SqlConnection::OpenDatabase(Temp.File("VODURAVIRIVE.MDB"));
    Db->StartTransaction();
    Db->Execute("INSERT INTO t (a) VALUES (1)");
    std::thread release([&] {
        QThread::msleep(300);
        Db->Commit();
    });
    EXPECT_EQ(other->Execute("INSERT INTO t (a) VALUES (2)"), 1);
    release.join();
    EXPECT_EQ(Scalar(*other, "SELECT COUNT(*) FROM t").toInt(), 2);
    other->SetBusyTimeout(0);
    Db->StartTransaction();
    EXPECT_THROW(other->Execute("INSERT INTO t (a) VALUES (3)"), ESqlError);
    Db->Rollback();
}

TEST_F(FolderFixture, EachTableIsAFileOfItsOwn) {
    EXPECT_TRUE(QFile::exists(Temp.File("ENTRANCESTATE.DB")));
    EXPECT_TRUE(QFile::exists(Temp.File("ENTRANCE_LOG2026_12.DB")));
    EXPECT_EQ(Folder->TableNames(), QStringList({"ENTRANCE_LOG2026_12", "ENTRANCESTATE"}));
    EXPECT_TRUE(Folder->TableExists("entranceState"));
    EXPECT_THROW(Folder->Execute("CREATE TABLE EntranceState (a SHORT)"), ESqlError);
    // A CREATE that fails leaves no file behind.
    EXPECT_THROW(Folder->Execute("CREATE TABLE KOJIN (a SHORT, a SHORT)"), ESqlError);
    EXPECT_FALSE(QFile::exists(Temp.File("KOJIN.DB")));
    Folder->Execute(
        "CREATE TABLE KOJIN (autoNum INTEGER PRIMARY KEY AUTOINCREMENT, 個人コード TEXT (10))");
    EXPECT_EQ(Folder->Columns("kojin")[0].Kind, ColumnKind::AutoInc);
    Folder->Execute("DROP TABLE KOJIN");
    EXPECT_FALSE(QFile::exists(Temp.File("KOJIN.DB")));
    EXPECT_THROW(Folder->Execute("DROP TABLE KOJIN"), ESqlError);
    Folder->Execute("DROP TABLE IF EXISTS KOJIN");
}

// The file of a table whose making was cut off holds no table: the table is made in it.
TEST_F(FolderFixture, AFileWithoutItsTableIsNoTable) {
    QFile empty(Temp.File("ENTRANCE_LOG2026_11.DB"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_FALSE(Folder->TableExists("ENTRANCE_LOG2026_11"));
    Folder->Execute("CREATE TABLE ENTRANCE_LOG2026_11 (個人コード TEXT (10))");
    Folder->Execute("INSERT INTO ENTRANCE_LOG2026_11 (個人コード) VALUES ('0001')");
    EXPECT_TRUE(Folder->TableExists("ENTRANCE_LOG2026_11"));
    EXPECT_EQ(Scalar(*Folder, "SELECT 個人コード FROM ENTRANCE_LOG2026_11").toString(), "0001");
}

TEST_F(FolderFixture, AChangeShowsInTheTableFilesTime) {
    const QString file = Temp.File("ENTRANCESTATE.DB");
    // Qt sets a file's time only through an open file.
    QFile stamp(file);
    ASSERT_TRUE(stamp.open(QIODevice::ReadWrite));
    ASSERT_TRUE(stamp.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                  QFileDevice::FileModificationTime));
    stamp.close();
    const QDateTime before = QFileInfo(file).lastModified();
    Folder->Execute("INSERT INTO entranceState (認証機ID, 認証機名, 認証機種別, 作動状況) Values "
                    "(1,'認証機1',Null,True)");
    EXPECT_GT(QFileInfo(file).lastModified(), before);
    EXPECT_FALSE(QFile::exists(file + "-wal"));
}

TEST_F(FolderFixture, ManyTablesInTurnStayWithinTheAttachLimit) {
    for (int i = 0; i < 14; ++i) {
        Folder->Execute(
            QString("CREATE TABLE TMPLOG%1_127001 (autoNum INTEGER PRIMARY KEY AUTOINCREMENT, "
                    "操作Year SHORT)")
                .arg(i));
        Folder->Execute(QString("INSERT INTO TMPLOG%1_127001 (操作Year) VALUES (%1)").arg(i));
    }
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(Scalar(*Folder, QString("SELECT 操作Year FROM TMPLOG%1_127001").arg(i)).toInt(),
                  i);
    // A table deleted behind the connection's back and made again is read afresh.
    QFile::remove(Temp.File("TMPLOG3_127001.DB"));
    auto other = SqlConnection::OpenFolder(Temp.Path());
    other->Execute("CREATE TABLE TMPLOG3_127001 (操作Year SHORT)");
    other->Execute("INSERT INTO TMPLOG3_127001 (操作Year) VALUES (33)");
    EXPECT_EQ(Scalar(*Folder, "SELECT 操作Year FROM TMPLOG3_127001").toInt(), 33);
}

TEST_F(FolderFixture, TheCommunicationProgramsStatements) {
    // A log insert as the unit sends it: digits as sent, the date as text.
    Folder->Execute(
        "insert into ENTRANCE_LOG2026_12(\n個人コード, 操作種別, 操作日時, エラー種別, 認証機ID)\n"
        "Values\n('O''1',11,'12/10/2026, 13:05:00',01,3)");
    {
        auto st =
            Folder->Prepare("SELECT 個人コード, 操作日時, エラー種別 FROM ENTRANCE_LOG2026_12");
        ASSERT_TRUE(st->Step());
        EXPECT_EQ(st->Value(0).toString(), "O'1");
        EXPECT_NEAR(st->Value(1).toDouble(), EncodeDate(2026, 12, 10) + EncodeTime(13, 5, 0, 0),
                    1e-9);
        EXPECT_EQ(st->Value(2).toInt(), 1);
    }
    EXPECT_THROW(Folder->Execute("insert into ENTRANCE_LOG2026_12(操作日時) Values ('13/45/2026')"),
                 ESqlError);
    // Tamper columns added in one statement, then written.
    Folder->Execute("ALTER TABLE \"entranceState.DB\" ADD COLUMN タンパー開 SMALLINT, ADD COLUMN "
                    "タンパー閉 SMALLINT");
    Folder->Execute("INSERT INTO entranceState\n(認証機ID, 認証機名, 認証機種別, "
                    "作動状況)\nValues\n(1,'認証機1',Null,True)");
    Folder->Execute("UPDATE entranceState SET タンパー開=1, タンパー閉=0\nWHERE 認証機ID=1");
    Folder->Execute("UPDATE entranceState SET 作動状況=False\nWHERE 認証機ID=1");
    EXPECT_EQ(
        Scalar(*Folder, "SELECT タンパー開*10+タンパー閉+作動状況 FROM entranceState").toInt(), 10);
    Folder->Pack("entranceState.DB");
    EXPECT_EQ(Folder->Columns("ENTRANCESTATE.DB").size(), 8);
}

TEST_F(FolderFixture, RowAfterRowOneInsertIsKeptAndEachRowKeepsItsValues) {
    const QStringList rows = {"('A1',11,'12/10/2026, 13:05:00',01,3)",
                              "('B''2',12,'12/11/2026, 0:00:00',00,4)", "(Null,21,Null,1,-5)"};
    QList<int> statements; // the connection's prepared statements after each row
    for (const QString& values : rows) {
        Folder->Execute("insert into ENTRANCE_LOG2026_12(\n個人コード, 操作種別, 操作日時, "
                        "エラー種別, 認証機ID)\nValues\n" +
                        values);
        statements << StatementsOf(*Folder);
    }
    // The second row, another date as text, is the first row's statement again.
    EXPECT_EQ(statements[1], statements[0]);
    // A table made anew with its columns in another order under a kept insert.
    Folder->Execute("INSERT INTO entranceState (認証機ID, 作動状況) VALUES (6, 1)");
    Folder->Execute("DROP TABLE entranceState");
    Folder->Execute("CREATE TABLE entranceState (作動状況 BIT, 認証機ID SHORT)");
    Folder->Execute("INSERT INTO entranceState (認証機ID, 作動状況) VALUES (7, 1)");
    Folder->Execute("INSERT INTO entranceState (認証機ID, 作動状況) VALUES (8, 0)");
    EXPECT_EQ(Scalar(*Folder, "SELECT group_concat(認証機ID || ':' || 作動状況) FROM "
                              "entranceState")
                  .toString(),
              "7:1,8:0");
    auto st = Folder->Prepare(
        "SELECT 個人コード, 操作種別, round(操作日時 * 86400), エラー種別, 認証機ID, "
        "typeof(エラー種別) FROM ENTRANCE_LOG2026_12 ORDER BY autoNum");
    QStringList read;
    while (st->Step()) {
        QStringList values;
        for (int i = 0; i < 6; ++i)
            values << (st->IsNull(i) ? "Null" : st->Value(i).toString());
        read << values.join("|");
    }
    EXPECT_EQ(read, QStringList({"A1|11|4006069500|1|3|integer", "B'2|12|4006108800|0|4|integer",
                                 "Null|21|Null|1|-5|integer"}));
}

// A number with a fraction or an exponent that an insert writes is stored as SQLite stores it
// written in its own text, to the last bit, in every kind of column, a date column's too.
TEST_F(DatabaseFixture, AnInsertsRealNumbersAreStoredAsSqliteReadsThem) {
    Db->Execute("CREATE TABLE R (r DOUBLE, t TEXT (30), n LONG, d DATETIME); "
                "CREATE TABLE P (r DOUBLE, t TEXT (30), n LONG, d DATETIME)");
    const char* const numbers[] = {"0.1",
                                   "46357.250000000001",
                                   "1e-7",
                                   "123456789.123456789",
                                   "2.2250738585072014e-308",
                                   "1.7976931348623157e308",
                                   "0.30000000000000004",
                                   "9007199254740993.0",
                                   "2.0",
                                   "1e400",
                                   ".5",
                                   "4.9406564584124654E-324"};
    for (const char* number : numbers) {
        SCOPED_TRACE(number);
        Db->Execute(QString("DELETE FROM R; INSERT INTO R (r, t, n, d) VALUES (%1, %1, %1, %1)")
                        .arg(number));
        const QByteArray plain =
            QString("DELETE FROM P; INSERT INTO P VALUES (%1, %1, %1, %1)").arg(number).toUtf8();
        ASSERT_EQ(sqlite3_exec(Db->Handle(), plain.constData(), nullptr, nullptr, nullptr),
                  SQLITE_OK);
        EXPECT_EQ(Scalar(*Db, "SELECT count(*) FROM R, P WHERE R.r = P.r AND R.t = P.t AND "
                              "R.n = P.n AND typeof(R.n) = typeof(P.n) AND R.d = P.d")
                      .toInt(),
                  1);
    }
}

// An attached file keeps its pages in memory between statements; what another program writes
// in the meantime is read anew.
TEST_F(FolderFixture, RowsWrittenElsewhereShowThroughTheKeptPages) {
    const QString count = "SELECT Count(*), Sum(認証機ID) FROM ENTRANCE_LOG2026_12";
    Folder->Execute("INSERT INTO ENTRANCE_LOG2026_12 (認証機ID) VALUES (1)");
    auto sum = [&] {
        auto st = Folder->Prepare(count);
        st->Step();
        return std::pair(st->Value(0).toInt(), st->Value(1).toInt());
    };
    EXPECT_EQ(sum(), std::pair(1, 1));
    auto other = SqlConnection::OpenFolder(Temp.Path());
    other->Execute("UPDATE ENTRANCE_LOG2026_12 SET 認証機ID = 5");
    other->Execute("INSERT INTO ENTRANCE_LOG2026_12 (認証機ID) VALUES (2)");
    EXPECT_EQ(sum(), std::pair(2, 7));
}

TEST_F(FolderFixture, AQueryOnATableMadeAnewElsewhereShowsItsNewColumns) {
    Folder->Execute("CREATE TABLE KOJIN (個人コード TEXT (10))");
    EXPECT_EQ(Folder->Prepare("SELECT * FROM KOJIN")->ColumnCount(), 1);
    auto other = SqlConnection::OpenFolder(Temp.Path());
    other->Execute("DROP TABLE KOJIN");
    other->Execute("CREATE TABLE KOJIN (個人コード TEXT (10), 氏名 TEXT (40))");
    EXPECT_EQ(Folder->Prepare("SELECT * FROM KOJIN")->ColumnCount(), 2);
}

// A table the connection has in use is checked by its file alone; the other program making,
// deleting or replacing a table file still shows at the next statement.
TEST_F(FolderFixture, TablesMadeRemovedOrReplacedElsewhereShowAtTheNextStatement) {
    const QString count = "SELECT Count(*) FROM KOJIN";
    auto other = SqlConnection::OpenFolder(Temp.Path());
    Folder->Execute("INSERT INTO entranceState (認証機ID) VALUES (1)");
    EXPECT_THROW(Scalar(*Folder, count), ESqlError);
    other->Execute("CREATE TABLE KOJIN (個人コード TEXT (10))");
    other->Execute("INSERT INTO KOJIN (個人コード) VALUES ('1')");
    EXPECT_EQ(Scalar(*Folder, count).toInt(), 1);
    other->Execute("DROP TABLE KOJIN");
    EXPECT_THROW(Scalar(*Folder, count), ESqlError);
    // A file copied in over the table's file.
    Folder->Execute("CREATE TABLE KOJIN (個人コード TEXT (10))");
    EXPECT_EQ(Scalar(*Folder, count).toInt(), 0);
    TempFolder elsewhere;
    auto copied = SqlConnection::OpenFolder(elsewhere.Path());
    copied->Execute("CREATE TABLE KOJIN (個人コード TEXT (10))");
    copied->Execute("INSERT INTO KOJIN (個人コード) VALUES ('1'), ('2')");
    copied.reset();
    ASSERT_TRUE(QFile::copy(elsewhere.File("KOJIN.DB"), Temp.File("KOJIN.NEW")));
    ASSERT_EQ(::rename(QFile::encodeName(Temp.File("KOJIN.NEW")).constData(),
                       QFile::encodeName(Temp.File("KOJIN.DB")).constData()),
              0);
    EXPECT_EQ(Scalar(*Folder, count).toInt(), 2);
}

// Text longer than its field is refused in every form of statement, with the field's name,
// and nothing of the statement stays; the size counts characters, a full-width one as one.
TEST_F(FolderFixture, TextLongerThanItsFieldIsRefusedAndNothingOfItIsStored) {
    const QString tenWide(10, QChar(0x5C71)); // 20 CP932 bytes, 30 UTF-8 bytes
    const auto count = [&] {
        return Scalar(*Folder, "SELECT COUNT(*) FROM ENTRANCE_LOG2026_12").toInt();
    };
    const auto refused = [&](const QString& sql, const QVariant& value, const char* column) {
        auto st = Folder->Prepare(sql);
        if (st->ParamCount() > 0)
            st->Bind(1, value);
        try {
            st->Execute();
            ADD_FAILURE() << "stored: " << sql.toStdString();
        } catch (const ESqlError& e) {
            EXPECT_EQ(e.Code(), SQLITE_TOOBIG) << sql.toStdString();
            EXPECT_TRUE(e.Message().contains(column)) << e.Message().toStdString();
        }
    };
    Folder->Execute("INSERT INTO ENTRANCE_LOG2026_12 (個人コード) VALUES ('" + tenWide + "')");
    const QString log = "INSERT INTO ENTRANCE_LOG2026_12 ";
    const struct {
        QString Sql;
        QVariant Value;
    } cases[] = {
        {log + "(個人コード) VALUES ('12345678901')", {}},
        {log + "(個人コード) VALUES (:code)", tenWide + "x"},
        {log + "(個人コード) VALUES (12345678901)", {}},
        {log + "(個人コード, 認証機ID) VALUES ('1', 1), ('12345678901', 2)", {}},
        {log + "(個人コード) SELECT 個人コード || 'x' FROM ENTRANCE_LOG2026_12", {}},
        {log + "VALUES (NULL, '12345678901', 1, 0, 1, 1)", {}},
        {"UPDATE ENTRANCE_LOG2026_12 SET 個人コード = :code", QString(1000000, 'x')},
        {"INSERT OR REPLACE INTO ENTRANCE_LOG2026_12 (autoNum, 個人コード) VALUES (1, '" + tenWide +
             "x')",
         {}},
    };
    for (const auto& c : cases)
        refused(c.Sql, c.Value, "個人コード");
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(Scalar(*Folder, "SELECT 個人コード FROM ENTRANCE_LOG2026_12").toString(), tenWide);

    // Within a transaction only the refused statement is undone.
    Folder->StartTransaction();
    Folder->Execute(log + "(個人コード) VALUES ('2')");
    refused(log + "(個人コード) VALUES ('12345678901')", {}, "個人コード");
    Folder->Commit();
    EXPECT_EQ(count(), 2);
    Folder->StartTransaction();
    Folder->Execute(log + "(個人コード) VALUES ('3')");
    Folder->Rollback();
    refused(log + "(個人コード) VALUES ('12345678901')", {}, "個人コード");

    // A column added later, and the table attached again after others took its place.
    Folder->Execute("ALTER TABLE ENTRANCE_LOG2026_12 ADD COLUMN 備考 TEXT (3)");
    refused("UPDATE ENTRANCE_LOG2026_12 SET 備考 = 'abcd'", {}, "備考");
    for (int i = 0; i < 11; ++i)
        Folder->Execute(QString("CREATE TABLE T%1 (n SHORT)").arg(i));
    refused(log + "(個人コード) VALUES ('12345678901')", {}, "個人コード");
    EXPECT_EQ(count(), 2);

    // Text already longer than its field (written before sizes were kept) does not hold back
    // a change of the row's other columns.
    sqlite3* plain = nullptr;
    sqlite3_open(Temp.File("ENTRANCESTATE.DB").toUtf8().constData(), &plain);
    sqlite3_exec(plain,
                 "INSERT INTO entranceState (認証機ID, 認証機名) VALUES (1, printf('%.50c', 'x'))",
                 nullptr, nullptr, nullptr);
    sqlite3_close(plain);
    EXPECT_EQ(Folder->Execute("UPDATE entranceState SET 作動状況 = True WHERE 認証機ID = 1"), 1);
    refused("UPDATE entranceState SET 認証機名 = 認証機名 || 'y'", {}, "認証機名");
}

TEST_F(DatabaseFixture, TextLongerThanItsFieldIsRefusedInTheDatabaseFile) {
    // A TEXT without a size holds 255 characters, as in Jet.
    Db->Execute("CREATE TABLE M_オペレーター (オペレーターコード LONG, オペレーター名 TEXT (10), "
                "補足 TEXT)");
    Db->Execute("INSERT INTO M_オペレーター VALUES (1, '0123456789', '" + QString(255, 'x') + "')");
    const struct {
        const char* Column;
        QString Value;
    } cases[] = {{"オペレーター名", QString(11, 'x')}, {"補足", QString(256, 'x')}};
    for (const auto& c : cases) {
        try {
            Db->Execute(
                QString("INSERT INTO M_オペレーター (%1) VALUES ('%2')").arg(c.Column, c.Value));
            ADD_FAILURE() << "stored";
        } catch (const ESqlError& e) {
            EXPECT_EQ(e.Code(), SQLITE_TOOBIG);
            EXPECT_TRUE(e.Message().contains(c.Column)) << e.Message().toStdString();
        }
    }
    EXPECT_EQ(Scalar(*Db, "SELECT COUNT(*) FROM M_オペレーター").toInt(), 1);
}
