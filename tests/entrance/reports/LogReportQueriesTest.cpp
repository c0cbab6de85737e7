#include "entrance/reports/rules/LogReportQueries.h"
#include "base/Text.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_TempTables.h"
#include "tests/entrance/EntranceFixture.h"

#include <QFile>

using namespace entrance;

namespace {

const QString March = "ENTRANCE_LOG2026_03";
const QString April = "ENTRANCE_LOG2026_04";

// Log records of March and April 2026 around a request from 28 March to 2 April: persons A1
// and O'K of department 1, B2 of department 2; room 5 holds units 2 and 3, room 6 none.
class LogReportQueries : public EntranceFixture {
protected:
    LogReportQueries() {
        Run("INSERT INTO M_個人情報 (個人コード,氏名,ﾌﾘｶﾞﾅ,部門コード) VALUES "
            "('A1','山田','ﾔﾏﾀﾞ',1), ('B2','佐藤','ｻﾄｳ',2), ('O''K','大木','ｵｵｷ',1)");
        Run("INSERT INTO M_認証機グループ (認証機グループコード,認証機ID,認証機グループ名) "
            "VALUES (5,2,'会議室'), (5,3,'会議室')");
        CreateTempLogTable(March);
        CreateTempLogTable(April);
        AddLog(March, "A1", 11, "3/27/2026, 10:00:00", 1, 1);
        AddLog(March, "A1", 11, "3/29/2026, 09:00:00", 1, 1);
        AddLog(March, "A1", 21, "3/29/2026, 18:00:00", 1, 1);
        AddLog(March, "O'K", 12, "3/30/2026, 08:00:00", 0, 3);
        AddLog(March, "B2", 10, "3/30/2026, 08:30:00", 1, 2);
        AddLog(April, "B2", 11, "4/1/2026, 07:00:00", 1, 2);
        AddLog(April, "A1", 22, "4/2/2026, 23:59:59", 1, 3);
        AddLog(April, "A1", 11, "4/3/2026, 00:00:00", 1, 1);
    }

    // The days the walk visits, each as "mm/dd codes table".
    static QStringList Walk(TLogReportQueries& queries, bool hasData) {
        QStringList days;
        for (bool more = hasData; more; more = queries.NextDay()) {
            QStringList codes;
            TQuery& detail = *queries.sqlSubGroup;
            for (detail.First(); !detail.Eof(); detail.Next())
                codes << detail.FieldByName("個人コード")->AsString();
            days << FormatDateTime("mm/dd", queries.CurrentDay()) + " " + codes.join(",") + " " +
                        queries.TableInUse().right(2);
        }
        return days;
    }

    struct Request {
        TLogReportKind kind;
        int mode;
        QString code;
        TDateTime start = EncodeDate(2026, 3, 28);
        TDateTime end = EncodeDate(2026, 4, 2);
    };
    static TLogReportRequest Ask(const Request& r) { return {{r.start, r.end}, r.mode, r.code}; }
    QStringList Run(const Request& r) {
        TEntrance units;
        TLogReportQueries queries(r.kind);
        const QStringList preview = Walk(queries, queries.Execute(Ask(r), units));
        EXPECT_EQ(Walk(queries, queries.Restart()), preview) << "the print run differs";
        return preview;
    }
    using EngineFixture::Run;
};

TEST_F(LogReportQueries, TheWalkVisitsTheDaysWithRecordsOnTheirMonthsTable) {
    using K = TLogReportKind;
    const struct {
        const char* what;
        Request request;
        QStringList days;
    } cases[] = {
        {"everybody",
         {K::Person, 0, ""},
         {"03/29 A1,A1 03", "03/30 O'K 03", "04/01 B2 04", "04/02 A1 04"}},
        {"all units, by unit",
         {K::Unit, 0, ""},
         {"03/29 A1,A1 03", "03/30 O'K 03", "04/01 B2 04", "04/02 A1 04"}},
        {"one person in both months", {K::Person, 1, "A1"}, {"03/29 A1,A1 03", "04/02 A1 04"}},
        {"March empty: the detail starts in April", {K::Person, 1, "B2"}, {"04/01 B2 04"}},
        {"a code with a quote", {K::Person, 1, "O'K"}, {"03/30 O'K 03"}},
        {"a code that is SQL", {K::Person, 1, "' OR ''='"}, {}},
        {"a department", {K::Person, 2, "1"}, {"03/29 A1,A1 03", "03/30 O'K 03", "04/02 A1 04"}},
        {"a unit", {K::Unit, 1, "2"}, {"04/01 B2 04"}},
        {"a room", {K::Unit, 2, "5"}, {"03/30 O'K 03", "04/01 B2 04", "04/02 A1 04"}},
        {"a room without units", {K::Unit, 2, "6"}, {}},
        {"nobody's records", {K::Person, 1, "ZZ"}, {}},
        {"dates the wrong way round",
         {K::Person, 1, "A1", EncodeDate(2026, 4, 2), EncodeDate(2026, 3, 28)},
         {"03/29 A1,A1 03", "04/02 A1 04"}},
        {"one day",
         {K::Person, 1, "A1", EncodeDate(2026, 3, 29), EncodeDate(2026, 3, 29)},
         {"03/29 A1,A1 03"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Run(c.request), c.days) << c.what;
}

TEST_F(LogReportQueries, AMissingMonthTableIsNotRead) {
    const Request all{TLogReportKind::Person, 0, ""};
    ASSERT_TRUE(QFile::remove(Temp.File(March + ".DB")));
    EXPECT_EQ(Run(all), QStringList({"04/01 B2 04", "04/02 A1 04"}));
    ASSERT_TRUE(QFile::remove(Temp.File(April + ".DB")));
    EXPECT_EQ(Run(all), QStringList());
}

TEST_F(LogReportQueries, AprilMissingAndMarchEmptyFindsNothing) {
    ASSERT_TRUE(QFile::remove(Temp.File(April + ".DB")));
    EXPECT_EQ(Run({TLogReportKind::Person, 1, "B2"}), QStringList());
}

TEST_F(LogReportQueries, TheRequestGivesTheTablesBoundsAndDayTable) {
    const TLogReportRequest request =
        Ask({TLogReportKind::Person, 1, "A1", EncodeDate(2026, 4, 2) + 0.75,
             EncodeDate(2026, 3, 29) + 0.25});
    EXPECT_EQ(request.Period.Start(), EncodeDate(2026, 3, 29) + 0.25);
    EXPECT_EQ(request.Period.End(), EncodeDate(2026, 4, 2) + 0.75);
    TEntrance units;
    TLogReportQueries queries(TLogReportKind::Person);
    ASSERT_TRUE(queries.Execute(request, units));
    EXPECT_EQ(queries.LogTable1, March);
    EXPECT_EQ(queries.LogTable2, April);
    EXPECT_TRUE(queries.TwoMonths);
    EXPECT_EQ(queries.Lo, 46110);
    EXPECT_EQ(queries.Hi, 46115);
    EXPECT_EQ(queries.FilterCondition, "AND (個人コード='A1')");
    EXPECT_EQ(queries.DayTable, "TMPLOG8_127001");
    EXPECT_EQ(Column("SELECT 操作Day FROM TMPLOG8_127001 ORDER BY 操作Day", true),
              QStringList({"2", "29"}));
}

TEST_F(LogReportQueries, ADepartmentRunCopiesItsPersonsWhole) {
    const QString name = "山田山田山田山田山田", kana = "ﾔﾏﾀﾞﾔﾏﾀﾞﾔﾏﾀﾞﾔﾏﾀﾞﾔﾏﾀﾞ";
    Run(QString("UPDATE M_個人情報 SET 氏名='%1', ﾌﾘｶﾞﾅ='%2' WHERE 個人コード='A1'")
            .arg(name, kana));
    TEntrance units;
    TLogReportQueries queries(TLogReportKind::Person);
    ASSERT_TRUE(queries.Execute(Ask({TLogReportKind::Person, 2, "1"}), units));
    EXPECT_EQ(queries.DayTable, "TMPLOG5_127001");
    EXPECT_EQ(Column("SELECT 個人コード || ' ' || 氏名 || ' ' || ﾌﾘｶﾞﾅ FROM KOJIN ORDER BY "
                     "個人コード",
                     true),
              QStringList({"A1 " + name + " " + kana, "O'K 大木 ｵｵｷ"}));
    auto c = SqlConnection::OpenFolder(Temp.Path());
    QHash<QString, int> widths;
    for (const ColumnInfo& column : c->Columns("KOJIN"))
        widths[column.Name] = column.Size;
    EXPECT_GE(widths["氏名"], CP932Length(name));
    EXPECT_GE(widths["ﾌﾘｶﾞﾅ"], CP932Length(kana));
}

TEST_F(LogReportQueries, ANumericCodeThatIsNoNumberIsRefused) {
    TEntrance units;
    TLogReportQueries queries(TLogReportKind::Unit);
    EXPECT_THROW(queries.Execute(Ask({TLogReportKind::Unit, 1, "1) OR (1=1"}), units),
                 EConvertError);
}

} // namespace
