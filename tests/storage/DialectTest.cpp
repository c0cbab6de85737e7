#include "storage/Dialect.h"

#include <gtest/gtest.h>

namespace {

QString One(const QString& sql) {
    QStringList params;
    const QList<DialectStatement> st = SqlDialect::Translate(sql, params);
    EXPECT_EQ(st.size(), 1) << sql.toStdString();
    return st.value(0).Text();
}

} // namespace

TEST(Dialect, RewritesTheJetConstructs) {
    const struct {
        const char* In;
        const char* Out;
    } cases[] = {
        // date literals become day numbers (2026-12-10 is day 46366)
        {"SELECT * FROM t WHERE d<#12/10/2026#", "SELECT * FROM t WHERE d<46366"},
        {"SELECT * FROM t WHERE d=#12/10/2026 12:00:00#", "SELECT * FROM t WHERE d=46366.5"},
        // double-quoted text is a string, except a table name
        {"SELECT * FROM t WHERE c <> \"\"", "SELECT * FROM t WHERE c <> ''"},
        {"SELECT * FROM t WHERE c LIKE \"O'B*\"", "SELECT * FROM t WHERE c LIKE 'O''B*'"},
        {"ALTER TABLE \"entranceState.DB\" ADD COLUMN a SMALLINT",
         "ALTER TABLE \"entranceState\" ADD COLUMN a SMALLINT"},
        {"SELECT * FROM entranceState.DB WHERE x=1", "SELECT * FROM entranceState WHERE x=1"},
        {"UPDATE \"KOJIN.db\" SET a=1", "UPDATE \"KOJIN\" SET a=1"},
        // DELETE * FROM and DELETE col FROM
        {"DELETE * FROM M_使用認証機 WHERE 個人コード='1'",
         "DELETE FROM M_使用認証機 WHERE 個人コード='1'"},
        {"DELETE 個人コード FROM t", "DELETE FROM t"},
        {"DELETE FROM t", "DELETE FROM t"},
        // parameters are numbered; a name used twice is one parameter
        {"SELECT * FROM t WHERE a=:操作Year AND b='12:30' AND c=? AND d=:操作Year",
         "SELECT * FROM t WHERE a=?1 AND b='12:30' AND c=?2 AND d=?1"},
        // lines joined with a line break stay apart
        {"SELECT a\nFROM t", "SELECT a\nFROM t"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(One(QString::fromUtf8(c.In)).toStdString(), c.Out) << c.In;
}

TEST(Dialect, SplitsAlterTableWithSeveralAddClauses) {
    QStringList params;
    const auto st = SqlDialect::Translate("ALTER TABLE \"entranceState.DB\" ADD COLUMN タンパー開 "
                                          "SMALLINT, ADD COLUMN タンパー閉 SMALLINT",
                                          params);
    ASSERT_EQ(st.size(), 2);
    EXPECT_EQ(st[0].Text().toStdString(),
              "ALTER TABLE \"entranceState\" ADD COLUMN タンパー開 SMALLINT");
    EXPECT_EQ(st[1].Text().toStdString(),
              "ALTER TABLE \"entranceState\" ADD COLUMN タンパー閉 SMALLINT");
    EXPECT_EQ(st[1].Table, "entranceState");
    EXPECT_EQ(st[1].Kind, DialectStatement::AlterTable);
    // Yes/No columns start as False.
    const auto bit = SqlDialect::Translate("ALTER TABLE M_使用認証機 ADD COLUMN 登録 BIT", params);
    EXPECT_EQ(bit[0].Text().toStdString(),
              "ALTER TABLE M_使用認証機 ADD COLUMN 登録 BIT DEFAULT 0");
}

TEST(Dialect, SplitsAtSemicolonsAndClassifiesTableStatements) {
    QStringList params;
    const auto st = SqlDialect::Translate(
        "CREATE TABLE ENTRANCE_LOG2026_12.DB (a SHORT); DROP TABLE IF EXISTS KOJIN;\n"
        "CREATE INDEX ix ON KOJIN (a);",
        params);
    ASSERT_EQ(st.size(), 3);
    EXPECT_EQ(st[0].Kind, DialectStatement::CreateTable);
    EXPECT_EQ(st[0].Table, "ENTRANCE_LOG2026_12");
    EXPECT_EQ(st[0].Text("S"), "CREATE TABLE \"S\".ENTRANCE_LOG2026_12 (a SHORT)");
    EXPECT_EQ(st[1].Kind, DialectStatement::DropTable);
    EXPECT_TRUE(st[1].IfExists);
    EXPECT_EQ(st[1].Table, "KOJIN");
    EXPECT_EQ(st[2].Kind, DialectStatement::CreateIndex);
    EXPECT_EQ(st[2].Table, "KOJIN");
    EXPECT_EQ(st[2].Text("S").trimmed(), "CREATE INDEX \"S\".ix ON KOJIN (a)");
}

TEST(Dialect, NamesTheTablesAStatementMayUse) {
    QStringList params;
    const auto st = SqlDialect::Translate(
        "SELECT DISTINCT CInt(Year(ENTRANCE_LOG2026_12.操作日時)) as 操作Year FROM "
        "ENTRANCE_LOG2026_12 INNER Join KOJIN ON ENTRANCE_LOG2026_12.個人コード = KOJIN.個人コード",
        params);
    const QStringList names = st[0].Names;
    EXPECT_TRUE(names.contains("ENTRANCE_LOG2026_12"));
    EXPECT_TRUE(names.contains("KOJIN"));
    EXPECT_FALSE(names.contains("CInt"));       // a function
    EXPECT_FALSE(names.contains("個人コード")); // a column after "."
    // Only where a table stands: a FROM list, a subquery, not the columns and aliases.
    const auto list = SqlDialect::Translate(
        "SELECT a, b FROM T1, T2 AS x WHERE c IN (SELECT d FROM T3, [T4]) AND e = 1", params);
    EXPECT_EQ(list[0].Names, QStringList({"T1", "T2", "T3", "T4"}));
    // A table name directly followed by its column list.
    const auto insert =
        SqlDialect::Translate("insert into ENTRANCE_LOG2026_12(個人コード) Values ('1')", params);
    EXPECT_TRUE(insert[0].Names.contains("ENTRANCE_LOG2026_12"));
}

TEST(Dialect, WrapsValuesWrittenIntoDateColumns) {
    auto kindOf = [](const QString&, const QString& column) {
        return column == "操作日時" ? ColumnKind::DateTime : ColumnKind::Smallint;
    };
    QStringList params;
    auto st = SqlDialect::Translate("insert into L(個人コード, 操作日時, 認証機ID)\nValues\n"
                                    "('1','12/10/2026, 13:05:00',(3))",
                                    params);
    SqlDialect::WrapDateValues(st[0], kindOf);
    EXPECT_EQ(st[0].Text(), "insert into L(個人コード, 操作日時, 認証機ID)\nValues\n"
                            "('1',zz_datevalue('12/10/2026, 13:05:00'),(3))");
    st = SqlDialect::Translate("UPDATE L SET 操作日時 = ?, 認証機ID=2 WHERE 操作日時 > 0", params);
    SqlDialect::WrapDateValues(st[0], kindOf);
    EXPECT_EQ(st[0].Text(),
              "UPDATE L SET 操作日時 =zz_datevalue( ?1), 認証機ID=2 WHERE 操作日時 > 0");
}

TEST(Dialect, DateConditionsBecomeRangesOnlyWhereTheyMeanTheSame) {
    auto kindOf = [](const QString&, const QString& column) {
        return column == "操作日時" ? ColumnKind::DateTime : ColumnKind::Smallint;
    };
    const std::pair<const char*, const char*> cases[] = {
        {"SELECT a FROM L WHERE (CDbl(操作日時) >= 46366) AND (CDbl(L.操作日時) < -2)",
         "SELECT a FROM L WHERE (操作日時 >= 46366) AND (L.操作日時 < -2)"},
        // Not a date column, a text to compare with, arithmetic around the call.
        {"SELECT a FROM L WHERE CDbl(操作種別) >= 11", nullptr},
        {"SELECT a FROM L WHERE CDbl(操作日時) >= '46366'", nullptr},
        {"SELECT a FROM L WHERE CDbl(操作日時) >= 46366 || 'x'", nullptr},
        {"SELECT a FROM L WHERE 1 + CDbl(操作日時) >= 46366", nullptr},
        {"SELECT a FROM L WHERE (CInt(Year(操作日時)) = :y) AND (Month(操作日時) = 12)\n"
         "AND (CInt(Day(操作日時)) = :d) ORDER BY a",
         "SELECT a FROM L WHERE (zz_dayrangeexact(?1, 12, ?2) OR (CInt(Year(操作日時)) = ?1)) "
         "AND (zz_dayrangeexact(?1, 12, ?2) OR (Month(操作日時) = 12))\n"
         "AND (zz_dayrangeexact(?1, 12, ?2) OR (CInt(Day(操作日時)) = ?2)) AND (操作日時 >= "
         "zz_daystart(?1, 12, ?2, 0) AND 操作日時 < zz_daystart(?1, 12, ?2, 1)) ORDER BY a"},
        // Joined by OR, or a part missing: the conditions stay as they are.
        {"SELECT a FROM L WHERE Year(操作日時) = 1 AND Month(操作日時) = 2 OR Day(操作日時) = 3",
         nullptr},
        {"SELECT a FROM L WHERE Year(操作日時) = 1 AND Month(操作日時) = 2", nullptr},
    };
    for (const auto& [sql, expected] : cases) {
        QStringList params;
        auto st = SqlDialect::Translate(QString::fromUtf8(sql), params);
        const QString before = st[0].Text();
        SqlDialect::UseDateRanges(st[0], kindOf);
        EXPECT_EQ(st[0].Text(), expected ? QString::fromUtf8(expected) : before) << sql;
    }
}

TEST(Dialect, AnInsertsTextsAndNumbersBecomeParameters) {
    QStringList params;
    auto st = SqlDialect::Translate(
        "insert into L(a, b, c, d, e, f) Values ('O''1', 01, ?, -4, 2.5, (3)), ('x', 7, ?, 1, "
        "1e3, 0x10)",
        params);
    const QList<QVariant> values = SqlDialect::LiftValues(st[0], 3);
    EXPECT_EQ(st[0].Text(),
              "insert into L(a, b, c, d, e, f) Values (?3, ?4, ?1, -4, CAST(?5 AS REAL), (3)), "
              "(?6, ?7, ?2, ?8, CAST(?9 AS REAL), 0x10)");
    EXPECT_EQ(values, QList<QVariant>({"O'1", 1LL, "2.5", "x", 7LL, 1LL, "1e3"}));
}

// What a WHERE compares with becomes a parameter, so a query asked for another value is the
// same statement; a value that names a column or its place, or that a date condition reads,
// stays.
TEST(Dialect, TheValuesAWhereComparesWithBecomeParameters) {
    const struct {
        const char* Sql;
        const char* Lifted;
        QList<QVariant> Values;
    } cases[] = {
        {"SELECT 5, a FROM t WHERE b = 7 AND c <> 'x' AND d IN (SELECT e FROM u WHERE f >= 2) "
         "ORDER BY 1",
         "SELECT 5, a FROM t WHERE b = ?2 AND c <> ?3 AND d IN (SELECT e FROM u WHERE f >= ?4) "
         "ORDER BY 1",
         {7LL, "x", 2LL}},
        {"UPDATE t SET a = 1 WHERE b = 'O''B' OR c = -3",
         "UPDATE t SET a = 1 WHERE b = ?2 OR c = -3",
         {"O'B"}},
        {"DELETE * FROM t WHERE n=12 LIMIT 1", "DELETE * FROM t WHERE n=?2 LIMIT 1", {12LL}},
        {"SELECT a FROM t WHERE b = 1.5 GROUP BY a HAVING count(*) > 2",
         "SELECT a FROM t WHERE b = 1.5 GROUP BY a HAVING count(*) > 2",
         {}},
        {"SELECT a FROM t WHERE CDbl(d) >= 46366 AND b = 1",
         "SELECT a FROM t WHERE CDbl(d) >= 46366 AND b = 1",
         {}},
        {"SELECT a FROM t WHERE Year(d) = 2026", "SELECT a FROM t WHERE Year(d) = 2026", {}},
    };
    for (const auto& c : cases) {
        DialectStatement st;
        st.Tokens = SqlDialect::Tokenize(c.Sql);
        EXPECT_EQ(SqlDialect::LiftValues(st, 2), c.Values) << c.Sql;
        EXPECT_EQ(st.Text(), c.Lifted) << c.Sql;
    }
}

TEST(Dialect, DeclaredTypeNamesGiveKindAndSize) {
    const struct {
        const char* Type;
        ColumnKind Kind;
        int Size;
    } cases[] = {
        {"TEXT (20)", ColumnKind::String, 20},
        {"text(7)", ColumnKind::String, 7},
        {" Text ( 30 ) ", ColumnKind::String, 30},
        {"TEXT", ColumnKind::String, 255},
        {"VARCHAR(x) (12)", ColumnKind::String, 12},
        {"LONGTEXT", ColumnKind::Memo, 0},
        {"INTEGER PRIMARY KEY", ColumnKind::Integer, 0},
        {"Long", ColumnKind::Integer, 0},
        {"DATETIME", ColumnKind::DateTime, 0},
        {"TEXTS", ColumnKind::Unknown, 0},
        {"", ColumnKind::Unknown, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KindOfDeclaredType(c.Type), c.Kind) << c.Type;
        EXPECT_EQ(SizeOfDeclaredType(c.Type), c.Size) << c.Type;
    }
    EXPECT_EQ(KindOfDeclaredType("INTEGER", true), ColumnKind::AutoInc);
}
