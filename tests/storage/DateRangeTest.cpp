// Conditions on a month table's date asked through the connection, which turns them into
// ranges on the indexed column, and through SQLite with the plainly translated text, on the
// same rows: both must find the same rows.
#include "storage/Connection.h"
#include "storage/Dialect.h"

#include "base/DateTime.h"
#include "tests/common/TempFolder.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

const QString Table = "ENTRANCE_LOG2026_12";
constexpr double Second = 1.0 / 86400;
constexpr double Dec10 = 46366, Dec11 = 46367, Dec31 = 46387, Nov30 = 46356;

// Dates at the edges of days and months, and a row without a date.
const QVariant Dates[] = {
    Dec10 - Second,                             // 12/9 23:59:59
    Dec10,                                      // 12/10 midnight
    Dec10 + Second,                             // 0:00:01
    Dec11 - Second,                             // 23:59:59
    std::nextafter(FirstValueOfDay(46367), 0.), // the last value of 12/10
    FirstValueOfDay(46367),                     // 23:59:59.9995: already 12/11
    Dec11,                                      // 12/11 midnight
    Dec31 + 1 - Second,                         // the month's last second
    Dec31 + 1,                                  // 1/1 midnight
    Nov30 + 0.5,                                // noon of November's last day
    QVariant(),                                 // no date
    Dec11 - Second / 2,                         // 23:59:59.5: still 12/10
    -1.5,                                       // 12/29/1899 noon: days before 0 count down
    -0.5,                                       // 12/30/1899 noon
    2958466.5,                                  // 1/1/10000, beyond what a date names
};

struct DateRangeFixture : ::testing::Test {
    TempFolder Temp;
    std::unique_ptr<SqlConnection> Folder;

    DateRangeFixture() {
        auto writer = SqlConnection::OpenFolder(Temp.Path());
        writer->Execute("CREATE TABLE " + Table +
                        " (autoNum INTEGER PRIMARY KEY AUTOINCREMENT, 個人コード TEXT (10), "
                        "操作種別 SHORT, 操作日時 DATETIME, エラー種別 SHORT, 認証機ID SHORT)");
        auto insert =
            writer->Prepare("INSERT INTO " + Table + " (操作日時, 個人コード) VALUES (?, ?)");
        for (const QVariant& date : Dates) {
            insert->Bind(1, date);
            insert->Bind(2, QString(insert->LastInsertRowId() % 2 ? "0001" : "0002"));
            insert->Execute();
        }
        writer->Execute("CREATE TABLE KOJIN (個人コード TEXT (10))");
        writer->Execute("INSERT INTO KOJIN VALUES ('0001')");
        // A file made before: this connection adds the index when it attaches it.
        Folder = SqlConnection::OpenFolder(Temp.Path());
    }

    static QString Select(const QString& condition) {
        return "SELECT autoNum FROM " + Table + "\nWHERE " + condition + "\nORDER BY autoNum";
    }

    // The rows' first columns (as numbers), in the order they come.
    QList<qint64> Rewritten(const QString& sql, const QVariantList& params) {
        auto st = Folder->Prepare(sql);
        for (int i = 0; i < params.size(); ++i)
            st->Bind(i + 1, params[i]);
        QList<qint64> rows;
        while (st->Step())
            for (int i = 0; i < st->ColumnCount(); ++i)
                rows.append(st->Value(i).toLongLong());
        return rows;
    }

    // The dialect's text without the ranges, straight through SQLite.
    QList<qint64> Plain(const QString& sql, const QVariantList& params) {
        auto attached = Folder->Prepare("SELECT 1 FROM " + Table);
        QStringList names;
        const QByteArray text = SqlDialect::Translate(sql, names).first().Text().toUtf8();
        sqlite3_stmt* st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(Folder->Handle(), text.constData(), -1, &st, nullptr),
                  SQLITE_OK)
            << sqlite3_errmsg(Folder->Handle());
        for (int i = 0; i < params.size(); ++i) {
            const QVariant& p = params[i];
            if (p.isNull())
                sqlite3_bind_null(st, i + 1);
            else if (p.typeId() == QMetaType::Int)
                sqlite3_bind_int(st, i + 1, p.toInt());
            else if (p.typeId() == QMetaType::Double)
                sqlite3_bind_double(st, i + 1, p.toDouble());
            else
                sqlite3_bind_text(st, i + 1, p.toString().toUtf8().constData(), -1,
                                  SQLITE_TRANSIENT);
        }
        QList<qint64> rows;
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                rows.append(sqlite3_column_int64(st, i));
        sqlite3_finalize(st);
        return rows;
    }

    QString Plan(const QString& sql) {
        auto st = Folder->Prepare("EXPLAIN QUERY PLAN " + sql);
        QString plan;
        while (st->Step())
            plan += st->Value(3).toString() + "\n";
        return plan;
    }
};

struct Condition {
    const char* Where;
    QVariantList Params;
    int Rows; // rows expected, -1 where only the agreement counts
};

const QString Detail = "(CInt(Year(操作日時)) =:操作Year)\nAND (CInt(Month(操作日時)) "
                       "=:操作Month)\nAND (CInt(Day(操作日時)) =:操作Day)";

TEST_F(DateRangeFixture, RangesFindTheRowsTheConditionsFind) {
    const Condition conditions[] = {
        {"(CDbl(操作日時) >= 46366)\nAND (CDbl(操作日時) < 46367)", {}, 6},
        {"((操作種別 = 11) OR (操作種別 IS NULL))\nAND (CDbl(操作日時) >= 46366.999988425923)",
         {},
         -1},
        {"CDbl(操作日時) > 46366 OR CDbl(操作日時) <= 46356.5", {}, -1},
        {"NOT (CDbl(操作日時) = 46366)", {}, 13},
        {"(CDbl(ENTRANCE_LOG2026_12.操作日時) < -1)", {}, 1},
        {"(CInt(Year(操作日時)) = 2026) AND (CInt(Month(操作日時)) = 12) AND "
         "(CInt(Day(操作日時)) = 31)",
         {},
         1},
        {"(CInt(Year(ENTRANCE_LOG2026_12.操作日時)) =:y)\nAND "
         "(CInt(Month(ENTRANCE_LOG2026_12.操作日時)) =:m)\nAND "
         "(CInt(Day(ENTRANCE_LOG2026_12.操作日時)) =:d)\nAND "
         "(CDbl(ENTRANCE_LOG2026_12.操作日時) >= 46366)",
         {2026, 12, 11},
         2},
    };
    for (const Condition& c : conditions) {
        const QString sql = Select(QString::fromUtf8(c.Where));
        const QList<qint64> rows = Rewritten(sql, c.Params);
        EXPECT_EQ(rows, Plain(sql, c.Params)) << c.Where;
        if (c.Rows >= 0) {
            EXPECT_EQ(rows.size(), c.Rows) << c.Where;
        }
    }
}

TEST_F(DateRangeFixture, TheDayOfTheDetailQueryForEveryKindOfValue) {
    const Condition days[] = {
        {"12/10", {2026, 12, 10}, 5},
        {"12/11", {2026, 12, 11}, 2},
        {"12/31", {2026, 12, 31}, 1},
        {"11/30", {2026, 11, 30}, 1},
        {"1/1", {2027, 1, 1}, 1},
        {"before day 0", {1899, 12, 29}, 1},
        {"day 0", {1899, 12, 30}, 1},
        {"text", {"2026", "12", "10"}, 0},
        {"whole reals", {2026.0, 12.0, 10.0}, 5},
        {"a fraction", {2026.5, 12, 10}, 0},
        {"Null", {QVariant(), 12, 10}, 0},
        {"Null day", {2026, 12, QVariant()}, 0},
        {"no such day", {2026, 2, 30}, 0},
        {"day 31 of a 30-day month", {2026, 11, 31}, 0},
        {"no such month", {2026, 13, 1}, 0},
        {"month 0", {2026, 0, 10}, 0},
        {"day 0 of a month", {2026, 12, 0}, 0},
        {"negative", {-2026, 12, 10}, 0},
        {"year 0", {0, 12, 30}, 0},
        {"beyond the calendar", {10000, 1, 1}, 1},
        {"beyond a whole number", {2026, 12, 4294967306.0}, 0},
    };
    const QString sql = Select(Detail);
    for (const Condition& c : days) {
        const QList<qint64> rows = Rewritten(sql, c.Params);
        EXPECT_EQ(rows, Plain(sql, c.Params)) << c.Where;
        EXPECT_EQ(rows.size(), c.Rows) << c.Where;
    }
}

TEST_F(DateRangeFixture, TheIndexServesTheReportConditions) {
    for (const QString& condition :
         {Detail, QString("((操作種別 = 11) OR (操作種別 = 12))\nAND (CDbl(操作日時) >= "
                          "46366)\nAND (CDbl(操作日時) < 46367)")})
        EXPECT_TRUE(Plan(Select(condition)).contains("INDEX " + Table + "_操作日時"))
            << Plan(Select(condition)).toStdString();
    // The same condition on a column that is no date keeps its call and scans.
    EXPECT_FALSE(Plan(Select("CDbl(操作種別) >= 11")).contains("INDEX"));
}

TEST_F(DateRangeFixture, TheDayListLooksForOneRowADay) {
    const QString plain =
        "SELECT DISTINCT \nCInt(Year(操作日時)) as 操作Year,\nCInt(Month(操作日時)) "
        "as 操作Month,\nCInt(Day(操作日時)) as 操作Day\nFROM " +
        Table +
        "\nWHERE (操作種別 IS NULL) \n%3\nAND (CDbl(操作日時) >= %1)"
        "\nAND (CDbl(操作日時) < %2)";
    const QString q = Table + ".";
    const QString joined =
        "SELECT DISTINCT \nCInt(Year(" + q + "操作日時)) as 操作Year,\nCInt(Month(" + q +
        "操作日時)) as 操作Month,\nCInt(Day(" + q + "操作日時)) as 操作Day\nFROM " + Table +
        " INNER Join KOJIN ON " + q + "個人コード = KOJIN.個人コード\nWHERE (" + q +
        "操作種別 IS NULL) %3\nAND (CDbl(" + q + "操作日時) >= %1)\nAND (CDbl(" + q +
        "操作日時) < %2)";
    const struct {
        QString Text;
        const char *Lo, *Hi, *Filter;
        int Days;
    } lists[] = {
        {plain, "46366", "46367", "", 2}, // the value a hair below midnight is the next day
        {plain, "46357", "46388", "", 4},
        {plain, "46366.5", "46388", "AND (個人コード='0002')", 2},
        {plain, "46356", "46389", "", 6},
        {plain, "46388", "46357", "", 0},
        {joined, "46357", "46389", "", 3},
    };
    for (const auto& list : lists) {
        const QString sql = list.Text.arg(list.Lo, list.Hi, list.Filter);
        QList<qint64> rows = Rewritten(sql, {}), plainRows = Plain(sql, {});
        EXPECT_EQ(rows.size(), list.Days * 3) << sql.toStdString();
        std::sort(rows.begin(), rows.end());
        std::sort(plainRows.begin(), plainRows.end());
        EXPECT_EQ(rows, plainRows) << sql.toStdString();
    }
    EXPECT_TRUE(Plan(plain.arg("46357", "46388", "")).contains("CORRELATED SCALAR SUBQUERY"));
}

} // namespace
